// The one object through which the main program talks to the sensor. It
// owns the sensor's records, both command sets and the link: a worker
// thread that switches the chosen port on through the I/O server,
// subscribes to the port's parsed block, decodes every sentence that
// arrives and writes each due command to the port. It also records the
// decoded sentences for replay and plays a recording back, and relays the
// link to a remote-support tunnel through a socket of the I/O server.
//
// Every operation is called from the main program's window thread. The
// registered messages go to the main window of the calling thread; the
// link threads post to the main window of the thread that started them.
#pragma once

#include <atomic>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>

#include "helm/afx/CString.h"
#include "helm/kernel/sync.h"
#include "helm/portlink/channel_memory.h"
#include "helm/sensorlink/C_Q_InsCtrlCmd.h"
#include "helm/sensorlink/C_Q_InsData.h"
#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"
#include "helm/sensorlink/C_Q_TvrData.h"

class CWinThread;

// wParam of "VARNEK_SERVER_CONNECTION_STATE".
#define SERVER_STATE_CONNECTED 0
#define SERVER_STATE_DISCONNECTED 1  // also a connection that failed
#define SERVER_STATE_CONNECTING 2
#define SERVER_STATE_REMOTE_CONNECTED 10
#define SERVER_STATE_REMOTE_CLOSED 11

#define CNX_TYPE_SERIAL 1
#define CNX_TYPE_SOCKET 2

class C_Q_Server {
public:
    C_Q_Server();
    // Stops the relay and the worker and waits for both to end.
    ~C_Q_Server();
    C_Q_Server(const C_Q_Server&) = delete;
    C_Q_Server& operator=(const C_Q_Server&) = delete;

    // Stores the trace flag and the repeater type (0 Talvor, any other
    // value an inertial system) and makes the folders "ReplayFile" and
    // "DebugFile" in `folder`: the replay file "TmpReplay.txt" and the
    // send/receive trace "Recept_Send_Debug.txt" go there.
    void F_UpdateCheminSoft(const char* folder, bool debug, unsigned short repeaterType);
    // Clears the data records and both command sets (queues emptied); 0.
    int F_InitData();

    // The serial ports 1 to 31 (sockets 1 to 5, tested as ports 33 to 37)
    // the I/O server owns and that are off: 0 when there is one, else -1.
    int F_CheckAndListValidSerialPort();
    int F_CheckAndListValidSocketPort();
    unsigned int* F_GetListValidSerialPort() { return m_validSerial; }
    unsigned int F_GetTailleListSerialPort() const { return m_nbValidSerial; }
    unsigned int* F_GetListValidSocketPort() { return m_validSocket; }
    unsigned int F_GetTailleListSocketPort() const { return m_nbValidSocket; }

    // Posts "connecting", then starts the worker on `port` (type 1 serial
    // with baud, parity and stop bits, type 2 socket with mode, address and
    // IP port of `param`): 0, and the outcome comes as "connected" or
    // "disconnected". -1 and "disconnected" when a link runs or the port is
    // not the server's or is on.
    int F_ConnectToSystem(unsigned short type, unsigned short port, sCNX_PARAM* param);
    // Switches the port off, stops the worker (1000 ms at most), clears the
    // records and command sets and posts "disconnected". 0 when the worker
    // ended (or there was none), -1 when it did not end in time (it is kept,
    // and joined later), -2 when the wait was abandoned.
    int F_DisconnectCnxSystem();
    // The port while connected; while a worker runs unconnected, -1 before
    // its set-up is done and -2 after (a failed attempt); 0 when idle.
    int F_GetCnxSystemState();
    int F_GetCnxSystemType() const { return m_cnxType; }
    // The link parameters of the current (or last) link.
    const sCNX_PARAM* F_GetCnxParam() const { return &m_cnxParam; }
    // Asks the worker to send the next due command (or the wake-up): 0
    // when asked, -1 when there is no link or nothing to send.
    int F_AskSendFrameToSystem();

    // Worker side, exported. The wake-up while the sensor asks for it,
    // else the sentence(s) of the first due queue entry: 0 and the frame
    // appended to `frame`, -1 when there is nothing to send.
    int F_MakeSendFrameToSystem(CString* frame);
    // One sentence from the sensor, as the worker handles it: traced,
    // checksum tested, offered to the answer decoder and then to the data
    // decoder, recorded for replay while recording; a data sentence of a
    // sensor whose model is still unknown queues the model's ask. The
    // decoders' result: 0 answer or data, else nonzero (nothing decoded).
    int F_DecodeFrameFromSystem(std::string_view text, DWORD timeStamp);
    // Local time of day in ms; wraps at midnight.
    static unsigned int F_GetSystemTimeInMS();

    // Replay. Recording is toggled in the worker: the decoded sentences go
    // to `path` (null or empty: "TmpReplay.txt"), one a line with their
    // time stamp. 0 when the worker was asked, -1 without a link.
    int F_StartOrStopRecordFileReplay(const char* path);
    // Playback, without a link: the recorded sentences go through the
    // decoders again, in their recorded rhythm. Start: 0, -1 when a link
    // runs or the file cannot be opened. Read: plays what falls within the
    // next `elapsedMs` of recorded time (at most kMaxReplayPerRead
    // sentences); the number played, or -1 once the file is done (then
    // "ZQO_REPLAY_FILE" is posted once) or without a replay. Stop: 0, or -1
    // without a replay; the records are cleared.
    int F_StartReplayFile(const char* path);
    int F_ReadReplayFile(unsigned int elapsedMs);
    int F_StopReplayFile();
    static constexpr int kMaxReplayPerRead = 1000;

