// The parsers every port's protocol goes through: the framing that a
// protocol name gives, the dispatch of one frame into records of the parsed
// ring, the NMEA switch, and the buffer variant of the dispatch.
#pragma once

#include "helm/portlink/channel_memory.h"

// Results of the parse calls.
#define PARSE_OK 0
#define PARSE_MALFORMED (-1)      // the frame is not the decoder's, or is cut
#define PARSE_TOO_LARGE (-2)      // the records cannot fit in the ring
#define PARSE_BAD_ARGUMENT (-3)   // a null pointer or a ring size under 1
#define PARSE_BAD_CHECKSUM (-4)   // a sentence whose checksum does not match

// At most this many records come from one frame.
#define PARSE_MAX_RECORDS 4
// A protocol name or options text is read up to this many bytes.
#define PARSE_MAX_NAME 260

// The caller-owned structure of F_ParseString: one slot per record kind,
// each laid out as that kind's record in the ring.
struct sPARSED_DATA {
    BYTE attitude[REC_ATTITUDE_SIZE];
    BYTE position[REC_POSITION_SIZE];
    BYTE gps_quality[REC_GPS_QUALITY_SIZE];
    BYTE depth[REC_DEPTH_SIZE];
    BYTE heading_speed[REC_HEADING_SPEED_SIZE];
    BYTE trackpoint[REC_TRACKPOINT_SIZE];
    BYTE ms1000[REC_MS1000_SIZE];
    BYTE ats[REC_ATS_SIZE];
    BYTE time[REC_TIME_SIZE];
    BYTE nav_block[REC_NAV_BLOCK_SIZE];
    BYTE fog[REC_FOG_SIZE];
    BYTE layback[REC_LAYBACK_SIZE];
};

// The decoder state of one port. Portserver keeps one per port, zero-filled
// when the port opens, and passes its address as the port context of every
// parse call for that port; a null context means no state (each frame
// stands alone). Only the parse thread of that port touches it.
struct sPORT_PARSE_CONTEXT {
    float nav_values[NAV_BLOCK_SENTENCES][NAV_BLOCK_VALUES];  // the last row of each navigation sentence
    DWORD nav_valid;                                           // valid bits of those values, as in the record
};

extern "C" {

// Sets the framing fields of `protocol` from its name: defaults first ("$"
// to LF, text), then the first framing row whose word the name contains.
void P_UpdateFrame(sPORT_PROTOCOL* protocol);

// Turns one frame into records in the parsed ring. offsets[0] is where to
// write on entry; on return offsets[0..count-1] are where the records went
// and `bytes` their total size in the ring. Rules are tried in order and the
// first whose word the protocol name (or, for "NOPARSING", the options)
// contains decides; a protocol without a decoder gives a raw text record.
// PARSE_OK, or a negative code with count and bytes 0. `options` may be
// null; `portContext` and `extra` go to the decoders unchanged. The ring
// must hold `ringSize` bytes; offsets must have PARSE_MAX_RECORDS entries.
int F_ParseStringInMemory(const char* frame, DWORD length, const char* protocol, const char* options,
                          DWORD timeStamp, BYTE* ringBase, DWORD* offsets, int* count, int ringSize, int* bytes,
                          void* portContext, void* extra);

// The NMEA switch, with the same arguments: PARSE_MALFORMED unless the frame
// begins with "$" or ends with LF; a sentence without a decoder, or one that
// an option word turns off, gives a raw text record.
int F_ParseNMEAInMemory(const char* frame, DWORD length, const char* protocol, const char* options,
                        DWORD timeStamp, BYTE* ringBase, DWORD* offsets, int* count, int ringSize, int* bytes,
                        void* portContext, void* extra);

// The buffer variant: the same dispatch, into the slot of `data` that
// belongs to each record's kind. PARSE_MALFORMED for a name or sentence
// without a decoder (there is no raw text slot), PARSE_BAD_ARGUMENT for a
// null `data`.
int F_ParseString(const char* frame, DWORD length, const char* protocol, const char* options, sPARSED_DATA* data,
                  DWORD timeStamp, void* extra);

}  // extern "C"
