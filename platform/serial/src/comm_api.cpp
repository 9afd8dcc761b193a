// The Windows comm functions: each finds the port behind its handle.
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "comm_device.h"
#include "helm/kernel/error.h"
#include "helm/serial/comm.h"
#include "helm/serial/port_names.h"

using helm::serial::detail::CommDevice;

namespace {

std::shared_ptr<CommDevice> device_of(HANDLE file)
{
    auto device = helm::kernel::lookup_handle_as<CommDevice>(file);
    if (!device)
        SetLastError(ERROR_INVALID_HANDLE);
    return device;
}

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool parse_unsigned(std::string_view text, DWORD& value)
{
    if (text.empty() || text.size() > 9)
        return false;
    DWORD v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<DWORD>(c - '0');
    }
    value = v;
    return true;
}

bool parse_parity(std::string_view text, BYTE& parity)
{
    static const char kLetters[] = {'n', 'o', 'e', 'm', 's'};
    if (text.size() != 1)
        return false;
    for (BYTE i = 0; i < 5; ++i)
        if (lower(text)[0] == kLetters[i]) {
            parity = i;
            return true;
        }
    return false;
}

bool parse_stop(std::string_view text, BYTE& stop)
{
    if (text == "1")
        stop = ONESTOPBIT;
    else if (text == "1.5")
        stop = ONE5STOPBITS;
    else if (text == "2")
        stop = TWOSTOPBITS;
    else
        return false;
    return true;
}

bool parse_data(std::string_view text, BYTE& data)
{
    DWORD v;
    if (!parse_unsigned(text, v) || v < 5 || v > 8)
        return false;
    data = static_cast<BYTE>(v);
    return true;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separators)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// "19200,o,8,2[,x|p]"
bool parse_old_form(std::string_view text, DCB& dcb)
{
    auto parts = split(text, ",");
    if (parts.size() < 4 || parts.size() > 5)
        return false;
    if (!parse_unsigned(trim(parts[0]), dcb.BaudRate) || !parse_parity(trim(parts[1]), dcb.Parity) ||
        !parse_data(trim(parts[2]), dcb.ByteSize) || !parse_stop(trim(parts[3]), dcb.StopBits))
        return false;
    dcb.fOutX = dcb.fInX = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (parts.size() == 5) {
        std::string flow = lower(trim(parts[4]));
        if (flow == "x")
            dcb.fOutX = dcb.fInX = 1;
        else if (flow == "p") {
            dcb.fOutxCtsFlow = 1;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        } else
            return false;
    }
    return true;
}

