// The settings of the 32 serial ports and 5 sockets, in the server's INI
// file "Portserver.ini" beside Portlink (sections "Parametres Port serie"
// and "Parametres Ethernet"), and the synchro swap of that file.
// Results: 1 success, 0 failure, unless said otherwise.
#pragma once

#include <string>

#include "helm/portlink/server_interface.h"

extern "C" {

// The text of Portlink's string-table entry `id`, empty when there is none.
// The text lives as long as the library.
const char* P_GetStringFromDLLTable(int id);

// The serial keys of port 1..32. A missing key gives its default (off,
// 9600 baud, no parity, 8 data bits, stop code 0, no trigger, 5000 ms,
// "NMEA0183", no options). Texts longer than their field are cut. The
// framing fields of the protocol record are left to P_UpdateFrame.
int F_ReadPortConfig(sCOM_CONFIG* config, sPORT_PROTOCOL* protocol, int port);
int F_WritePortConfig(const sCOM_CONFIG* config, const sPORT_PROTOCOL* protocol, int port);

// The socket keys of socket 1..5 (not the port 33..37), read (0) or written
// (1) under the named mutex "READ_WRITE_SOCK_CONFIG". The IP address is
// "%03d.%03d.%03d.%03d", read as decimal; a missing or damaged address
// reads as 0.0.0.0. `protocol` may be null.
int F_ReadWriteSockConfig(sSOCK_CONFIG* config, sPORT_PROTOCOL* protocol, int socket, int write);
int F_ReadSockConfig(sSOCK_CONFIG* config, sPORT_PROTOCOL* protocol, int socket);
int F_WriteSockConfig(sSOCK_CONFIG* config, sPORT_PROTOCOL* protocol, int socket);

// Before a synchro run: the user's file goes to "Portserver_backup.ini"
// and "Portserver_synchro.ini" takes its place. After it: the file goes to
// "Portserver_synchro.ini" and the backup comes back.
int F_restaureSynchroIniFile();
int F_saveSynchroIniFile();

}  // extern "C"

namespace helm::portlink {

// The settings file: "Portserver.ini" in the directory of Portlink's own
// module, or the path in HELM_PORTLINK_INI when that is set (tests give each
// run its own file, which the servers they start inherit).
std::string settings_file_path();

}  // namespace helm::portlink
