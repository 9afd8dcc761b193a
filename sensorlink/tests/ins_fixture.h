// An inertial command set of a known system with every edited setting
// filled with distinct values, and helpers to feed it answers and read
// its queue.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helm/sensorlink/C_Q_InsCtrlCmd.h"
#include "helm/sensorlink/C_Q_Tools.h"
#include "posted.h"

inline std::string ins_sealed(std::string body)
{
    C_Q_Tools::F_AddChecksum(&body);
    return body;
}

inline void fill_ins_edited(sINS_SETTINGS* s)
{
    for (int i = 0; i < INS_MAX_RS_PORT; ++i) {
        s->RsCm[i] = {10 + i, 20 + i, 0};
        s->RsIn[i] = {30 + i, 40 + i, 50 + i, 0};
        s->RsOut[i] = {60 + i, 100 * (i + 1), i % 4, 70 + i, 80 + i, 0};
    }
    for (int k = 0; k < INS_MAX_ANALOG_OUTPUT; ++k)
        s->Analog[k] = {1.5f + static_cast<float>(k), k, 0.25f * static_cast<float>(k), 0};
    for (int k = 0; k < INS_MAX_PULSE_PORT; ++k) {
        s->PulseOut[k] = {0.125f + static_cast<float>(k), k + 1, 0};
        s->PulseIn[k] = {2.5f + static_cast<float>(k), k + 3, 0};
    }
    for (int k = 0; k < INS_NB_KFM; ++k)
        s->Kfm[k] = {k + 1, 0};
    for (int k = 0; k < INS_NB_INTERFACE; ++k)
        s->Interface[k] = {10 + k, 0};
    s->StartMode = {2, 0};
    s->ZupMode = {1, 0};
    s->AltitudeMode = {3, 0};
    for (int b = 0; b < INS_MAX_BEACON; ++b) {
        sINS_USBL_BEACON& beacon = s->Beacon[b];
        beacon.KfmMode = b + 4;
        beacon.LvX = static_cast<float>(b) + 0.5f;
        beacon.LvY = -static_cast<float>(b) - 0.25f;
        beacon.LvZ = 1.0f;
        beacon.Interface = b + 7;
        std::snprintf(beacon.Code, sizeof beacon.Code, "BC%d", b);
    }
    s->BeaconViewer = {1, 0};
    for (int k = 0; k < INS_NB_LEVER_ARM; ++k)
        s->LeverArm[k] = {static_cast<float>(k) + 0.5f, static_cast<float>(-k), 0.004f, 0};
    s->LogCal = {1.001f, -0.5f, 0.25f, 1.0025f, 0};
    s->LogTam = {0.75f, 181.5f, 0};
    s->ManualPosition = {47.12345678, -3.98765432, 12.5f, 0};
    s->UtmPosition = {'S', 31, 500000.125, 5220000.25, -1.5f, 0};
    s->Bias = {0.1f, -0.2f, 0.333f, 0};
    s->AxisOrientation = {5, 0};
    s->PrimaryLeverArm = {1.5f, 2.25f, -3.125f, 0};
    for (int k = 0; k < INS_MAX_SECONDARY_ARM; ++k)
        s->SecondaryLeverArm[k] = {static_cast<float>(k) + 0.5f, -(static_cast<float>(k) + 0.5f), 0.004f, 0};
}

// A command set whose system is known (by its five-letter code) and whose
// queue starts empty.
inline void make_system(C_Q_InsCtrlCmd* cmd, const char* code)
{
    cmd->P_InitAllInsTextAndCnf();
    if (code != nullptr)
        cmd->F_DecodeInsCnf(ins_sealed(std::string("$PVRNK,TEXT__,EQP___,0,0,") + code));
    cmd->P_RemoveAllFifo();
}

// The queued ids, head first. Empties the queue.
inline std::vector<int> drain_queue(C_Q_MsgFifo* fifo)
{
    std::vector<int> ids;
    sMSG msg{};
    while (fifo->F_GetTailleFifo() > 0 && fifo->F_GetFirstMsgFifo(&msg, 1) == 0) {
        ids.push_back(msg.id);
        fifo->F_FindAndRemoveFifo(msg.id);
    }
    return ids;
}

inline std::vector<int> id_range(int first, int last)
{
    std::vector<int> ids;
    for (int id = first; id <= last; ++id)
        ids.push_back(id);
    return ids;
}

inline std::vector<int> concat(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}
