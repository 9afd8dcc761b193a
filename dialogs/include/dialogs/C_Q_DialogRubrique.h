// C_Q_DialogRubrique: the frame of every settings page. A page is a
// modeless child dialog that a host panel stacks in a column: a click on
// its title strip posts "VARNEK_RUBRIQUE_EXPAND" to the host (which folds or
// unfolds it with F_GetDisplayHeight), and a change the operator makes
// posts "VARNEK_RUBRIQUE_VALIDATE" with the page's group code, after which
// the host reads that group back with the page's getters. Pages hold no
// settings of their own. Every operation returns -1, and does nothing,
// while the page has no window.
//
// A page names its notifications as rows (control, event, group code):
// a selection change, a click, an edit that loses the focus with text in
// it, an edit's every change or its being full, an IP address field that
// changed. Controls that need more than a post handle their own.
#pragma once

#include <initializer_list>
#include <vector>

#include "afxcmn.h"
#include "toolkit/CDialogResize.h"
#include "toolkit/CEditRestricted.h"
#include "toolkit/CStaticColor.h"

// A host's table of names: up to 64 cells of 32 characters and a zero.
typedef char C_Q_ListTable[64][33];

class C_Q_DialogRubrique : public CDialogResize {
    DECLARE_DYNAMIC(C_Q_DialogRubrique)

public:
    C_Q_DialogRubrique(UINT templateId, CWnd* parent);
    ~C_Q_DialogRubrique() override;

    static UINT F_GetExpandMsg();
    static UINT F_GetValidateMsg();

    // The height at creation (full), or the title strip's (0 without one).
    int F_GetDisplayHeight(bool full);
    int F_GetTitleHeight();
    int F_SetRectAfterCreate();
    int F_GetRectAfterCreate();
    int F_SetTextForRubTitle(CString text);

    // The page's flag of one input (true after construction and after the
    // page's F_InitDialog): while the first two are set, the pages that
    // have them lock their DVL calibration button and USBL beacon lists.
    void P_SetInputFlag(size_t input, bool set)
    {
        if (input < m_inputFlags.size())
            m_inputFlags[input] = set;
    }
    bool F_InputFlag(size_t input) const { return input < m_inputFlags.size() && m_inputFlags[input]; }

protected:
    // The icon static every page template has.
    static constexpr int icon_static = 4302;

    // What the operator does to a control that the page tells its host.
    enum class Event { selection, click, focus_lost_with_text, change, full, ip_field };
    struct Notification {
        int control;
        Event event;
        WPARAM group;
    };
    // The page's notifications, given by its constructor.
    void P_SetNotifications(std::initializer_list<Notification> notifications);

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // Binds the frame's statics: the icon, and the title when the page has
    // one (0: none).
    void DDX_Frame(CDataExchange* dx, int titleId);
    void P_PostValidate(WPARAM group);

    // The host API's families, each -1 without window.
    bool F_HasWindow() const { return m_hWnd != nullptr; }
    // Empties the list, then appends the first `count` names of the table
    // (at most 64, each cut at 32 characters even without its zero); 0.
    int F_FillList(CComboBox& list, C_Q_ListTable* table, unsigned count);
    int F_SelectList(CComboBox& list, int index);
    int F_SelectedList(const CComboBox& list) const;
    // The edit's text as a number; -1 (and nothing written) when empty.
    int F_ReadFloat(const CWnd& edit, float* value) const;
    int F_ReadDouble(const CWnd& edit, double* value) const;
    int F_WriteText(CWnd& control, const CString& text);
    // The address a.b.c.d (a in the high byte) into or out of the control.
    int F_WriteAddress(CIPAddressCtrl& control, BYTE a, BYTE b, BYTE c, BYTE d);
    int F_ReadAddress(CIPAddressCtrl& control, BYTE& a, BYTE& b, BYTE& c, BYTE& d);
    int F_WriteCheck(CButton& check, int state);
    int F_ReadCheck(const CButton& check) const;
    void P_EnableAll(std::initializer_list<CWnd*> controls, bool enable);
    // A push-like check button that shows its state by an icon of the
    // library (the page sets it; it does not toggle by itself).
    void P_ShowButtonState(CButton& button, UINT iconId, bool checked);
    // The tip (string `textId`) of each of the tools, shown at once when the
    // mouse rests on them: the page's tool-tip control is made at the first
    // call, and every message of the page passes it first.
    void P_AddTips(std::initializer_list<CWnd*> tools, UINT textId);
    BOOL PreTranslateMessage(MSG* msg) override;
    // An edit that takes only `chars`, at most `limit` of them.
    static void P_Restrict(CEditRestricted& edit, const char* chars, int limit);

    // One flag per input of the page, all set again by F_InitDialog.
    void P_SetInputCount(size_t inputs) { m_inputFlags.assign(inputs, true); }
    void P_ResetInputFlags() { m_inputFlags.assign(m_inputFlags.size(), true); }
    // Whether either of the first two flags is set: the page's lock.
    bool F_Locked() const { return F_InputFlag(0) || F_InputFlag(1); }
    // Empties the list, then "None" and "Serial Input A", "B"... for the
    // sensor's `count` serial inputs; 0.
    int F_FillInterfaceList(CComboBox& list, unsigned count);

    CStaticColor m_icon;
    CStaticColor m_title;
    RECT m_rectAfterCreate{};
    std::vector<bool> m_inputFlags;
    CToolTipCtrl m_toolTip;

private:
    const Notification* find(int control, Event event) const;

    std::vector<Notification> m_notifications;

    DECLARE_MESSAGE_MAP()
};
