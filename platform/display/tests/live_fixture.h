// For the live display's tests: one private Xvfb for the test program, and
// for each test a display of its own on it, installed as the layer's screen,
// and another client of the server (as a window manager or another program
// would be). A test is skipped only when Xvfb cannot start.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "helm/display/display.h"
#include "helm/display/testing/x_client.h"
#include "helm/display/testing/xvfb.h"

namespace live_test {

class LiveDisplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static const std::string& display_name() { return s_server->name(); }
    // xdotool on the test's display; true when it ran and succeeded.
    static bool act(const std::vector<std::string>& arguments);
    // Paints what is due in the window, waits until its pixels reached the
    // server, then pictures the X screen.
    std::shared_ptr<helm::gdi::Surface> screen_after_painting(HWND window);

    // A window to destroy at the end of the test.
    HWND keep(HWND window)
    {
        m_windows.push_back(window);
        return window;
    }

    static helm::display::testing::Xvfb* s_server;
    std::shared_ptr<helm::display::LiveScreen> m_screen;
    std::unique_ptr<helm::display::testing::XClient> m_client;
    std::vector<HWND> m_windows;
};

// Registers a window class of a test once (on the window colour); true when
// it is there.
bool register_test_class(const char* name, WNDPROC procedure, UINT style = 0);

// Screen coordinates of a window's centre, as xdotool takes them.
std::vector<std::string> centre_of(HWND window);

}  // namespace live_test
