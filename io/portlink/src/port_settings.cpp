#include "helm/portlink/port_settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <windows.h>

#include "helm/kernel/trace.h"

namespace helm::portlink {

std::string settings_file_path()
{
    if (const char* overridden = std::getenv("HELM_PORTLINK_INI"); overridden && *overridden)
        return overridden;
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileName(helm_this_module(), path, sizeof path);
    std::string directory = length > 0 && length < sizeof path ? std::string(path, length) : std::string();
    const size_t slash = directory.find_last_of("/\\");
    directory = slash == std::string::npos ? std::string(".") : directory.substr(0, slash);
    return directory + "/Portserver.ini";
}

}  // namespace helm::portlink

namespace {

using helm::portlink::settings_file_path;

enum : int {
    kSerialSection = 1500, kOnOff = 1501, kBaud = 1502, kParity = 1503, kDataBits = 1504, kStopBits = 1505,
    kTrigger = 1506, kProtocol = 1507, kOptions = 1508, kTimeout = 1509, kSocketSection = 1510,
    kSocketType = 1511, kSocketPort = 1512, kSocketAddress = 1513, kSocketMode = 1514,
};

// The INI values of names and options may be up to 260 bytes; they are read
// that far and then cut to what the record's field holds.
constexpr DWORD kIniTextSize = 261;

std::string key(int label, int index)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s%d", P_GetStringFromDLLTable(label), index);
    return text;
}

int read_int(int section, int label, int index, int fallback, const std::string& file)
{
    return static_cast<int>(GetPrivateProfileInt(P_GetStringFromDLLTable(section), key(label, index).c_str(),
                                                 fallback, file.c_str()));
}

void read_text(int section, int label, int index, const char* fallback, char* field, size_t fieldSize,
               const std::string& file)
{
    char text[kIniTextSize] = {};
    GetPrivateProfileString(P_GetStringFromDLLTable(section), key(label, index).c_str(), fallback, text,
                            sizeof text, file.c_str());
    const size_t length = strnlen(text, fieldSize - 1);
    std::memcpy(field, text, length);
    std::memset(field + length, 0, fieldSize - length);
}

bool write_int(int section, int label, int index, int value, const std::string& file)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return WritePrivateProfileString(P_GetStringFromDLLTable(section), key(label, index).c_str(), text,
                                     file.c_str()) != FALSE;
}

// A field of a record that is not NUL-terminated is written up to its end.
bool write_text(int section, int label, int index, const char* field, size_t fieldSize, const std::string& file)
{
    const std::string value(field, strnlen(field, fieldSize));
    return WritePrivateProfileString(P_GetStringFromDLLTable(section), key(label, index).c_str(), value.c_str(),
                                     file.c_str()) != FALSE;
}

