#include "dialogs/C_Q_DlgLogEvent.h"

#include <cstring>

#include "dialogs/HelmdialogsRes.h"
#include "toolkit/CStringLang.h"

BEGIN_MESSAGE_MAP(C_Q_DlgLogEvent, CDialog)
    ON_WM_SIZE()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

C_Q_DlgLogEvent::C_Q_DlgLogEvent(CWnd* parent) : CDialog(IDD_LOG_EVENT, parent) {}

C_Q_DlgLogEvent::~C_Q_DlgLogEvent() = default;

UINT C_Q_DlgLogEvent::F_GetEventMsg() { return RegisterWindowMessage("VARNEK_INS_EVENT"); }

void C_Q_DlgLogEvent::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_JOURNALVIEW, m_view);
}

BOOL C_Q_DlgLogEvent::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_view.m_hWnd && !m_logPath.IsEmpty())
        m_view.F_SetLogON(m_logPath);
    return TRUE;
}

void C_Q_DlgLogEvent::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (!has_windows())
        return;
    m_view.MoveWindow(0, 0, cx, cy);
    m_view.Invalidate();
}

int C_Q_DlgLogEvent::F_UpdateCheminSoft(char* dir, char* name)
{
    if (!dir || !name)
        return -1;
    CString folder;
    folder.Format("%s\\LogFile\\", dir);
    CreateDirectory(folder, nullptr);  // a folder already there is no error
    m_logPath.Format("%s%s.log", static_cast<LPCSTR>(folder), name);
    return 0;
}

int C_Q_DlgLogEvent::F_SetLogOff()
{
    if (!has_windows())
        return -1;
    m_view.F_SetLogOFF();
    return 0;
}

int C_Q_DlgLogEvent::F_InsertEvent(unsigned short type, char* text)
{
    if (!has_windows())
        return -1;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    CString line;
    line.Format("Date:%02i/%02i/%02i Hour:%2dh %02dm %02d.%03ds -> %s\n", now.wDay, now.wMonth, now.wYear, now.wHour,
                now.wMinute, now.wSecond, now.wMilliseconds, text ? text : "");
    m_view.F_AddInfo(type, line);
    return 0;
}

void C_Q_DlgLogEvent::post_event(WPARAM w, LPARAM category)
{
    if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
        main->PostMessage(F_GetEventMsg(), w, category);
}

void C_Q_DlgLogEvent::P_UpdateEventViewer(bool appear, bool init, sSTATUS* status)
{
    if (!status || !has_windows())
        return;
    const int category = static_cast<int>((status->code >> 8) & 0xF);
    if (category < 1 || category > 9)
        return;
    const unsigned short type = status->event_type;
    auto log = [&](CString text) { F_InsertEvent(type, text.GetBuffer()); };
    auto log_string = [&](UINT id) {
        CStringLang text;
        text.LoadString(id);
        log(text);
    };
    // The bit's text fills its field when it is as long as it may be.
    const CString bitText(status->text, static_cast<int>(strnlen(status->text, sizeof status->text)));
    if (appear) {
        switch (category) {
        case 3:
        case 6: log(bitText); break;
        case 4:
            post_event(0, 4);
            log(bitText);
            break;
        case 7:
        case 8:
            log(bitText);
            post_event(1, category);
            break;
        default:  // 1, 2, 5, 9
            log(bitText);
            post_event(0, category);
            break;
        }
        return;
    }
    if (init)
        return;
    switch (category) {
    case 7:
        log_string(IDS_END_DVL_CALIBRATION);
        post_event(0, 7);
        break;
    case 8:
        log_string(IDS_END_STATIC_ALIGNMENT);
        post_event(0, 8);
        break;
    case 1:
    case 2:
    case 5:
    case 9: post_event(1, category); break;
    default: break;  // 3, 4, 6: nothing when the bit goes
    }
}
