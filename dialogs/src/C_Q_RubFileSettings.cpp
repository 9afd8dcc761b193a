#include "dialogs/C_Q_RubFileSettings.h"

#include "afxdlgs.h"
#include "dialogs/HelmdialogsRes.h"
#include "file_name_fields.h"
#include "toolkit/CStringLang.h"

using namespace helm::dialogs;

namespace {
constexpr unsigned short load_page = 0, save_page = 1;
}  // namespace

BEGIN_MESSAGE_MAP(C_Q_RubFileSettings, C_Q_DialogRubrique)
    ON_BN_CLICKED(IDC_BUTTON_BROWSE, OnBrowse)
END_MESSAGE_MAP()

C_Q_RubFileSettings::C_Q_RubFileSettings(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_FILE, parent)
{
    P_SetInputCount(2);
    P_SetNotifications({{IDC_BUTTON_ACTION, Event::click, 0}});
}

void C_Q_RubFileSettings::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDC_RUB_TITLE);
    DDX_Control(dx, IDC_EDIT_FILE_NAME, m_editFileName);
    DDX_Control(dx, IDC_EDIT_FOLDER, m_editFolder);
    DDX_Control(dx, IDC_BUTTON_ACTION, m_buttonAction);
}

BOOL C_Q_RubFileSettings::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    m_editFileName.F_SetDisableChars(not_in_file_names);
    CStringLang title, action;
    title.LoadString(m_type == load_page ? IDS_TITLE_LOAD_SETTINGS : IDS_TITLE_SAVE_SETTINGS);
    action.LoadString(m_type == load_page ? IDS_LOAD : IDS_SAVE);
    F_SetTextForRubTitle(title);
    m_buttonAction.SetWindowText(action);
    m_editFolder.SetWindowText(m_folder);
    m_editFileName.SetWindowText(m_fileName);
    return TRUE;
}

void C_Q_RubFileSettings::P_SetFolderText(const char* text)
{
    keep_folder(m_folder, text);
    if (F_HasWindow())
        m_editFolder.SetWindowText(m_folder);
}

void C_Q_RubFileSettings::P_SetFileNameText(const char* text)
{
    m_fileName = text ? text : "";
    if (F_HasWindow())
        m_editFileName.SetWindowText(m_fileName);
}

int C_Q_RubFileSettings::F_GetFolderText(CString& text) { return F_HasWindow() ? edit_text(m_editFolder, text) : -1; }

int C_Q_RubFileSettings::F_GetFileNameText(CString& text)
{
    return F_HasWindow() ? edit_text(m_editFileName, text) : -1;
}

void C_Q_RubFileSettings::OnBrowse()
{
    if (m_type == save_page) {
        CString chosen;
        if (browse_folder(m_hWnd, m_folder, chosen))
            P_SetFolderText(chosen);
        return;
    }
    CFileDialog open(TRUE, "txt", "",
                     OFN_HIDEREADONLY | OFN_NOVALIDATE | OFN_FILEMUSTEXIST | OFN_SHAREAWARE | OFN_EXPLORER |
                         OFN_LONGNAMES,
                     "Settings File(*.txt)|*.txt||", GetParent());
    open.m_ofn.lpstrInitialDir = m_folder;
    if (open.DoModal() != IDOK)
        return;
    // The name after the last backslash, the folder up to and with it.
    const CString path = open.GetPathName();
    const int split = path.ReverseFind('\\') + 1;
    m_editFileName.SetWindowText(path.Mid(split));
    m_editFolder.SetWindowText(path.Left(split));
}
