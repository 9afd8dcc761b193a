// Controls hosted in dialogs: a template item naming a class id becomes the
// control in place, an unregistered one is left out and the dialog opens
// all the same, and a composite control hosts a further control from its
// own template. Every object is gone once the host closes.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "helm/gdi/pixel_checks.h"
#include "helm/testcontrol/test_control.h"
#include "helm/testcontrol/test_plugin.h"
#include "helm/user/snapshot.h"
#include "helm/user/testing/driver.h"
#include "hosting_test_ids.h"

namespace {

using helm::com::arg_bool;
using helm::com::arg_r8;
using helm::com::arg_ref;
using helm::com::arg_text;
using helm::com::arg_ui2;
using helm::com::ComPtr;
using helm::com::invoke_by_id;
using helm::com::Variant;
using helm::testcontrol::journal;
using helm::testcontrol::plugin_idle;
namespace driver = helm::user::testing;

INT_PTR CALLBACK plain_dialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class DialogHosting : public ::testing::Test {
protected:
    static void SetUpTestSuite() { helm::com::enable_control_hosting(); }
    void TearDown() override
    {
        if (IsWindow(m_dialog))
            DestroyWindow(m_dialog);
        helm::testcontrol::unregister_plugin();
        EXPECT_TRUE(plugin_idle()) << "the host's closing left a control alive";
    }
    HWND open(int id)
    {
        m_dialog = CreateDialogParam(nullptr, MAKEINTRESOURCE(id), nullptr, plain_dialog, 0);
        return m_dialog;
    }
    // The hosted control of an item, as IDispatch.
    static ComPtr<IDispatch> control_of(HWND item)
    {
        ComPtr<IUnknown> unknown;
        if (FAILED(AtlAxGetControl(item, unknown.put())))
            return nullptr;
        return unknown.query<IDispatch>();
    }
    static RECT in_parent(HWND window)
    {
        RECT r{};
        GetWindowRect(window, &r);
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND m_dialog = nullptr;
};

TEST_F(DialogHosting, ItemNamingAClassIdIsTheControlInPlace)
{
    ASSERT_TRUE(helm::testcontrol::register_plugin());
    ASSERT_NE(open(IDD_GRID_HOST), nullptr);
    HWND item = GetDlgItem(m_dialog, IDC_GRID);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(helm::com::is_missing_control(m_dialog, IDC_GRID));
    char name[64] = {};
    GetClassName(item, name, sizeof name);
    EXPECT_STREQ(name, helm::com::control_window_class);
    EXPECT_EQ(GetParent(item), m_dialog);
    EXPECT_TRUE(IsWindowVisible(item));

    // Placed from dialog units as any item; in template order, so between
    // the two edits for the keyboard too.
    RECT expected{10, 20, 110, 70};
    MapDialogRect(m_dialog, &expected);
    RECT got = in_parent(item);
    EXPECT_TRUE(EqualRect(&got, &expected)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    HWND before = GetDlgItem(m_dialog, IDC_BEFORE), after = GetDlgItem(m_dialog, IDC_AFTER);
    EXPECT_EQ(GetNextDlgTabItem(m_dialog, before, FALSE), item);
    EXPECT_EQ(GetNextDlgTabItem(m_dialog, item, FALSE), after);

    // Called by dispatch id through the dialog's item: a row number out,
    // 8-bit texts in, VT_BOOL as -1, and an 8-bit output written back.
    ComPtr<IDispatch> grid = control_of(item);
    ASSERT_TRUE(grid);
    USHORT row = 99;
    char label[] = "Heading", value[] = "---", unit[] = "\xB0";
    ASSERT_EQ(invoke_by_id(grid.get(), dispid_add_item, DISPATCH_METHOD,
                           {arg_ref(&row), arg_text(label), arg_text(value), arg_text(unit), arg_ui2(20), arg_r8(360),
                            arg_r8(0), arg_bool(true), arg_bool(false)}),
              S_OK);
    EXPECT_EQ(row, 0);
    char buffer[201];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(invoke_by_id(grid.get(), dispid_get_item_text, DISPATCH_METHOD, {arg_ui2(0), arg_text(buffer)}), S_OK);
    EXPECT_STREQ(buffer, "---");
    EXPECT_NE(journal(grid.get()).find("AddItem(Heading,---,\xB0,20,360,0,-1,0)=0"), std::string::npos);

    // Its window gets what a control gets: its size, the focus by Tab and
    // by a press, and it paints itself through the drawing layer.
    const LONG width = expected.right - expected.left, height = expected.bottom - expected.top;
    EXPECT_NE(journal(grid.get()).find("size(" + std::to_string(width) + "," + std::to_string(height) + ")"),
              std::string::npos);
    driver::focus(before);
    driver::press_tab();
    EXPECT_EQ(GetFocus(), item);
    driver::press_tab();
    EXPECT_EQ(GetFocus(), after);
    driver::click(item);
    EXPECT_EQ(GetFocus(), item);
    const std::string j = journal(grid.get());
    EXPECT_NE(j.find("focus\nunfocus\n"), std::string::npos) << j;
    EXPECT_NE(j.find("press(" + std::to_string(width / 2) + "," + std::to_string(height / 2) + ")\nfocus\n"),
              std::string::npos)
        << j;
    auto picture = helm::user::snapshot_window(m_dialog);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "com_hosted_control");
    RECT area = helm::user::rect_in_snapshot(m_dialog, item, true);
    EXPECT_TRUE(helm::gdi::testing::area_is(*picture, area, test_control_colour));

    // The dialog holds the control: closing it lets the object go once the
    // host lets go of its own reference.
    DestroyWindow(m_dialog);
    EXPECT_FALSE(IsWindow(item));
    EXPECT_FALSE(plugin_idle());
    grid.reset();
    EXPECT_TRUE(plugin_idle());
}

TEST_F(DialogHosting, UnregisteredControlIsLeftOutAndTheDialogOpens)
{
    auto check_left_out = [&] {
        ASSERT_NE(open(IDD_GRID_HOST), nullptr);
        EXPECT_TRUE(IsWindowVisible(m_dialog));
        EXPECT_EQ(GetDlgItem(m_dialog, IDC_GRID), nullptr);
        EXPECT_TRUE(helm::com::is_missing_control(m_dialog, IDC_GRID));
        EXPECT_FALSE(helm::com::is_missing_control(m_dialog, IDC_BEFORE));
        HWND before = GetDlgItem(m_dialog, IDC_BEFORE);
        EXPECT_EQ(GetNextDlgTabItem(m_dialog, before, FALSE), GetDlgItem(m_dialog, IDC_AFTER));
        HWND closed = m_dialog;
        DestroyWindow(m_dialog);
        EXPECT_FALSE(helm::com::is_missing_control(closed, IDC_GRID));
    };
    check_left_out();  // never registered

    ASSERT_TRUE(helm::testcontrol::register_plugin());
    ASSERT_NE(open(IDD_GRID_HOST), nullptr);
    EXPECT_NE(GetDlgItem(m_dialog, IDC_GRID), nullptr);
    DestroyWindow(m_dialog);

    ASSERT_TRUE(helm::testcontrol::unregister_plugin());
    check_left_out();  // registered once, no longer
}

TEST_F(DialogHosting, CompositeControlHostsAFurtherControlFromItsOwnTemplate)
{
    ASSERT_TRUE(helm::testcontrol::register_plugin());
    ASSERT_NE(open(IDD_PANEL_HOST), nullptr);
    HWND panel = GetDlgItem(m_dialog, IDC_PANEL);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(IsWindowVisible(panel));
    RECT expected{10, 20, 170, 100};
    MapDialogRect(m_dialog, &expected);
    RECT got = in_parent(panel);
    EXPECT_TRUE(EqualRect(&got, &expected));

    // The panel's own dialog holds the inner control, which the panel laid
    // out on its WM_SIZE and calls through its dual interface.
    HWND inner = GetDlgItem(panel, test_panel_inner_item);
    ASSERT_NE(inner, nullptr);
    RECT inner_rect = in_parent(inner);
    EXPECT_EQ(inner_rect.left, 4);
    EXPECT_EQ(inner_rect.right, expected.right - expected.left - 4);
    ComPtr<IDispatch> d = control_of(panel);
    ASSERT_TRUE(d);
    Variant ready;
    ASSERT_EQ(invoke_by_id(d.get(), dispid_panel_inner_ready, DISPATCH_PROPERTYGET, {}, &ready), S_OK);
    EXPECT_EQ(ready.boolVal, VARIANT_TRUE);
    char label[] = "Roll";
    ASSERT_EQ(invoke_by_id(d.get(), dispid_panel_add_row, DISPATCH_METHOD, {arg_text(label)}), S_OK);
    ComPtr<IDispatch> inner_control = control_of(inner);
    ASSERT_TRUE(inner_control);
    EXPECT_NE(journal(inner_control.get()).find("AddItem(Roll,---, ,20,0,0,0,0)=0"), std::string::npos);

    // The keyboard goes into the panel's dialog and out again.
    HWND before = GetDlgItem(m_dialog, IDC_BEFORE);
    driver::focus(before);
    driver::press_tab();
    EXPECT_EQ(GetFocus(), inner);
    driver::press_tab();
    EXPECT_EQ(GetFocus(), GetDlgItem(m_dialog, IDC_AFTER));

    auto picture = helm::user::snapshot_window(m_dialog);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "com_composite_control");
    EXPECT_TRUE(helm::gdi::testing::area_is(*picture, helm::user::rect_in_snapshot(m_dialog, inner, true),
                                            test_control_colour));

    // Closing the host takes both windows, then both objects.
    inner_control.reset();
    d.reset();
    DestroyWindow(m_dialog);
    EXPECT_FALSE(IsWindow(inner));
    EXPECT_TRUE(plugin_idle());
}

}  // namespace
