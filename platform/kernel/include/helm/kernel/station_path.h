// The per-user station directory where every named object lives, and the
// translation of the system's Windows-style paths.
#pragma once

#include <string>
#include <string_view>

namespace helm::kernel {

// The station directory: $HELM_STATION when set, else
// $XDG_RUNTIME_DIR/helm-station, else $TMPDIR (or /tmp)/helm-station-<uid>.
// Created with mode 0700 on first use. When the usual name is held by
// another user (or is a link or a file), a private directory with a random
// name beside it is made instead, put in HELM_STATION so that the programs
// this one starts share it, and said on standard error. Empty, with a line
// on standard error, when HELM_STATION names a directory that is not ours
// or no directory can be made.
std::string station_directory();

// A file of the station for a named object of the given kind. Any byte of
// the name that is not a letter, digit, '-' or '_' is escaped, so every
// name maps to one plain file name and names differ as their files do.
std::string station_object_path(std::string_view kind, std::string_view name);

// The system's paths use backslashes; the file system wants slashes.
std::string native_path(std::string_view path);

}  // namespace helm::kernel
