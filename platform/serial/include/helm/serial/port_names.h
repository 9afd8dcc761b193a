// Port numbers, COMn names and the device paths behind them.
//
// Port n (1 to 32) is "COMn". Its device is, first found:
//   1. the environment variable HELM_COMn (an absolute path);
//   2. the line "COMn=/dev/..." of the map file serial_ports.map beside the
//      program ('#' or ';' starts a comment);
//   3. /dev/ttyS<n-1>.
// Values that are not absolute paths, or longer than 1023 bytes, are
// skipped. The map file is read up to 64 KiB.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace helm::serial {

inline constexpr int kFirstPort = 1;
inline constexpr int kLastPort = 32;

// "COM7" for 7; empty for a number outside 1 to 32.
std::string port_name(int port);
// 7 for "COM7", "com7", "COM7:" or "\\\\.\\COM7"; 0 for anything else.
int port_number(std::string_view name);

// The device path of a port, empty for a number outside 1 to 32.
std::string device_path(int port);
// The same rule on given inputs: the environment value (null when unset)
// and the map file's text.
std::string resolve_device_path(int port, const char* environment_value, std::string_view map_text);
// The map file beside the program.
std::string map_file_path();

// The ports whose device exists and is a tty with a real UART behind it
// (ports of the 8250 driver with no hardware are left out), in order.
std::vector<int> list_ports();

}  // namespace helm::serial
