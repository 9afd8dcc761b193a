// The port settings dialog that the serial layer offers for a port (library
// helm_serial_dialog, which draws on the window layer).
#pragma once

#include "helm/serial/comm.h"

// Shows the modal settings dialog of port `name` ("COM3") over `owner`,
// filled from config->dcb: bits per second, data bits, parity, stop bits
// and flow control. OK writes the choices into config->dcb (the other
// fields stay) and gives TRUE; Cancel or Escape gives FALSE with
// ERROR_CANCELLED. Fails as GetDefaultCommConfig does for a name that is
// no port, and with ERROR_INVALID_PARAMETER for a missing config or one
// whose dwSize is short of a COMMCONFIG.
BOOL CommConfigDialog(LPCSTR name, HWND owner, LPCOMMCONFIG config);
#define CommConfigDialogA CommConfigDialog
