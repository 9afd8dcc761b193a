// Portlink's modal settings dialogs of a serial port and of a socket.
#pragma once

#include "helm/portlink/server_interface.h"

extern "C" {

// The serial port dialog of port 1..32 over `config` (baud, parity, data
// bits, stop bits, trigger character, time-out). 1 when the operator
// pressed OK and something changed, which is then written back into
// `config` (the present and on/off fields are left alone); else 0.
int F_ComDialog(HWND parent, int port, sCOM_CONFIG* config);

// The socket dialog of socket 1..5 (IP address, IP port, time-out,
// connection mode). 1 when the operator pressed OK and something changed:
// the settings file and `config` then hold the new settings; else 0.
int F_SockDialog(HWND parent, int socket, sSOCK_CONFIG* config);

}  // extern "C"
