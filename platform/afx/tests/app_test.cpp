#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "afx_test_ids.h"
#include "afxwin.h"
#include "dialog_template.h"
#include "extension/extension.h"
#include "helm/test/support.h"

namespace {

// A program's application object, with its profile in a private directory.
class ProfileApp : public CWinApp {
public:
    explicit ProfileApp(const std::string& file) : CWinApp("Profile test")
    {
        m_pszProfileName = strdup(file.c_str());
    }
};

TEST(WinAppProfile, ValuesGoToTheIniFileAndComeBack)
{
    helm::test::TempDir dir;
    ProfileApp app(dir.file("Helmsight.ini"));
    EXPECT_EQ(AfxGetApp(), &app);

    EXPECT_EQ(app.GetProfileInt("Parameters", "CnxType", 2), 2u);
    EXPECT_EQ(app.GetProfileString("Parameters", "Folder", "none"), "none");
    EXPECT_TRUE(app.WriteProfileInt("Parameters", "CnxType", -1));
    EXPECT_TRUE(app.WriteProfileString("Parameters", "Folder", "C:\\Data \xB0"));
    EXPECT_EQ(static_cast<int>(app.GetProfileInt("Parameters", "CnxType", 2)), -1);
    EXPECT_EQ(app.GetProfileString("Parameters", "Folder"), "C:\\Data \xB0");
    // A value longer than any first buffer comes back whole.
    std::string wide(10000, 'v');
    EXPECT_TRUE(app.WriteProfileString("Window State", "Long", wide.c_str()));
    EXPECT_EQ(app.GetProfileString("Window State", "Long").GetLength(), 10000);

    std::string bytes = helm::test::read_file(dir.file("Helmsight.ini"));
    EXPECT_NE(bytes.find("[Parameters]"), std::string::npos);
    EXPECT_NE(bytes.find("CnxType=-1"), std::string::npos);

    EXPECT_TRUE(app.WriteProfileString("Parameters", "CnxType", nullptr));
    EXPECT_EQ(app.GetProfileInt("Parameters", "CnxType", 5), 5u);
    EXPECT_TRUE(app.WriteProfileString("Window State", nullptr, nullptr));
    EXPECT_EQ(app.GetProfileString("Window State", "Long", "gone"), "gone");
}

TEST(WinAppProfile, NamesComeFromTheProgram)
{
    CWinApp app;
    AfxWinInit(GetModuleHandle(nullptr), nullptr, const_cast<LPSTR>("/rtfd"), SW_SHOW);
    char path[1024] = {0};
    GetModuleFileName(nullptr, path, sizeof path);
    std::string program(path);
    std::string directory = program.substr(0, program.find_last_of('/') + 1);
    EXPECT_STREQ(app.m_pszExeName, "afx_tests");
    EXPECT_EQ(std::string(app.m_pszProfileName), directory + "afx_tests.INI");
    // The title string of the program's resources names the application.
    EXPECT_STREQ(app.m_pszAppName, "Helm Test App");
    EXPECT_STREQ(AfxGetAppName(), "Helm Test App");
    EXPECT_STREQ(app.m_lpCmdLine, "/rtfd");
    EXPECT_EQ(std::string(helm::afx::command_line_arguments("\"C:\\a b\\x.exe\"  /remote /sleep")),
              "/remote /sleep");
    EXPECT_EQ(std::string(helm::afx::command_line_arguments("prog")), "");
}

// InitInstance makes a window; the loop runs until the window quits.
class LoopApp : public CWinApp {
public:
    CWnd window;
    int idle_calls = 0;
    BOOL InitInstance() override
    {
        if (!window.CreateEx(0, nullptr, "loop", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr))
            return FALSE;
        m_pMainWnd = &window;
        window.PostMessage(WM_APP);
        ::PostQuitMessage(4);
        return TRUE;
    }
    BOOL OnIdle(LONG count) override
    {
        ++idle_calls;
        return CWinApp::OnIdle(count);
    }
    int ExitInstance() override
    {
        window.DestroyWindow();
        return CWinApp::ExitInstance() + 10;
    }
};

TEST(WinAppRun, RunsTheLoopAndEndsWithExitInstance)
{
    LoopApp app;
    EXPECT_EQ(AfxWinMain(GetModuleHandle(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW), 14);
    EXPECT_EQ(app.window.m_hWnd, nullptr);

    // A dialog program: InitInstance returns FALSE after its modal dialog.
    class DialogApp : public CWinApp {
    public:
        BOOL InitInstance() override { return FALSE; }
        int ExitInstance() override { return 21; }
    };
    DialogApp dialog_app;
    EXPECT_EQ(AfxWinMain(GetModuleHandle(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOW), 21);
}

TEST(WinThread, AWorkerPostsToTheMainWindowOfItsStarter)
{
    CWinApp app("Threads");
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, nullptr, "main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr));
    app.m_pMainWnd = &main;
    EXPECT_EQ(AfxGetMainWnd(), &main);

    static std::atomic<CWnd*> seen{nullptr};
    CWinThread* thread = AfxBeginThread(
        [](LPVOID) -> UINT {
            seen = AfxGetThread()->GetMainWnd();
            AfxGetMainWnd()->PostMessage(WM_APP + 7, 1, 2);
            return 0;
        },
        nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    WaitForSingleObject(thread->m_hThread, INFINITE);
    delete thread;
    EXPECT_EQ(seen.load(), &main);
    MSG msg{};
    ASSERT_TRUE(PeekMessage(&msg, main.m_hWnd, WM_APP + 7, WM_APP + 7, PM_REMOVE));
    EXPECT_EQ(msg.lParam, 2);
    main.DestroyWindow();
}

TEST(ResourceChain, HostFirstThenExtensionLibraries)
{
    CString text;
    EXPECT_FALSE(text.LoadString(IDS_EXTENSION_TEXT));
    EXPECT_TRUE(text.IsEmpty());
    extension_join();
    EXPECT_TRUE(text.LoadString(IDS_EXTENSION_TEXT));
    EXPECT_EQ(text, "Extension text");
    EXPECT_EQ(AfxFindStringResourceHandle(IDS_EXTENSION_TEXT), extension_module());
    // The host's own string hides the library's of the same id.
    EXPECT_EQ(CString(MAKEINTRESOURCE(IDS_HOST_TEXT)), "Host text");
    // The library's code in its own module state looks in its module first.
    EXPECT_EQ(extension_own_string(IDS_HOST_TEXT), "Library text");
    EXPECT_EQ(AfxGetModuleState(), AfxGetAppModuleState());
    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandle(nullptr));

    CString formatted;
    formatted.Format(static_cast<UINT>(IDS_HOST_FORMAT), 3, "COM3");
    EXPECT_EQ(formatted, "Port 3 of COM3");

    // A dialog of the library opens by id from the host.
    CDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_EXTENSION_DIALOG));
    CString caption;
    dialog.GetWindowText(caption);
    EXPECT_EQ(caption, "Extension dialog");
    dialog.DestroyWindow();
    extension_leave();
    EXPECT_FALSE(CDialog().Create(IDD_EXTENSION_DIALOG));
    EXPECT_FALSE(text.LoadString(IDS_EXTENSION_TEXT));
}

TEST(MessageBoxSeam, TextsAndHeadlessAnswers)
{
    std::string shown;
    helm::afx::set_message_box([&](HWND, const char* text, const char*, UINT) {
        shown = text;
        return IDNO;
    });
    EXPECT_EQ(AfxMessageBox(IDS_HOST_TEXT, MB_YESNO), IDNO);
    EXPECT_EQ(shown, "Host text");
    // Without an operator, a host installs the accepting answers.
    helm::afx::set_message_box([](HWND, const char*, const char*, UINT type) { return helm::afx::headless_answer(type); });
    struct Case {
        UINT type;
        int answer;
    } cases[] = {{MB_OK, IDOK},        {MB_OKCANCEL, IDOK},         {MB_YESNO | MB_ICONHAND, IDYES},
                 {MB_YESNOCANCEL, IDYES}, {MB_ABORTRETRYIGNORE, IDIGNORE}, {MB_RETRYCANCEL, IDCANCEL}};
    for (const Case& c : cases)
        EXPECT_EQ(AfxMessageBox("headless", c.type), c.answer) << c.type;
    helm::afx::set_message_box({});
}

}  // namespace

