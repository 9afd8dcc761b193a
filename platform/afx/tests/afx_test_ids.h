// Ids of the class-library tests' resources, shared by the scripts and the
// tests.
#ifndef AFX_TEST_IDS_H
#define AFX_TEST_IDS_H

#define IDS_HOST_TEXT 100
#define IDS_HOST_FORMAT 101
#define IDS_EXTENSION_TEXT 200
#define IDS_APP_TITLE 0xE000
#define IDD_HOST_DIALOG 300
#define IDD_EXTENSION_DIALOG 301
#define IDC_VALUE 1000

#endif
