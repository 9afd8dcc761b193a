// What a complete reading of a simulated Talvor leaves in the command set:
// the queue empty, every setting the model has received with the sensor's
// value, every text list and status list complete.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"
#include "talvor_sim/simulator.h"

inline void expect_talvor_read(C_Q_TvrCtrlCmd& cmd, const talvor_sim::Simulator& sensor)
{
    const sTVR_SETTINGS& s = *cmd.F_GetAllTvrCnfSys();
    const sTVR_TEXT& t = *cmd.F_GetAllTvrText();
    const bool t3 = std::string(sensor.model_code()) == "TALV3";
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(s.SystemType, t3 ? 15 : 7);
    for (int p = 0; p < s.NbRsPort; ++p) {
        const bool output = t3 || p < s.NbRsOutPort;
        const bool input = t3 || p >= s.NbRsOutPort;
        EXPECT_TRUE(s.RsPort[p].RsCmValid) << p;
        EXPECT_EQ(s.RsPort[p].RsInValid, input) << p;
        EXPECT_EQ(s.RsPort[p].RsOutValid, output) << p;
        EXPECT_EQ(s.DeviceIn[p].Valid, input) << p;
        EXPECT_EQ(s.DeviceOut[p].Valid, output) << p;
        EXPECT_EQ(s.EthernetIn[p].Valid, input) << p;
        EXPECT_EQ(s.EthernetOut[p].Valid, output) << p;
        // Values as the sensor holds them.
        const std::string L(1, static_cast<char>('A' + p));
        EXPECT_EQ(std::to_string(s.RsPort[p].Baudrate), sensor.item("RSCM_" + L)[0]);
        if (input) {
            const auto e = sensor.item("ELCFI" + L);
            char address[20];
            std::snprintf(address, sizeof address, "%d.%d.%d.%d", s.EthernetIn[p].IpAddress[0],
                          s.EthernetIn[p].IpAddress[1], s.EthernetIn[p].IpAddress[2], s.EthernetIn[p].IpAddress[3]);
            EXPECT_EQ(address, e[1]);
            EXPECT_EQ(std::to_string(s.EthernetIn[p].IpPort), e[2]);
        }
    }
    EXPECT_TRUE(s.UtcValid);
    EXPECT_TRUE(s.ManualValid);
    EXPECT_EQ(s.ManualSpeed, 12.5f);
    if (t3) {
        for (int a = 0; a < 4; ++a)
            EXPECT_TRUE(s.AnalogOutput[a].Valid) << a;
        for (int k = 2; k < 6; ++k)
            EXPECT_TRUE(s.Pulse[k].Valid) << k;
        EXPECT_STREQ(s.SerialNumber, "T3-00042");
    } else {
        for (int k = 0; k < 6; ++k)
            EXPECT_TRUE(s.Pulse[k].Valid) << k;
        EXPECT_TRUE(s.Bias.Valid);
        EXPECT_EQ(s.Bias.Y, -0.2f);
        EXPECT_TRUE(s.LeverArm.Valid);
        EXPECT_TRUE(s.LeverArm2[2].Valid);
        EXPECT_TRUE(s.AxisOrientationValid);
        EXPECT_TRUE(s.EthBootValid);
        EXPECT_STREQ(s.MpcFirmware, "MPC FW 3.3");
    }
    EXPECT_STREQ(s.DspFirmware, "DSP FW 5.7");
    EXPECT_EQ(t.Status[TVR_STATUS_ALG].Cursor, 40);
    EXPECT_EQ(t.Status[TVR_STATUS_SYS].Cursor, 12);
    EXPECT_EQ(t.Status[TVR_STATUS_SOR].Cursor, 6);
    EXPECT_EQ(t.Status[TVR_STATUS_HL].Cursor, 4);
    EXPECT_STREQ(t.Status[TVR_STATUS_ALG].Word[0].Bit[7].text, "Spare");
    EXPECT_EQ(t.Group[TVR_TXT_RSCM].List[0].NbText, 6);
    EXPECT_STREQ(t.Group[TVR_TXT_RSCM].List[2].Text[1], "2 stops");
    EXPECT_TRUE(t.Group[TVR_TXT_UTCINT].Complete);
}
