// CTTY: one serial port of the outside serial library, with the read
// thread that serves it.
//
//   CTTY tty(trigger);            // or CTTY tty; for every byte
//   tty.P_setPort(3); tty.P_setBaud(19200); tty.P_setParity(ODDPARITY); ...
//   if (tty.OpenConnection(read_thread) == 1) ...
//
// OpenConnection opens the port with the settings, then runs the read-thread
// routine with the CTTY as its argument. The routine waits for comm events
// on F_getHandle() with F_getEventMask(), reads with ReadCommBlock while
// F_isConnected(), and ends when the stop event is set or a wait fails; it
// signals the started event once it waits. When it returns, the library
// clears the thread flag and sets the ended event (the routine may do so
// itself too). Settings may change at any time; on an open port they apply
// at once.
#pragma once

#include <mutex>
#include <string>

#include "helm/kernel/threads.h"
#include "helm/kernel/types.h"
#include "helm/serial/comm.h"

// Flow control.
#define TTY_FLOW_NONE 0
#define TTY_FLOW_XONXOFF 1
#define TTY_FLOW_RTSCTS 2

class CTTY {
public:
    // Reads on every byte (EV_RXCHAR).
    CTTY();
    // Reads when the trigger byte arrives (EV_RXCHAR | EV_RXFLAG, the
    // trigger as event character).
    explicit CTTY(BYTE trigger);
    // Closes the connection; waits for the read thread however long it
    // takes, since it uses this object.
    ~CTTY();
    CTTY(const CTTY&) = delete;
    CTTY& operator=(const CTTY&) = delete;

    // Port 1 to 32; baud any rate above 0; data bits 5 to 8; parity
    // NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY; stop
    // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS; a flow control TTY_FLOW_*.
    // A value out of range is kept and refused by OpenConnection
    // (ERROR_INVALID_PARAMETER); on an open port a refused change leaves
    // the line as it was.
    void P_setPort(int port);
    void P_setBaud(DWORD baud);
    void P_setBit(BYTE dataBits);
    void P_setParity(BYTE parity);
    void P_setStop(BYTE stop);
    void P_setFlowControl(int flow);
    void P_setEventMask(DWORD mask);

    // 1 when the port is open and the routine runs (or has not said it
    // started within 2 s), 0 with the last error otherwise: the port
    // cannot open, a setting is refused, the routine ended at once, or the
    // connection is already open (ERROR_BUSY).
    int OpenConnection(LPTHREAD_START_ROUTINE readThread);
    // Stops the routine (stop event, an empty comm event), waits up to 5 s
    // for it and closes the port: 1, also when nothing was open; 0 with
    // ERROR_TIMEOUT when the routine does not end (the port stays open).
    int CloseConnection();
    // Empties both queues, the port's and the tty's.
    void Purge();
    // What has arrived, up to `maxLength` bytes, without waiting; -1 with
    // the last error when the device is gone (ERROR_DEVICE_NOT_CONNECTED)
    // or the port is not open (ERROR_INVALID_HANDLE).
    int ReadCommBlock(char* buffer, int maxLength);
    // Sends `length` bytes, or the text up to its NUL when `length` is 0.
    // Waits while the line is held by flow control, for at most twice the
    // time the bytes take on the line plus 1 s. Returns the count sent, -1
    // with the last error when nothing could be sent.
    int WriteCom(const char* text, int length);

    // Texts of the settings: "COM3", "19200", "8", "Odd", "2", "RTS/CTS",
    // and all together as BuildCommDCB reads them back: "19200,O,8,2".
    std::string F_getTextePort() const;
    std::string F_getTexteBaud() const;
    std::string F_getTexteBit() const;
    std::string F_getTexteParity() const;
    std::string F_getTexteStop() const;
    std::string F_getTexteFlowControl() const;
    std::string F_getTexteSettings() const;

    // The settings. F_isConnected() turns FALSE by itself once the device
    // has gone away and its last bytes have been read.
    HANDLE F_getHandle() const;
    BOOL F_isConnected() const;
    BOOL F_isThreadRunning() const;
    int F_getPort() const;
    DWORD F_getBaud() const;
    BYTE F_getBit() const;
    BYTE F_getParity() const;
    BYTE F_getStop() const;
    int F_getFlowControl() const;
    DWORD F_getEventMask() const;
    BYTE F_getEventChar() const;
    // The time one character takes on the line: start bit, data bits,
    // parity bit when there is parity, stop bits.
    double F_getMsPerChar() const;

    // Manual-reset events: stop request (set by CloseConnection), thread
    // started (set by the routine), thread ended (set when it returns).
    HANDLE F_getStopEvent() const { return m_stop_event; }
    HANDLE F_getStartedEvent() const { return m_started_event; }
    HANDLE F_getEndedEvent() const { return m_ended_event; }

private:
    static DWORD WINAPI thread_main(LPVOID self);
    DCB dcb_locked() const;
    double ms_per_char_locked() const;
    void apply_if_open_locked();
    void close_port_locked();

    mutable std::mutex m_mutex;  // settings and the handles below
    int m_port = 1;
    DWORD m_baud = CBR_9600;
    BYTE m_data_bits = 8;
    BYTE m_parity = NOPARITY;
    BYTE m_stop = ONESTOPBIT;
    int m_flow = TTY_FLOW_NONE;
    DWORD m_event_mask = EV_RXCHAR;
    BYTE m_event_char = 0;
    HANDLE m_port_handle = nullptr;
    HANDLE m_thread = nullptr;
    LPTHREAD_START_ROUTINE m_routine = nullptr;
    bool m_connected = false;
    bool m_thread_running = false;

    HANDLE m_stop_event = nullptr;
    HANDLE m_started_event = nullptr;
    HANDLE m_ended_event = nullptr;
    std::mutex m_open_close;  // one OpenConnection or CloseConnection at a time
};
