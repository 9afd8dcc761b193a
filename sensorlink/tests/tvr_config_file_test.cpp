#include <gtest/gtest.h>

#include "helm/test/support.h"
#include "talvor_sim/simulator.h"
#include "tvr_fixture.h"

namespace {

// A command set that has read a whole simulated Talvor4.
class TvrConfigFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        make_model(&cmd, TVR_MODEL_TALVOR4);
        talvor_sim::Simulator sim(talvor_sim::Model::Talvor4);
        sim.set_data_enabled(false);
        cmd.F_UpdateTvrAllCnf(true);  // every ask goes with the set; the sets carry zeros
        cmd.P_RemoveAllFifo();
        for (int id = 1551; id <= 1606; ++id)
            cmd.F_AddNewMsgFifo(id, 0, false, 0);
        uint32_t now = 0;
        for (int turn = 0; turn < 500 && cmd.F_GetTailleFifo() > 0; ++turn) {
            sMSG msg{};
            CString frame;
            if (cmd.F_GetFirstMsgFifo(&msg, now += 100) == 0)
                cmd.P_MakeTvrFrame(static_cast<uint16_t>(msg.id), msg.type, &frame);
            sim.receive(frame.str(), now);
            std::string out = sim.take_output();
            for (std::size_t end; (end = out.find('\n')) != std::string::npos; out.erase(0, end + 1))
                cmd.F_DecodeTvrCnf(out.substr(0, end + 1));
        }
        ASSERT_EQ(cmd.F_GetTailleFifo(), 0u);
        std::snprintf(cmd.F_GetAllTvrCnfSys()->RsPort[1].UserProtocol, TVR_USER_PROTOCOL_TEXT_SIZE, "D,E=F~\xE9~");
        path = dir.file("talvor.txt");
    }

    PostRecorder posts;
    C_Q_TvrCtrlCmd cmd;
    helm::test::TempDir dir;
    std::string path;
};

