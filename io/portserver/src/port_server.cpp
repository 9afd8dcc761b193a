#include "port_server.h"

#include <cstring>

#include "helm/kernel/trace.h"
#include "helm/portlink/port_settings.h"
#include "helm/portlink/server_client.h"
#include "resource.h"

namespace helm::portserver {

using portlink::channel_messages;
using portlink::is_serial_port;
using portlink::is_socket_port;

namespace {

PortServer* g_server = nullptr;

// The monitor tells the window that records wait.
constexpr UINT kRecordsMessage = WM_APP + 1;

// "19200,O,8,2": baud, parity, data bits, stop bits.
std::string serial_settings(const sCOM_CONFIG& c)
{
    const int32_t baud = c.baud, parity = c.parity, data = c.data_bits, stop = c.stop_bits;
    static const char* const kStops[] = {"1", "1.5", "2"};
    char text[64];
    std::snprintf(text, sizeof text, "%d,%c,%d,%s", baud, parity >= 0 && parity <= 4 ? "NOEMS"[parity] : '?', data,
                  stop >= 0 && stop <= 2 ? kStops[stop] : "?");
    return text;
}

// "TCP Client 192.168.1.9:8110".
std::string socket_settings(const sSOCK_CONFIG& c)
{
    const int32_t port = c.ip_port;
    const BYTE* a = c.ip_address;
    char text[128];
    std::snprintf(text, sizeof text, "%s %u.%u.%u.%u:%d",
                  c.connection_mode <= SOCK_MODE_UDP_BROADCAST ? P_GetStringFromDLLTable(7012 + c.connection_mode)
                                                               : "?",
                  a[0], a[1], a[2], a[3], port);
    return text;
}

std::string protocol_text(const sPORT_PROTOCOL& p)
{
    std::string text(p.name, strnlen(p.name, sizeof p.name));
    const size_t options = strnlen(p.options, sizeof p.options);
    if (options)
        text += " (" + std::string(p.options, options) + ")";
    return text;
}

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
    m_view.destroy();
    for (auto& channel : m_channels)
        channel.reset();
    for (auto& socket : m_sockets)
        socket.reset();
    if (m_window)
        DestroyWindow(m_window);
    if (m_trace.log)
        std::fclose(m_trace.log);
    g_server = nullptr;
}

bool PortServer::start()
{
    m_settings_file = portlink::settings_file_path();
    if (m_options.synchro) {
        F_restaureSynchroIniFile();
        F_setServerSynchroMode(1);
    }
    if (m_options.logging) {
        m_trace.log = std::fopen(beside(m_settings_file, "Portserver.log").c_str(), "ab");
        m_trace.dump_folder = beside(m_settings_file, "");
    }

    for (int port = 1; port <= PORTLINK_SERIAL_PORTS; ++port) {
        sCOM_CONFIG config{};
        sPORT_PROTOCOL protocol{};
        F_ReadPortConfig(&config, &protocol, port);
        const bool wanted = config.on_off == 1;
        auto channel = std::make_unique<SerialChannel>(port, config, protocol, m_trace);
        if (wanted) {
            // The file says what is on now: ports off under "/sleep", and
            // ports that do not open, are written off at once.
            if (m_options.sleep || !channel->present() || channel->open() != 1)
                write_on_off(port, 0);
        }
        m_channels[port - 1] = std::move(channel);
    }
    // Settings that could not be read (another program holds their lock)
    // leave the sockets off, and are not written back at the close.
    sSOCK_CONFIG sock_configs[PORTLINK_SOCKETS] = {};
    sPORT_PROTOCOL sock_protocols[PORTLINK_SOCKETS] = {};
    m_socket_settings_read = portlink::read_all_sock_configs(sock_configs, sock_protocols);
    for (int socket = 1; socket <= PORTLINK_SOCKETS; ++socket) {
        const sSOCK_CONFIG& config = sock_configs[socket - 1];
        auto channel = std::make_unique<SocketChannel>(socket, config, sock_protocols[socket - 1], m_trace);
        if (config.on_off == 1 && (m_options.sleep || channel->open() != 1))
            write_on_off(socket + 32, 0);
        m_sockets[socket - 1] = std::move(channel);
    }

    m_onclose_message = channel_messages().notify_onclose;
    // Registered once for the process, whose tests start servers one after another.
    static const bool registered = [] {
        WNDCLASS window_class{};
        window_class.lpfnWndProc = window_proc;
        window_class.hInstance = GetModuleHandle(nullptr);
        window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        window_class.lpszClassName = PORTSERVER_WINDOW_CLASS;
        return RegisterClass(&window_class) != 0;
    }();
    if (!registered)
        return false;
    m_window = CreateWindowEx(0, PORTSERVER_WINDOW_CLASS, "Portserver", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 640,
                              480, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
    if (!m_window || !m_view.create(m_window, kRecordsMessage))
        return false;
    show_ports();
    // Minimised out of the way when the starter asks for it (Portlink does,
    // unless told to show the server).
    STARTUPINFO startup{};
    GetStartupInfo(&startup);
    ShowWindow(m_window, (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWNORMAL);
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
    if (!server || window != server->m_window)
        return DefWindowProc(window, message, wParam, lParam);
    switch (message) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        const LRESULT result = server->on_copy_data(data);
        // A text to send changes nothing the list shows.
        if (result && data->dwData != SRV_CMD_COM_WRITE && data->dwData != SRV_CMD_SOCK_WRITE && !server->m_closed)
            server->show_ports();
        return result;
    }
    case WM_CLOSE:
        server->close_by_operator();
        return 0;
    case WM_SIZE:
        server->m_view.layout(wParam == SIZE_MINIMIZED);
        return 0;
    case WM_NOTIFY:
        if (lParam) {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            if (const int port = server->m_view.activated_port(header)) {
                server->edit_port_settings(port);
                return 0;
            }
            if (server->m_view.on_notify(header))
                return 0;
        }
        break;
    case kRecordsMessage:
        server->m_view.show_records();
        return 0;
    default:
        if (message == server->m_onclose_message && message != 0) {
            server->close_if_unused();
            return 0;
        }
        break;
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
        if (!configuration_is_valid(channel->config(), command.config)) {
            helm::kernel::trace("Portserver: COM%d: settings refused (baud %d, parity %d, stop code %d, %d data "
                                "bits)\n",
                                command.port, static_cast<int>(command.config.baud),
                                static_cast<int>(command.config.parity), static_cast<int>(command.config.stop_bits),
                                static_cast<int>(command.config.data_bits));
            return 0;
        }
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
    // The window's own monitor is no client.
    const DWORD monitor = m_view.monitor_thread();
    int count = 0;
    for (auto& channel : m_channels) {
        if (!channel || !channel->present())
            continue;
        count += channel->parsed_block().prune_dead_subscribers(monitor);
        count += channel->raw_block().prune_dead_subscribers(monitor);
    }
    for (auto& socket : m_sockets) {
        if (!socket || !socket->present())
            continue;
        count += socket->parsed_block().prune_dead_subscribers(monitor);
        count += socket->raw_block().prune_dead_subscribers(monitor);
    }
    return count;
}

void PortServer::show_ports()
{
    std::vector<PortsView::Row> rows;
    for (auto& channel : m_channels) {
        if (channel && channel->present())
            rows.push_back({channel->port(), channel->is_on(), serial_settings(channel->config()),
                            protocol_text(channel->protocol())});
    }
    for (auto& socket : m_sockets) {
        if (socket && socket->present())
            rows.push_back({socket->port(), socket->is_on(), socket_settings(socket->config()),
                            protocol_text(socket->protocol())});
    }
    m_view.show_ports(rows);
}

template <class Run>
auto PortServer::modal(Run run)
{
    m_in_modal = true;
    const auto result = run();
    m_in_modal = false;
    if (m_close_waiting) {
        m_close_waiting = false;
        close_if_unused();
    }
    return result;
}

bool PortServer::close_if_unused()
{
    if (m_in_modal) {
        m_close_waiting = true;
        return false;
    }
    if (m_closed || subscriber_count() > 0)
        return false;
    shut_down();
    return true;
}

bool PortServer::close_by_operator()
{
    if (m_closed || m_in_modal)
        return false;
    if (subscriber_count() > 0 && modal([&] {
            return MessageBox(m_window, server_text(IDS_CLOSE_QUESTION).c_str(), P_GetStringFromDLLTable(5001),
                              MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        }) != IDYES)
        return m_closed;  // a client's close request may have come meanwhile
    if (!m_closed)
        shut_down();
    return true;
}

void PortServer::edit_port_settings(int port)
{
    if (m_closed || m_in_modal || !is_serial_port(port))
        return;
    SerialChannel* channel = m_channels[port - 1].get();
    if (!channel || !channel->present() || channel->is_on())
        return;
    if (modal([&] { return channel->comm_settings_dialog(m_window); }) && !m_closed)
        show_ports();
}

void PortServer::shut_down()
{
    m_closed = true;
    m_view.destroy();
    for (int port = 1; port <= PORTLINK_SERIAL_PORTS; ++port) {
        SerialChannel* channel = m_channels[port - 1].get();
        if (!channel || !channel->present())
            continue;
        const sCOM_CONFIG config = channel->config();
        const sPORT_PROTOCOL protocol = channel->protocol();
        F_WritePortConfig(&config, &protocol, port);
    }
    for (int socket = 1; m_socket_settings_read && socket <= PORTLINK_SOCKETS; ++socket) {
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
