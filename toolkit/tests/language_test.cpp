#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "helm/kernel/process.h"
#include "toolkit/CLanguageTools.h"
#include "toolkit/CStringLang.h"
#include "toolkit/WidgetryFunctions.h"
#include "toolkit/WidgetryRes.h"
#include "toolkit_fixture.h"
#include "toolkit_test_ids.h"

namespace {

using toolkit_test::LanguageChoice;

CString text_of(CWnd& dialog, int id)
{
    CString text;
    dialog.GetDlgItemText(id, text);
    return text;
}

// Sets an environment variable for the test's life.
class Environment {
public:
    Environment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old, m_had = true;
        setenv(name, value, 1);
    }
    ~Environment()
    {
        if (m_had)
            setenv(m_name, m_old.c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

// The statics of a dialog carry placeholders; their ids are string ids.
TEST(LanguageTools, ChoiceSwitchesADialogBetweenEnglishAndFrench)
{
    LanguageChoice language;
    CDialog dialog(IDD_TEST_LANGUAGE);
    ASSERT_TRUE(dialog.Create(IDD_TEST_LANGUAGE));

    struct Case {
        int languageId;
        const char* title;
    };
    // 7 is neither French nor English: the system's language, here French.
    Environment system_language("LC_ALL", "fr_FR.UTF-8");
    for (const Case& c : {Case{1, "Protocol"}, Case{0, "Protocole"}, Case{7, "Protocole"}, Case{1, "Protocol"}}) {
        language.set(c.languageId);
        CLanguageTools::F_ProcessWindow(&dialog);
        EXPECT_EQ(text_of(dialog, IDC_TEST_TITLE), c.title) << c.languageId;
        // A text missing in the chosen language comes in English, then French.
        EXPECT_EQ(text_of(dialog, IDC_TEST_ENGLISH_ONLY), "Only in English");
        EXPECT_EQ(text_of(dialog, IDC_TEST_FRENCH_ONLY), "Seulement en fran\xE7" "ais");
        // Notes for translators and missing strings leave the text alone.
        EXPECT_EQ(text_of(dialog, IDC_TEST_COMMENT), "Kept");
        EXPECT_EQ(text_of(dialog, IDC_TEST_UNTRANSLATED), "Placeholder");
    }
    dialog.DestroyWindow();
}

TEST(LanguageTools, WithoutAChoiceTextsAreEnglish)
{
    LanguageChoice language;  // an empty profile
    CStringLang text;
    EXPECT_TRUE(text.LoadString(IDC_TEST_TITLE));
    EXPECT_EQ(text, "Protocol");
    EXPECT_FALSE(text.LoadString(IDC_TEST_UNTRANSLATED));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(LanguageTools, LoadersFallBackToTheResourceChainAndCutTheModuleForm)
{
    LanguageChoice language;
    language.set(0);
    // A string of an extension library in the chain, missing in the module
    // of the current state, comes from the library in the chosen language,
    // for CStringLang and for the windows CLanguageTools translates.
    HMODULE toolkit = GetModuleHandle("helm_toolkit");
    ASSERT_NE(toolkit, nullptr);
    CStringLang text;
    EXPECT_FALSE(text.LoadString(IDS_SHORTCUTS_KEY));
    CDialog dialog(IDD_TEST_LANGUAGE);
    ASSERT_TRUE(dialog.Create(IDD_TEST_LANGUAGE));
    HWND label = ::CreateWindowEx(0, "Static", "Placeholder", WS_CHILD, 0, 0, 10, 10, dialog.m_hWnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDS_SHORTCUTS_KEY)), nullptr, nullptr);
    CLanguageTools::F_ProcessWindow(&dialog);
    EXPECT_EQ(text_of(dialog, IDS_SHORTCUTS_KEY), "Placeholder");
    {
        CDynLinkLibrary chain(toolkit, toolkit);
        EXPECT_TRUE(text.LoadString(IDS_SHORTCUTS_KEY));
        EXPECT_EQ(text, "Touche");
        CLanguageTools::F_ProcessWindow(&dialog);
        EXPECT_EQ(text_of(dialog, IDS_SHORTCUTS_KEY), "Touche");
        language.set(1);
        EXPECT_TRUE(text.LoadString(IDS_SHORTCUTS_KEY));
        EXPECT_EQ(text, "Key");
        language.set(0);
    }
    ::DestroyWindow(label);
    dialog.DestroyWindow();
    // Naming the module asks it in the chosen language.
    EXPECT_TRUE(text.LoadString(toolkit, IDS_SHORTCUTS_KEY));
    EXPECT_EQ(text, "Touche");

    EXPECT_TRUE(text.LoadStringA(IDS_TEST_LONG));  // both spellings are the loader
    EXPECT_EQ(text.GetLength(), 600);
    EXPECT_TRUE(text.LoadString(AfxGetResourceHandle(), IDS_TEST_LONG));
    EXPECT_EQ(text.GetLength(), 499);
}

TEST(LanguageTools, AppLoadStringNamesTheCallingApplication)
{
    LanguageChoice language;
    CWinApp app("Helmsight");
    app.SetCurrentHandles();
    CString out = "unchanged";
    AppLoadString(out, IDS_ABOUT_TITLE);
    EXPECT_EQ(out, "About Helmsight");
    language.set(0);
    AppLoadString(out, IDS_ABOUT_TITLE);
    EXPECT_EQ(out, "\xC0 propos de Helmsight");
    out = "unchanged";
    AppLoadString(out, 4321);
    EXPECT_EQ(out, "unchanged");
}

}  // namespace
