#include "ShortcutsDialog.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "WidgetryApp.h"
#include "toolkit/CStringLang.h"
#include "toolkit/WidgetryFunctions.h"
#include "toolkit/WidgetryRes.h"

namespace helm::toolkit {

namespace {

constexpr const char* separator = "<SEP>";
// The application's main accelerator table (the class library's
// IDR_MAINFRAME).
constexpr UINT main_accelerators = 128;
constexpr int keyboard_icon = 5;
// More entries than any program binds are not listed.
constexpr int accelerator_limit = 4096;

// The names of virtual keys as an English keyboard labels them.
CString key_name(WORD key)
{
    static constexpr struct {
        WORD key;
        const char* name;
    } names[] = {
        {VK_BACK, "Backspace"}, {VK_TAB, "Tab"},        {VK_RETURN, "Enter"},      {VK_ESCAPE, "Esc"},
        {VK_SPACE, "Space"},    {0x21, "Page Up"},      {0x22, "Page Down"},       {0x23, "End"},
        {0x24, "Home"},         {VK_LEFT, "Left"},      {VK_UP, "Up"},             {VK_RIGHT, "Right"},
        {VK_DOWN, "Down"},      {0x2D, "Insert"},       {VK_DELETE, "Delete"},     {VK_MULTIPLY, "Num *"},
        {VK_ADD, "Num +"},      {VK_SUBTRACT, "Num -"}, {VK_DECIMAL, "Num Del"},   {VK_DIVIDE, "Num /"},
        {VK_OEM_PLUS, "="},     {VK_OEM_COMMA, ","},    {VK_OEM_MINUS, "-"},       {VK_OEM_PERIOD, "."},
        {0x13, "Pause"},
    };
    for (const auto& row : names)
        if (row.key == key)
            return row.name;
    CString name;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        name.Format("%c", key);
    else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9)
        name.Format("Num %d", key - VK_NUMPAD0);
    else if (key >= 0x70 && key <= 0x87)
        name.Format("F%d", key - 0x70 + 1);
    else
        name.Format("0x%02X", key);
    return name;
}

}  // namespace

CString accelerator_text(const ACCEL& entry)
{
    CString text;
    if (entry.fVirt & FALT)
        text += "Alt+";
    if (entry.fVirt & FCONTROL)
        text += "Ctrl+";
    if (entry.fVirt & FSHIFT)
        text += "Shift+";
    if (entry.fVirt & FVIRTKEY) {
        text += key_name(entry.key);
    } else {
        CString character;
        character.Format("%c", static_cast<char>(entry.key));
        text += character;
    }
    return text;
}

ShortcutsDialog::ShortcutsDialog() : CDialogResize(IDD_WIDGETRY_SHORTCUTS) {}

void ShortcutsDialog::set_lines(const CStringArraySort& lines)
{
    m_lines.RemoveAll();
    for (INT_PTR i = 0; i < lines.GetSize(); ++i)
        m_lines.Add(lines[i]);
    if (m_hWnd)
        fill();
}

BOOL ShortcutsDialog::OnInitDialog()
{
    CDialogResize::OnInitDialog();
    HICON icon = F_Q_LoadIcon(keyboard_icon);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    CStringLang text;
    if (text.LoadString(AfxGetResourceHandle(), IDS_SHORTCUTS_TITLE))
        SetWindowText(text);
    m_list.SubclassDlgItem(IDC_SHORTCUTS_LIST, this);
    text.LoadString(AfxGetResourceHandle(), IDS_SHORTCUTS_KEY);
    m_list.InsertColumn(0, text);
    text.LoadString(AfxGetResourceHandle(), IDS_SHORTCUTS_DESCRIPTION);
    m_list.InsertColumn(1, text);
    if (CWnd* header = m_list.GetHeaderCtrl())
        header->EnableWindow(FALSE);
    F_AddDlgControl(IDC_SHORTCUTS_LIST, true, false, true, false);
    fill();
    return TRUE;
}

void ShortcutsDialog::fill()
{
    m_list.DeleteAllItems();
    for (INT_PTR i = 0; i < m_lines.GetSize(); ++i) {
        const CString& line = m_lines[i];
        const int cut = line.Find(separator);
        const CString key = cut < 0 ? line : line.Left(cut);
        const CString command = cut < 0 ? CString() : line.Mid(cut + static_cast<int>(std::strlen(separator)));
        const int row = m_list.InsertItem(static_cast<int>(i), key);
        m_list.SetItemText(row, 1, command);
    }
    m_list.SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);
    m_list.SetColumnWidth(1, LVSCW_AUTOSIZE_USEHEADER);
}

void ShortcutsDialog::OnOK()
{
    ShowWindow(SW_HIDE);
}

void ShortcutsDialog::OnCancel()
{
    ShowWindow(SW_HIDE);
}

}  // namespace helm::toolkit

void ShowAccelerators(HWND parent)
{
    using namespace helm::toolkit;
    // The table and the commands' texts are the calling program's.
    CStringArraySort lines;
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCE(main_accelerators), RT_ACCELERATOR);
    if (HACCEL table = LoadAccelerators(module, MAKEINTRESOURCE(main_accelerators))) {
        const int count = std::min(CopyAcceleratorTable(table, nullptr, 0), accelerator_limit);
        std::vector<ACCEL> entries(static_cast<size_t>(std::max(count, 0)));
        CopyAcceleratorTable(table, entries.data(), count);
        DestroyAcceleratorTable(table);
        for (const ACCEL& entry : entries) {
            CString command;
            command.LoadString(entry.cmd);
            const int newline = command.Find('\n');
            if (newline >= 0)
                command = command.Mid(newline + 1);
            lines.Add(accelerator_text(entry) + separator + command);
        }
    }
    lines.Sort();

    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    WidgetryApp& app = widgetry_app();
    if (!app.m_pShortcuts)
        app.m_pShortcuts = new ShortcutsDialog;
    auto* dialog = static_cast<ShortcutsDialog*>(app.m_pShortcuts);
    dialog->set_lines(lines);
    if (!dialog->m_hWnd && !dialog->Create(IDD_WIDGETRY_SHORTCUTS, CWnd::FromHandle(parent)))
        return;
    dialog->ShowWindow(SW_SHOW);
    dialog->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
