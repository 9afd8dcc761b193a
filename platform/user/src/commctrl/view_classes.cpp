#include "view_classes.h"

#include "common.h"
#include "header_control.h"
#include "list_view.h"
#include "rich_edit.h"
#include "tree_view.h"

namespace helm::user::commctrl {

void register_view_classes()
{
    struct Row {
        const char* name;
        WNDPROC proc;
        UINT style;
    };
    const Row rows[] = {
        {WC_TREEVIEW, TreeView::procedure, CS_DBLCLKS},
        {WC_LISTVIEW, ListView::procedure, CS_DBLCLKS},
        {WC_HEADER, HeaderControl::procedure, CS_DBLCLKS},
        // Class names are found without regard to case, so "RICHEDIT"
        // finds this one too.
        {RICHEDIT_CLASS, RichEdit::procedure, CS_DBLCLKS},
    };
    for (const Row& row : rows) {
        WNDCLASS wc{};
        wc.style = row.style | CS_GLOBALCLASS;
        wc.lpfnWndProc = row.proc;
        wc.lpszClassName = row.name;
        RegisterClass(&wc);
    }
}

}  // namespace helm::user::commctrl
