// The link server for serial links only: it connects to a sensor on a
// serial port of the I/O server and offers no socket.
#pragma once

#include "helm/sensorlink/C_Q_Server.h"

class C_Q_SerialServer : public C_Q_Server {
public:
    // A serial link on `port` (1 to 32) with the baud rate, parity and stop
    // bits of `param`; as C_Q_Server::F_ConnectToSystem with type 1.
    int F_ConnectToSystem(unsigned short port, sCNX_PARAM* param)
    {
        return C_Q_Server::F_ConnectToSystem(CNX_TYPE_SERIAL, port, param);
    }
    // No socket: always -1, with an empty list.
    int F_CheckAndListValidSocketPort() { return -1; }
};
