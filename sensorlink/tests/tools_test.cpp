#include <gtest/gtest.h>

#include <string>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/test/support.h"

namespace {

TEST(Tools, AddChecksumAppendsUpperCaseDigitsAndCrLf)
{
    std::string frame = "$KVTXT,STAALG";
    ASSERT_EQ(C_Q_Tools::F_AddChecksum(&frame), 0);
    EXPECT_EQ(frame, "$KVTXT,STAALG*65\r\n");
    std::string lower = "$KVSAV,,";
    C_Q_Tools::F_AddChecksum(&lower);
    EXPECT_EQ(lower, "$KVSAV,,*59\r\n");

    std::string other = "KVTXT,STAALG";
    EXPECT_EQ(C_Q_Tools::F_AddChecksum(&other), -1);
    EXPECT_EQ(other, "KVTXT,STAALG");
    std::string empty;
    EXPECT_EQ(C_Q_Tools::F_AddChecksum(&empty), -1);
    EXPECT_EQ(C_Q_Tools::F_AddChecksum(static_cast<CString*>(nullptr)), -1);
}

TEST(Tools, ChecksumTest)
{
    struct Case {
        const char* sentence;
        bool good;
    };
    const Case cases[] = {
        {"$KVTXT,STAALG*65\r\n", true},
        {"$KVTXT,STAALG*65", true},
        {"noise$KVTXT,STAALG*65trailing", true},   // text after the digits is not read
        {"$HEHDT,1.0,T*2E\r\n", true},
        {"$HEHDT,1.0,T*2e", false},                 // lower case digit
        {"$KVTXT,STAALG*66\r\n", false},           // wrong value
        {"$KVTXT,STAALG*6", false},                // cut before the second digit
        {"$KVTXT,STAALG*", false},
        {"$KVTXT,STAALG\r\n", false},              // no "*"
        {"$KVTXT,STA\r\nALG*65", false},           // line end before the checksum
        {"KVTXT,STAALG*65", false},                // no "$"
        {"", false},
        {"$*00", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(C_Q_Tools::F_TestNMEAChecksum(std::string_view(c.sentence)), c.good) << c.sentence;
    EXPECT_FALSE(C_Q_Tools::F_TestNMEAChecksum(static_cast<const CString*>(nullptr)));
}

TEST(Tools, StatusLevelsByMode)
{
    struct Case {
        uint32_t code;
        uint16_t red, green, blue, bold, event;
    };
    const Case cases[] = {
        {2, 255, 255, 255, 0, 0}, {3, 255, 255, 255, 2, 0}, {4, 0, 255, 0, 0, 2},   {5, 0, 255, 0, 2, 2},
        {6, 255, 150, 0, 0, 1},   {7, 255, 150, 0, 2, 1},   {8, 255, 0, 0, 0, 1},   {0, 255, 0, 0, 2, 1},
        {1, 255, 0, 0, 2, 1},     {9, 255, 0, 0, 2, 1},     {15, 255, 0, 0, 2, 1},
        {0x1234F04, 0, 255, 0, 0, 2},  // only the low 4 bits count
    };
    for (const Case& c : cases) {
        sSTATUS s{};
        s.code = c.code;
        C_Q_Tools::P_DecodageN1(&s);
        EXPECT_EQ(s.red, c.red) << c.code;
        EXPECT_EQ(s.green, c.green) << c.code;
        EXPECT_EQ(s.blue, c.blue) << c.code;
        EXPECT_EQ(s.bold, c.bold) << c.code;
        EXPECT_EQ(s.event_type, c.event) << c.code;
    }
}

// The seal, worked by hand: XOR of every byte but the first, its two hex
// digits spread over the result bit by bit, 0x5D1 mixed in after each.
int seal_by_hand(const std::string& bytes)
{
    unsigned x = 0;
    for (std::size_t i = 1; i < bytes.size(); ++i)
        x ^= static_cast<unsigned char>(bytes[i]);
    const char* hex = "0123456789ABCDEF";
    const char digits[2] = {hex[(x >> 4) & 0xF], hex[x & 0xF]};
    int r = 0;
    for (char d : digits) {
        for (int i = 0; i < 8; ++i)
            if ((static_cast<unsigned char>(d) >> i) & 1)
                r |= 1 << (i % 2 == 0 ? 2 * i : 2 * i + 14);
        r ^= 0x5D1;
    }
    return r;
}

TEST(Tools, ConfigurationFileSeal)
{
    helm::test::TempDir dir;
    int error = 7;
    EXPECT_EQ(C_Q_Tools::F_CryptFileCnf(dir.file("missing.txt").c_str(), &error), -1);
    EXPECT_EQ(error, -1);
    helm::test::write_file(dir.file("empty.txt"), "");
    error = 7;
    EXPECT_EQ(C_Q_Tools::F_CryptFileCnf(dir.file("empty.txt").c_str(), &error), -1);
    EXPECT_EQ(error, -1);

    // "A" alone: XOR 0, digits "00" -> 0x01000100 twice mixed with 0x5D1.
    helm::test::write_file(dir.file("a.txt"), "A");
    EXPECT_EQ(C_Q_Tools::F_CryptFileCnf(dir.file("a.txt").c_str(), &error), 0x01000000);
    EXPECT_EQ(error, 0);
    for (const std::string& text : {std::string("[System]\r\nSystemType=7\r\n"), std::string("x\xE9\xFF\x80 bytes"),
                                    std::string(5000, 'Q') + "tail"}) {
        helm::test::write_file(dir.file("f.txt"), text);
        EXPECT_EQ(C_Q_Tools::F_CryptFileCnf(dir.file("f.txt").c_str(), &error), seal_by_hand(text));
        EXPECT_EQ(C_Q_Tools::F_CryptCnfBytes(text.data(), text.size()), seal_by_hand(text));
    }
    // The first byte is not part of the seal.
    EXPECT_EQ(C_Q_Tools::F_CryptCnfBytes("Xabc", 4), C_Q_Tools::F_CryptCnfBytes("Yabc", 4));
}

}  // namespace
