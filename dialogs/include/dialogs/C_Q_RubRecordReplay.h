// C_Q_RubRecordReplay: the name and folder of a recording for replay, and
// the button that starts or stops it (template 4210). The button posts
// group 0 only when both names are given; the host starts or stops the
// recording and shows it with P_UpdateRecordView, which freezes the names
// and the browse button while recording.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"
#include "toolkit/CEditRestricted.h"

class C_Q_RubRecordReplay : public C_Q_DialogRubrique {
public:
    explicit C_Q_RubRecordReplay(CWnd* parent = nullptr);

    // Both do nothing while recording.
    void P_SetFolderText(const char* text);
    void P_SetFileNameText(const char* text);
    int F_GetFolderText(CString& text);
    int F_GetFileNameText(CString& text);
    void P_UpdateRecordView(bool recording);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnRecord();
    void OnBrowse();

private:
    CEditRestricted m_editFileName;
    CEditRestricted m_editFolder;
    CButton m_buttonRecord;
    CButton m_buttonBrowse;
    char m_folder[1024] = {};  // helm::dialogs::folder_size
    CString m_fileName;
    bool m_recording = false;

    DECLARE_MESSAGE_MAP()
};
