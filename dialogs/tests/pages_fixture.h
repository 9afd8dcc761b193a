// What the tests of the settings pages share: a page made as a child of
// the main window and shown, the operator's actions on its controls, and
// the VALIDATE and EXPAND messages it posts to its host.
#pragma once

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/C_Q_DialogRubrique.h"
#include "dialogs_fixture.h"

namespace dialogs_test {

// A host's table of names: "name 0", "name 1", ...
struct NameTable {
    explicit NameTable(const char* stem = "name")
    {
        for (int i = 0; i < 64; ++i)
            std::snprintf(cells[i], sizeof cells[i], "%s %d", stem, i);
    }
    C_Q_ListTable* get() { return &cells; }
    C_Q_ListTable cells{};
};

// What the operator does to one control, and the group the page posts for
// it (-1: nothing is posted).
struct Trigger {
    enum Kind { pick, click, type_and_leave, leave_empty, type_each, fill, ip_field };
    Kind kind;
    int control;
    int group;
    const char* text = "12";  // typed, for the edits
    int entry = 0;            // picked, for the lists
};

class PagesTest : public WithMainWindow {
protected:
    PagesTest() : WithMainWindow({valuegrid_plugin}) {}
    void closing() override { m_pages.clear(); }

    // The page made from its own template as a child of the main window,
    // placed at `top` and shown.
    template <class Page>
    Page& open(std::unique_ptr<Page> made, int top = 0)
    {
        Page& page = *made;
        EXPECT_TRUE(page.Create(page.m_lpszTemplateName, &m_main));
        CRect rect;
        page.GetWindowRect(&rect);
        page.MoveWindow(0, top, rect.Width(), rect.Height());
        page.ShowWindow(SW_SHOW);
        m_pages.push_back(std::move(made));
        return page;
    }
    HWND item(C_Q_DialogRubrique& page, int id) const { return ::GetDlgItem(page.m_hWnd, id); }
    // Every list of the page that the host has not filled gets three names.
    void fill_empty_lists(C_Q_DialogRubrique& page) const;
    // Acts on the control as the operator would; the validate messages
    // posted meanwhile, as (group, page window) pairs.
    std::vector<std::pair<WPARAM, LPARAM>> act(C_Q_DialogRubrique& page, const Trigger& trigger);
    // Checks every trigger of a page: the group posted, once or more, each
    // naming the page; nothing for a group of -1.
    void expect_triggers(C_Q_DialogRubrique& page, const std::vector<Trigger>& triggers);

    std::vector<std::unique_ptr<C_Q_DialogRubrique>> m_pages;
};

// The text of a page's control.
std::string text_of(HWND control);
// The entries of a list box or combo box.
std::vector<std::string> entries_of(HWND list);

}  // namespace dialogs_test
