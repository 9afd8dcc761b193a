#include "dialogs/C_Q_RubRecordReplay.h"

#include "dialogs/HelmdialogsRes.h"
#include "file_name_fields.h"

using namespace helm::dialogs;

BEGIN_MESSAGE_MAP(C_Q_RubRecordReplay, C_Q_DialogRubrique)
    ON_BN_CLICKED(IDC_BUTTON_RECORD, OnRecord)
    ON_BN_CLICKED(IDC_BUTTON_BROWSE, OnBrowse)
END_MESSAGE_MAP()

C_Q_RubRecordReplay::C_Q_RubRecordReplay(CWnd* parent) : C_Q_DialogRubrique(IDD_RUB_RECORD_REPLAY, parent)
{
    P_SetInputCount(2);
}

void C_Q_RubRecordReplay::DoDataExchange(CDataExchange* dx)
{
    C_Q_DialogRubrique::DoDataExchange(dx);
    DDX_Frame(dx, IDS_TITLE_RECORD_REPLAY);
    DDX_Control(dx, IDC_EDIT_FILE_NAME, m_editFileName);
    DDX_Control(dx, IDC_EDIT_FOLDER, m_editFolder);
    DDX_Control(dx, IDC_BUTTON_RECORD, m_buttonRecord);
    DDX_Control(dx, IDC_BUTTON_BROWSE, m_buttonBrowse);
}

BOOL C_Q_RubRecordReplay::OnInitDialog()
{
    C_Q_DialogRubrique::OnInitDialog();
    P_AddTips({&m_buttonRecord}, IDS_TIP_RECORD);
    m_editFileName.F_SetDisableChars(not_in_file_names);
    P_ShowButtonState(m_buttonRecord, IDI_NOT_RECORDING, false);
    m_editFolder.SetWindowText(m_folder);
    m_editFileName.SetWindowText(m_fileName);
    return TRUE;
}

void C_Q_RubRecordReplay::P_SetFolderText(const char* text)
{
    if (m_recording)
        return;
    keep_folder(m_folder, text);
    if (F_HasWindow())
        m_editFolder.SetWindowText(m_folder);
}

void C_Q_RubRecordReplay::P_SetFileNameText(const char* text)
{
    if (m_recording)
        return;
    m_fileName = text ? text : "";
    if (F_HasWindow())
        m_editFileName.SetWindowText(m_fileName);
}

int C_Q_RubRecordReplay::F_GetFolderText(CString& text) { return F_HasWindow() ? edit_text(m_editFolder, text) : -1; }

int C_Q_RubRecordReplay::F_GetFileNameText(CString& text)
{
    return F_HasWindow() ? edit_text(m_editFileName, text) : -1;
}

void C_Q_RubRecordReplay::P_UpdateRecordView(bool recording)
{
    m_recording = recording;
    if (!F_HasWindow())
        return;
    P_ShowButtonState(m_buttonRecord, recording ? IDI_RECORDING : IDI_NOT_RECORDING, recording);
    P_EnableAll({&m_buttonBrowse, &m_editFileName}, !recording);
}

void C_Q_RubRecordReplay::OnRecord()
{
    CString name, folder;
    if (F_GetFileNameText(name) == 0 && F_GetFolderText(folder) == 0)
        P_PostValidate(0);
}

void C_Q_RubRecordReplay::OnBrowse()
{
    if (m_recording)
        return;
    CString chosen;
    if (browse_folder(m_hWnd, m_folder, chosen))
        P_SetFolderText(chosen);
}