// "192.168.001.010": four decimal numbers 0..255; anything else is 0.0.0.0.
void parse_address(const char* text, BYTE out[4])
{
    std::memset(out, 0, 4);
    BYTE parts[4];
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        int value = 0, digits = 0;
        while (*p >= '0' && *p <= '9' && digits < 4) {
            value = value * 10 + (*p++ - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return;
        parts[i] = static_cast<BYTE>(value);
        if (i < 3 && *p++ != '.')
            return;
    }
    if (*p != '\0')
        return;
    std::memcpy(out, parts, 4);
}

// The socket settings' named mutex. Its owner may be a stopped process,
// so the wait is bounded: a reader or writer that does not get it fails
// with ERROR_TIMEOUT rather than hang (an owner that died gives the mutex
// up, abandoned, and the caller goes on).
class SockConfigLock {
public:
    SockConfigLock() : m_mutex(CreateMutex(nullptr, FALSE, "READ_WRITE_SOCK_CONFIG"))
    {
        if (!m_mutex)
            return;
        const DWORD result = WaitForSingleObject(m_mutex, helm::portlink::kSettingsLockWaitMs);
        m_owned = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    }
    ~SockConfigLock()
    {
        if (m_owned)
            ReleaseMutex(m_mutex);
        if (m_mutex)
            CloseHandle(m_mutex);
    }
    SockConfigLock(const SockConfigLock&) = delete;
    SockConfigLock& operator=(const SockConfigLock&) = delete;

    // False (with the last error set and a trace line) when the mutex was
    // not obtained.
    bool owned() const
    {
        if (!m_owned) {
            helm::kernel::trace("Portlink: the socket settings are locked by another program (READ_WRITE_SOCK_CONFIG)\n");
            SetLastError(m_mutex ? ERROR_TIMEOUT : GetLastError());
        }
        return m_owned;
    }

private:
    HANDLE m_mutex;
    bool m_owned = false;
};

bool copy_file(const std::string& from, const std::string& to)
{
    return CopyFile(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::string sibling(const std::string& file, const char* suffix)
{
    const size_t dot = file.rfind(".ini");
    const std::string base = dot == std::string::npos ? file : file.substr(0, dot);
    return base + suffix + ".ini";
}

// The keys of socket index i (0..4); the caller holds the settings' mutex.
bool write_sock_keys(const sSOCK_CONFIG& config, const sPORT_PROTOCOL* protocol, int i, const std::string& file)
{
    char address[20];
    std::snprintf(address, sizeof address, "%03d.%03d.%03d.%03d", config.ip_address[0], config.ip_address[1],
                  config.ip_address[2], config.ip_address[3]);
    bool ok = write_int(kSocketSection, kOnOff, i, config.on_off, file);
    ok = write_int(kSocketSection, kSocketMode, i, config.connection_mode, file) && ok;
    ok = write_int(kSocketSection, kSocketType, i, config.socket_type, file) && ok;
    ok = write_int(kSocketSection, kSocketPort, i, config.ip_port, file) && ok;
    ok = WritePrivateProfileString(P_GetStringFromDLLTable(kSocketSection), key(kSocketAddress, i).c_str(), address,
                                   file.c_str()) &&
         ok;
    ok = write_int(kSocketSection, kTimeout, i, config.timeout_ms, file) && ok;
    if (protocol) {
        ok = write_text(kSocketSection, kProtocol, i, protocol->name, sizeof protocol->name, file) && ok;
        ok = write_text(kSocketSection, kOptions, i, protocol->options, sizeof protocol->options, file) && ok;
    }
    return ok;
}

void read_sock_keys(sSOCK_CONFIG& config, sPORT_PROTOCOL* protocol, int i, const std::string& file)
{
    config.on_off = read_int(kSocketSection, kOnOff, i, 0, file);
    config.connection_mode = static_cast<BYTE>(read_int(kSocketSection, kSocketMode, i, 0, file));
    config.socket_type = read_int(kSocketSection, kSocketType, i, 0, file);
    config.ip_port = read_int(kSocketSection, kSocketPort, i, 0, file);
    char address[17] = {};
    GetPrivateProfileString(P_GetStringFromDLLTable(kSocketSection), key(kSocketAddress, i).c_str(),
                            "000.000.000.000", address, sizeof address, file.c_str());
    parse_address(address, config.ip_address);
    config.timeout_ms = read_int(kSocketSection, kTimeout, i, 5000, file);
    if (protocol) {
        read_text(kSocketSection, kProtocol, i, "", protocol->name, sizeof protocol->name, file);
        read_text(kSocketSection, kOptions, i, "", protocol->options, sizeof protocol->options, file);
    }
}

}  // namespace

namespace helm::portlink {

bool read_all_sock_configs(sSOCK_CONFIG (&configs)[PORTLINK_SOCKETS], sPORT_PROTOCOL (&protocols)[PORTLINK_SOCKETS])
{
    const std::string file = settings_file_path();
    SockConfigLock lock;
    if (!lock.owned())
        return false;
    for (int i = 0; i < PORTLINK_SOCKETS; ++i)
        read_sock_keys(configs[i], &protocols[i], i, file);
    return true;
}

}  // namespace helm::portlink

extern "C" {

int F_ReadPortConfig(sCOM_CONFIG* config, sPORT_PROTOCOL* protocol, int port)
{
    if (!config || !protocol || !helm::portlink::is_serial_port(port))
        return 0;
    using namespace helm::portlink;
    const std::string file = settings_file_path();
    const int i = port - 1;
    // A value no line takes would make the port fail its probe, and so
    // vanish until the file is mended by hand: it gives way to the default.
    auto checked = [&](int label, int fallback, bool (*valid)(int32_t, int32_t), int32_t other) {
        const int value = read_int(kSerialSection, label, i, fallback, file);
        if (valid(value, other))
            return value;
        helm::kernel::trace("Portlink: COM%d: %s %d in %s is not valid; %d is used\n", port,
                            P_GetStringFromDLLTable(label), value, file.c_str(), fallback);
        return fallback;
    };
    config->on_off = read_int(kSerialSection, kOnOff, i, 0, file);
    config->baud = checked(kBaud, 9600, [](int32_t v, int32_t) { return is_line_rate(v); }, 0);
    config->parity = checked(kParity, 0, [](int32_t v, int32_t) { return is_parity_code(v); }, 0);
    config->data_bits = checked(kDataBits, 8, [](int32_t v, int32_t) { return is_data_bits(v); }, 0);
    config->stop_bits = checked(kStopBits, 0, is_stop_code, config->data_bits);
    config->trigger = static_cast<BYTE>(checked(kTrigger, 0, [](int32_t v, int32_t) { return v >= 0 && v <= 255; }, 0));
    config->timeout_ms = read_int(kSerialSection, kTimeout, i, 5000, file);
    read_text(kSerialSection, kProtocol, i, "NMEA0183", protocol->name, sizeof protocol->name, file);
    read_text(kSerialSection, kOptions, i, "", protocol->options, sizeof protocol->options, file);
    return 1;
}

int F_WritePortConfig(const sCOM_CONFIG* config, const sPORT_PROTOCOL* protocol, int port)
{
    if (!config || !protocol || !helm::portlink::is_serial_port(port))
        return 0;
    const std::string file = settings_file_path();
    const int i = port - 1;
    bool ok = write_int(kSerialSection, kOnOff, i, config->on_off, file);
    ok = write_int(kSerialSection, kBaud, i, config->baud, file) && ok;
    ok = write_int(kSerialSection, kParity, i, config->parity, file) && ok;
    ok = write_int(kSerialSection, kDataBits, i, config->data_bits, file) && ok;
    ok = write_int(kSerialSection, kStopBits, i, config->stop_bits, file) && ok;
    ok = write_int(kSerialSection, kTrigger, i, config->trigger, file) && ok;
    ok = write_int(kSerialSection, kTimeout, i, config->timeout_ms, file) && ok;
    ok = write_text(kSerialSection, kProtocol, i, protocol->name, sizeof protocol->name, file) && ok;
    ok = write_text(kSerialSection, kOptions, i, protocol->options, sizeof protocol->options, file) && ok;
    return ok ? 1 : 0;
}

int F_ReadWriteSockConfig(sSOCK_CONFIG* config, sPORT_PROTOCOL* protocol, int socket, int write)
{
    if (!config || socket < 1 || socket > PORTLINK_SOCKETS)
        return 0;
    const std::string file = settings_file_path();
    SockConfigLock lock;
    if (!lock.owned())
        return 0;
    if (write)
        return write_sock_keys(*config, protocol, socket - 1, file) ? 1 : 0;
    read_sock_keys(*config, protocol, socket - 1, file);
    return 1;
}

int F_ReadSockConfig(sSOCK_CONFIG* config, sPORT_PROTOCOL* protocol, int socket)
{
    return F_ReadWriteSockConfig(config, protocol, socket, 0);
}

int F_WriteSockConfig(sSOCK_CONFIG* config, sPORT_PROTOCOL* protocol, int socket)
{
    return F_ReadWriteSockConfig(config, protocol, socket, 1);
}

int F_restaureSynchroIniFile()
{
    const std::string file = settings_file_path();
    const bool saved = copy_file(file, sibling(file, "_backup"));
    return saved && copy_file(sibling(file, "_synchro"), file) ? 1 : 0;
}

int F_saveSynchroIniFile()
{
    const std::string file = settings_file_path();
    const std::string backup = sibling(file, "_backup");
    const bool saved = copy_file(file, sibling(file, "_synchro"));
    if (!copy_file(backup, file))
        return 0;
    DeleteFile(backup.c_str());
    return saved ? 1 : 0;
}

}  // extern "C"
