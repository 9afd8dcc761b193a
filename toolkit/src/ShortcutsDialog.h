// The toolkit's Shortcuts dialog (dialog 269): the keys of the calling
// program's accelerator table beside their commands, in two columns sorted
// by key. Modeless and resizable, made once and kept by the library's
// application object.
#pragma once

#include "afxcmn.h"
#include "toolkit/CDialogResize.h"
#include "toolkit/CStringArraySort.h"

namespace helm::toolkit {

class ShortcutsDialog : public CDialogResize {
public:
    ShortcutsDialog();

    // Lines "key<SEP>command"; shown at once when the dialog is open.
    void set_lines(const CStringArraySort& lines);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void fill();

    CListCtrl m_list;
    CStringArraySort m_lines;
};

// The text of an accelerator's keys: "Alt+", "Ctrl+", "Shift+" as its
// flags say, then the key's name (a virtual key) or the character.
CString accelerator_text(const ACCEL& entry);

}  // namespace helm::toolkit
