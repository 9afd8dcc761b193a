// The Windows serial communications functions over Linux ttys: port
// settings (DCB), comm events with their mask and event character, purge,
// line errors and modem lines. A port is opened by number (OpenCommPort;
// COMn names and device paths are in port_names.h) and closed with
// CloseHandle. Handles are synchronous: an OVERLAPPED must be null.
#pragma once

#include "helm/kernel/types.h"

#ifndef ERROR_BAD_COMMAND
#define ERROR_BAD_COMMAND 22L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_BUSY
#define ERROR_BUSY 170L
#endif
#ifndef ERROR_OPERATION_ABORTED
#define ERROR_OPERATION_ABORTED 995L
#endif
#ifndef ERROR_DEVICE_NOT_CONNECTED
#define ERROR_DEVICE_NOT_CONNECTED 1167L
#endif
#ifndef ERROR_CANCELLED
#define ERROR_CANCELLED 1223L
#endif

#define NOPARITY 0
#define ODDPARITY 1
#define EVENPARITY 2
#define MARKPARITY 3
#define SPACEPARITY 4

#define ONESTOPBIT 0
#define ONE5STOPBITS 1
#define TWOSTOPBITS 2

#define CBR_110 110
#define CBR_300 300
#define CBR_600 600
#define CBR_1200 1200
#define CBR_2400 2400
#define CBR_4800 4800
#define CBR_9600 9600
#define CBR_14400 14400
#define CBR_19200 19200
#define CBR_38400 38400
#define CBR_56000 56000
#define CBR_57600 57600
#define CBR_115200 115200
#define CBR_128000 128000
#define CBR_256000 256000

#define DTR_CONTROL_DISABLE 0x00
#define DTR_CONTROL_ENABLE 0x01
#define DTR_CONTROL_HANDSHAKE 0x02
#define RTS_CONTROL_DISABLE 0x00
#define RTS_CONTROL_ENABLE 0x01
#define RTS_CONTROL_HANDSHAKE 0x02
#define RTS_CONTROL_TOGGLE 0x03

// Comm events.
#define EV_RXCHAR 0x0001u
#define EV_RXFLAG 0x0002u
#define EV_TXEMPTY 0x0004u
#define EV_CTS 0x0008u
#define EV_DSR 0x0010u
#define EV_RLSD 0x0020u
#define EV_BREAK 0x0040u
#define EV_ERR 0x0080u
#define EV_RING 0x0100u

#define PURGE_TXABORT 0x0001u
#define PURGE_RXABORT 0x0002u
#define PURGE_TXCLEAR 0x0004u
#define PURGE_RXCLEAR 0x0008u

// Line errors (ClearCommError).
#define CE_RXOVER 0x0001u
#define CE_OVERRUN 0x0002u
#define CE_RXPARITY 0x0004u
#define CE_FRAME 0x0008u
#define CE_BREAK 0x0010u

// Modem lines (GetCommModemStatus).
#define MS_CTS_ON 0x0010u
#define MS_DSR_ON 0x0020u
#define MS_RING_ON 0x0040u
#define MS_RLSD_ON 0x0080u

// EscapeCommFunction.
#define SETXOFF 1
#define SETXON 2
#define SETRTS 3
#define CLRRTS 4
#define SETDTR 5
#define CLRDTR 6
#define SETBREAK 8
#define CLRBREAK 9

// 28 bytes, laid out as on Windows: the flag bits form one DWORD after
// BaudRate (callers may mask it as such).
struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};
typedef DCB* LPDCB;
static_assert(sizeof(DCB) == 28);

struct COMSTAT {
    DWORD fCtsHold : 1;
    DWORD fDsrHold : 1;
    DWORD fRlsdHold : 1;
    DWORD fXoffHold : 1;
    DWORD fXoffSent : 1;
    DWORD fEof : 1;
    DWORD fTxim : 1;
    DWORD fReserved : 25;
    DWORD cbInQue;
    DWORD cbOutQue;
};
typedef COMSTAT* LPCOMSTAT;

