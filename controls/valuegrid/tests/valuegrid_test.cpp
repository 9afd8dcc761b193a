// The value grid as a host meets it: made by class id from a dialog
// template once registered, called by dispatch id, laid out by Rebuilt,
// painted in its row colours, and edited in place by the operator.

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "helm/com/testing/plugin.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "valuegrid/Valuegrid.h"
#include "valuegrid/ValuegridRows.h"
#include "valuegrid_test_ids.h"

inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* out)
{
    *out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}

namespace {

using helm::com::arg_bool;
using helm::com::arg_i4;
using helm::com::arg_r8;
using helm::com::arg_ref;
using helm::com::arg_text;
using helm::com::arg_ui2;
using helm::com::ComPtr;
using helm::com::invoke_by_id;
using helm::gdi::testing::count_of;
namespace driver = helm::user::testing;

const std::string plugin = HELM_VALUEGRID_FILE;

struct RowSpec {
    const char* label;
    const char* value;
    const char* unit;
    USHORT digits;
    bool editable = false;
};

class Valuegrid : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_host.emplace(plugin, IDD_VALUEGRID_HOST, IDC_VALUEGRID);
        ASSERT_TRUE(m_host->registered());
        m_dialog = m_host->dialog();
        m_window = m_host->item();
        ASSERT_NE(m_window, nullptr) << "the grid was not made from the template";
        m_grid = m_host->control<IValuegridCtrl>();
        m_dispatch = m_host->control<IDispatch>();
        m_rows = m_host->control<IValuegridRows>();
        ASSERT_TRUE(m_grid && m_dispatch && m_rows);
    }
    void TearDown() override
    {
        m_grid.reset();
        m_dispatch.reset();
        m_rows.reset();
        if (IsWindow(m_notify))
            DestroyWindow(m_notify);
        m_host.reset();
        EXPECT_TRUE(helm::com::testing::plugin_idle(plugin)) << "the host's closing left the grid alive";
    }

    // The grid's client area made exactly `width` x `height`.
    void size_grid(int width, int height) { MoveWindow(m_window, 6, 30, width, height, TRUE); }
    USHORT add(const RowSpec& spec, double max = 0, double min = 0, bool bounded = false)
    {
        USHORT row = 0xFFFF;
        std::string label = spec.label, value = spec.value, unit = spec.unit;
        EXPECT_EQ(m_grid->AddItem(&row, label.data(), value.data(), unit.data(), spec.digits, max, min,
                                  bounded ? VARIANT_TRUE : VARIANT_FALSE, spec.editable ? VARIANT_TRUE : VARIANT_FALSE),
                  S_OK);
        return row;
    }
    ValuegridRow row(USHORT item)
    {
        ValuegridRow r;
        EXPECT_EQ(m_rows->GetRow(item, &r), S_OK);
        return r;
    }
    std::string edited(USHORT item)
    {
        helm::com::Bstr text;
        EXPECT_EQ(m_grid->GetItemEditedString(item, text.put()), S_OK);
        return text.text();
    }
    static std::string text_of(HWND window)
    {
        char text[256] = {};
        GetWindowText(window, text, sizeof text);
        return text;
    }
    // A window that hears the item-changed message.
    HWND make_notify_window()
    {
        m_notify = CreateWindowEx(0, "Static", "notify", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        m_grid->SetNotifyWnd(static_cast<LONG>(reinterpret_cast<uintptr_t>(m_notify)));
        return m_notify;
    }
    static UINT item_changed_message() { return RegisterWindowMessage(valuegrid_item_changed_message); }

    std::optional<helm::com::testing::DialogHost> m_host;
    HWND m_dialog = nullptr;
    HWND m_window = nullptr;
    HWND m_notify = nullptr;
    ComPtr<IValuegridCtrl> m_grid;
    ComPtr<IDispatch> m_dispatch;
    ComPtr<IValuegridRows> m_rows;
};

