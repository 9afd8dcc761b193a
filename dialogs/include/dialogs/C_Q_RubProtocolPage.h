// C_Q_RubProtocolPage: what the pages with a protocol list (control 4723)
// share: the frame's statics with the page's title, the list filled from
// the host's table, its selection set and read, emptied by F_InitDialog
// and enabled by F_EnableDialog. Pages with more controls extend these.
#pragma once

#include "dialogs/C_Q_DialogRubrique.h"

class C_Q_RubProtocolPage : public C_Q_DialogRubrique {
public:
    C_Q_RubProtocolPage(UINT templateId, int titleId, CWnd* parent)
        : C_Q_DialogRubrique(templateId, parent), m_titleId(titleId)
    {
    }

    int F_InitDialog();
    int F_EnableDialog(bool enable);
    int F_InitListProtocol(C_Q_ListTable* table, unsigned count) { return F_FillList(m_listProtocol, table, count); }
    int F_SetCurSelListProtocol(int index) { return F_SelectList(m_listProtocol, index); }
    int F_GetCurSelListProtocol() { return F_SelectedList(m_listProtocol); }

protected:
    void DoDataExchange(CDataExchange* dx) override;

    CComboBox m_listProtocol;

private:
    int m_titleId;
};
