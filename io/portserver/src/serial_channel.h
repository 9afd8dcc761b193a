// One serial port of Portserver: its CTTY, its two shared blocks, the read
// thread (run by the serial library) that timestamps what arrives into the
// raw ring, and the parse-and-write thread that cuts frames, parses them
// into the parsed ring, announces the records, sends the text clients leave
// and reports a quiet line.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

#include <windows.h>

#include "channel_parser.h"
#include "helm/portlink/channel_block.h"
#include "helm/portlink/protocol_dispatch.h"
#include "helm/portlink/server_interface.h"
#include "helm/serial/tty.h"

namespace helm::portserver {

// The values of a code-100 command are -1 (unchanged) or in range, and
// together with the port's `current` settings make a line that can be
// set: a rate a line carries (50 to 4,000,000 baud), parity
// NOPARITY..SPACEPARITY, 5 to 8 data bits, a stop code those bits allow.
bool configuration_is_valid(const sCOM_CONFIG& current, const sCOM_CONFIG& changes);

class SerialChannel {
public:
    // Probes the port with its settings; a port that opens is present and
    // gets its blocks and its parse-and-write thread.
    SerialChannel(int port, const sCOM_CONFIG& config, const sPORT_PROTOCOL& protocol, const ChannelTrace& trace);
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    int port() const { return m_port; }
    bool present() const { return m_present; }
    bool is_on() const { return m_on; }

    // The library's answer (1 on success); both headers are reset.
    int open();
    int close();

    // Code 100: -1 in baud, parity, stop bits, data bits or time-out, and an
    // empty protocol name, leave that setting; the options are always taken.
    // An open port takes the new line settings at once.
    void configure(const sCOM_CONFIG& changes, const char* protocol, const char* options);

    // Sends the text a client left in the parsed block (bounded to its
    // area). The count sent, or -1.
    int write_text_to_send();

    // The operator's dialog of the port's line settings, only while the
    // port is off: OK takes its baud, data bits, parity and stop bits. A
    // failure other than a cancel is shown in a message box over `owner`.
    // True when the settings were taken.
    bool comm_settings_dialog(HWND owner);

    // The live settings, as written back to the settings file.
    sCOM_CONFIG config() const;
    sPORT_PROTOCOL protocol() const;

    portlink::ChannelBlock& parsed_block() { return m_parsed; }
    portlink::ChannelBlock& raw_block() { return m_raw; }

private:
    class Tty;
    static DWORD WINAPI read_thread(LPVOID tty);
    static DWORD WINAPI parse_thread(LPVOID self);
    DWORD run_read(CTTY& tty);
    void run_parse();
    void reset_headers();
    bool create_blocks();
    void close_blocks();
    void apply_line_settings();

    const int m_port;
    std::unique_ptr<Tty> m_tty;
    bool m_present = false;
    std::atomic<bool> m_on{false};
    std::FILE* m_log;
    PortDump m_dump;

    mutable std::mutex m_settings_mutex;  // m_config, m_protocol and the cutter's framing
    sCOM_CONFIG m_config{};
    sPORT_PROTOCOL m_protocol{};

    portlink::ChannelBlock m_parsed;
    portlink::ChannelBlock m_raw;
    portlink::RawRingWriter m_raw_ring{portlink::RawRing::serial};
    std::atomic<DWORD> m_read_thread_id{0};

    HANDLE m_parse_thread = nullptr;
    DWORD m_parse_thread_id = 0;
    ChannelParser m_parser{m_port, m_log, m_dump, m_raw, m_parsed, m_settings_mutex, m_protocol};
    UINT m_raw_message, m_parsed_message, m_timeout_message, m_write_message;
};

}  // namespace helm::portserver
