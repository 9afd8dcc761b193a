// Portserver: the I/O server program. It owns the serial ports and shares
// what arrives on them with the client threads of any program of the
// station; Portlink starts it and talks to its window.
#include <windows.h>

#include "port_server.h"

int main()
{
    const char* line = GetCommandLine();
    helm::portserver::PortServer server(helm::portserver::ServerOptions::parse(line ? line : ""));
    if (!server.start())
        return 1;
    return server.run();
}
