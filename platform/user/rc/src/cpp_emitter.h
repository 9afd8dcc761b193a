// Writes compiled resources as a C++ source: one aligned byte array per
// resource and a table that registers them, at load time, with the module
// (program or shared library) the source is linked into.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "compiled_resource.h"

namespace helm::rc {

void write_cpp(const std::vector<CompiledResource>& resources, const std::string& script, std::ostream& out);
// A make-style dependency file: `target` depends on every file in `files`.
void write_depfile(const std::string& target, const std::vector<std::string>& files, std::ostream& out);

}  // namespace helm::rc
