#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "helm/kernel/files.h"
#include "helm/kernel/process.h"
#include "helm/test/support.h"
#include "helm/user/testing/driver.h"
#include "toolkit/CWinAppIni.h"
#include "toolkit_fixture.h"

namespace {

using toolkit_test::PrivateProfile;

std::string program_directory()
{
    char path[4096] = {0};
    GetModuleFileName(nullptr, path, sizeof path);
    std::string full(path);
    return full.substr(0, full.find_last_of('/') + 1);
}

TEST(WinAppIni, ProfileIsTheIniFileBesideTheProgram)
{
    CWinAppIni app("Helmsight");
    app.m_pszExeName = strdup("Helmsight");
    EXPECT_TRUE(app.InitInstance());
    EXPECT_EQ(app.F_GetProfilePath(), CString((program_directory() + "Helmsight.ini").c_str()));
    EXPECT_STREQ(app.m_pszProfileName, app.F_GetProfilePath().GetString());
}

TEST(WinAppIni, ColoursReadOnlyTheirOwnForm)
{
    CWinAppIni app;
    PrivateProfile profile(app, "Colours.ini");
    const COLORREF fallback = RGB(1, 2, 3);
    ASSERT_TRUE(app.WriteProfileColor("Colours", "Title", RGB(0, 0, 128)));
    EXPECT_EQ(helm::test::read_file(profile.path()), "[Colours]\r\nTitle=RGB(000,000,128)\r\n");
    EXPECT_EQ(app.GetProfileColor("Colours", "Title", fallback), RGB(0, 0, 128));

    struct Case {
        const char* stored;
        COLORREF expected;
    };
    const Case cases[] = {
        {"RGB(255,128,7)", RGB(255, 128, 7)},
        {"colour RGB(10, 20, 30) here", RGB(10, 20, 30)},
        {"rgb(10,20,30)", fallback},
        {"RGB(256,0,0)", fallback},
        {"RGB(-1,0,0)", fallback},
        {"RGB(10,20)", fallback},
        {"RGB(10,20,30", fallback},
        {"RGB(1x,2,3)", fallback},
        {"0x00FF00", fallback},
        {"", fallback},
    };
    for (const Case& c : cases) {
        app.WriteProfileString("Colours", "Other", c.stored);
        EXPECT_EQ(app.GetProfileColor("Colours", "Other", fallback), c.expected) << c.stored;
    }
    EXPECT_EQ(app.GetProfileColor("Colours", "Missing", fallback), fallback);
}

TEST(WinAppIni, FloatsFallBackWhenTheTextHoldsNoNumber)
{
    CWinAppIni app;
    PrivateProfile profile(app, "Floats.ini");
    ASSERT_TRUE(app.WriteProfileFloat("Gauge", "Scale", 2.5f));
    EXPECT_EQ(app.GetProfileString("Gauge", "Scale"), "2.500000");
    EXPECT_FLOAT_EQ(app.GetProfileFloat("Gauge", "Scale", 9.0f), 2.5f);
    EXPECT_FLOAT_EQ(app.GetProfileFloat("Gauge", "Missing", 0.125f), 0.125f);

    struct Case {
        const char* stored;
        float expected;
    };
    const float fallback = -7.5f;
    const Case cases[] = {
        {"1.25", 1.25f},     {"  -3.5", -3.5f},   {"+4", 4.0f},        {"12abc", 12.0f},
        {"abc", fallback},   {"", fallback},      {"-", fallback},     {".", fallback},
        {"1e60", fallback},  {"nan", fallback},   {"inf", fallback},   {"0", 0.0f},
    };
    for (const Case& c : cases) {
        app.WriteProfileString("Gauge", "Value", c.stored);
        EXPECT_FLOAT_EQ(app.GetProfileFloat("Gauge", "Value", fallback), c.expected) << c.stored;
    }
}

class ResetConfig : public ::testing::Test {
protected:
    void SetUp() override
    {
        helm::afx::set_message_box([this](HWND, const char* text, const char*, UINT type) {
            questions.push_back(text);
            types.push_back(type);
            return answer;
        });
        main.CreateEx(0, nullptr, "Main", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr);
        app.m_pMainWnd = &main;
        log = std::make_unique<helm::user::testing::MessageLog>(main.m_hWnd);
    }
    void TearDown() override
    {
        helm::afx::set_message_box(nullptr);
        log.reset();
        app.m_pMainWnd = nullptr;
        main.DestroyWindow();
    }
    int closes_posted()
    {
        helm::user::testing::pump_until_idle();
        int n = 0;
        for (const auto& m : log->messages())
            n += m.message == WM_CLOSE && m.posted;
        return n;
    }

    CWinAppIni app;
    CWnd main;
    std::unique_ptr<helm::user::testing::MessageLog> log;
    std::vector<std::string> questions;
    std::vector<UINT> types;
    int answer = IDOK;
};

TEST_F(ResetConfig, WithoutConfirmationOnlyTheFlagChanges)
{
    app.F_ResetConfig(true, false);
    EXPECT_TRUE(app.F_GetResetState());
    app.F_ResetConfig(false, true);
    EXPECT_FALSE(app.F_GetResetState());
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(closes_posted(), 0);
}

TEST_F(ResetConfig, TheOperatorConfirmsOrCancels)
{
    answer = IDCANCEL;
    app.F_ResetConfig(true, true);
    EXPECT_FALSE(app.F_GetResetState());
    EXPECT_EQ(closes_posted(), 0);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], "To Restore its Default's Configuration, the Application will be Restarted.");
    EXPECT_EQ(types[0], static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));

    answer = IDOK;
    app.F_ResetConfig(true, true);
    EXPECT_TRUE(app.F_GetResetState());
    // The main window was told to close, by a posted message.
    EXPECT_EQ(closes_posted(), 1);
}

// The whole cycle in real processes: the program asks for the reset, ends,
// starts itself again with "/rtfd", and that run finds both its INI file
// and the toolkit's "Widgetry.ini" deleted before it reads a setting.
TEST(WinAppIni, ResetCycleRestartsTheProgramWithDefaults)
{
    helm::test::TempDir dir;
    const std::string program = dir.file("ResetProgram");
    ASSERT_TRUE(CopyFile((program_directory() + "toolkit_reset_program").c_str(), program.c_str(), FALSE));
    ASSERT_EQ(chmod(program.c_str(), 0755), 0);
    helm::test::write_file(dir.file("ResetProgram.ini"), "[Test]\r\nMarker=1\r\n");
    helm::test::write_file(dir.file("Widgetry.ini"), "[LANGUAGE TOOLS]\r\nLANGUAGE ID=0\r\n");
    const std::string report = dir.file("report.txt");
    // The copy lives away from the libraries it was built beside.
    setenv("LD_LIBRARY_PATH", program_directory().c_str(), 1);
    setenv("TOOLKIT_RESET_REPORT", report.c_str(), 1);

    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = "\"" + program + "\"";
    ASSERT_TRUE(CreateProcess(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    ASSERT_TRUE(helm::test::eventually(
        [&] { return helm::test::read_file(report).find("reset") != std::string::npos; }, 30000));
    EXPECT_EQ(helm::test::read_file(report), "first marker=1 widgetry=1\nreset marker=-1 widgetry=0\n");
    EXPECT_EQ(GetFileAttributes(dir.file("ResetProgram.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
