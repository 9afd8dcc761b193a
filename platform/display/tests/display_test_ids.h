#pragma once

#define IDD_SETTINGS 100
#define IDC_HEADING 1001
#define IDC_NAME 1002
#define IDC_SPEED 1003
#define IDC_PORT 1004
