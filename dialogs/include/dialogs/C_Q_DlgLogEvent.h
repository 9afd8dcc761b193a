// C_Q_DlgLogEvent: the sensor's status events in an event-log view, each
// line stamped with the local date and time, written to the log file
// through the view; the events that change what the main window shows are
// posted to it ("VARNEK_INS_EVENT", wParam and lParam per event kind).
// Every operation is skipped while the dialog or its view has no window.
#pragma once

#include "afxwin.h"
#include "dialogs/CJournalviewctrl.h"
#include "helm/sensorlink/sensor_records.h"

class C_Q_DlgLogEvent : public CDialog {
public:
    explicit C_Q_DlgLogEvent(CWnd* parent = nullptr);
    ~C_Q_DlgLogEvent() override;

    // Makes the folder "<dir>\LogFile\" and keeps "<dir>\LogFile\<name>.log"
    // as the log; called before the window is made, which opens it.
    int F_UpdateCheminSoft(char* dir, char* name);
    int F_SetLogOff();
    // "Date:dd/mm/yyyy Hour:hhh mmm ss.mmms -> " and the text, on top of the
    // view in the colour of its type (1 red, 2 green, others white).
    int F_InsertEvent(unsigned short type, char* text);
    // A status bit that appeared (or went, when not `init`): logged and
    // told to the main window as its event category says.
    void P_UpdateEventViewer(bool appear, bool init, sSTATUS* status);

    static UINT F_GetEventMsg();

    const CString& log_path() const { return m_logPath; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    void OnClose() {}
    void OnSize(UINT type, int cx, int cy);

private:
    bool has_windows() const { return m_hWnd && m_view.m_hWnd; }
    void post_event(WPARAM w, LPARAM category);

    CJournalviewctrl m_view;
    CString m_logPath;

    DECLARE_MESSAGE_MAP()
};
