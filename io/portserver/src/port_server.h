// Portserver's application: the serial channels of ports 1 to 32 and the
// socket channels of ports 33 to 37, the main window that carries out the
// remote commands of Portlink (WM_COPYDATA codes 100 to 103 and 900 to 903)
// and shows the ports and the spy view, the on/off state kept in the
// settings file, and the close: on request once no client thread is
// subscribed, by the operator after a question while one is.
#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <string>

#include <windows.h>

#include "ports_view.h"
#include "serial_channel.h"
#include "socket_channel.h"

namespace helm::portserver {

struct ServerOptions {
    bool remote = false;   // started by a client program
    bool logging = false;  // a line per frame in the log file
    bool synchro = false;  // run on the synchro settings, the user's put back after
    bool sleep = false;    // every port off at start

    // The words may follow each other without blanks ("/remote/sleep").
    static ServerOptions parse(const std::string& commandLine);
};

class PortServer {
public:
    explicit PortServer(const ServerOptions& options);
    ~PortServer();
    PortServer(const PortServer&) = delete;
    PortServer& operator=(const PortServer&) = delete;

    // Reads the settings, builds the channels, switches on the ports the
    // settings say are on (none under "/sleep"), creates the window and
    // broadcasts the start. False when the window cannot be made.
    bool start();
    // The message loop, until the server has closed: the exit code.
    int run();

    // One remote command; the answer SendMessage gives back.
    LRESULT on_copy_data(const COPYDATASTRUCT* data);
    // The close request: closes when no client thread is subscribed any
    // more (threads of processes that have gone are taken off first).
    bool close_if_unused();
    // The operator closes the window: while client threads are subscribed,
    // only after saying yes to the question.
    bool close_by_operator();
    // The operator opens a port of the list: a serial port that is off
    // gets the dialog of its communication settings.
    void edit_port_settings(int port);
    HWND window() const { return m_window; }
    const PortsView& view() const { return m_view; }

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT serial_command(ULONG_PTR code, const sCOM_CMD& command);
    LRESULT socket_command(ULONG_PTR code, const sSOCK_CMD& command);
    int subscriber_count();
    void write_on_off(int port, int on);
    void show_ports();
    void shut_down();
    template <class Run>
    auto modal(Run run);

    ServerOptions m_options;
    std::string m_settings_file;
    ChannelTrace m_trace;
    std::array<std::unique_ptr<SerialChannel>, PORTLINK_SERIAL_PORTS> m_channels;
    std::array<std::unique_ptr<SocketChannel>, PORTLINK_SOCKETS> m_sockets;
    HWND m_window = nullptr;
    PortsView m_view;
    UINT m_onclose_message = 0;
    bool m_socket_settings_read = false;
    bool m_closed = false;
    // While a dialog or question of the window runs its loop, a close
    // request waits for its end: the caller may still use what a close
    // would take down.
    bool m_in_modal = false;
    bool m_close_waiting = false;
};

}  // namespace helm::portserver
