// What the tests of Helmdialogs share: the real plug-ins registered in the
// test's station, a main window that hosts the dialogs and hears what they
// post, and the language choice.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "afxwin.h"
#include "helm/com/testing/plugin.h"
#include "helm/user/testing/driver.h"
#include "toolkit/testing/profiles.h"

namespace dialogs_test {

inline const std::string valuegrid_plugin = HELM_VALUEGRID_FILE;
inline const std::string journalview_plugin = HELM_JOURNALVIEW_FILE;
inline const std::string recorder_plugin = HELM_RECORDER_FILE;

// A test whose dialogs are children of a main window (the application's,
// so what they post to the main window reaches it), with `plugins`
// registered for its length; every object of them is gone at its end.
class WithMainWindow : public ::testing::Test {
protected:
    explicit WithMainWindow(std::vector<std::string> plugins) : m_plugins(std::move(plugins)) {}
    static void SetUpTestSuite() { AfxEnableControlContainer(); }
    void SetUp() override
    {
        for (const std::string& plugin : m_plugins)
            ASSERT_TRUE(helm::com::testing::register_plugin(plugin)) << plugin;
        LPCSTR face = AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        ASSERT_TRUE(m_main.CreateEx(0, face, "Helmsight", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                                    nullptr));
        m_app.SetCurrentHandles();
        m_app.m_pMainWnd = &m_main;
        m_log = std::make_unique<helm::user::testing::MessageLog>(m_main.m_hWnd);
    }
    void TearDown() override
    {
        closing();
        m_log.reset();
        m_app.m_pMainWnd = nullptr;
        m_main.DestroyWindow();
        for (const std::string& plugin : m_plugins) {
            helm::com::testing::unregister_plugin(plugin);
            EXPECT_TRUE(helm::com::testing::plugin_idle(plugin)) << plugin << " kept an object";
        }
    }
    // The dialogs of the test go here, before the main window.
    virtual void closing() {}

    // The (wParam, lParam) pairs of `message` posted to the main window.
    std::vector<std::pair<WPARAM, LPARAM>> posted(UINT message) const
    {
        std::vector<std::pair<WPARAM, LPARAM>> out;
        for (const auto& m : m_log->messages())
            if (m.message == message && m.posted)
                out.emplace_back(m.wParam, m.lParam);
        return out;
    }

    CWinApp m_app{"Helmsight"};
    CWnd m_main;
    std::unique_ptr<helm::user::testing::MessageLog> m_log;
    helm::toolkit::testing::LanguageChoice m_language;

private:
    std::vector<std::string> m_plugins;
};

}  // namespace dialogs_test
