// port-records: a client of Portserver, as a program of the suite would be,
// that prints the records of one port in the terminal. It starts Portserver
// through Portlink when it is not running (showing its window), configures
// the port and switches it on, subscribes this thread to the port's parsed
// block and prints one line per record: the port, the record's time stamp,
// then the sentence for a raw text record or the kind for a decoded one.
// At the end (Ctrl-C, or --seconds) it leaves, switches the port off again
// and asks the server to close, which it does once no client is left.
//
//   port-records [--port N] [--baud B] [--parity none|odd|even|mark|space]
//                [--stop 1|1.5|2] [--data-bits N] [--protocol NAME] [--seconds S]
//
// The defaults are the Talvor's line: port 1, 19200 baud, odd parity,
// 2 stop bits, 8 data bits, "NMEA0183".
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

#include "helm/portlink/channel_client.h"
#include "helm/portlink/server_client.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void on_signal(int) { g_stop = 1; }

int usage()
{
    std::fprintf(stderr,
                 "usage: port-records [--port N] [--baud B] [--parity none|odd|even|mark|space]\n"
                 "                    [--stop 1|1.5|2] [--data-bits N] [--protocol NAME] [--seconds S]\n");
    return 2;
}

bool number(const char* text, long low, long high, long* out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high)
        return false;
    *out = value;
    return true;
}

int index_of(const char* text, std::initializer_list<const char*> words)
{
    int i = 0;
    for (const char* word : words) {
        if (std::strcmp(text, word) == 0)
            return i;
        ++i;
    }
    return -1;
}

const char* kind_name(int kind)
{
    switch (kind) {
    case REC_ATTITUDE: return "attitude";
    case REC_POSITION: return "position";
    case REC_GPS_QUALITY: return "GPS quality";
    case REC_DEPTH: return "depth";
    case REC_HEADING_SPEED: return "heading and speed";
    case REC_TIME: return "time";
    default: return "decoded";
    }
}

void print_record(sMMF_CLIENT& client, int port, LPARAM offset)
{
    BYTE* record = nullptr;
    if (F_GetParsedMMFData(&client, offset, &record) != 1)
        return;
    sPARSED_RECORD head;
    std::memcpy(&head, record, sizeof head);
    char text[1100];
    if (head.kind == REC_RAW_TEXT && helm::portlink::read_raw_text(client, offset, text, sizeof text) >= 0) {
        sRAW_TEXT_RECORD raw;
        std::memcpy(&raw, record, sizeof raw);
        std::string line(text);
        line.erase(line.find_last_not_of("\r\n") + 1);
        std::printf("port %d  T=%u  %s\n", port, static_cast<unsigned>(raw.time_stamp_ms), line.c_str());
    } else {
        std::printf("port %d  T=%u  kind %u (%s)\n", port, static_cast<unsigned>(head.time_stamp_ms),
                    static_cast<unsigned>(head.kind), kind_name(head.kind));
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    long port = 1, baud = 19200, parity = 1 /* odd */, stop = 2, data_bits = 8, seconds = 0;
    std::string protocol = "NMEA0183";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[++i] : nullptr;
        if (!next)
            return usage();
        if (arg == "--port" && number(next, 1, PORTLINK_LAST_PORT, &port)) {
        } else if (arg == "--baud" && number(next, 1, 4000000, &baud)) {
        } else if (arg == "--parity" && (parity = index_of(next, {"none", "odd", "even", "mark", "space"})) >= 0) {
        } else if (arg == "--stop" && (stop = index_of(next, {"1", "1.5", "2"})) >= 0) {
        } else if (arg == "--data-bits" && number(next, 5, 8, &data_bits)) {
        } else if (arg == "--protocol" && std::strlen(next) < MMF_PROTOCOL_NAME_SIZE) {
            protocol = next;
        } else if (!(arg == "--seconds" && number(next, 1, 86400 * 365, &seconds))) {
            return usage();
        }
    }
    signal(SIGINT, on_signal);
    signal(SIGTERM, on_signal);

    if (F_RunServer(1) != 1 || FindWindow(PORTSERVER_WINDOW_CLASS, nullptr) == nullptr) {
        std::fprintf(stderr, "port-records: Portserver is not running\n");
        return 1;
    }
    const int p = static_cast<int>(port);
    if (helm::portlink::is_serial_port(p) &&
        F_ConfigPort(p, static_cast<int>(baud), static_cast<int>(stop), static_cast<int>(parity),
                     static_cast<int>(data_bits), protocol.c_str()) != 1) {
        std::fprintf(stderr, "port-records: port %d refused its settings\n", p);
        return 1;
    }
    F_SetPortON(p);
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE);
    sMMF_CLIENT client{};
    if (F_GetPortOnOff(p) != 1 || F_OpenSerialMMF(&client, p) != 1 ||
        F_ConnectThreadToMMF(&client, GetCurrentThreadId(), 0) != 1) {
        std::fprintf(stderr, "port-records: port %d is not there or would not open\n", p);
        F_CloseSerialMMF(&client);
        return 1;
    }
    std::printf("port %d on; Ctrl-C ends\n", p);
    std::fflush(stdout);

    const UINT parsed = helm::portlink::channel_messages().new_parsed_data;
    const UINT quiet = helm::portlink::channel_messages().serial_timeout;
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    while (!g_stop && (seconds == 0 || static_cast<int32_t>(end - GetTickCount()) > 0)) {
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_POSTMESSAGE);
            continue;
        }
        if (msg.message == parsed && msg.wParam == static_cast<WPARAM>(p))
            print_record(client, p, msg.lParam);
        else if (msg.message == quiet)
            std::printf("port %d quiet\n", p);
    }
    F_DisconnectThreadToMMF(&client, GetCurrentThreadId());
    F_CloseSerialMMF(&client);
    F_SetPortOFF(p);
    F_StopServer();
    return 0;
}
