// What travels between Portlink and Portserver's window: the settings
// records of a serial port and of a socket, the command blocks of
// WM_COPYDATA with their codes, and the name of the server's window class.
// The layouts are byte-exact: both sides compute the offsets on their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "helm/portlink/channel_memory.h"

#define PORTSERVER_WINDOW_CLASS "ZQO_PORTSERVER_APP-E484E643-7E24-4998-AAB4-1D0D5F56550F"
#define MSG_NAME_NOTIFY_SYNCHRO "ZQO_MSG_NOTIFY_SYNCHRO_5EBC700F-C530-480a-8BB4-2820A71EA2A2"

// WM_COPYDATA codes (dwData); the block's size is part of the command.
#define SRV_CMD_COM_CONFIG 100
#define SRV_CMD_COM_ON 101
#define SRV_CMD_COM_OFF 102
#define SRV_CMD_COM_WRITE 103
#define SRV_CMD_SOCK_CONFIG 900
#define SRV_CMD_SOCK_ON 901
#define SRV_CMD_SOCK_OFF 902
#define SRV_CMD_SOCK_WRITE 903

// Connection modes of a socket.
#define SOCK_MODE_TCP_SERVER 0
#define SOCK_MODE_TCP_CLIENT 1
#define SOCK_MODE_UDP_PEER 2
#define SOCK_MODE_UDP_BROADCAST 3

#pragma pack(push, 1)

// The serial settings of one port.
struct sCOM_CONFIG {
    int32_t present;      // the probe's answer; never stored in the file
    int32_t on_off;
    int32_t baud;
    int32_t parity;       // NOPARITY, ODDPARITY...
    int32_t stop_bits;    // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    int32_t data_bits;
    BYTE trigger;         // 0: read on every byte
    int32_t timeout_ms;
};

// The settings of one socket.
struct sSOCK_CONFIG {
    int32_t on_off;
    int32_t socket_type;
    int32_t ip_port;
    BYTE ip_address[4];   // a.b.c.d
    int32_t timeout_ms;
    BYTE connection_mode; // SOCK_MODE_*
};

// Block of codes 100 to 103.
struct sCOM_CMD {
    int32_t port;
    sCOM_CONFIG config;
    sPORT_PROTOCOL protocol;
};

// Block of codes 900 to 903.
struct sSOCK_CMD {
    int32_t port;
    sSOCK_CONFIG config;
    sPORT_PROTOCOL protocol;
};

#pragma pack(pop)

static_assert(sizeof(sCOM_CONFIG) == 29);
static_assert(offsetof(sCOM_CONFIG, timeout_ms) == 25);
static_assert(sizeof(sSOCK_CONFIG) == 21);
static_assert(offsetof(sSOCK_CONFIG, connection_mode) == 20);
static_assert(sizeof(sCOM_CMD) == 581);
static_assert(offsetof(sCOM_CMD, protocol) + offsetof(sPORT_PROTOCOL, name) == 65);
static_assert(offsetof(sCOM_CMD, protocol) + offsetof(sPORT_PROTOCOL, options) == 321);
static_assert(sizeof(sSOCK_CMD) == 573);
static_assert(offsetof(sSOCK_CMD, protocol) + offsetof(sPORT_PROTOCOL, name) == 57);
