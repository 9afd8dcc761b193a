#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helm/test/support.h"
#include "usine_fixture.h"

namespace {

void write_text(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// The body of a saved file, without its "[Secure]" tail.
std::string body_of(const std::string& text)
{
    return text.substr(0, text.rfind("[Secure]\r\n"));
}

// A body sealed by the 8-bit seal alone, as older files are.
std::string sealed(const std::string& body)
{
    return body + "[Secure]\r\nSecure=" + std::to_string(C_Q_Tools::F_CryptCnfBytes(body.data(), body.size())) +
           "\r\n";
}

// Replaces the line of `key` in section `name` by `line` ("" removes it).
std::string with_line(std::string body, const std::string& name, const std::string& key, const std::string& line)
{
    const std::size_t section = body.find("[" + name + "]\r\n");
    EXPECT_NE(section, std::string::npos) << name;
    const std::size_t at = body.find("\r\n" + key + "=", section);
    EXPECT_NE(at, std::string::npos) << name << " " << key;
    const std::size_t end = body.find("\r\n", at + 2);
    body.replace(at + 2, end + 2 - (at + 2), line.empty() ? "" : line + "\r\n");
    return body;
}

std::string without_section(std::string body, const std::string& name)
{
    const std::size_t at = body.find("[" + name + "]\r\n");
    EXPECT_NE(at, std::string::npos) << name;
    const std::size_t next = body.find("\r\n[", at);
    body.erase(at, next == std::string::npos ? std::string::npos : next + 2 - at);
    return body;
}

// Calibration values with at most eight decimals, all distinct: n / 1e8
// is the double nearest the decimal, which is what a file line reads back.
void fill_model(sUSINE_SETTINGS* s)
{
    auto value = [](int n) { return static_cast<double>((n * 7919LL) % 900000007LL - 450000000LL) / 1e8; };
    int n = 1;
    for (sUSINE_TRIPLE& t : s->Triple)
        t = {value(n++), value(n++), value(n++), 0};
    for (sUSINE_TRIPLE* t : {&s->Qgmb, &s->Qamb, &s->Crt})
        *t = {value(n++), value(n++), value(n++), 0};
    for (sUSINE_MATRIX& m : s->Matrix)
        for (auto& row : m.M)
            for (double& v : row)
                v = value(n++);
    s->Triple[7].X = 123456.12345678;
    s->Triple[7].Y = -0.00000001;
}

void expect_same_model(const sUSINE_SETTINGS& a, const sUSINE_SETTINGS& b)
{
    for (int i = 0; i < USINE_NB_TRIPLE; ++i) {
        EXPECT_EQ(a.Triple[i].X, b.Triple[i].X) << i;
        EXPECT_EQ(a.Triple[i].Y, b.Triple[i].Y) << i;
        EXPECT_EQ(a.Triple[i].Z, b.Triple[i].Z) << i;
    }
    const sUSINE_TRIPLE* ta[] = {&a.Qgmb, &a.Qamb, &a.Crt};
    const sUSINE_TRIPLE* tb[] = {&b.Qgmb, &b.Qamb, &b.Crt};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ta[i]->X, tb[i]->X) << i;
        EXPECT_EQ(ta[i]->Y, tb[i]->Y) << i;
        EXPECT_EQ(ta[i]->Z, tb[i]->Z) << i;
    }
    for (int k = 0; k < USINE_NB_MATRIX; ++k)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(a.Matrix[k].M[r][c], b.Matrix[k].M[r][c]) << k << r << c;
}

