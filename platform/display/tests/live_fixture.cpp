#include "live_fixture.h"

#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"

namespace live_test {

helm::display::testing::Xvfb* LiveDisplayTest::s_server = nullptr;

void LiveDisplayTest::SetUpTestSuite() { s_server = new helm::display::testing::Xvfb(); }

void LiveDisplayTest::TearDownTestSuite()
{
    delete s_server;
    s_server = nullptr;
}

void LiveDisplayTest::SetUp()
{
    if (!s_server->started())
        GTEST_SKIP() << "Xvfb cannot start, so the live display is not tested: " << s_server->failure();
    m_screen = helm::display::open_x11_screen(display_name().c_str());
    ASSERT_NE(m_screen, nullptr) << "no connection to " << display_name();
    helm::user::set_screen(m_screen);
    m_client = std::make_unique<helm::display::testing::XClient>(display_name());
    ASSERT_TRUE(m_client->connected());
}

void LiveDisplayTest::TearDown()
{
    for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
        if (IsWindow(*it))
            DestroyWindow(*it);
    helm::user::testing::pump_until_idle();
    m_client.reset();
    helm::user::set_screen(nullptr);
    m_screen.reset();
}

bool LiveDisplayTest::act(const std::vector<std::string>& arguments)
{
    return helm::display::testing::xdotool(display_name(), arguments) == 0;
}

std::shared_ptr<helm::gdi::Surface> LiveDisplayTest::screen_after_painting(HWND window)
{
    helm::user::paint_pending(window);
    helm::user::testing::pump_until_idle();
    if (!m_screen->sync())
        return nullptr;
    return helm::display::testing::screenshot(display_name());
}

bool register_test_class(const char* name, WNDPROC procedure, UINT style)
{
    WNDCLASS wc{};
    if (GetClassInfo(nullptr, name, &wc))
        return true;
    wc.lpfnWndProc = procedure;
    wc.style = style;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = name;
    return RegisterClass(&wc) != 0;
}

std::vector<std::string> centre_of(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {std::to_string((r.left + r.right) / 2), std::to_string((r.top + r.bottom) / 2)};
}

}  // namespace live_test
