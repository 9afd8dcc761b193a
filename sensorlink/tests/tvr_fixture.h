// A Talvor command set of a known model with every edited setting filled
// with distinct values, and helpers to feed it answers.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"
#include "posted.h"

inline void fill_edited(sTVR_SETTINGS* s)
{
    for (int i = 0; i < TVR_MAX_RS_PORT; ++i) {
        sTVR_RS_PORT& p = s->RsPort[i];
        p.Baudrate = 10 + i;
        p.Parity = 20 + i;
        p.StopBits = 30 + i;
        p.RsLevel = 40 + i;
        p.InProtocol = 50 + i;
        p.InTimeOut = 600 + i;
        p.InMode = 70 + i;
        p.OutProtocol = i == 1 ? 2 : 1;
        p.LeverArm = 2;
        p.OutRate = 100;
        p.HeaveFilter = 3;
        p.Zda = 1;
        std::snprintf(p.UserProtocolName, sizeof p.UserProtocolName, "p%d.txt", i);
        std::snprintf(p.UserProtocol, sizeof p.UserProtocol, "A,B~C~");
        s->DeviceIn[i].Device = 5 + i;
        s->DeviceOut[i].Device = 6 + i;
        s->EthernetIn[i] = {1, {10, 0, 0, static_cast<uint8_t>(i + 1)}, 9000 + i, 0};
        s->EthernetOut[i] = {0, {10, 1, 0, static_cast<uint8_t>(i + 1)}, 9100 + i, 0};
    }
    for (int k = 0; k < TVR_MAX_ANALOG_OUTPUT; ++k)
        s->AnalogOutput[k] = {1.5f + static_cast<float>(k), k, 1, 0};
    for (int k = 0; k < TVR_PULSE_SLOTS; ++k)
        s->Pulse[k] = {k, 0.25f * static_cast<float>(k) + 0.125f, 0};
    s->UtcInterface = 2;
    s->UtcPpsMode = 1;
    s->EthDhcpMode = 1;
    const uint8_t ip[4] = {192, 168, 1, 50}, mask[4] = {255, 255, 0, 0};
    std::memcpy(s->EthIpAddress, ip, 4);
    std::memcpy(s->EthNetMask, mask, 4);
    s->Bias = {0.1f, -0.2f, 0.333f, 0};
    s->LeverArm = {1.5f, 2.25f, -3.125f, 0};
    for (int k = 0; k < TVR_MAX_LEVER2; ++k)
        s->LeverArm2[k] = {k + 0.5f, -(k + 0.5f), 0.004f, 0};
    s->AxisOrientation = 5;
    s->ManualSpeed = 12.345f;
    s->ManualLatitude = -47.125f;
}

inline std::string sealed(std::string body)
{
    C_Q_Tools::F_AddChecksum(&body);
    return body;
}

// A command set whose model is known and whose queue starts empty.
inline void make_model(C_Q_TvrCtrlCmd* cmd, uint16_t model)
{
    cmd->P_InitAllTvrTextAndCnf();
    if (model != 0)
        cmd->F_SetTvrSystemType(model);
    cmd->P_RemoveAllFifo();
}
