#include "serial_channel.h"

#include <cstring>
#include <string>
#include <vector>

#include "helm/outside/timestamper.h"
#include "helm/portlink/port_settings.h"
#include "helm/serial/comm_dialog.h"

static_assert(helm::portlink::kLowestLineRate == helm::serial::kLowestBaud &&
              helm::portlink::kHighestLineRate == helm::serial::kHighestBaud);

namespace helm::portserver {

using portlink::BlockKind;
using portlink::channel_messages;

class SerialChannel::Tty : public CTTY {
public:
    explicit Tty(SerialChannel* owner) : owner(owner) {}
    Tty(SerialChannel* owner, BYTE trigger) : CTTY(trigger), owner(owner) {}
    SerialChannel* const owner;
};

namespace {

// The message that ends a parse-and-write thread.
constexpr UINT kEndThread = 2;
constexpr DWORD kFirstWaitMs = 5000;
constexpr DWORD kReadBlock = 1024;

}  // namespace

SerialChannel::SerialChannel(int port, const sCOM_CONFIG& config, const sPORT_PROTOCOL& protocol,
                             const ChannelTrace& trace)
    : m_port(port), m_log(trace.log), m_dump(port, trace.dump_folder)
{
    const auto& messages = channel_messages();
    m_raw_message = messages.raw_serial_data;
    m_parsed_message = messages.new_parsed_data;
    m_timeout_message = messages.serial_timeout;
    m_write_message = messages.write_serial_data;

    m_tty = config.trigger ? std::make_unique<Tty>(this, config.trigger) : std::make_unique<Tty>(this);
    m_tty->P_setPort(port);
    m_config = config;
    m_config.present = 0;
    m_config.on_off = 0;
    copy_text_field(m_protocol.name, sizeof m_protocol.name, protocol.name);
    copy_text_field(m_protocol.options, sizeof m_protocol.options, protocol.options);
    P_UpdateFrame(&m_protocol);
    apply_line_settings();

    if (m_tty->OpenConnection(read_thread) == 1) {
        m_present = true;
        m_tty->CloseConnection();
    }
    m_config.present = m_present ? 1 : 0;
    if (m_present && !create_blocks())
        m_present = false;
}

SerialChannel::~SerialChannel()
{
    if (m_on)
        close();
    m_tty.reset();
    close_blocks();
}

void SerialChannel::apply_line_settings()
{
    m_tty->P_setBaud(static_cast<DWORD>(m_config.baud));
    m_tty->P_setBit(static_cast<BYTE>(m_config.data_bits));
    m_tty->P_setParity(static_cast<BYTE>(m_config.parity));
    m_tty->P_setStop(static_cast<BYTE>(m_config.stop_bits));
}

bool SerialChannel::create_blocks()
{
    m_parse_thread = CreateThread(nullptr, 0, parse_thread, this, 0, &m_parse_thread_id);
    if (!m_parse_thread)
        return false;
    if (!m_parsed.create(m_port, BlockKind::parsed, m_protocol.name) ||
        !m_raw.create(m_port, BlockKind::raw, m_protocol.name)) {
        close_blocks();
        return false;
    }
    reset_headers();
    return true;
}

void SerialChannel::close_blocks()
{
    if (m_parse_thread) {
        PostThreadMessage(m_parse_thread_id, kEndThread, 0, 0);
        WaitForSingleObject(m_parse_thread, 5000);
        CloseHandle(m_parse_thread);
        m_parse_thread = nullptr;
    }
    m_parsed.close();
    m_raw.close();
}

void SerialChannel::reset_headers()
{
    std::lock_guard lock(m_settings_mutex);
    const double ms_per_character = m_tty->F_getMsPerChar();
    m_parser.set_character_time(ms_per_character);
    m_parsed.reset(m_protocol.name, ms_per_character, m_on, m_parse_thread_id);
    m_raw.reset(m_protocol.name, ms_per_character, m_on, m_read_thread_id);
}

int SerialChannel::open()
{
    if (!m_present)
        return 0;
    m_raw_ring.reset();
    m_parser.restart();
    const int result = m_tty->OpenConnection(read_thread);
    if (result == 1) {
        m_on = true;
        reset_headers();
    }
    return result;
}

int SerialChannel::close()
{
    const int result = m_tty->CloseConnection();
    if (result == 1) {
        m_on = false;
        reset_headers();
    }
    return result;
}

void SerialChannel::configure(const sCOM_CONFIG& changes, const char* protocol, const char* options)
{
    {
        std::lock_guard lock(m_settings_mutex);
        if (changes.baud != -1)
            m_config.baud = changes.baud;
        if (changes.parity != -1)
            m_config.parity = changes.parity;
        if (changes.stop_bits != -1)
            m_config.stop_bits = changes.stop_bits;
        if (changes.data_bits != -1)
            m_config.data_bits = changes.data_bits;
        if (changes.timeout_ms != -1)
            m_config.timeout_ms = changes.timeout_ms;
        if (protocol && *protocol)
            copy_text_field(m_protocol.name, sizeof m_protocol.name, protocol);
        copy_text_field(m_protocol.options, sizeof m_protocol.options, options);
        P_UpdateFrame(&m_protocol);
        apply_line_settings();
        m_parser.framing_changed();
    }
    reset_headers();
}

bool configuration_is_valid(const sCOM_CONFIG& current, const sCOM_CONFIG& changes)
{
    using namespace portlink;
    auto merged = [](int32_t change, int32_t now) { return change == -1 ? now : change; };
    const int32_t data_bits = merged(changes.data_bits, current.data_bits);
    return is_line_rate(merged(changes.baud, current.baud)) &&
           is_parity_code(merged(changes.parity, current.parity)) && is_data_bits(data_bits) &&
           is_stop_code(merged(changes.stop_bits, current.stop_bits), data_bits);
}

int SerialChannel::write_text_to_send()
{
    if (!m_on || !m_parsed.valid())
        return -1;
    char text[MMF_TEXT_TO_SEND_SIZE];
    const char* area = m_parsed.header()->text_to_send;
    const size_t length = strnlen(area, MMF_TEXT_TO_SEND_SIZE - 1);
    std::memcpy(text, area, length);
    text[length] = '\0';
    if (length == 0)
        return 0;
    return m_tty->WriteCom(text, static_cast<int>(length));
}

bool SerialChannel::comm_settings_dialog(HWND owner)
{
    if (!m_present || m_on)
        return false;
    const std::string name = m_tty->F_getTextePort();
    // The configuration as the system gives it, in a buffer grown to the
    // size it asks for (bounded: the size is the system's to say).
    constexpr DWORD kFirstSize = 52, kLargestSize = 64 * 1024;
    std::vector<DWORD> buffer(kFirstSize / sizeof(DWORD));
    DWORD size = kFirstSize;
    auto* config = reinterpret_cast<COMMCONFIG*>(buffer.data());
    BOOL done = GetDefaultCommConfig(name.c_str(), config, &size);
    if (!done && GetLastError() == ERROR_INSUFFICIENT_BUFFER && size > kFirstSize && size <= kLargestSize) {
        buffer.resize((size + sizeof(DWORD) - 1) / sizeof(DWORD));
        config = reinterpret_cast<COMMCONFIG*>(buffer.data());
        done = GetDefaultCommConfig(name.c_str(), config, &size);
    }
    if (done) {
        DCB& dcb = config->dcb;
        {
            std::lock_guard lock(m_settings_mutex);
            dcb.BaudRate = static_cast<DWORD>(m_config.baud);
            dcb.ByteSize = static_cast<BYTE>(m_config.data_bits);
            dcb.Parity = static_cast<BYTE>(m_config.parity);
            dcb.StopBits = static_cast<BYTE>(m_config.stop_bits);
        }
        dcb.DCBlength = sizeof(DCB);
        dcb.XonLim = 100;
        dcb.XoffLim = 100;
        dcb.XonChar = 17;
        dcb.XoffChar = 19;
        // No flow control and no handshake lines.
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = 0;
        dcb.fDtrControl = dcb.fRtsControl = 0;
        dcb.fOutX = dcb.fInX = dcb.fNull = 0;
        dcb.fBinary = 1;
        dcb.fParity = 1;
        done = CommConfigDialog(name.c_str(), owner, config);
    }
    if (!done) {
        const DWORD error = GetLastError();
        if (error != ERROR_CANCELLED) {
            char text[512];
            if (!FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                               sizeof text, nullptr))
                std::snprintf(text, sizeof text, "Error %lu", static_cast<unsigned long>(error));
            MessageBox(owner, text, "Serial OnCommSettings", MB_OK);
        }
        return false;
    }
    {
        std::lock_guard lock(m_settings_mutex);
        m_config.baud = static_cast<int32_t>(config->dcb.BaudRate);
        m_config.data_bits = config->dcb.ByteSize;
        m_config.parity = config->dcb.Parity;
        m_config.stop_bits = config->dcb.StopBits;
        apply_line_settings();
    }
    reset_headers();
    return true;
}