namespace {

class CommandApp : public CWinApp {
public:
    int commands = 0;

protected:
    void OnAppCommand() { ++commands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CommandApp, CWinApp)
    ON_COMMAND(0x8001, OnAppCommand)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

TEST(WinAppCommands, ADialogLeavesItsUnhandledCommandsToTheApplication)
{
    CommandApp app;
    static const afx_test::DialogTemplate t(WS_POPUP, "Commands", {{0x0080, IDOK, BS_PUSHBUTTON, "OK", 5, 5, 40, 14}});
    CDialog dialog;
    ASSERT_TRUE(dialog.CreateIndirect(t.get()));
    EXPECT_EQ(dialog.SendMessage(WM_COMMAND, 0x8001), 1);
    EXPECT_EQ(app.commands, 1);
    // Outside the command range the application is not asked.
    EXPECT_EQ(dialog.SendMessage(WM_COMMAND, 0x7FFF), 0);
    dialog.DestroyWindow();
}

}  // namespace

namespace {

TEST(ProgramEntry, RunsTheApplicationObjectWithItsCommandLine)
{
    char path[1024] = {0};
    GetModuleFileName(nullptr, path, sizeof path);
    std::string program(path);
    program = program.substr(0, program.find_last_of('/') + 1) + "afx_entry_program";
    std::string line = "\"" + program + "\" /rtfd \"a b\"";
    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcess(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    ASSERT_EQ(WaitForSingleObject(info.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 41u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

}  // namespace
