// The library's own application object: its profile lies beside the
// program that loaded the library, named after the library.

#include <gtest/gtest.h>

#include <string>

#include "CSetupdeskApp.h"

namespace {

TEST(SetupdeskApp, ItsProfileIsSetupdeskIniBesideTheProgram)
{
    char program[4096] = {0};
    ASSERT_GT(GetModuleFileName(nullptr, program, sizeof program), 0u);
    std::string expected = program;
    expected = expected.substr(0, expected.find_last_of('/') + 1) + "Setupdesk.ini";
    CSetupdeskApp& app = helm::sysdesc::library_app();
    ASSERT_NE(app.m_pszProfileName, nullptr);
    EXPECT_EQ(std::string(app.m_pszProfileName), expected);
    // It is the library's, not the program's, application object.
    EXPECT_NE(static_cast<CWinApp*>(&app), AfxGetApp());
}

}  // namespace
