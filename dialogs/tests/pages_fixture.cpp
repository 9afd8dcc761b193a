#include "pages_fixture.h"

namespace driver = helm::user::testing;

namespace dialogs_test {

std::string text_of(HWND control)
{
    char text[1024] = {};
    ::GetWindowText(control, text, sizeof text);
    return text;
}

std::vector<std::string> entries_of(HWND list)
{
    std::vector<std::string> out;
    const int count = static_cast<int>(::SendMessage(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        ::SendMessage(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

void PagesTest::fill_empty_lists(C_Q_DialogRubrique& page) const
{
    for (HWND child = ::GetWindow(page.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        ::GetClassName(child, name, sizeof name);
        if (std::string(name) != "ComboBox" || ::SendMessage(child, CB_GETCOUNT, 0, 0) > 0)
            continue;
        for (const char* entry : {"first", "second", "third"})
            ::SendMessage(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
}

std::vector<std::pair<WPARAM, LPARAM>> PagesTest::act(C_Q_DialogRubrique& page, const Trigger& trigger)
{
    m_log->clear();
    HWND control = item(page, trigger.control);
    EXPECT_NE(control, nullptr) << "no control " << trigger.control;
    if (!control)
        return {};
    switch (trigger.kind) {
    case Trigger::pick: EXPECT_TRUE(driver::pick_combo_entry(control, trigger.entry)); break;
    case Trigger::click: driver::click(control); break;
    case Trigger::type_and_leave:
    case Trigger::leave_empty:
        driver::focus(control);
        ::SendMessage(control, EM_SETSEL, 0, -1);
        driver::type(trigger.kind == Trigger::leave_empty ? "\b" : trigger.text);
        driver::focus(m_main.m_hWnd);
        break;
    case Trigger::type_each:
    case Trigger::fill:
        driver::focus(control);
        ::SendMessage(control, EM_SETSEL, 0, -1);
        driver::type(trigger.text);
        break;
    case Trigger::ip_field:
        driver::click(control);
        driver::type("10.");
        break;
    }
    driver::pump_until_idle();
    return posted(C_Q_DialogRubrique::F_GetValidateMsg());
}

void PagesTest::expect_triggers(C_Q_DialogRubrique& page, const std::vector<Trigger>& triggers)
{
    for (const Trigger& t : triggers) {
        SCOPED_TRACE("control " + std::to_string(t.control) + ", action " + std::to_string(t.kind));
        const auto told = act(page, t);
        if (t.group < 0) {
            EXPECT_TRUE(told.empty()) << "posted " << told.size();
            continue;
        }
        ASSERT_FALSE(told.empty()) << "nothing posted";
        for (const auto& [group, window] : told) {
            EXPECT_EQ(group, static_cast<WPARAM>(t.group));
            EXPECT_EQ(window, reinterpret_cast<LPARAM>(page.m_hWnd));
        }
    }
}

}  // namespace dialogs_test
