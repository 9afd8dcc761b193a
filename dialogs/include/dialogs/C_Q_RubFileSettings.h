// C_Q_RubFileSettings: the settings file the sensor's configuration is
// loaded from (type 0) or the folder it is saved into (type 1), with the
// button that asks for it (template 4211). The page does no file work: the
// action button posts group 0 and the host reads the names back.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"
#include "toolkit/CEditRestricted.h"

class C_Q_RubFileSettings : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubFileSettings(CWnd* parent = nullptr);

    // 0 load, 1 save; before the window is made.
    void P_SetTypeDlg(unsigned short type) { m_type = type; }
    // Kept (a folder cut to 1023 characters) and shown when the window is.
    void P_SetFolderText(const char* text);
    void P_SetFileNameText(const char* text);
    // The edit's text; -1 when it is empty.
    int F_GetFolderText(CString& text);
    int F_GetFileNameText(CString& text);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnBrowse();

private:
    CEditRestricted m_editFileName;
    CEditRestricted m_editFolder;
    CButton m_buttonAction;
    unsigned short m_type = 0;
    char m_folder[1024] = {};  // helm::dialogs::folder_size
    CString m_fileName;

    DECLARE_MESSAGE_MAP()
};
