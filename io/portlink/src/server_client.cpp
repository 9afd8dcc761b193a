#include "helm/portlink/server_client.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include <windows.h>

#include "helm/portlink/channel_block.h"
#include "helm/portlink/port_settings.h"

using helm::portlink::is_channel_port;
using helm::portlink::is_serial_port;
using helm::portlink::is_socket_port;

namespace {

std::atomic<BYTE> g_synchro_mode{0};

HWND server_window() { return FindWindow(PORTSERVER_WINDOW_CLASS, nullptr); }

int send_block(HWND window, ULONG_PTR code, void* block, DWORD size)
{
    COPYDATASTRUCT data{code, size, block};
    return static_cast<int>(SendMessage(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
}

void copy_text(char* field, size_t size, const char* text)
{
    if (!text)
        return;
    const size_t length = strnlen(text, size - 1);
    std::memcpy(field, text, length);
    field[length] = '\0';
}

}  // namespace

extern "C" {

int F_getValidCom(int index) { return index >= 0 && index < PORTLINK_SERIAL_PORTS ? 1 : 0; }
int F_getValidSock(int index) { return index >= PORTLINK_SERIAL_PORTS && index < PORTLINK_LAST_PORT ? 1 : 0; }
int F_getValidPort(int index) { return index >= 0 && index < PORTLINK_LAST_PORT ? 1 : 0; }

int F_ConfigPortParam2(int port, const sCOM_CONFIG* config, const char* protocol, const char* options)
{
    if (port < 1 || !config)
        return 0;
    HWND window = server_window();
    if (!window)
        return 0;
    sCOM_CMD command{};
    command.port = port;
    command.config.baud = config->baud;
    command.config.parity = config->parity;
    command.config.stop_bits = config->stop_bits;
    command.config.data_bits = config->data_bits;
    command.config.timeout_ms = config->timeout_ms;
    copy_text(command.protocol.name, sizeof command.protocol.name, protocol);
    copy_text(command.protocol.options, sizeof command.protocol.options, options);
    return send_block(window, SRV_CMD_COM_CONFIG, &command, sizeof command);
}

int F_ConfigPortParam(int port, const sCOM_CONFIG* config, const char* protocol)
{
    return F_ConfigPortParam2(port, config, protocol, nullptr);
}

int F_ConfigPort(int port, int baud, int stopBitsCode, int parity, int dataBits, const char* protocol)
{
    sCOM_CONFIG config{};
    config.baud = baud;
    config.stop_bits = stopBitsCode;
    config.parity = parity;
    config.data_bits = dataBits;
    config.timeout_ms = -1;
    return F_ConfigPortParam2(port, &config, protocol, nullptr);
}

int F_ConfigSockParam(int port, const sSOCK_CONFIG* config, const char* protocol)
{
    if (!is_socket_port(port) || !config)
        return 0;
    HWND window = server_window();
    if (!window)
        return 0;
    sSOCK_CMD command{};
    command.port = port;
    command.config = *config;
    copy_text(command.protocol.name, sizeof command.protocol.name, protocol);
    return send_block(window, SRV_CMD_SOCK_CONFIG, &command, sizeof command);
}

int F_GetPortOnOff(int port)
{
    sPORT_PROTOCOL protocol{};
    if (is_serial_port(port)) {
        sCOM_CONFIG config{};
        return F_ReadPortConfig(&config, &protocol, port) && config.on_off == 1 ? 1 : 0;
    }
    if (is_socket_port(port)) {
        sSOCK_CONFIG config{};
        return F_ReadWriteSockConfig(&config, &protocol, port - 32, 0) && config.on_off == 1 ? 1 : 0;
    }
    return 0;
}

int F_SetPortState(int port, int on)
{
    if (!is_channel_port(port))
        return 0;
    const int wish = on ? 1 : 0;
    if (F_GetPortOnOff(port) == wish)
        return 0;
    HWND window = server_window();
    if (!window)
        return 0;
    if (is_serial_port(port)) {
        sCOM_CMD command{};
        command.port = port;
        return send_block(window, wish ? SRV_CMD_COM_ON : SRV_CMD_COM_OFF, &command, sizeof command);
    }
    sSOCK_CMD command{};
    command.port = port;
    return send_block(window, wish ? SRV_CMD_SOCK_ON : SRV_CMD_SOCK_OFF, &command, sizeof command);
}

int F_SetPortON(int port) { return F_SetPortState(port, 1); }
int F_SetPortOFF(int port) { return F_SetPortState(port, 0); }

int F_IsPortDispo(int port)
{
    if (!is_channel_port(port))
        return 0;
    char name[48];
    if (is_serial_port(port))
        std::snprintf(name, sizeof name, "%s%d", MMF_SERIAL_RAW_MUTEX_NAME, port);
    else
        std::snprintf(name, sizeof name, "%s%d%s", MMF_SOCKET_RAW_NAME, port - 32, MMF_SOCKET_MUTEX_SUFFIX);
    HANDLE mutex = OpenMutex(MUTEX_ALL_ACCESS, FALSE, name);
    if (!mutex)
        return 0;
    CloseHandle(mutex);
    // A client that still holds its handle keeps the mutex in being after
    // the server has gone: the port is the server's only while it runs.
    return server_window() ? 1 : 0;
}

int F_WriteDataToPort(sMMF_CLIENT* client, const char* text)
{
    if (!client || !text)
        return 0;
    if (*text == '\0')
        return 1;
    if (strnlen(text, MMF_TEXT_TO_SEND_SIZE) >= MMF_TEXT_TO_SEND_SIZE)
        return 0;
    const int port = static_cast<int>(client->port);
    sMMF_HEADER* header = nullptr;
    if (is_serial_port(port))
        header = static_cast<sMMF_HEADER*>(client->parsed.view);
    else if (is_socket_port(port))
        header = static_cast<sMMF_HEADER*>(client->raw.view);
    else
        return 0;
    if (!header)
        return 0;
    HWND window = server_window();
    if (!window)
        return 0;
    helm::portlink::set_text_to_send(*header, text);
    if (is_serial_port(port)) {
        sCOM_CMD command{};
        command.port = port;
        return send_block(window, SRV_CMD_COM_WRITE, &command, sizeof command);
    }
    sSOCK_CMD command{};
    command.port = port;
    return send_block(window, SRV_CMD_SOCK_WRITE, &command, sizeof command);
}

int F_ConnectWriteDataToPort(int port, const char* text)
{
    if (!text)
        return 0;
    if (*text == '\0')
        return 1;
    const size_t length = strnlen(text, MMF_TEXT_TO_SEND_SIZE);
    if (length >= MMF_TEXT_TO_SEND_SIZE || !is_serial_port(port))
        return 0;
    char name[40];
    std::snprintf(name, sizeof name, "%s%d", MMF_SERIAL_PARSED_NAME, port);
    HANDLE mapping = OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!mapping)
        return 0;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, MMF_BLOCK_SIZE);
    if (!view) {
        CloseHandle(mapping);
        return 0;
    }
    sMMF_HEADER* header = static_cast<sMMF_HEADER*>(view);
    helm::portlink::set_text_to_send(*header, text);
    PostThreadMessage(header->server_thread_id, helm::portlink::channel_messages().write_serial_data,
                      static_cast<WPARAM>(length + 1), 0);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 1;
}

int F_StopServer()
{
    HWND window = server_window();
    if (!window)
        return 0;
    PostMessage(window, helm::portlink::channel_messages().notify_onclose, 0, 0);
    return 1;
}

int F_RunServerWithCmdLine(const char* arguments, int show)
{
    if (HWND window = server_window()) {
        if (show)
            ShowWindow(window, SW_RESTORE);
        return 1;
    }
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileName(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self)
        return 0;
    std::string path(self, length);
    const size_t slash = path.find_last_of("/\\");
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
           P_GetStringFromDLLTable(5001) + ".exe";
    if (_access(path.c_str(), 0) != 0)
        return 1;
    std::string command = "\"" + path + "\" " + (arguments ? arguments : "");
    STARTUPINFO startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show ? SW_SHOWNORMAL : SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (!CreateProcess(nullptr, command.data(), nullptr, nullptr, FALSE,
                       CREATE_NEW_PROCESS_GROUP | HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup, &process)) {
        char text[512];
        std::snprintf(text, sizeof text, P_GetStringFromDLLTable(5005), P_GetStringFromDLLTable(5001));
        MessageBox(nullptr, text, nullptr, MB_OK | MB_ICONQUESTION);
        return 0;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(2000);
    return 1;
}

int F_RunServer(int show) { return F_RunServerWithCmdLine("/remote", show); }
int F_RunServerInSleepMode(int show) { return F_RunServerWithCmdLine("/remote/sleep", show); }

int F_setServerSynchroMode(BYTE flag)
{
    g_synchro_mode = flag;
    return 0;
}

int F_getServerSynchroMode(BYTE* flag)
{
    if (flag)
        *flag = g_synchro_mode;
    return 0;
}

}  // extern "C"
