#include "views_fixture.h"

#include <commctrl.h>

#include "helm/user/testing/driver.h"

namespace views_test {

LRESULT CALLBACK ViewsTest::parent_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        s_commands.push_back({reinterpret_cast<HWND>(lParam), HIWORD(wParam)});
        return 0;
    }
    if (message != WM_NOTIFY)
        return DefWindowProc(window, message, wParam, lParam);
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    Heard h;
    h.from = hdr->hwndFrom;
    h.id = hdr->idFrom;
    h.code = hdr->code;
    char cls[64] = {};
    GetClassName(hdr->hwndFrom, cls, sizeof cls);
    const std::string kind = cls;
    if (h.code == NM_CUSTOMDRAW) {
        auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
        h.stage = cd->dwDrawStage;
        h.spec = cd->dwItemSpec;
        h.item_state = cd->uItemState;
        h.item_data = cd->lItemlParam;
        if (kind == WC_TREEVIEW) {
            h.text = reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)->clrText;
            h.back = reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)->clrTextBk;
        } else if (kind == WC_LISTVIEW) {
            h.text = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)->clrText;
            h.back = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)->clrTextBk;
            h.sub_item = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)->iSubItem;
        }
    } else if (kind == WC_TREEVIEW && h.code <= TVN_FIRST && h.code >= TVN_LAST && h.code != TVN_GETDISPINFO &&
               h.code != TVN_SETDISPINFO && h.code != TVN_KEYDOWN) {
        // Only these carry a whole NMTREEVIEW.
        auto* tv = reinterpret_cast<NMTREEVIEW*>(lParam);
        h.action = tv->action;
        h.old_item = tv->itemOld.hItem;
        h.new_item = tv->itemNew.hItem;
    } else if (kind == WC_LISTVIEW && h.code <= LVN_FIRST && h.code >= LVN_LAST && h.code != LVN_GETDISPINFO &&
               h.code != LVN_SETDISPINFO && h.code != LVN_KEYDOWN && h.code != LVN_GETINFOTIP) {
        auto* lv = reinterpret_cast<NMLISTVIEW*>(lParam);
        h.item = lv->iItem;
        h.sub_item = lv->iSubItem;
        h.new_state = lv->uNewState;
        h.old_state = lv->uOldState;
        h.changed = lv->uChanged;
    } else if (kind == WC_LISTVIEW && (h.code == NM_CLICK || h.code == NM_DBLCLK)) {
        auto* act = reinterpret_cast<NMITEMACTIVATE*>(lParam);
        h.item = act->iItem;
        h.sub_item = act->iSubItem;
    } else if (h.code <= HDN_FIRST && h.code >= HDN_LAST) {
        auto* hd = reinterpret_cast<NMHEADER*>(lParam);
        h.item = hd->iItem;
        if (hd->pitem && (hd->pitem->mask & HDI_WIDTH))
            h.width = hd->pitem->cxy;
    }
    s_heard.push_back(h);
    return s_answer ? s_answer(hdr) : 0;
}

void ViewsTest::SetUp()
{
    static const bool registered = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = parent_proc;
        wc.lpszClassName = "ViewsTestParent";
        return RegisterClass(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    s_heard.clear();
    s_commands.clear();
    s_answer = nullptr;
    m_parent = CreateWindowEx(0, "ViewsTestParent", "parent", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(m_parent, nullptr);
}

void ViewsTest::TearDown()
{
    s_answer = nullptr;
    if (IsWindow(m_parent))
        DestroyWindow(m_parent);
    helm::user::testing::pump_until_idle();
    s_heard.clear();
}

HWND ViewsTest::make(const char* cls, DWORD style, int id, RECT r)
{
    HWND w = CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, m_parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr,
                            nullptr);
    EXPECT_NE(w, nullptr) << cls;
    return w;
}

std::vector<UINT> ViewsTest::codes(HWND from) const
{
    std::vector<UINT> out;
    for (const Heard& h : s_heard)
        if (h.from == from && h.code != NM_CUSTOMDRAW)
            out.push_back(h.code);
    return out;
}

std::vector<Heard> ViewsTest::heard(UINT code) const
{
    std::vector<Heard> out;
    for (const Heard& h : s_heard)
        if (h.code == code)
            out.push_back(h);
    return out;
}

POINT ViewsTest::screen(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

}  // namespace views_test