sCOM_CONFIG SerialChannel::config() const
{
    std::lock_guard lock(m_settings_mutex);
    sCOM_CONFIG config = m_config;
    config.on_off = m_on ? 1 : 0;
    return config;
}

sPORT_PROTOCOL SerialChannel::protocol() const
{
    std::lock_guard lock(m_settings_mutex);
    return m_protocol;
}

DWORD WINAPI SerialChannel::read_thread(LPVOID tty)
{
    auto* self = static_cast<Tty*>(tty);
    return self->owner->run_read(*self);
}

DWORD SerialChannel::run_read(CTTY& tty)
{
    m_read_thread_id = GetCurrentThreadId();
    // The character time counts the parity bit only when there is parity.
    const double ms_per_character = tty.F_getMsPerChar();
    const HANDLE port = tty.F_getHandle();
    const DWORD mask = tty.F_getEventMask();
    if (!SetCommMask(port, mask))
        return 2;
    tty.Purge();
    SetEvent(tty.F_getStartedEvent());

    bool first = true;
    BYTE buffer[kReadBlock];
    while (tty.F_isConnected()) {
        DWORD events = 0;
        const BOOL waited = WaitCommEvent(port, &events, nullptr);
        const DWORD tick = F_GetTickCountEx();
        SYSTEMTIME local_time;
        GetLocalTime(&local_time);
        if (WaitForSingleObject(tty.F_getStopEvent(), 0) == WAIT_OBJECT_0)
            return GetLastError();
        if (!waited) {
            if (GetLastError() == ERROR_OPERATION_ABORTED || !tty.F_isConnected())
                break;
            continue;
        }
        if ((events & mask) != mask)
            continue;
        const int length = tty.ReadCommBlock(reinterpret_cast<char*>(buffer), kReadBlock);
        if (length < 0)
            break;
        if (length == 0)
            continue;
        if (first) {
            // What was on the line when the port opened may be the tail
            // of a sentence: the first block is not kept.
            first = false;
            continue;
        }
        const double stamp = static_cast<double>(tick) - length * ms_per_character;
        const int64_t at = m_raw_ring.write(m_raw, stamp, local_time, buffer, static_cast<uint32_t>(length));
        if (at < 0)
            continue;
        m_dump.raw(buffer, static_cast<size_t>(length));
        PostThreadMessage(m_parse_thread_id, m_raw_message, static_cast<WPARAM>(at), 0);
        m_raw.post(m_raw_message, static_cast<WPARAM>(m_port), static_cast<LPARAM>(at) + MMF_HEADER_SIZE);
    }
    return 0;
}

DWORD WINAPI SerialChannel::parse_thread(LPVOID self)
{
    static_cast<SerialChannel*>(self)->run_parse();
    return 0;
}

void SerialChannel::run_parse()
{
    DWORD wait = kFirstWaitMs;
    for (;;) {
        const DWORD result = MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_POSTMESSAGE);
        int32_t timeout;
        {
            std::lock_guard lock(m_settings_mutex);
            timeout = m_config.timeout_ms;
        }
        // A time-out of 0 or less means the port is never reported quiet.
        wait = timeout > 0 ? static_cast<DWORD>(timeout) : INFINITE;
        if (result == WAIT_TIMEOUT) {
            if (m_on) {
                m_raw.post(m_timeout_message, static_cast<WPARAM>(m_port), 0);
                m_parsed.post(m_timeout_message, static_cast<WPARAM>(m_port), 0);
            }
            continue;
        }
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kEndThread)
                return;
            if (msg.message == m_raw_message)
                m_parser.on_raw_record(static_cast<DWORD>(msg.wParam));
            else if (msg.message == m_write_message)
                write_text_to_send();
        }
    }
}

}  // namespace helm::portserver
