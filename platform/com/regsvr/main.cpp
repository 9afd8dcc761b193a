// helm_regsvr: registers plug-ins in the station's control registry (or
// removes them with -u) by calling their own registration entry points.

#include <cstdio>
#include <string>
#include <vector>

#include "helm/com/registry.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    int code = helm::com::run_register_command(args, out, err);
    std::fputs(out.c_str(), stdout);
    std::fputs(err.c_str(), stderr);
    return code;
}
