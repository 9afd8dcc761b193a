// The client interface to Portserver: configure, switch and write to the
// ports it owns, and start or stop it. Every command is a WM_COPYDATA sent
// to the server's window, found again by its class at every call. Results:
// 1 success, 0 failure, or the server's answer where said.
#pragma once

#include "helm/portlink/channel_memory.h"
#include "helm/portlink/server_interface.h"

extern "C" {

// 0-based indexes: serial 0..31, sockets 32..36, any port 0..36.
int F_getValidCom(int index);
int F_getValidSock(int index);
int F_getValidPort(int index);

// Code 100: baud, parity, stop-bits code, data bits and time-out of the
// record (-1 leaves a value unchanged), the protocol (null or empty leaves
// it) and the options (null clears them). 0 for a port below 1 or with no
// server window; else the server's answer.
int F_ConfigPortParam2(int port, const sCOM_CONFIG* config, const char* protocol, const char* options);
int F_ConfigPortParam(int port, const sCOM_CONFIG* config, const char* protocol);
// Note the order: stop bits before parity. The time-out is left unchanged.
int F_ConfigPort(int port, int baud, int stopBitsCode, int parity, int dataBits, const char* protocol);
// Code 900 for port 33..37 with the whole record and the protocol.
int F_ConfigSockParam(int port, const sSOCK_CONFIG* config, const char* protocol);

// The on/off value of the settings file: 1 when it is exactly 1.
int F_GetPortOnOff(int port);
// Codes 101/102 or 901/902, sent only when the settings file's on/off value
// differs from the wish (else 0); the server's answer.
int F_SetPortState(int port, int on);
int F_SetPortON(int port);
int F_SetPortOFF(int port);

// 1 while the server owns the port: its raw block's mutex exists and the
// server's window is there (a client's open handle keeps the mutex after a
// server has died).
int F_IsPortDispo(int port);

// Leaves `text` in the port's block opened in `client` (the parsed block of
// a serial port, the raw block of a socket) and sends code 103 or 903; the
// server writes it to the line before it answers. An empty text is 1 at
// once; a text of more than 1023 characters, or a client whose block is not
// open, is 0 and nothing is touched.
int F_WriteDataToPort(sMMF_CLIENT* client, const char* text);
// The same without the window, serial ports only: the text goes to the
// parsed block and the write message to the port's parse-and-write thread.
int F_ConnectWriteDataToPort(int port, const char* text);

// Posts the close request to the server: it closes once no client thread
// is subscribed any more. 0 when there is no server window.
int F_StopServer();

// Starts "Portserver" beside the calling program with "<path>" arguments,
// unless its window exists (then restored when `show`); 1 also when the
// program is missing, 0 when it cannot be started. Waits 2 s after a start.
int F_RunServerWithCmdLine(const char* arguments, int show);
int F_RunServer(int show);
int F_RunServerInSleepMode(int show);

int F_setServerSynchroMode(BYTE flag);
int F_getServerSynchroMode(BYTE* flag);

}  // extern "C"
