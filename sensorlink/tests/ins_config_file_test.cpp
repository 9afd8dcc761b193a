#include <gtest/gtest.h>

#include "helm/test/support.h"
#include "ins_fixture.h"

namespace {

// Every set sentence of the items the system has, built from the edited
// settings: equal sentences mean equal settings, field by field, as the
// system would get them.
std::string all_sets(C_Q_InsCtrlCmd& cmd)
{
    const sINS_SETTINGS& sys = *cmd.F_GetAllInsCnfSys();
    auto has = [&](int id) {
        if (id >= INS_ID_RSCM && id < INS_ID_ANOUT)
            return (id - INS_ID_RSCM) % INS_MAX_RS_PORT < sys.NbRsPort;
        if (id >= INS_ID_ANOUT && id < INS_ID_IOOUT)
            return id - INS_ID_ANOUT < sys.NbAnalogicOutput;
        if (id >= INS_ID_IOOUT && id < INS_ID_KFM)
            return (id - INS_ID_IOOUT) % INS_MAX_PULSE_PORT < sys.NbPulsePort;
        if (id >= INS_ID_USBKFM && id < INS_ID_USBVIE)
            return (id - INS_ID_USBKFM) % INS_MAX_BEACON < sys.NbUsblBeacon;
        return true;
    };
    CString frames;
    for (int id = INS_ID_RSCM; id <= INS_ID_SECLV + 2; ++id) {
        if (!has(id))
            continue;
        CString frame;
        cmd.P_MakeInsFrame(static_cast<uint16_t>(id), 1, &frame);
        frames += frame;
    }
    return frames.str();
}

void write_text(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// A body sealed the older way, by the 8-bit seal alone.
std::string seal_only(const std::string& body)
{
    return body + "[Secure]\r\nSecure=" + std::to_string(C_Q_Tools::F_CryptCnfBytes(body.data(), body.size())) + "\r\n";
}

TEST(InsConfigFile, SavedSettingsLoadBackIntoTheEditedCopy)
{
    helm::test::TempDir dir;
    for (const char* code : {"QUIL7", "SELVO", "SUBQU"}) {
        C_Q_InsCtrlCmd saver;
        make_system(&saver, code);
        saver.F_GetAllInsCnfSys()->NbUsblBeacon = 3;
        fill_ins_edited(saver.F_GetAllInsCnfSys());
        const std::string path = dir.file(std::string(code) + ".txt");
        ASSERT_EQ(saver.F_SaveInsCnfFile(path.c_str()), 0);
        saver.F_UpdateInsAllCnf(false, false);

        C_Q_InsCtrlCmd loader;
        make_system(&loader, code);
        loader.F_GetAllInsCnfSys()->NbUsblBeacon = 3;
        ASSERT_EQ(loader.F_PrepareLoadInsCnfFile(path.c_str()), 0) << code;
        EXPECT_EQ(all_sets(loader), all_sets(saver)) << code;
        EXPECT_EQ(loader.F_GetTailleFifo(), 0u);
    }
}

TEST(InsConfigFile, LayoutHasTheInfoSectionThenOneSectionPerItemThenTheSeal)
{
    helm::test::TempDir dir;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL3");
    sINS_SETTINGS& s = *cmd.F_GetAllInsCnfSys();
    fill_ins_edited(&s);
    s.NbUsblBeacon = 2;
    std::snprintf(s.SerialNumber, sizeof s.SerialNumber, "SN,1*");
    ASSERT_EQ(cmd.F_SaveInsCnfFile(dir.file("q3.dat").c_str()), 0);
    const std::string text = helm::test::read_file(dir.file("q3.dat"));
    EXPECT_EQ(text.rfind("[Info]\r\nType=8\r\nSystem=Quillo3IO\r\nSerialNumber=SN 1 \r\n", 0), 0u);
    for (const char* part : {"[SerialCMA]\r\nBaudrate=10\r\nParity=20\r\n[SerialCMB]",
                             "[SerialOUTC]\r\nProtocol=62\r\nRate=300\r\nLeverArm=2\r\n",
                             "[ModeKFM]\r\nGPSKFM=1\r\nLMNKFM=2\r\n",
                             "[Port]\r\nUTCINT=10\r\n",
                             "[Usbl1]\r\nKfmMode=5\r\nLvX=1.500\r\nLvY=-1.250\r\nLvZ=1.000\r\nInterface=8\r\nCode=BC1\r\n",
                             "[LvArm]\r\nGPSLV_X=0.500\r\n",
                             "[ModeleCourrant]\r\nSpeed=0.75\r\nDirection=181.50\r\n",
                             "[Position]\r\nLatitude=47.12345678\r\n",
                             "[UtmPos]\r\nHemisphere=S\r\nZone=31\r\nEasting=500000.125\r\n",
                             "[SecLvArmC]\r\n", "[Axisor]\r\nMode=5\r\n", "[AltitudMode]\r\nMode=3\r\n"})
        EXPECT_NE(text.find(part), std::string::npos) << part;
    // Only the items the system has: three ports, no beacon 2.
    for (const char* absent : {"[SerialCMD]", "[Usbl2]", "[Analog"})
        EXPECT_EQ(text.find(absent) == std::string::npos, std::string(absent) != "[Analog") << absent;
    const std::size_t secure = text.find("[Secure]\r\nSecure=");
    ASSERT_NE(secure, std::string::npos);
    EXPECT_NE(text.find("\r\nCrc32=", secure), std::string::npos);
    EXPECT_EQ(text.find('\n', 0) - 1, text.find('\r', 0));
}

TEST(InsConfigFile, FilesThatCannotBeTakenLeaveTheEditedCopyAlone)
{
    helm::test::TempDir dir;
    C_Q_InsCtrlCmd saver;
    make_system(&saver, "QUIL7");
    fill_ins_edited(saver.F_GetAllInsCnfSys());
    ASSERT_EQ(saver.F_SaveInsCnfFile(dir.file("good.txt").c_str()), 0);
    const std::string good = helm::test::read_file(dir.file("good.txt"));
    const std::string body = good.substr(0, good.find("[Secure]"));

    std::string tampered = good;
    tampered[tampered.find("Baudrate=10") + 9] = '7';
    std::string other_type = body;
    other_type.replace(other_type.find("Type=9"), 6, "Type=1");
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"tampered", tampered},
        {"no seal", body},
        {"cut seal", good.substr(0, good.size() - 4)},
        {"after the seal", good + "[More]\r\n"},
        {"another system", seal_only(other_type)},
        {"no info", seal_only(body.substr(body.find("[SerialCMA]")))},
        {"empty", ""},
        {"too big", seal_only("[Info]\r\nType=9\r\n" + std::string(70000, ';') + "\r\n")},
    };
    for (const auto& c : cases) {
        write_text(dir.file("bad.txt"), c.text);
        C_Q_InsCtrlCmd cmd;
        make_system(&cmd, "QUIL7");
        const std::string before = all_sets(cmd);
        EXPECT_EQ(cmd.F_PrepareLoadInsCnfFile(dir.file("bad.txt").c_str()), -2) << c.name;
        EXPECT_EQ(all_sets(cmd), before) << c.name;
    }
    C_Q_InsCtrlCmd cmd;
    EXPECT_EQ(cmd.F_PrepareLoadInsCnfFile(dir.file("missing.txt").c_str()), -2);
    EXPECT_EQ(cmd.F_SaveInsCnfFile(dir.file("no/such/dir.txt").c_str()), -1);
}

