// The processing side of a port, the same for a serial port and a socket:
// it takes each raw record of the raw ring, cuts it into frames by the
// protocol's framing, logs each frame, parses it into the parsed ring with
// Portlink's dispatch and announces the records. The channel owns the
// blocks, the protocol and the lock that guards it; the parser only reads
// them, on the channel's processing thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <mutex>

#include <windows.h>

#include "frame_cutter.h"
#include "port_dump.h"
#include "helm/portlink/channel_block.h"
#include "helm/portlink/protocol_dispatch.h"
#include "helm/portlink/server_interface.h"

namespace helm::portserver {

// Copies `text` (may be null) into a fixed text field, cut to fit, and
// zero-fills the rest of the field.
void copy_text_field(char* field, size_t size, const char* text);

class ChannelParser {
public:
    // `log` (may be null) receives a line per frame and `dump` each parsed
    // record; `settingsMutex` guards `protocol`.
    ChannelParser(int port, std::FILE* log, PortDump& dump, portlink::ChannelBlock& raw, portlink::ChannelBlock& parsed,
                  std::mutex& settingsMutex, const sPORT_PROTOCOL& protocol);

    // Any thread: the next record starts the parsed ring, the frame and
    // the parse context over (the port was opened).
    void restart() { m_reset = true; }
    // Any thread: the next record takes the protocol's framing again.
    void framing_changed() { m_framing_changed = true; }
    // Any thread: the bytes of a raw record came this far apart on the
    // line (a serial port's character time; 0, the default, for a socket,
    // whose blocks arrive whole). The channel's own value, never the copy
    // in the shared header, which any client may write.
    void set_character_time(double msPerCharacter) { m_ms_per_character = msPerCharacter; }

    // Processing thread: the raw record at `offset` in the record area.
    // An offset or length that does not fit the area is ignored.
    void on_raw_record(DWORD offset);

private:
    void parse_frame(const char* frame, uint32_t length, double timeMs);

    const int m_port;
    std::FILE* const m_log;
    PortDump& m_dump;
    portlink::ChannelBlock& m_raw;
    portlink::ChannelBlock& m_parsed;
    std::mutex& m_settings_mutex;
    const sPORT_PROTOCOL& m_protocol;

    std::atomic<bool> m_reset{true};
    // The first record takes the framing the channel was set up with.
    std::atomic<bool> m_framing_changed{true};
    std::atomic<double> m_ms_per_character{0};
    FrameCutter m_cutter;
    DWORD m_parsed_next = 0;
    sPORT_PARSE_CONTEXT m_context{};
};

}  // namespace helm::portserver
