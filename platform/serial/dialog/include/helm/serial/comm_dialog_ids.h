// The port settings dialog's template and its lists, for its resource
// script and for tests that drive the dialog.
#pragma once

#define IDD_PORT_SETTINGS 100
#define IDC_PORT_BAUD 1001
#define IDC_PORT_DATA_BITS 1002
#define IDC_PORT_PARITY 1003
#define IDC_PORT_STOP_BITS 1004
#define IDC_PORT_FLOW 1005
