// show-dialog: runs one dialog of a resource script as a modal dialog of
// the window layer, on the screen the environment gives (X11 with DISPLAY
// set, headless with HELM_HEADLESS=1), and prints the commands it gets.
//   show-dialog [-I dir]... script.rc [DIALOG]
// DIALOG is the dialog's name or number in the script; the first one when
// left out.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "script_compiler.h"

namespace {

int usage()
{
    std::fprintf(stderr, "usage: show-dialog [-I dir]... script.rc [DIALOG]\n");
    return 2;
}

std::string upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The dialog asked for (by name or number), or the script's first.
const helm::rc::CompiledResource* find_dialog(const std::vector<helm::rc::CompiledResource>& resources,
                                              const std::string& wanted)
{
    for (const auto& r : resources) {
        if (r.type.number != helm::rc::kTypeDialog || !r.type.name.empty())
            continue;
        if (wanted.empty() || upper(wanted) == r.name.name ||
            (r.name.name.empty() && wanted == std::to_string(r.name.number)))
            return &r;
    }
    return nullptr;
}

// Every command is printed; OK and Cancel (and the close box) end it.
INT_PTR CALLBACK show_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message != WM_COMMAND)
        return FALSE;
    std::printf("WM_COMMAND id %u code %u\n", LOWORD(wParam), HIWORD(wParam));
    std::fflush(stdout);
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> include_dirs;
    std::string script, name;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-I" && i + 1 < argc)
            include_dirs.push_back(argv[++i]);
        else if (arg.size() > 2 && arg.compare(0, 2, "-I") == 0)
            include_dirs.push_back(arg.substr(2));
        else if (!arg.empty() && arg[0] != '-' && script.empty())
            script = arg;
        else if (!arg.empty() && arg[0] != '-' && name.empty())
            name = arg;
        else
            return usage();
    }
    if (script.empty())
        return usage();
    std::vector<helm::rc::CompiledResource> resources;
    try {
        resources = helm::rc::compile_script(script, include_dirs, nullptr);
    } catch (const helm::rc::CompileError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    const auto* dialog = find_dialog(resources, name);
    if (!dialog) {
        std::fprintf(stderr, "show-dialog: no dialog %s in %s\n", name.empty() ? "at all" : name.c_str(),
                     script.c_str());
        return 1;
    }
    const INT_PTR result = DialogBoxIndirectParam(nullptr, reinterpret_cast<LPCDLGTEMPLATE>(dialog->data.data()),
                                                  nullptr, show_proc, 0);
    std::printf("ended with %ld\n", static_cast<long>(result));
    return result == IDOK ? 0 : 1;
}