// "baud=19200 parity=o data=8 stop=2 xon=on octs=on dtr=on rts=hs"
bool parse_keyword_form(std::string_view text, DCB& dcb)
{
    for (std::string_view item : split(text, " \t")) {
        if (item.empty())
            continue;
        size_t eq = item.find('=');
        if (eq == std::string_view::npos)
            return false;
        std::string key = lower(item.substr(0, eq));
        std::string_view value = item.substr(eq + 1);
        std::string v = lower(value);
        bool ok = true;
        if (key == "baud")
            ok = parse_unsigned(value, dcb.BaudRate);
        else if (key == "parity")
            ok = parse_parity(value, dcb.Parity);
        else if (key == "data")
            ok = parse_data(value, dcb.ByteSize);
        else if (key == "stop")
            ok = parse_stop(value, dcb.StopBits);
        else if (key == "xon" && (v == "on" || v == "off"))
            dcb.fOutX = dcb.fInX = (v == "on");
        else if (key == "octs" && (v == "on" || v == "off"))
            dcb.fOutxCtsFlow = (v == "on");
        else if (key == "dtr" && (v == "on" || v == "off"))
            dcb.fDtrControl = v == "on" ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        else if (key == "rts" && (v == "on" || v == "off" || v == "hs"))
            dcb.fRtsControl = v == "on" ? RTS_CONTROL_ENABLE : v == "hs" ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
        else
            ok = false;
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace

HANDLE OpenCommPort(ULONG portNumber, DWORD, DWORD)
{
    if (portNumber < static_cast<ULONG>(helm::serial::kFirstPort) ||
        portNumber > static_cast<ULONG>(helm::serial::kLastPort)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = 0;
    auto device = CommDevice::open(static_cast<int>(portNumber), error);
    if (!device) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = helm::kernel::insert_handle(device);
    if (!handle) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

BOOL GetCommState(HANDLE file, LPDCB dcb)
{
    if (!dcb)
        return fail(ERROR_INVALID_PARAMETER);
    auto device = device_of(file);
    if (!device)
        return FALSE;
    *dcb = device->state();
    return TRUE;
}

BOOL SetCommState(HANDLE file, LPDCB dcb)
{
    if (!dcb)
        return fail(ERROR_INVALID_PARAMETER);
    auto device = device_of(file);
    if (!device)
        return FALSE;
    DWORD error = device->set_state(*dcb);
    return error ? fail(error) : TRUE;
}

BOOL BuildCommDCB(LPCSTR definition, LPDCB dcb)
{
    if (!definition || !dcb)
        return fail(ERROR_INVALID_PARAMETER);
    size_t length = strnlen(definition, 257);
    if (length > 256)
        return fail(ERROR_INVALID_PARAMETER);
    std::string_view text = trim(std::string_view(definition, length));
    // An optional leading "COMn:".
    if (size_t colon = text.find(':'); colon != std::string_view::npos) {
        if (helm::serial::port_number(text.substr(0, colon)) == 0)
            return fail(ERROR_INVALID_PARAMETER);
        text = trim(text.substr(colon + 1));
    }
    DCB parsed = *dcb;
    bool ok = text.find('=') != std::string_view::npos ? parse_keyword_form(text, parsed) : parse_old_form(text, parsed);
    if (!ok || parsed.BaudRate == 0)
        return fail(ERROR_INVALID_PARAMETER);
    parsed.DCBlength = sizeof(DCB);
    parsed.fBinary = 1;
    parsed.fParity = parsed.Parity != NOPARITY;
    *dcb = parsed;
    return TRUE;
}

BOOL SetCommMask(HANDLE file, DWORD eventMask)
{
    auto device = device_of(file);
    if (!device)
        return FALSE;
    device->set_mask(eventMask);
    return TRUE;
}

BOOL GetCommMask(HANDLE file, LPDWORD eventMask)
{
    if (!eventMask)
        return fail(ERROR_INVALID_PARAMETER);
    auto device = device_of(file);
    if (!device)
        return FALSE;
    *eventMask = device->mask();
    return TRUE;
}

BOOL WaitCommEvent(HANDLE file, LPDWORD eventMask, LPOVERLAPPED overlapped)
{
    if (!eventMask || overlapped)
        return fail(ERROR_INVALID_PARAMETER);
    *eventMask = 0;
    auto device = device_of(file);
    if (!device)
        return FALSE;
    return device->wait_event(file, *eventMask);
}

BOOL PurgeComm(HANDLE file, DWORD flags)
{
    if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        return fail(ERROR_INVALID_PARAMETER);
    auto device = device_of(file);
    if (!device)
        return FALSE;
    device->purge(flags);
    return TRUE;
}

BOOL ClearCommError(HANDLE file, LPDWORD errors, LPCOMSTAT status)
{
    auto device = device_of(file);
    return device ? device->clear_error(errors, status) : FALSE;
}

BOOL GetCommModemStatus(HANDLE file, LPDWORD modemStatus)
{
    if (!modemStatus)
        return fail(ERROR_INVALID_PARAMETER);
    auto device = device_of(file);
    return device ? device->modem_status(*modemStatus) : FALSE;
}

BOOL EscapeCommFunction(HANDLE file, DWORD function)
{
    auto device = device_of(file);
    return device ? device->escape(function) : FALSE;
}

BOOL GetDefaultCommConfig(LPCSTR name, LPCOMMCONFIG config, LPDWORD size)
{
    if (!name || !size)
        return fail(ERROR_INVALID_PARAMETER);
    int port = helm::serial::port_number(name);
    struct stat info {};
    if (port == 0 || stat(helm::serial::device_path(port).c_str(), &info) != 0 || !S_ISCHR(info.st_mode))
        return fail(ERROR_FILE_NOT_FOUND);
    if (!config || *size < sizeof(COMMCONFIG)) {
        *size = sizeof(COMMCONFIG);
        return fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memset(config, 0, sizeof(COMMCONFIG));
    config->dwSize = sizeof(COMMCONFIG);
    config->wVersion = 1;
    config->dcb = helm::serial::detail::default_dcb();
    config->dwProviderSubType = PST_RS232;
    *size = sizeof(COMMCONFIG);
    return TRUE;
}

namespace helm::serial {

int read_comm(HANDLE file, void* buffer, DWORD size)
{
    if (!buffer && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    auto device = device_of(file);
    return device ? device->read(buffer, size) : -1;
}

int write_comm(HANDLE file, const void* data, DWORD size, DWORD timeout_ms)
{
    if (!data && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    auto device = device_of(file);
    return device ? device->write(data, size, timeout_ms) : -1;
}

BOOL abort_comm_waits(HANDLE file)
{
    auto device = device_of(file);
    if (!device)
        return FALSE;
    device->abort_waits();
    return TRUE;
}

}  // namespace helm::serial
