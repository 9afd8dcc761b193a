// JournalviewCtrl: the event-log view. A black panel with a title line and
// a read-only rich-text box in which every new event line goes on top, in
// the colour of its type; each line may also be appended to a log file.
// The host formats the lines; the view adds no time stamp.
//
// The box keeps a bounded number of lines: when a new line would pass that
// number or the box's text limit, the oldest lines make room for it, a
// quarter of the box at a time. On
// disk every event ends with one CR LF, and each line reaches the file as
// it is logged.
#pragma once

#include <cstdio>

#include "afxcmn.h"
#include "helm/com/control.h"
#include "journalview/Journalview.h"
#include "JournalviewTitle.h"

const helm::com::DispatchTable<IJournalviewCtrl>& journalview_table();

class JournalviewCtrl final : public helm::com::WindowedControl<IJournalviewCtrl, journalview_table> {
public:
    JournalviewCtrl() = default;
    ~JournalviewCtrl() override;

    // The most lines the box holds.
    static constexpr int max_lines = 500;
    static constexpr int title_height = 20;

    // IJournalviewCtrl
    HRESULT F_AddInfo(USHORT V_I_sInfoType, char* V_P_C_pInfoText) override;
    HRESULT F_SetLogON(char* V_P_C_LogFileName) override;
    HRESULT F_SetLogOFF() override;

    BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void on_create();
    void on_destroy();
    void place_children(int width, int height);
    // Removes the oldest lines when `lines` more lines of `length`
    // characters would not fit under both bounds.
    void make_room(long length, int lines);
    void log_line(const CString& line);

    JournalviewTitle m_title;
    CRichEditCtrl m_box;
    bool m_logging = false;
    std::FILE* m_log = nullptr;
};
