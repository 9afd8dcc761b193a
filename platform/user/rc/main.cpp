// helm-rc: compiles a resource script into a C++ source for the module
// that links it.
//   helm-rc [-I dir]... -o out.cpp [-d out.d] script.rc
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cpp_emitter.h"
#include "script_compiler.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: helm-rc [-I dir]... -o out.cpp [-d depfile] script.rc\n");
    return 2;
}

// Written beside the target and renamed over it, so a failed run never
// leaves a half-written source for the next build to pick up.
bool write_file(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush())
            return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    return !ec;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> include_dirs;
    std::string output, depfile, script;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-I" || arg == "-o" || arg == "-d") && i + 1 < argc) {
            const std::string value = argv[++i];
            if (arg == "-I")
                include_dirs.push_back(value);
            else if (arg == "-o")
                output = value;
            else
                depfile = value;
        } else if (arg.size() > 2 && arg.compare(0, 2, "-I") == 0) {
            include_dirs.push_back(arg.substr(2));
        } else if (!arg.empty() && arg[0] != '-' && script.empty()) {
            script = arg;
        } else {
            return usage();
        }
    }
    if (output.empty() || script.empty())
        return usage();

    std::vector<std::string> files;
    std::vector<helm::rc::CompiledResource> resources;
    try {
        resources = helm::rc::compile_script(script, include_dirs, &files);
    } catch (const helm::rc::CompileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::ostringstream source;
    helm::rc::write_cpp(resources, script, source);
    if (!write_file(output, source.str())) {
        std::fprintf(stderr, "helm-rc: cannot write %s\n", output.c_str());
        return 1;
    }
    if (!depfile.empty()) {
        std::ostringstream deps;
        helm::rc::write_depfile(output, files, deps);
        if (!write_file(depfile, deps.str())) {
            std::fprintf(stderr, "helm-rc: cannot write %s\n", depfile.c_str());
            return 1;
        }
    }
    return 0;
}
