// A factory command set whose edited settings are all distinct, and a
// firmware image written to a file.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helm/sensorlink/C_Q_CnfUsineCtrlCmd.h"
#include "helm/sensorlink/C_Q_Tools.h"
#include "posted.h"

inline std::string usine_sealed(std::string body)
{
    C_Q_Tools::F_AddChecksum(&body);
    return body;
}

inline void fill_usine_edited(sUSINE_SETTINGS* s)
{
    for (int i = 0; i < USINE_NB_TRIPLE; ++i)
        s->Triple[i] = {i + 0.5, -(i + 0.25), i * 0.001, 0};
    for (int k = 0; k < USINE_NB_MATRIX; ++k)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                s->Matrix[k].M[r][c] = k + r * 0.1 + c * 0.01;
    s->Qgmb = {1.5, 2.5, 3.5, 0};
    s->Qamb = {-1, -2, -3, 0};
    s->Crt = {0.125, 0.25, 0.5, 0};
    s->Csor = {0.5f, -0.75f, 0};
    const uint8_t ip[4] = {192, 168, 1, 20};
    std::memcpy(s->Net.Ip, ip, 4);
    std::snprintf(s->Net.Mac, sizeof s->Net.Mac, "00:11:22:33:44:55");
    s->Net.Port1 = 5000;
    s->Net.Port2 = 5001;
    s->Hard.V[0] = 1;
    s->Hard.V[1] = 3;
    s->Hard.V[2] = 2;
    s->Algo.V[0] = 7;
    s->Algo.V[1] = 9;
    s->Tfog = {0.1f, 0.2f, 0};
    s->Tacc = {0.3f, 0.4f, 0};
    s->Tana = {0.5f, 0.6f, 0};
    s->Tfct.V[0] = 1.5f;
    s->Tfct.V[1] = 2.5f;
    s->Tfct.V[2] = 3.5f;
    s->Tmod.V[0] = 1;
    s->Tmod.V[1] = 3;
    s->Tmod.V[2] = 2;
    s->Freq.V[0] = 100;
    s->Freq.V[1] = 200;
    s->Mode.Dhcp = 1;
    s->Mode.Second = 0x1234;
    std::snprintf(s->SerialNumber, sizeof s->SerialNumber, "SN-123");
    s->SystemNumber = 42;
    std::snprintf(s->VersionA, sizeof s->VersionA, "VA1");
    std::snprintf(s->VersionB, sizeof s->VersionB, "VB2");
}

// An image file: the start address line, then four words a line.
inline void write_image(const std::string& path, uint32_t address, const std::vector<uint32_t>& words)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "%X\r\n", address);
    for (std::size_t i = 0; i < words.size(); ++i)
        std::fprintf(f, "%X%s", words[i], (i % 4 == 3 || i + 1 == words.size()) ? "\r\n" : " ");
    std::fclose(f);
}