#define PST_RS232 0x00000001u
struct COMMCONFIG {
    DWORD dwSize;
    WORD wVersion;
    WORD wReserved;
    DCB dcb;
    DWORD dwProviderSubType;
    DWORD dwProviderOffset;
    DWORD dwProviderSize;
    WCHAR wcProviderData[1];
};
typedef COMMCONFIG* LPCOMMCONFIG;

struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

// Opens port n (1 to 32) as it is mapped (port_names.h): 8 data bits, no
// parity, 1 stop bit, 9600 baud, no flow control, raw bytes. Access and
// flags are not looked at. Fails with ERROR_FILE_NOT_FOUND (no such port
// or device), ERROR_ACCESS_DENIED (another program has it open, or no
// permission) or ERROR_GEN_FAILURE (the device is not a tty).
HANDLE OpenCommPort(ULONG portNumber, DWORD desiredAccess, DWORD flagsAndAttributes);

// Baud rates without a termios constant are set as they are. Refused with
// ERROR_INVALID_PARAMETER: a baud rate no line carries (outside
// helm::serial::kLowestBaud to kHighestBaud), data bits outside 5 to 8, an
// unknown parity or stop code, 1.5 stop bits with 6 to 8 data bits, 2 with
// 5, equal XON and XOFF characters. DSR flow control, DTR handshake and
// RTS toggling have no Linux equivalent: ERROR_NOT_SUPPORTED.
BOOL GetCommState(HANDLE file, LPDCB dcb);
BOOL SetCommState(HANDLE file, LPDCB dcb);
// "baud=19200 parity=O data=8 stop=2" or the older "19200,o,8,2" (an
// optional "COMn:" first); other fields of the DCB are kept.
BOOL BuildCommDCB(LPCSTR definition, LPDCB dcb);

// Setting the mask clears the events seen so far and makes a
// WaitCommEvent of another thread return TRUE with no event.
BOOL SetCommMask(HANDLE file, DWORD eventMask);
BOOL GetCommMask(HANDLE file, LPDWORD eventMask);
// Blocks until an event of the mask has happened since the mask was set or
// the last wait returned, and gives those events. EV_RXFLAG comes with the
// event character of the DCB. A device that went away gives its last
// received bytes first, then FALSE with ERROR_DEVICE_NOT_CONNECTED; a
// closed handle FALSE with ERROR_OPERATION_ABORTED; a mask of 0
// ERROR_INVALID_PARAMETER.
BOOL WaitCommEvent(HANDLE file, LPDWORD eventMask, LPOVERLAPPED overlapped);

BOOL PurgeComm(HANDLE file, DWORD flags);
// The line errors since the last call (CE_*) and the queue counts.
BOOL ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT status);
// FALSE with ERROR_NOT_SUPPORTED where the device has no modem lines (a
// pseudo-terminal).
BOOL GetCommModemStatus(HANDLE file, LPDWORD modemStatus);
BOOL EscapeCommFunction(HANDLE file, DWORD function);

// The default settings of a port by name ("COM3"): *size too small gives
// FALSE, ERROR_INSUFFICIENT_BUFFER and the size needed.
BOOL GetDefaultCommConfig(LPCSTR name, LPCOMMCONFIG config, LPDWORD size);
#define GetDefaultCommConfigA GetDefaultCommConfig
#define BuildCommDCBA BuildCommDCB

namespace helm::serial {

// The rates a serial line can carry: from the slowest teleprinter lines to
// the fastest UARTs of a PC.
inline constexpr DWORD kLowestBaud = 50;
inline constexpr DWORD kHighestBaud = 4000000;

// Reads what has arrived, without waiting: the count, or -1 with the last
// error (ERROR_DEVICE_NOT_CONNECTED once the device is gone and its bytes
// are read, ERROR_INVALID_HANDLE).
int read_comm(HANDLE file, void* buffer, DWORD size);
// Writes every byte unless `timeout_ms` runs out (ERROR_TIMEOUT) or the
// device fails: the count written, -1 when none could be.
int write_comm(HANDLE file, const void* data, DWORD size, DWORD timeout_ms);
// Ends every WaitCommEvent of the port, now and later, with
// ERROR_OPERATION_ABORTED (before the port is closed by its owner).
BOOL abort_comm_waits(HANDLE file);

}  // namespace helm::serial
