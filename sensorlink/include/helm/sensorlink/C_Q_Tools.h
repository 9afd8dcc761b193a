// NMEA checksums, the display levels of a status bit and the seal of a
// sensor configuration file. No state.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "helm/afx/CString.h"
#include "helm/sensorlink/sensor_records.h"

class C_Q_Tools {
public:
    // Appends "*", the XOR of every character after the leading "$" as two
    // upper-case hexadecimal digits, and CR LF; 0. A frame that does not
    // start with "$" is left alone: -1.
    static int F_AddChecksum(CString* frame);
    static int F_AddChecksum(std::string* frame);

    // True when the first sentence of `sentence` carries its checksum: the
    // two upper-case digits right after "*". A CR or LF before them, lower
    // case digits or a cut sentence give false; what follows is not read.
    static bool F_TestNMEAChecksum(const CString* sentence);
    static bool F_TestNMEAChecksum(std::string_view sentence);

    // Colour, bold state and event type from the mode in the low 4 bits.
    static void P_DecodageN1(sSTATUS* status);

    // The seal of a configuration file: *error 0 and the seal, or -1 and
    // -1 when the file cannot be read, is empty or is over kMaxCnfFileSize.
    static int F_CryptFileCnf(CString path, int* error);
    // The same seal over bytes in memory (at least one byte).
    static int F_CryptCnfBytes(const char* bytes, std::size_t size);

    static constexpr std::size_t kMaxCnfFileSize = 64 * 1024;
};
