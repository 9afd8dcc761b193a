#include "port_server.h"

#include <cstring>

#include "helm/portlink/port_settings.h"
#include "helm/portlink/server_client.h"

namespace helm::portserver {

using portlink::channel_messages;
using portlink::is_serial_port;
using portlink::is_socket_port;

namespace {

PortServer* g_server = nullptr;

bool has_word(const std::string& line, const char* word)
{
    const size_t length = std::strlen(word);
    for (size_t at = line.find(word); at != std::string::npos; at = line.find(word, at + 1)) {
        const size_t end = at + length;
        if (end == line.size() || line[end] == ' ' || line[end] == '/' || line[end] == '"')
            return true;
    }
    return false;
}

std::string beside(const std::string& file, const char* name)
{
    const size_t slash = file.find_last_of('/');
    return (slash == std::string::npos ? std::string() : file.substr(0, slash + 1)) + name;
}

}  // namespace

ServerOptions ServerOptions::parse(const std::string& commandLine)
{
    ServerOptions options;
    options.remote = has_word(commandLine, "/remote");
    options.logging = has_word(commandLine, "/logging");
    options.synchro = has_word(commandLine, "/synchro");
    options.sleep = has_word(commandLine, "/sleep");
    return options;
}

PortServer::PortServer(const ServerOptions& options) : m_options(options)
{
    g_server = this;
}

PortServer::~PortServer()
{
    for (auto& channel : m_channels)
        channel.reset();
    for (auto& socket : m_sockets)
        socket.reset();
    if (m_window)
        DestroyWindow(m_window);
    if (m_log)
        std::fclose(m_log);
    g_server = nullptr;
}

bool PortServer::start()
{
    m_settings_file = portlink::settings_file_path();
    if (m_options.synchro) {
        F_restaureSynchroIniFile();
        F_setServerSynchroMode(1);
    }
    if (m_options.logging)
        m_log = std::fopen(beside(m_settings_file, "Portserver.log").c_str(), "ab");

    for (int port = 1; port <= PORTLINK_SERIAL_PORTS; ++port) {
        sCOM_CONFIG config{};
        sPORT_PROTOCOL protocol{};
        F_ReadPortConfig(&config, &protocol, port);
        const bool wanted = config.on_off == 1;
        auto channel = std::make_unique<SerialChannel>(port, config, protocol, m_log);
        if (wanted) {
            // The file says what is on now: ports off under "/sleep", and
            // ports that do not open, are written off at once.
            if (m_options.sleep || !channel->present() || channel->open() != 1)
                write_on_off(port, 0);
        }
        m_channels[port - 1] = std::move(channel);
    }
    for (int socket = 1; socket <= PORTLINK_SOCKETS; ++socket) {
        sSOCK_CONFIG config{};
        sPORT_PROTOCOL protocol{};
        F_ReadSockConfig(&config, &protocol, socket);
        auto channel = std::make_unique<SocketChannel>(socket, config, protocol, m_log);
        if (config.on_off == 1 && (m_options.sleep || channel->open() != 1))
            write_on_off(socket + 32, 0);
        m_sockets[socket - 1] = std::move(channel);
    }

    m_onclose_message = channel_messages().notify_onclose;
    WNDCLASS window_class{};
    window_class.lpfnWndProc = window_proc;
    window_class.hInstance = GetModuleHandle(nullptr);
    window_class.lpszClassName = PORTSERVER_WINDOW_CLASS;
    if (!RegisterClass(&window_class))
        return false;
    m_window = CreateWindowEx(0, PORTSERVER_WINDOW_CLASS, "Portserver", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                              CW_USEDEFAULT, 0, nullptr, nullptr, window_class.hInstance, nullptr);
    if (!m_window)
        return false;
    PostMessage(HWND_BROADCAST, channel_messages().notify_appstart, 0, 0);
    return true;
}

int PortServer::run()
{
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK PortServer::window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    PortServer* server = g_server;
    if (server && message == WM_COPYDATA)
        return server->on_copy_data(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (server && message == server->m_onclose_message && message != 0) {
        server->close_if_unused();
        return 0;
    }
    if (server && message == WM_CLOSE) {
        // No one can be asked here: the operator's close is refused while
        // clients are subscribed, as the close request is.
        server->close_if_unused();
        return 0;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LRESULT PortServer::on_copy_data(const COPYDATASTRUCT* data)
{
    if (!data || !data->lpData || m_closed)
        return 0;
    switch (data->dwData) {
    case SRV_CMD_COM_CONFIG:
    case SRV_CMD_COM_ON:
    case SRV_CMD_COM_OFF:
    case SRV_CMD_COM_WRITE: {
        if (data->cbData != sizeof(sCOM_CMD))
            return 0;
        sCOM_CMD command;
        std::memcpy(&command, data->lpData, sizeof command);
        return serial_command(data->dwData, command);
    }
    case SRV_CMD_SOCK_CONFIG:
    case SRV_CMD_SOCK_ON:
    case SRV_CMD_SOCK_OFF:
    case SRV_CMD_SOCK_WRITE: {
        if (data->cbData != sizeof(sSOCK_CMD))
            return 0;
        sSOCK_CMD command;
        std::memcpy(&command, data->lpData, sizeof command);
        return socket_command(data->dwData, command);
    }
    default:
        return 0;
    }
}

LRESULT PortServer::serial_command(ULONG_PTR code, const sCOM_CMD& command)
{
    if (!is_serial_port(command.port))
        return 0;
    SerialChannel* channel = m_channels[command.port - 1].get();
    if (!channel || !channel->present())
        return 0;
    switch (code) {
    case SRV_CMD_COM_CONFIG: {
        if (!configuration_is_valid(command.config))
            return 0;
        char name[sizeof command.protocol.name + 1] = {};
        char options[sizeof command.protocol.options + 1] = {};
        std::memcpy(name, command.protocol.name, sizeof command.protocol.name);
        std::memcpy(options, command.protocol.options, sizeof command.protocol.options);
        channel->configure(command.config, name, options);
        return 1;
    }
    case SRV_CMD_COM_ON:
        if (!channel->is_on()) {
            if (channel->open() != 1)
                return 0;
            write_on_off(command.port, 1);
        }
        return 1;
    case SRV_CMD_COM_OFF:
        if (channel->is_on()) {
            if (channel->close() != 1)
                return 0;
            write_on_off(command.port, 0);
        }
        return 1;
    case SRV_CMD_COM_WRITE:
        return channel->write_text_to_send() >= 0 ? 1 : 0;
    default:
        return 0;
    }
}

LRESULT PortServer::socket_command(ULONG_PTR code, const sSOCK_CMD& command)
{
    if (!is_socket_port(command.port))
        return 0;
    SocketChannel* channel = m_sockets[command.port - 33].get();
    if (!channel || !channel->present())
        return 0;
    switch (code) {
    case SRV_CMD_SOCK_CONFIG: {
        if (command.config.connection_mode > SOCK_MODE_UDP_BROADCAST || command.config.ip_port < 0 ||
            command.config.ip_port > 65535)
            return 0;
        char name[sizeof command.protocol.name + 1] = {};
        std::memcpy(name, command.protocol.name, sizeof command.protocol.name);
        channel->configure(command.config, name);
        return 1;
    }
    case SRV_CMD_SOCK_ON:
        if (!channel->is_on()) {
            if (channel->open() != 1)
                return 0;
            write_on_off(command.port, 1);
        }
        return 1;
    case SRV_CMD_SOCK_OFF:
        if (channel->is_on()) {
            channel->close();
            write_on_off(command.port, 0);
        }
        return 1;
    case SRV_CMD_SOCK_WRITE:
        return channel->write_text_to_send() >= 0 ? 1 : 0;
    default:
        return 0;
    }
}

void PortServer::write_on_off(int port, int on)
{
    const bool serial = is_serial_port(port);
    char key[48], value[8];
    std::snprintf(key, sizeof key, "%s%d", P_GetStringFromDLLTable(1501), serial ? port - 1 : port - 33);
    std::snprintf(value, sizeof value, "%d", on);
    WritePrivateProfileString(P_GetStringFromDLLTable(serial ? 1500 : 1510), key, value, m_settings_file.c_str());
}

int PortServer::subscriber_count()
{
    int count = 0;
    for (auto& channel : m_channels) {
        if (!channel || !channel->present())
            continue;
        count += channel->parsed_block().prune_dead_subscribers();
        count += channel->raw_block().prune_dead_subscribers();
    }
    for (auto& socket : m_sockets) {
        if (!socket || !socket->present())
            continue;
        count += socket->parsed_block().prune_dead_subscribers();
        count += socket->raw_block().prune_dead_subscribers();
    }
    return count;
}

bool PortServer::close_if_unused()
{
    if (m_closed || subscriber_count() > 0)
        return false;
    shut_down();
    return true;
}

void PortServer::shut_down()
{
    m_closed = true;
    for (int port = 1; port <= PORTLINK_SERIAL_PORTS; ++port) {
        SerialChannel* channel = m_channels[port - 1].get();
        if (!channel || !channel->present())
            continue;
        const sCOM_CONFIG config = channel->config();
        const sPORT_PROTOCOL protocol = channel->protocol();
        F_WritePortConfig(&config, &protocol, port);
    }
    for (int socket = 1; socket <= PORTLINK_SOCKETS; ++socket) {
        SocketChannel* channel = m_sockets[socket - 1].get();
        if (!channel || !channel->present())
            continue;
        sSOCK_CONFIG config = channel->config();
        sPORT_PROTOCOL protocol = channel->protocol();
        F_WriteSockConfig(&config, &protocol, socket);
    }
    for (auto& channel : m_channels)
        channel.reset();
    for (auto& socket : m_sockets)
        socket.reset();
    if (m_options.synchro)
        F_saveSynchroIniFile();
    DestroyWindow(m_window);
    m_window = nullptr;
    PostMessage(HWND_BROADCAST, channel_messages().notify_appclose, 0, 0);
    PostQuitMessage(0);
}

}  // namespace helm::portserver