void expect_same_system(const sUSINE_SETTINGS& a, const sUSINE_SETTINGS& b)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(a.Hard.V[i], b.Hard.V[i]) << i;
        EXPECT_EQ(a.Tfct.V[i], b.Tfct.V[i]) << i;
        EXPECT_EQ(a.Tmod.V[i], b.Tmod.V[i]) << i;
    }
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(a.Algo.V[i], b.Algo.V[i]) << i;
        EXPECT_EQ(a.Freq.V[i], b.Freq.V[i]) << i;
    }
    const sUSINE_PAIR_F* pa[] = {&a.Tfog, &a.Tacc, &a.Tana, &a.Csor};
    const sUSINE_PAIR_F* pb[] = {&b.Tfog, &b.Tacc, &b.Tana, &b.Csor};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pa[i]->A, pb[i]->A) << i;
        EXPECT_EQ(pa[i]->B, pb[i]->B) << i;
    }
    EXPECT_EQ(std::memcmp(a.Net.Ip, b.Net.Ip, 4), 0);
    EXPECT_STREQ(a.Net.Mac, b.Net.Mac);
    EXPECT_EQ(a.Net.Port1, b.Net.Port1);
    EXPECT_EQ(a.Net.Port2, b.Net.Port2);
    EXPECT_EQ(a.Mode.Dhcp, b.Mode.Dhcp);
    EXPECT_EQ(a.Mode.Second, b.Mode.Second);
}

TEST(UsineFiles, ModelFileLoadsBackIntoAFreshCommandSet)
{
    helm::test::TempDir dir;
    C_Q_CnfUsineCtrlCmd saver;
    fill_model(saver.F_GetAllUsineCnfIhm());
    ASSERT_EQ(saver.F_SaveFileCnfModele(dir.file("model.cnf").c_str()), 0);

    C_Q_CnfUsineCtrlCmd loader;
    ASSERT_EQ(loader.F_LoadFileCnfModele(dir.file("model.cnf").c_str()), 0);
    expect_same_model(*loader.F_GetAllUsineCnfIhm(), *saver.F_GetAllUsineCnfIhm());
    // The read copy is what the sensor said; a file never stands in for it.
    EXPECT_EQ(loader.F_GetAllUsineCnfSys()->Triple[0].X, 0.0);
    EXPECT_EQ(loader.F_GetAllUsineCnfSys()->Matrix[0].M[0][0], 1.0);
    EXPECT_EQ(loader.F_GetTailleFifo(), 0u);
}

TEST(UsineFiles, SystemFileLoadsBackAndLeavesTheModelAlone)
{
    helm::test::TempDir dir;
    C_Q_CnfUsineCtrlCmd saver;
    sUSINE_SETTINGS& s = *saver.F_GetAllUsineCnfIhm();
    fill_usine_edited(&s);
    // Floats that need all nine digits, and the extremes of each range.
    s.Tfog = {0.001234567f, 1e-9f, 0};
    s.Tana = {3.4e38f, -1.17549435e-38f, 0};
    s.Algo.V[0] = INT32_MIN;
    s.Freq.V[1] = INT32_MAX;
    s.Net.Port2 = 65535;
    s.Mode.Second = 0xFFFF;
    std::memset(s.Net.Mac, 'M', USINE_MAC_SIZE - 1);
    s.Net.Mac[5] = '\xE9';  // Windows-1252 bytes are kept
    ASSERT_EQ(saver.F_SaveFileCnfSystem(dir.file("system.cnf").c_str()), 0);

    C_Q_CnfUsineCtrlCmd loader;
    ASSERT_EQ(loader.F_LoadFileCnfSystem(dir.file("system.cnf").c_str()), 0);
    expect_same_system(*loader.F_GetAllUsineCnfIhm(), s);
    EXPECT_EQ(loader.F_GetAllUsineCnfIhm()->Triple[3].X, 0.0);
    EXPECT_EQ(loader.F_GetAllUsineCnfIhm()->SerialNumber[0], '\0');
    EXPECT_EQ(loader.F_GetAllUsineCnfSys()->Net.Port1, 0);
}

