// Resource ids of the event-log controls (Journalview.rc).
#pragma once

#define IDS_JOURNALVIEW_PROJNAME 100
#define IDS_JOURNALVIEW_TITLE 101
#define IDS_EVENT_MARK_CAPTION 108

#define IDD_EVENT_MARK 108
#define IDC_EVENT_MARK_TEXT 202
#define IDC_EVENT_MARK_DATE 203