TEST_F(Valuegrid, EachDispatchIdReachesItsMember)
{
    // The rows a host adds by dispatch id, as the data viewer's wrapper does.
    USHORT first = 99, second = 99;
    char label[] = "Heading", value[] = "---", unit[] = "\xB0";
    ASSERT_EQ(invoke_by_id(m_dispatch.get(), dispid_valuegrid_add_item, DISPATCH_METHOD,
                           {arg_ref(&first), arg_text(label), arg_text(value), arg_text(unit), arg_ui2(20),
                            arg_r8(360), arg_r8(0), arg_bool(true), arg_bool(false)}),
              S_OK);
    char roll[] = "Roll", typed[] = "5";
    ASSERT_EQ(invoke_by_id(m_dispatch.get(), dispid_valuegrid_add_item, DISPATCH_METHOD,
                           {arg_ref(&second), arg_text(roll), arg_text(typed), arg_text(unit), arg_ui2(6),
                            arg_r8(180), arg_r8(-180), arg_bool(false), arg_bool(true)}),
              S_OK);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    ValuegridRow r0 = row(0), r1 = row(1);
    EXPECT_EQ(r0.label, "Heading");
    EXPECT_EQ(r0.value, "---");
    EXPECT_EQ(r0.unit, "\xB0");
    EXPECT_EQ(r0.digits, 20);
    EXPECT_TRUE(r0.bounded);
    EXPECT_EQ(r0.maximum, 360);
    EXPECT_EQ(r0.minimum, 0);
    EXPECT_FALSE(r0.edit_mode);
    // An unbounded row keeps no limits; an editable row shows no value.
    EXPECT_FALSE(r1.bounded);
    EXPECT_EQ(r1.maximum, 0);
    EXPECT_EQ(r1.minimum, 0);
    EXPECT_TRUE(r1.edit_mode);
    EXPECT_EQ(r1.value, "");

    char text[] = "123.4";
    struct Case {
        DISPID id;
        std::vector<VARIANT> args;
        HRESULT expected;
    };
    const Case cases[] = {
        {dispid_valuegrid_set_item_value, {arg_ui2(0), arg_text(text)}, S_OK},
        {dispid_valuegrid_set_item_label, {arg_ui2(0), arg_text(roll)}, S_OK},
        {dispid_valuegrid_set_item_unit, {arg_ui2(0), arg_text(label)}, S_OK},
        {dispid_valuegrid_set_item_visible, {arg_ui2(0), arg_bool(false)}, S_OK},
        {dispid_valuegrid_set_item_state, {arg_ui2(0), arg_bool(false)}, S_OK},
        {dispid_valuegrid_set_item_edit, {arg_ui2(0), arg_bool(true)}, S_OK},
        {dispid_valuegrid_rebuilt, {}, S_OK},
        {dispid_valuegrid_item_edited, {arg_ui2(0), arg_i4(1)}, E_NOTIMPL},
        {dispid_valuegrid_set_item_edit_read_only, {arg_ui2(1), arg_bool(true)}, S_OK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(invoke_by_id(m_dispatch.get(), c.id, DISPATCH_METHOD, c.args), c.expected) << c.id;
    r0 = row(0);
    EXPECT_EQ(r0.value, "123.4");
    EXPECT_EQ(r0.edited, "123.4");
    EXPECT_EQ(r0.label, "Roll");
    EXPECT_EQ(r0.unit, "Heading") << "SetItemUnit writes the unit";
    EXPECT_FALSE(r0.visible);
    EXPECT_FALSE(r0.state);
    EXPECT_TRUE(r0.edit_mode);
    EXPECT_EQ(text_of(r0.edit), "") << "entering edit mode clears the box";
    EXPECT_TRUE(GetWindowLong(row(1).edit, GWL_STYLE) & ES_READONLY);

    ULONG message = 0;
    EXPECT_EQ(invoke_by_id(m_dispatch.get(), dispid_valuegrid_get_item_changed_msg, DISPATCH_METHOD,
                           {arg_ref(&message)}),
              S_OK);
    EXPECT_EQ(message, item_changed_message());
    BSTR out = nullptr;
    EXPECT_EQ(invoke_by_id(m_dispatch.get(), dispid_valuegrid_get_item_edited_string, DISPATCH_METHOD,
                           {arg_ui2(0), arg_ref(&out)}),
              S_OK);
    EXPECT_EQ(helm::com::text_from_bstr(out), "123.4");
    SysFreeString(out);
    EXPECT_EQ(invoke_by_id(m_dispatch.get(), dispid_valuegrid_set_notify_wnd, DISPATCH_METHOD, {arg_i4(0)}), S_OK);

    // A row number at or past the number of rows changes nothing.
    for (const Case& c : cases) {
        if (c.args.empty())
            continue;
        std::vector<VARIANT> args = c.args;
        args[0] = arg_ui2(2);
        EXPECT_EQ(invoke_by_id(m_dispatch.get(), c.id, DISPATCH_METHOD, args),
                  c.expected == E_NOTIMPL ? E_NOTIMPL : E_INVALIDARG)
            << c.id;
    }
    EXPECT_EQ(m_grid->GetItemEditedString(2, &out), E_INVALIDARG);
    EXPECT_EQ(m_rows->RowCount(), 2);
}

TEST_F(Valuegrid, RebuiltLaysTheVisibleRowsOut)
{
    struct Case {
        const char* name;
        int width, height;
        std::vector<RowSpec> rows;
        int row_height;  // each row's height (all alike)
        int font;
        int value_left, unit_left;
    };
    const Case cases[] = {
        // 96 x 196 inside the margins; 20 characters across give 9 pixels.
        {"three rows", 200, 100, {{"Heading", "1", "deg", 10}, {"Roll", "2", "deg", 10}, {"Pitch", "3", "m", 10}},
         32, 9, 81, 171},
        // A remainder makes every row one pixel taller.
        {"remainder", 200, 101, {{"Heading", "1", "deg", 10}, {"Roll", "2", "deg", 10}, {"Pitch", "3", "m", 10}},
         33, 9, 81, 171},
        // Rows lower than 12 pixels become 14 and pass the bottom.
        {"ten low rows", 200, 100,
         {{"a", "", "", 2}, {"b", "", "", 2}, {"c", "", "", 2}, {"d", "", "", 2}, {"e", "", "", 2},
          {"f", "", "", 2}, {"g", "", "", 2}, {"h", "", "", 2}, {"i", "", "", 2}, {"j", "", "", 2}},
         14, 10, 178, 198},
        // Nothing to fit across: the height alone sizes the font.
        {"no text at all", 200, 100, {{"", "", "", 0}, {"", "", "", 0}}, 48, 36, 198, 198},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        size_grid(c.width, c.height);
        for (const RowSpec& spec : c.rows)
            add(spec);
        ASSERT_EQ(m_grid->Rebuilt(), S_OK);
        EXPECT_EQ(m_rows->FontSize(), c.font);
        for (USHORT i = 0; i < c.rows.size(); ++i) {
            ValuegridRow r = row(i);
            const int top = i * c.row_height;
            EXPECT_EQ(r.label_rect, (RECT{2, top, c.value_left, top + c.row_height})) << i;
            EXPECT_EQ(r.value_rect, (RECT{c.value_left, top, c.unit_left, top + c.row_height})) << i;
            EXPECT_EQ(r.unit_rect, (RECT{c.unit_left, top, c.width - 2, top + c.row_height})) << i;
        }
    }
}

TEST_F(Valuegrid, EditBoxSitsOverTheRightHalfOfTheValueWhileEditing)
{
    size_grid(200, 100);
    add({"Heading", "1", "deg", 10});
    const USHORT editable = add({"Roll", "2", "deg", 10, true});
    add({"Pitch", "3", "m", 10});
    m_grid->Rebuilt();
    ValuegridRow r = row(editable);
    ASSERT_NE(r.edit, nullptr);
    EXPECT_TRUE(IsWindowVisible(r.edit));
    EXPECT_FALSE(IsWindowVisible(row(0).edit));
    // Value rectangle (81, 32, 171, 64): u = 6, x = 126.
    EXPECT_EQ(helm::user::rect_in_snapshot(m_window, r.edit),
              (RECT{126, 38, 171, 58}));
    // Hidden, the row's box goes too; the rows after it keep their numbers.
    m_grid->SetItemVisible(editable, VARIANT_FALSE);
    m_grid->Rebuilt();
    EXPECT_FALSE(IsWindowVisible(r.edit));
    EXPECT_EQ(row(2).label_rect.top, 48);
    char value[] = "7.5";
    EXPECT_EQ(m_grid->SetItemValue(2, value), S_OK);
    EXPECT_EQ(row(2).value, "7.5");
}

TEST_F(Valuegrid, RowStatesPaintValueAndUnitInTheirColours)
{
    size_grid(200, 100);
    add({"Heading", "359.9", "deg", 10});
    add({"Roll", "-12.5", "deg", 10});
    add({"Pitch", "4.0", "deg", 10, true});
    m_grid->SetItemState(1, VARIANT_FALSE);
    m_grid->Rebuilt();
    auto picture = helm::user::snapshot_window(m_dialog);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "valuegrid_states");
    const RECT client = helm::user::rect_in_snapshot(m_dialog, m_window, true);
    auto in_picture = [&](RECT r) {
        OffsetRect(&r, client.left, client.top);
        return r;
    };
    constexpr COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0), black = RGB(0, 0, 0);
    EXPECT_TRUE(helm::gdi::testing::pixel_is(*picture, client.left, client.top, black));
    for (USHORT i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const ValuegridRow r = row(i);
        const COLORREF ink = r.state ? white : red, other = r.state ? red : white;
        EXPECT_GT(count_of(*picture, in_picture(r.label_rect), white, 40), 0);
        EXPECT_EQ(count_of(*picture, in_picture(r.label_rect), red, 40), 0);
        for (RECT cell : {r.value_rect, r.unit_rect}) {
            EXPECT_GT(count_of(*picture, in_picture(cell), ink, 40), 0);
            EXPECT_EQ(count_of(*picture, in_picture(cell), other, 40), 0);
        }
    }
    // A row in edit mode paints no value: only its box shows there.
    RECT value = row(2).value_rect;
    value.right = value.left + (value.right - value.left) / 2;
    EXPECT_EQ(helm::gdi::testing::ink_count(*picture, in_picture(value), black), 0);
}