TEST(InsConfigFile, AMalformedValueKeepsTheReadOneAndTheOthersApply)
{
    helm::test::TempDir dir;
    C_Q_InsCtrlCmd cmd;
    make_system(&cmd, "QUIL7");
    sINS_SETTINGS& sys = *cmd.F_GetAllInsCnfSys();
    sys.RsCm[0].Baudrate = 3;
    sys.Bias.X = 0.5f;
    const std::string body =
        "[Info]\r\nType=9\r\n[SerialCMA]\r\nBaudrate=fast\r\nParity=2\r\n[Bias]\r\nX=1e60\r\nY=0.25\r\n"
        "[UtmPos]\r\nHemisphere=North\r\nZone=32\r\n";
    write_text(dir.file("old.txt"), seal_only(body));
    ASSERT_EQ(cmd.F_PrepareLoadInsCnfFile(dir.file("old.txt").c_str()), 0);
    const sINS_SETTINGS& e = *cmd.F_GetAllInsCnfIhm();
    EXPECT_EQ(e.RsCm[0].Baudrate, 3);
    EXPECT_EQ(e.RsCm[0].Parity, 2);
    EXPECT_EQ(e.Bias.X, 0.5f);
    EXPECT_EQ(e.Bias.Y, 0.25f);
    EXPECT_EQ(e.UtmPosition.Hemisphere, 0);
    EXPECT_EQ(e.UtmPosition.Zone, 32);
}

}  // namespace
