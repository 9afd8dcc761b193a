#include "helm/portlink/channel_memory.h"

#include <cstdio>

#include "helm/station/atoms.h"

namespace helm::portlink {

BlockNames block_names(int port, BlockKind kind)
{
    BlockNames names;
    if (is_serial_port(port)) {
        const bool parsed = kind == BlockKind::parsed;
        std::snprintf(names.mapping, sizeof names.mapping, "%s%d", parsed ? MMF_SERIAL_PARSED_NAME : MMF_SERIAL_RAW_NAME,
                      port);
        std::snprintf(names.mutex, sizeof names.mutex, "%s%d",
                      parsed ? MMF_SERIAL_PARSED_MUTEX_NAME : MMF_SERIAL_RAW_MUTEX_NAME, port);
    } else if (is_socket_port(port)) {
        const char* base = kind == BlockKind::parsed ? MMF_SOCKET_PARSED_NAME : MMF_SOCKET_RAW_NAME;
        const int socket = port - PORTLINK_SERIAL_PORTS;
        std::snprintf(names.mapping, sizeof names.mapping, "%s%d", base, socket);
        std::snprintf(names.mutex, sizeof names.mutex, "%s%d%s", base, socket, MMF_SOCKET_MUTEX_SUFFIX);
    }
    return names;
}

uint32_t parsed_record_size(int kind)
{
    switch (kind) {
    case REC_ATTITUDE: return REC_ATTITUDE_SIZE;
    case REC_POSITION: return REC_POSITION_SIZE;
    case REC_GPS_QUALITY: return REC_GPS_QUALITY_SIZE;
    case REC_DEPTH: return REC_DEPTH_SIZE;
    case REC_HEADING_SPEED: return REC_HEADING_SPEED_SIZE;
    case REC_TRACKPOINT: return REC_TRACKPOINT_SIZE;
    case REC_MS1000: return REC_MS1000_SIZE;
    case REC_ATS: return REC_ATS_SIZE;
    case REC_TIME: return REC_TIME_SIZE;
    case REC_NAV_BLOCK: return REC_NAV_BLOCK_SIZE;
    case REC_FOG: return REC_FOG_SIZE;
    case REC_LAYBACK: return REC_LAYBACK_SIZE;
    default: return 0;
    }
}

const ChannelMessages& channel_messages()
{
    static const ChannelMessages messages{
        RegisterWindowMessage(MSG_NAME_RAW_SERIAL_DATA),  RegisterWindowMessage(MSG_NAME_NEW_PARSED_DATA),
        RegisterWindowMessage(MSG_NAME_SERIAL_TIMEOUT),   RegisterWindowMessage(MSG_NAME_WRITE_SERIAL_DATA),
        RegisterWindowMessage(MSG_NAME_NOTIFY_APPSTART),  RegisterWindowMessage(MSG_NAME_NOTIFY_APPCLOSE),
        RegisterWindowMessage(MSG_NAME_NOTIFY_ONCLOSE),
    };
    return messages;
}

}  // namespace helm::portlink