TEST_F(Valuegrid, OperatorEditsAValueInPlace)
{
    size_grid(200, 100);
    add({"Heading", "1", "deg", 10});
    const USHORT editable = add({"Speed", "", "kn", 10, true});
    m_grid->Rebuilt();
    HWND box = row(editable).edit;
    HWND notify = make_notify_window();
    driver::MessageLog log(notify);

    driver::click(box);
    ASSERT_EQ(GetFocus(), box);
    // Only the characters of a number are taken; the keys move the caret.
    driver::type("x12.5a");
    EXPECT_EQ(text_of(box), "12.5");
    driver::press(VK_LEFT);
    driver::press(VK_DELETE);
    driver::type("7");
    driver::press(VK_HOME);
    driver::type("3");
    driver::press(VK_END);
    driver::press(VK_BACK);
    driver::type("9");
    EXPECT_EQ(text_of(box), "312.9");
    EXPECT_TRUE(log.only({item_changed_message()}).empty()) << "nothing is told while typing";
    auto picture = helm::user::snapshot_window(m_dialog);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "valuegrid_editing");

    // Return commits the value, without a line break in it.
    driver::press_enter();
    EXPECT_EQ(text_of(box), "312.9");
    EXPECT_EQ(edited(editable), "312.9");
    std::vector<driver::LoggedMessage> told;
    for (const auto& m : log.messages())
        if (m.message == item_changed_message())
            told.push_back(m);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].posted);
    EXPECT_EQ(told[0].wParam, editable);
    EXPECT_EQ(told[0].lParam, 0);

    // Leaving the box without typing again tells nothing more.
    log.clear();
    driver::focus(GetDlgItem(m_dialog, IDC_VALUEGRID_BEFORE));
    EXPECT_TRUE(log.only({item_changed_message()}).empty());

    // A host's value waits while the row is in edit mode.
    char host_value[] = "1.0";
    EXPECT_EQ(m_grid->SetItemValue(editable, host_value), S_OK);
    EXPECT_EQ(text_of(box), "312.9");

    // Read-only, the box takes no typing.
    m_grid->SetItemEditReadOnly(editable, VARIANT_TRUE);
    driver::click(box);
    driver::type("4");
    EXPECT_EQ(text_of(box), "312.9");
    m_grid->SetItemEditReadOnly(editable, VARIANT_FALSE);
    driver::type("4");
    EXPECT_EQ(text_of(box), "312.94");

    // Leaving after typing tells once; SetItemEdit on a row in edit mode
    // keeps what was typed.
    driver::focus(GetDlgItem(m_dialog, IDC_VALUEGRID_BEFORE));
    EXPECT_EQ(log.only({item_changed_message()}).size(), 1u);
    EXPECT_EQ(edited(editable), "312.94");
    m_grid->SetItemEdit(editable, VARIANT_TRUE);
    EXPECT_EQ(text_of(box), "312.94");
}

TEST_F(Valuegrid, WithoutANotifyWindowTheEditedTextStillFollows)
{
    size_grid(200, 60);
    const USHORT editable = add({"Depth", "", "m", 8, true});
    m_grid->Rebuilt();
    HWND box = row(editable).edit;
    driver::click(box);
    driver::type("42");
    driver::press_enter();
    EXPECT_EQ(edited(editable), "42");
    EXPECT_FALSE(SendMessage(box, EM_GETMODIFY, 0, 0)) << "the modification flag is cleared";
    // Out of edit mode, the host's value shows again and fills the box.
    m_grid->SetItemEdit(editable, VARIANT_FALSE);
    char value[] = "40.5";
    m_grid->SetItemValue(editable, value);
    EXPECT_EQ(row(editable).value, "40.5");
    EXPECT_EQ(text_of(box), "40.5");
    EXPECT_EQ(edited(editable), "40.5");
}

}  // namespace
