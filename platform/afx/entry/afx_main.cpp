// The program entry of a class-library program: runs its application
// object as the Windows entry point would.
#include "helm/afx/CWinApp.h"

int main(int, char**)
{
    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    GetStartupInfo(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    LPSTR arguments = const_cast<LPSTR>(helm::afx::command_line_arguments(GetCommandLine()));
    return AfxWinMain(GetModuleHandle(nullptr), nullptr, arguments, show);
}
