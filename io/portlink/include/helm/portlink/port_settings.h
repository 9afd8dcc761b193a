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
// "NMEA0183", no options). So does a value no line can be set to (see
// helm::portlink::is_line_rate and the others below), with a trace line
// that names it, so that one bad value never makes a port unusable.
// Texts longer than their field are cut. The framing fields of the
// protocol record are left to P_UpdateFrame.
int F_ReadPortConfig(sCOM_CONFIG* config, sPORT_PROTOCOL* protocol, int port);
int F_WritePortConfig(const sCOM_CONFIG* config, const sPORT_PROTOCOL* protocol, int port);

// The socket keys of socket 1..5 (not the port 33..37), read (0) or written
// (1) under the named mutex "READ_WRITE_SOCK_CONFIG", waited for at most
// helm::portlink::kSettingsLockWaitMs: 0 with ERROR_TIMEOUT when another
// program holds it that long. The IP address is "%03d.%03d.%03d.%03d",
// read as decimal; a missing or damaged address reads as 0.0.0.0.
// `protocol` may be null.
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

// The settings of the five sockets under one wait for their mutex (the
// server's start): false, with ERROR_TIMEOUT, when it was not obtained.
bool read_all_sock_configs(sSOCK_CONFIG (&configs)[PORTLINK_SOCKETS], sPORT_PROTOCOL (&protocols)[PORTLINK_SOCKETS]);

// How long a settings call waits for the socket settings' mutex.
inline constexpr DWORD kSettingsLockWaitMs = 1000;

// What a serial line can be set to; the serial layer refuses anything else.
inline constexpr int32_t kLowestLineRate = 50;
inline constexpr int32_t kHighestLineRate = 4000000;
inline bool is_line_rate(int32_t baud) { return baud >= kLowestLineRate && baud <= kHighestLineRate; }
inline bool is_parity_code(int32_t parity) { return parity >= 0 && parity <= 4; }  // NOPARITY..SPACEPARITY
inline bool is_data_bits(int32_t bits) { return bits >= 5 && bits <= 8; }
// Stop codes 0 (1), 1 (1.5, only with 5 data bits) and 2 (2, not with 5).
inline bool is_stop_code(int32_t stop, int32_t dataBits)
{
    return stop == 0 || (stop == 1 && dataBits == 5) || (stop == 2 && dataBits != 5);
}

}  // namespace helm::portlink