    // Remote support: relays the sensor link to the tunnel program's local
    // TCP port through the first free socket of the I/O server (a TCP
    // client of 127.0.0.1). Connect: 0 and later "remote connected" (10)
    // or "remote closed" (11); -1 without a sensor link, with a relay
    // running or without a free socket. Disconnect: ends the relay, posts
    // 11; 0 when a relay ended, -1 when none ran or it did not end in time.
    int F_ConnectToPcDistant(unsigned short tunnelPort);
    int F_DisconnectCnxPcDistant();
    // The relay's socket port while connected, -1 while it starts, 0 idle.
    int F_GetCnxPcDistantState();

    static UINT F_GetServerConnectionStateMessage();
    static UINT F_GetReplayMessage();
    static UINT F_GetDistStartMessage();
    static UINT F_GetDistStopMessage();
    static UINT F_GetServStartMessage();
    static int F_GetIdServeur() { return 0; }

    C_Q_TvrCtrlCmd* F_GetTvrCtrlCmd() { return &m_tvrCtrlCmd; }
    C_Q_TvrData* F_GetTvrDataDecoder() { return &m_tvrData; }
    C_Q_InsCtrlCmd* F_GetInsCtrlCmd() { return &m_insCtrlCmd; }
    C_Q_InsData* F_GetInsDataDecoder() { return &m_insData; }

private:
    static UINT worker_entry(LPVOID server);
    static UINT relay_entry(LPVOID server);
    UINT run_worker();
    UINT run_relay();
    bool set_up_port(unsigned short port, unsigned short type, const sCNX_PARAM& param, sMMF_CLIENT* client);
    void tear_down_port(unsigned short port, sMMF_CLIENT* client);
    // false when the link ended on its own (the server went away).
    bool wait_loop(unsigned short port, sMMF_CLIENT* client, bool relay);
    void read_record(sMMF_CLIENT* client, LPARAM offset, bool relay);
    void pass_on(std::deque<std::string>* queue, std::string_view text, const DWORD* thread);
    // false when a write failed because the server is gone.
    bool write_frames(sMMF_CLIENT* client, LPARAM what, bool relay);
    void toggle_recording();
    bool next_replay_line();
    void trace(std::string_view text);
    void init_records();
    CWinThread* start_thread(UINT (*entry)(LPVOID), DWORD* thread_id);
    void reap_if_ended(CWinThread** thread);
    int stop_thread(CWinThread** thread, std::atomic<bool>* stop, DWORD wait_ms);
    void record(std::string_view text, DWORD timeStamp);
    bool is_talvor() const { return m_repeaterType == 0; }

    C_Q_TvrData m_tvrData;
    C_Q_InsData m_insData;
    std::atomic<BYTE> m_connected{0};
    std::atomic<BYTE> m_workerStarted{0};
    std::atomic<BYTE> m_remoteConnected{0};
    CWinThread* m_worker = nullptr;
    CWinThread* m_relay = nullptr;
    std::atomic<bool> m_stopWorker{false};
    std::atomic<bool> m_stopRelay{false};
    WORD m_systemPort = 0;
    WORD m_remotePort = 0;
    WORD m_cnxType = 0;
    sCNX_PARAM m_cnxParam{};
    sCNX_PARAM m_remoteParam{};
    char m_debugPath[1024] = {};
    BYTE m_debug = 0;
    std::FILE* m_traceFile = nullptr;
    std::FILE* m_replayFile = nullptr;
    char m_replayPath[1024] = {};
    char m_recordPath[1024] = {};
    BYTE m_recording = 0;
    BYTE m_replaying = 0;
    // Playback: the clock (ms of recorded time played so far), the next
    // sentence with the recorded time it falls due, and the last stamp.
    bool m_replayDone = false;
    uint64_t m_replayClock = 0;
    uint64_t m_replayDue = 0;
    DWORD m_replayLastStamp = 0;
    bool m_replayHasLast = false;
    std::string m_replayNext;
    C_Q_TvrCtrlCmd m_tvrCtrlCmd;
    C_Q_InsCtrlCmd m_insCtrlCmd;
    WORD m_repeaterType = 0;
    unsigned int m_validSerial[32] = {};
    unsigned int m_nbValidSerial = 0;
    unsigned int m_validSocket[5] = {};
    unsigned int m_nbValidSocket = 0;

    // Keeps the decoders and the frame builder apart from a clearing of the
    // records by the window thread.
    CRITICAL_SECTION m_recordsLock;
    // Texts between the sensor's worker and the relay, each way; the thread
    // ids the two post to, cleared before each thread ends.
    CRITICAL_SECTION m_relayLock;
    std::deque<std::string> m_toRemote;
    std::deque<std::string> m_toSensor;
    DWORD m_workerThreadId = 0;
    DWORD m_relayThreadId = 0;
};
