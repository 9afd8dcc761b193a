// Ids of the test resources, shared by the script and the test. Only the
// directives of a header reach the resource compiler, so C++ may follow.
#ifndef RESOURCES_TEST_IDS_H
#define RESOURCES_TEST_IDS_H

#define IDD_EVENT_MARK 108
#define IDD_CHILD_PAGE 120
#define IDC_MARK_DATE 203
#define IDC_MARK_TEXT 202
#define IDC_TRACK 207
#define IDC_FIRST 1000
#define IDC_LIST (IDC_FIRST + 5)

#define IDS_TITLE 101
#define IDS_MARK 108
#define IDS_ENGLISH_ONLY 10030
#define IDS_FRENCH_ONLY 10035
#define IDS_ESCAPES 3621
#define IDS_FRENCH_NEIGHBOUR 3620
#define IDS_LONG 4000

#define IDI_APP 5001
#define IDB_LOGO 6000

#ifdef RESOURCES_TEST_NEVER
#define IDD_EVENT_MARK 9999
#endif

#if defined(IDS_TITLE) && IDS_TITLE > 100
#define TITLE_CHECKED 1
#else
#define TITLE_CHECKED 0
#endif

#ifdef __cplusplus
constexpr int kIdsInHeader = 14;
#endif

#endif
