// Ids of the control container's test dialog.
#pragma once

#define IDD_CONTROL_HOST 300
#define IDC_HOST_NAME 301
#define IDC_HOST_GRID 302
#define IDC_HOST_EXTRA 303