TEST_F(TvrConfigFile, SavedFileLoadsBackEqual)
{
    ASSERT_EQ(cmd.F_SaveTvrCnfFile(path.c_str()), 0);
    const std::string bytes = helm::test::read_file(path);
    EXPECT_EQ(bytes.substr(0, 10), "[System]\r\n");
    EXPECT_NE(bytes.find("[RSCM_E]\r\nBaudrate=5\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[KVBIA]\r\nX=0.100\r\nY=-0.200\r\nZ=0.300\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("UserProtocol=D,E=F~\xE9~\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n[Secure]\r\nSecure="), std::string::npos);

    fill_edited(cmd.F_GetAllTvrCnfIhm());  // edits the file must replace
    EXPECT_EQ(cmd.F_ReBootLoadTvrCnfFile(path.c_str()), 0);
    ASSERT_EQ(cmd.F_PrepareLoadTvrCnfFile(path.c_str()), 0);
    EXPECT_EQ(std::memcmp(cmd.F_GetAllTvrCnfIhm(), cmd.F_GetAllTvrCnfSys(), sizeof(sTVR_SETTINGS)), 0);
}

TEST_F(TvrConfigFile, SealIsTheToolsSealOverTheBody)
{
    ASSERT_EQ(cmd.F_SaveTvrCnfFile(path.c_str()), 0);
    const std::string bytes = helm::test::read_file(path);
    const std::size_t secure = bytes.find("[Secure]\r\n");
    const std::string body = bytes.substr(0, secure);
    helm::test::write_file(dir.file("body.txt"), body);
    int error = 1;
    const int seal = C_Q_Tools::F_CryptFileCnf(dir.file("body.txt").c_str(), &error);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(bytes.substr(secure + 10, 7 + std::to_string(seal).size() + 2), "Secure=" + std::to_string(seal) + "\r\n");

    // A file sealed with the seal alone (no Crc32 line) is taken.
    helm::test::write_file(dir.file("old.txt"), body + "[Secure]\r\nSecure=" + std::to_string(seal) + "\r\n");
    EXPECT_EQ(cmd.F_PrepareLoadTvrCnfFile(dir.file("old.txt").c_str()), 0);
}

TEST_F(TvrConfigFile, AnyOneChangedByteIsRefused)
{
    ASSERT_EQ(cmd.F_SaveTvrCnfFile(path.c_str()), 0);
    const std::string bytes = helm::test::read_file(path);
    const std::string changed_path = dir.file("changed.txt");
    fill_edited(cmd.F_GetAllTvrCnfIhm());
    const sTVR_SETTINGS before = *cmd.F_GetAllTvrCnfIhm();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        for (unsigned char flip : {0x01, 0x20, 0x80}) {
            std::string changed = bytes;
            changed[i] = static_cast<char>(changed[i] ^ flip);
            helm::test::write_file(changed_path, changed);
            ASSERT_EQ(cmd.F_PrepareLoadTvrCnfFile(changed_path.c_str()), -2) << "byte " << i << " ^ " << int(flip);
        }
    }
    EXPECT_EQ(std::memcmp(cmd.F_GetAllTvrCnfIhm(), &before, sizeof before), 0);  // nothing taken
}

TEST_F(TvrConfigFile, MissingTruncatedOrUnsealedFilesAreRefused)
{
    ASSERT_EQ(cmd.F_SaveTvrCnfFile(path.c_str()), 0);
    const std::string bytes = helm::test::read_file(path);
    EXPECT_EQ(cmd.F_PrepareLoadTvrCnfFile(dir.file("none.txt").c_str()), -2);
    const std::string cases[] = {"", bytes.substr(0, bytes.size() - 1), bytes.substr(0, bytes.find("[Secure]")),
                                 bytes + "extra\r\n", std::string(70000, '[')};
    for (const std::string& c : cases) {
        helm::test::write_file(dir.file("bad.txt"), c);
        EXPECT_EQ(cmd.F_PrepareLoadTvrCnfFile(dir.file("bad.txt").c_str()), -2) << c.size();
    }
    EXPECT_EQ(cmd.F_SaveTvrCnfFile(dir.file("no/such/dir/file.txt").c_str()), -1);
}

TEST_F(TvrConfigFile, RestartIsNeededWhenOrientationBootAddressOrBiasDiffer)
{
    struct Case {
        const char* what;
        void (*change)(sTVR_SETTINGS&);
        int reboot;
    };
    const Case cases[] = {
        {"nothing", [](sTVR_SETTINGS&) {}, 0},
        {"orientation", [](sTVR_SETTINGS& s) { s.AxisOrientation += 1; }, 1},
        {"boot address", [](sTVR_SETTINGS& s) { s.EthIpAddress[3] ^= 1; }, 1},
        {"net mask", [](sTVR_SETTINGS& s) { s.EthNetMask[0] = 0; }, 1},
        {"dhcp", [](sTVR_SETTINGS& s) { s.EthDhcpMode = 1; }, 1},
        {"bias", [](sTVR_SETTINGS& s) { s.Bias.Z = 1.5f; }, 1},
        {"lever arm", [](sTVR_SETTINGS& s) { s.LeverArm.X = 7.0f; }, 0},
        {"port", [](sTVR_SETTINGS& s) { s.RsPort[0].Baudrate = 1; }, 0},
    };
    const sTVR_SETTINGS read = *cmd.F_GetAllTvrCnfSys();
    for (const Case& c : cases) {
        *cmd.F_GetAllTvrCnfSys() = read;
        c.change(*cmd.F_GetAllTvrCnfSys());
        ASSERT_EQ(cmd.F_SaveTvrCnfFile(path.c_str()), 0);
        *cmd.F_GetAllTvrCnfSys() = read;
        EXPECT_EQ(cmd.F_ReBootLoadTvrCnfFile(path.c_str()), c.reboot) << c.what;
    }
}

TEST_F(TvrConfigFile, MalformedValuesInASealedFileKeepTheReadValues)
{
    const std::string body = "[System]\r\nSystemType=7\r\n[RSCM_A]\r\nBaudrate=abc\r\nParity=2\r\n"
                             "[ELCFIA]\r\nIpAddress=1.2.3.999\r\nIpPort=77\r\n[KVBIA]\r\nX=inf\r\n";
    const std::string file =
        body + "[Secure]\r\nSecure=" + std::to_string(C_Q_Tools::F_CryptCnfBytes(body.data(), body.size())) + "\r\n";
    helm::test::write_file(path, file);
    ASSERT_EQ(cmd.F_PrepareLoadTvrCnfFile(path.c_str()), 0);
    const sTVR_SETTINGS& ihm = *cmd.F_GetAllTvrCnfIhm();
    const sTVR_SETTINGS& sys = *cmd.F_GetAllTvrCnfSys();
    EXPECT_EQ(ihm.RsPort[0].Baudrate, sys.RsPort[0].Baudrate);
    EXPECT_EQ(ihm.RsPort[0].Parity, 2);
    EXPECT_EQ(std::memcmp(ihm.EthernetIn[0].IpAddress, sys.EthernetIn[0].IpAddress, 4), 0);
    EXPECT_EQ(ihm.EthernetIn[0].IpPort, 77);
    EXPECT_EQ(ihm.Bias.X, sys.Bias.X);
}

}  // namespace