TEST(UsineFiles, ModelLayoutIsOneSectionPerKeyWithTabSeparatedValues)
{
    helm::test::TempDir dir;
    C_Q_CnfUsineCtrlCmd cmd;
    sUSINE_SETTINGS& s = *cmd.F_GetAllUsineCnfIhm();
    s.Triple[0] = {1.5, -2, 0.123456789, 0};  // QGF_
    s.Triple[39] = {-0.25, 3, 1e-9, 0};       // CSF3
    s.Crt = {7, 8, 9, 0};
    s.Matrix[5].M[1][2] = -4.5;  // QAM0
    ASSERT_EQ(cmd.F_SaveFileCnfModele(dir.file("m.cnf").c_str()), 0);
    const std::string text = helm::test::read_file(dir.file("m.cnf"));

    EXPECT_EQ(text.rfind("[QGF_]\r\nValue=1.50000000\t-2.00000000\t0.12345679\r\n[QGF0]\r\n", 0), 0u);
    EXPECT_NE(text.find("[CSF3]\r\nValue=-0.25000000\t3.00000000\t0.00000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("[CRT_]\r\nValue=7.00000000\t8.00000000\t9.00000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("[QAM0]\r\nRow0=1.00000000\t0.00000000\t0.00000000\r\n"
                        "Row1=0.00000000\t1.00000000\t-4.50000000\r\n"
                        "Row2=0.00000000\t0.00000000\t1.00000000\r\n"),
              std::string::npos);
    for (const char* key : {"QAF3", "CAT0", "QGS2", "QGMB", "QAMB", "QGM_", "QGM2", "QAM2"})
        EXPECT_NE(text.find(std::string("\r\n[") + key + "]\r\n"), std::string::npos) << key;
    const std::size_t tail = text.find("[Secure]\r\nSecure=");
    ASSERT_NE(tail, std::string::npos);
    EXPECT_NE(text.find("\r\nCrc32=", tail), std::string::npos);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        ASSERT_EQ(text[at - 1], '\r') << at;

    // Nine decimals come back as the eight the file keeps.
    C_Q_CnfUsineCtrlCmd loader;
    ASSERT_EQ(loader.F_LoadFileCnfModele(dir.file("m.cnf").c_str()), 0);
    EXPECT_EQ(loader.F_GetAllUsineCnfIhm()->Triple[0].Z, 0.12345679);
    EXPECT_EQ(loader.F_GetAllUsineCnfIhm()->Triple[39].Z, 0.0);
}

TEST(UsineFiles, SystemLayoutNamesEachKeyInWireOrder)
{
    helm::test::TempDir dir;
    C_Q_CnfUsineCtrlCmd cmd;
    sUSINE_SETTINGS& s = *cmd.F_GetAllUsineCnfIhm();
    fill_usine_edited(&s);  // HARD and TMOD hold wire values 1, 2, 3 as 1, 3, 2; ALGO 7, 9 is wire 9, 7
    std::snprintf(s.Net.Mac, sizeof s.Net.Mac, "AA\r\n[BB]");
    ASSERT_EQ(cmd.F_SaveFileCnfSystem(dir.file("s.cnf").c_str()), 0);
    const std::string text = helm::test::read_file(dir.file("s.cnf"));

    const char* expected[] = {
        "[TypeAlgo]\r\nValue=9\r\n",      "[FreqDataReady]\r\nValue=7\r\n",
        "[TypeGyro]\r\nValue=1\r\n",      "[TypeAcc]\r\nValue=2\r\n",
        "[TypeMeca]\r\nValue=3\r\n",      "[TcFog]\r\nValue=0.100000001\t0.200000003\r\n",
        "[TcFilter]\r\nValue=1.5\t2.5\t3.5\r\n", "[TcModel]\r\nValue=1\t2\t3\r\n",
        "[Csor]\r\nValue=0.5\t-0.75\r\n", "[FreqAlgo]\r\nValue=100\r\n",
        "[FreqOutput]\r\nValue=200\r\n",  "[IpAdresse]\r\nValue=192.168.1.20\r\n",
        "[MacAdresse]\r\nValue=AA  [BB]\r\n", "[IpPort1]\r\nValue=5000\r\n",
        "[IpPort2]\r\nValue=5001\r\n",    "[DHCP Mode]\r\nValue=1\r\n",
        "[QCONN Mode]\r\nValue=4660\r\n",
    };
    for (const char* section : expected)
        EXPECT_NE(text.find(section), std::string::npos) << section;
    EXPECT_EQ(text.rfind("[TypeAlgo]\r\n", 0), 0u);
    EXPECT_EQ(text.find("SN-123"), std::string::npos);  // the unit's identity stays out

    // A text broken by line ends is written on one line and loads back.
    C_Q_CnfUsineCtrlCmd loader;
    ASSERT_EQ(loader.F_LoadFileCnfSystem(dir.file("s.cnf").c_str()), 0);
    EXPECT_STREQ(loader.F_GetAllUsineCnfIhm()->Net.Mac, "AA  [BB]");
}

// Saves both files of a loader: equal texts mean equal edited settings.
std::string both_files(const C_Q_CnfUsineCtrlCmd& cmd, const helm::test::TempDir& dir)
{
    EXPECT_EQ(cmd.F_SaveFileCnfModele(dir.file("check_m.cnf").c_str()), 0);
    EXPECT_EQ(cmd.F_SaveFileCnfSystem(dir.file("check_s.cnf").c_str()), 0);
    return helm::test::read_file(dir.file("check_m.cnf")) + helm::test::read_file(dir.file("check_s.cnf"));
}

struct Saved {
    std::string model;   // bodies, without the seal
    std::string system;
};

Saved saved_bodies(const helm::test::TempDir& dir)
{
    C_Q_CnfUsineCtrlCmd saver;
    fill_usine_edited(saver.F_GetAllUsineCnfIhm());
    fill_model(saver.F_GetAllUsineCnfIhm());
    EXPECT_EQ(saver.F_SaveFileCnfModele(dir.file("good_m.cnf").c_str()), 0);
    EXPECT_EQ(saver.F_SaveFileCnfSystem(dir.file("good_s.cnf").c_str()), 0);
    return {body_of(helm::test::read_file(dir.file("good_m.cnf"))),
            body_of(helm::test::read_file(dir.file("good_s.cnf")))};
}

// A loader whose edited settings differ from every file of these tests.
void prime(C_Q_CnfUsineCtrlCmd* cmd)
{
    sUSINE_SETTINGS& s = *cmd->F_GetAllUsineCnfIhm();
    for (sUSINE_TRIPLE& t : s.Triple)
        t = {-9, -9, -9, 0};
    s.Matrix[2].M[0][1] = 0.5;
    s.Hard.V[1] = 77;
    s.Tacc = {8.5f, 9.5f, 0};
    std::snprintf(s.Net.Mac, sizeof s.Net.Mac, "keep");
    s.Mode.Second = 3;
}

TEST(UsineFiles, UnreadableFilesGiveMinusOneAndChangeNothing)
{
    helm::test::TempDir dir;
    const Saved good = saved_bodies(dir);
    const std::string model_text = helm::test::read_file(dir.file("good_m.cnf"));
    std::string flipped = model_text;
    flipped[20] = flipped[20] == '1' ? '2' : '1';  // a changed digit the 8-bit seal may miss, the CRC does not
    std::string big = good.system;
    while (big.size() <= C_Q_Tools::kMaxCnfFileSize)
        big += "[Pad]\r\nValue=0123456789012345678901234567890123456789\r\n";

    struct Case {
        const char* what;
        std::string text;  // nullopt-like: empty means "no file"
    };
    const std::vector<Case> cases = {
        {"missing", ""},
        {"unsealed", good.model},
        {"changed after sealing", flipped},
        {"bytes after the seal", model_text + "[QGF_]\r\nValue=0\t0\t0\r\n"},
        {"over 64 KiB", sealed(big)},
        {"no section first", sealed("Value=1\r\n" + good.system)},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("bad.cnf");
        std::remove(path.c_str());
        if (!c.text.empty())
            write_text(path, c.text);
        C_Q_CnfUsineCtrlCmd cmd;
        prime(&cmd);
        const std::string before = both_files(cmd, dir);
        EXPECT_EQ(cmd.F_LoadFileCnfModele(path.c_str()), -1) << c.what;
        EXPECT_EQ(cmd.F_LoadFileCnfSystem(path.c_str()), -1) << c.what;
        EXPECT_EQ(both_files(cmd, dir), before) << c.what;
    }

    C_Q_CnfUsineCtrlCmd cmd;
    EXPECT_EQ(cmd.F_SaveFileCnfModele(dir.path().c_str()), -1);
    EXPECT_EQ(cmd.F_SaveFileCnfSystem(dir.file("no/such/dir.cnf").c_str()), -1);
}

TEST(UsineFiles, MalformedModelFilesGiveMinusTwoAndChangeNothing)
{
    helm::test::TempDir dir;
    const Saved good = saved_bodies(dir);
    struct Case {
        const char* what;
        std::string body;
    };
    const std::vector<Case> cases = {
        {"a triple missing", without_section(good.model, "CAT3")},
        {"a matrix row missing", with_line(good.model, "QAM2", "Row2", "")},
        {"two values", with_line(good.model, "QGF_", "Value", "Value=1\t2")},
        {"four values", with_line(good.model, "QGS1", "Value", "Value=1\t2\t3\t4")},
        {"blank separators", with_line(good.model, "QAB0", "Value", "Value=1 2 3")},
        {"an empty value", with_line(good.model, "CSF2", "Value", "Value=1\t\t3")},
        {"a trailing tab", with_line(good.model, "QGMB", "Value", "Value=1\t2\t3\t")},
        {"not a number", with_line(good.model, "CRT_", "Value", "Value=1\tx\t3")},
        {"a decimal comma", with_line(good.model, "QGF0", "Value", "Value=1,5\t2\t3")},
        {"not finite", with_line(good.model, "QGM1", "Row1", "Row1=nan\t0\t1")},
        {"overflow", with_line(good.model, "QAM_", "Row0", "Row0=1e400\t0\t0")},
        {"a system file", good.system},
    };
    for (const Case& c : cases) {
        write_text(dir.file("bad.cnf"), sealed(c.body));
        C_Q_CnfUsineCtrlCmd cmd;
        prime(&cmd);
        const std::string before = both_files(cmd, dir);
        EXPECT_EQ(cmd.F_LoadFileCnfModele(dir.file("bad.cnf").c_str()), -2) << c.what;
        EXPECT_EQ(both_files(cmd, dir), before) << c.what;
    }
    // Sections and keys are found whatever their case, as in any INI file.
    std::string lowered = good.model;
    lowered.replace(lowered.find("[QGF_]\r\nValue="), 14, "[qgf_]\r\nVALUE=");
    write_text(dir.file("case.cnf"), sealed(lowered));
    C_Q_CnfUsineCtrlCmd cmd;
    EXPECT_EQ(cmd.F_LoadFileCnfModele(dir.file("case.cnf").c_str()), 0);
}

TEST(UsineFiles, MalformedSystemFilesGiveMinusTwoAndChangeNothing)
{
    helm::test::TempDir dir;
    const Saved good = saved_bodies(dir);
    struct Case {
        const char* key;
        const char* value;  // nullptr: the section is missing
    };
    const std::string mac34(USINE_MAC_SIZE, 'M');
    const std::vector<Case> cases = {
        {"TypeAlgo", "1.5"},           {"TypeGyro", "2147483648"},   {"FreqOutput", ""},
        {"FreqAlgo", "10 "},           {"TcFog", "0.1"},             {"TcAcc", "1e39\t0"},
        {"TcAna", "inf\t0"},           {"TcFilter", "1\t2"},         {"TcModel", "1\t2\t3\t4"},
        {"Csor", "a\tb"},              {"IpAdresse", "256.1.1.1"},   {"IpAdresse", "1.2.3"},
        {"MacAdresse", mac34.c_str()}, {"MacAdresse", "AA\tBB"},     {"IpPort1", "65536"},
        {"IpPort2", "-1"},             {"DHCP Mode", "2"},           {"QCONN Mode", "65536"},
        {"TypeMeca", nullptr},         {"DHCP Mode", nullptr},
    };
    for (const Case& c : cases) {
        const std::string body = c.value == nullptr
                                     ? without_section(good.system, c.key)
                                     : with_line(good.system, c.key, "Value", std::string("Value=") + c.value);
        write_text(dir.file("bad.cnf"), sealed(body));
        C_Q_CnfUsineCtrlCmd cmd;
        prime(&cmd);
        const std::string before = both_files(cmd, dir);
        EXPECT_EQ(cmd.F_LoadFileCnfSystem(dir.file("bad.cnf").c_str()), -2) << c.key << " " << (c.value ? c.value : "-");
        EXPECT_EQ(both_files(cmd, dir), before) << c.key;
    }
    write_text(dir.file("model.cnf"), sealed(good.model));
    C_Q_CnfUsineCtrlCmd cmd;
    EXPECT_EQ(cmd.F_LoadFileCnfSystem(dir.file("model.cnf").c_str()), -2);
}

}  // namespace
