#include <gtest/gtest.h>

#include "helm/test/support.h"
#include "usine_fixture.h"

namespace {

struct UsineFrameCase {
    int dsp;
    int id;
    int type;
    const char* frame;
    int result;
};

#include "usine_frame_table.inc"

TEST(UsineFrames, EverySentenceOfTheCommandTable)
{
    PostRecorder posts;
    helm::test::TempDir dir;
    const std::string image = dir.file("image.hex");
    write_image(image, 0x01A2B3, {1, 2, 3});
    for (const UsineFrameCase& c : kUsineFrames) {
        C_Q_CnfUsineCtrlCmd cmd;
        cmd.P_SetTypeDSP(static_cast<uint16_t>(c.dsp));
        if (c.id == USINE_ID_IADR || c.id == USINE_ID_CHEC) {
            ASSERT_EQ(cmd.F_StartLoadProg(image.c_str(), "V9"), 0);
            cmd.P_SetUploadExtra(7, 9);
        }
        fill_usine_edited(cmd.F_GetAllUsineCnfIhm());
        CString frame;
        EXPECT_EQ(cmd.P_MakeUsineFrame(static_cast<uint16_t>(c.id), static_cast<uint16_t>(c.type), &frame), c.result)
            << c.id;
        EXPECT_EQ(frame.str(), c.frame) << "DSP " << c.dsp << " id " << c.id << " type " << c.type;
    }
}

TEST(UsineFrames, SetClearsTheReceivedFlagOfItsParameter)
{
    C_Q_CnfUsineCtrlCmd cmd;
    sUSINE_SETTINGS& sys = *cmd.F_GetAllUsineCnfSys();
    sys.Triple[5].Valid = 1;  // QAF_
    sys.Triple[6].Valid = 1;
    sys.Net.Valid = 1;
    CString frame;
    cmd.P_MakeUsineFrame(1044, 1, &frame);  // QAF_
    cmd.P_MakeUsineFrame(USINE_ID_NET, 0, &frame);
    EXPECT_EQ(sys.Triple[5].Valid, 0);
    EXPECT_EQ(sys.Triple[6].Valid, 1);
    EXPECT_EQ(sys.Net.Valid, 1);
    EXPECT_EQ(sys.Matrix[0].Complete, 1);
    cmd.P_MakeUsineFrame(USINE_ID_QGM, 1, &frame);
    EXPECT_EQ(sys.Matrix[0].Complete, 0);
}

TEST(UsineFrames, MatrixSetSendsTheElementAtTheReadCursorsAndAsksItBack)
{
    C_Q_CnfUsineCtrlCmd cmd;
    fill_usine_edited(cmd.F_GetAllUsineCnfIhm());
    cmd.F_GetAllUsineCnfSys()->Matrix[0].Row = 1;
    cmd.F_GetAllUsineCnfSys()->Matrix[0].Column = 2;
    CString frame;
    cmd.P_MakeUsineFrame(USINE_ID_QGM, 1, &frame);
    EXPECT_EQ(frame.str(), usine_sealed("$KVST_,QGM_,1.000000000,2.000000000,0.120000000") +
                         usine_sealed("$KVST_,QGM_,1,2,"));
}

TEST(UsineFrames, LoadModeDropsTheWakeUpAndTheVersionFollowUps)
{
    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd cmd;
    fill_usine_edited(cmd.F_GetAllUsineCnfIhm());
    cmd.F_AddNewMsgFifo(USINE_ID_VERS, 0, false, 20000);
    CString frame;
    cmd.P_MakeUsineFrame(USINE_ID_VERS, 0, &frame);
    EXPECT_TRUE(cmd.F_IsInFifo(USINE_ID_WAKE));
    EXPECT_EQ(cmd.F_GetTailleFifo(), 2u);
    EXPECT_EQ(posts.params_of(C_Q_CnfUsineCtrlCmd::F_GetLoadProgStateMessage()), std::vector<LPARAM>{0});

    helm::test::TempDir dir;
    write_image(dir.file("image.hex"), 0x100, {1});
    C_Q_CnfUsineCtrlCmd loading;
    ASSERT_EQ(loading.F_StartLoadProg(dir.file("image.hex").c_str(), "V2.0"), 0);
    EXPECT_TRUE(loading.F_GetModeLoad());
    frame.Empty();
    loading.F_UsineWakeUp(&frame);
    loading.P_MakeUsineFrame(USINE_ID_WAKE, 0, &frame);
    EXPECT_EQ(frame.str(), "");
    loading.P_RemoveAllFifo();
    loading.P_MakeUsineFrame(USINE_ID_VERS, 0, &frame);
    // Upload state 2: the long version sentence with the image's version.
    EXPECT_EQ(frame.str(), usine_sealed("$CIPRG,VERS,V2.0,"));
    EXPECT_EQ(loading.F_GetTailleFifo(), 0u);
    EXPECT_FALSE(loading.F_GetModeLoad());
}

TEST(UsineLists, AskAndSetListsFollowTheDspType)
{
    auto drain = [](C_Q_CnfUsineCtrlCmd& cmd) {
        std::vector<std::pair<int, int>> out;  // id, type
        sMSG msg{};
        while (cmd.F_GetTailleFifo() > 0 && cmd.F_GetFirstMsgFifo(&msg, 1) == 0) {
            EXPECT_EQ(msg.keep, 1) << msg.id;
            out.push_back({msg.id, msg.type});
            cmd.F_FindAndRemoveFifo(msg.id);
        }
        return out;
    };
    auto ids = [](std::initializer_list<std::pair<int, int>> ranges, int type) {
        std::vector<std::pair<int, int>> out;
        for (auto [first, last] : ranges)
            for (int id = first; id <= last; ++id)
                out.push_back({id, type});
        return out;
    };
    const auto common = {std::pair{1024, 1038}, {1044, 1047}, {1049, 1052}, {1074, 1074}, {1079, 1079},
                         {1078, 1078}, {1083, 1083}, {1084, 1084}};
    C_Q_CnfUsineCtrlCmd cmd;
    cmd.P_SetTypeDSP(2);
    cmd.F_LoadSysToPc();
    EXPECT_EQ(drain(cmd), ids(common, 0));
    cmd.P_SetTypeDSP(3);
    cmd.F_LoadSysToPc();
    auto dsp3 = ids(common, 0);
    dsp3.push_back({1048, 0});
    dsp3.push_back({1053, 0});
    EXPECT_EQ(drain(cmd), dsp3);
    cmd.P_SetTypeDSP(4);
    cmd.F_LoadSysToPc();
    auto dsp4 = dsp3;
    for (auto p : ids({{1086, 1086}, {1085, 1085}, {1087, 1087}, {1088, 1095}}, 0))
        dsp4.push_back(p);
    EXPECT_EQ(drain(cmd), dsp4);

    cmd.F_LoadPcToSys();
    auto set4 = ids({{1096, 1096}}, 1);
    for (auto p : dsp4)
        set4.push_back({p.first, 1});
    set4.push_back({1099, 1});
    EXPECT_EQ(drain(cmd), set4);
    cmd.P_SetTypeDSP(5);
    cmd.F_LoadPcToSys();
    set4.erase(set4.begin());
    EXPECT_EQ(drain(cmd), set4);
}

TEST(UsineUpload, ProgramDataSentenceCarriesEachWordWithItsHighBits)
{
    helm::test::TempDir dir;
    std::vector<uint32_t> words(33);
    words[0] = 0x80FF017F;  // bytes 7F 01 FF 80: high bits 0, 0, 1, 1
    words[1] = 0x12345678;
    words[32] = 0xCAFEBABE;
    write_image(dir.file("image.hex"), 0x200, words);
    C_Q_CnfUsineCtrlCmd cmd;
    cmd.P_SetTypeDSP(3);
    ASSERT_EQ(cmd.F_StartLoadProg(dir.file("image.hex").c_str(), "V"), 0);
    EXPECT_EQ(cmd.F_GetInfoLoadProgState(), 0);
    CString frame;
    cmd.P_MakeUsineFrame(USINE_ID_PROG, 1, &frame);
    std::string body = "$,";
    body += "\xFF\x81\xFF\x80";  // 7F|80, 01|80, FF, 80
    body += "\xF8\xD6\xB4\x92";  // 78, 56, 34, 12 with bit 7 set
    for (int i = 2; i < 32; ++i)
        body += std::string(4, '\x80');
    body += "3";  // 0011: bytes 2 and 3 had bit 7
    body += std::string(31, '0');
    EXPECT_EQ(frame.str(), usine_sealed(body));
    EXPECT_EQ(cmd.F_GetUploadXor(), 0x80FF017Fu ^ 0x12345678u);
    // 32 of 33 words sent.
    EXPECT_EQ(cmd.F_GetInfoLoadProgState(), 100 - 1 * 100 / 33);
}

TEST(UsineUpload, TheLastBlockStopsAtTheEndOfTheImageAndAnEmptyUploadIsAtZero)
{
    C_Q_CnfUsineCtrlCmd empty;
    EXPECT_EQ(empty.F_GetInfoLoadProgState(), 0);
    CString frame;
    empty.P_MakeUsineFrame(USINE_ID_PROG, 1, &frame);  // no image: zero words
    EXPECT_EQ(empty.F_GetInfoLoadProgState(), 0);

    helm::test::TempDir dir;
    write_image(dir.file("image.hex"), 0x10, {0xFFFFFFFF, 0x1});
    C_Q_CnfUsineCtrlCmd cmd;
    ASSERT_EQ(cmd.F_StartLoadProg(dir.file("image.hex").c_str(), "V"), 0);
    cmd.P_RemoveAllFifo();
    cmd.F_AddNewMsgFifo(USINE_ID_PROG, 1, true, 0);
    for (int i = 0; i < USINE_FRAMES_PER_BLOCK; ++i) {
        frame.Empty();
        cmd.P_MakeUsineFrame(USINE_ID_PROG, 1, &frame);
        ASSERT_EQ(frame.str().size(), std::string("$CIPRG,PROG,").size() + 128 + 32 + 5) << i;
    }
    EXPECT_EQ(cmd.F_GetUploadXor(), 0xFFFFFFFEu);
    EXPECT_EQ(cmd.F_GetInfoLoadProgState(), 100);
    EXPECT_FALSE(cmd.F_IsInFifo(USINE_ID_PROG));
    EXPECT_TRUE(cmd.F_IsInFifo(USINE_ID_CHEC));
}

TEST(UsineUpload, ImagesThatAreNotWellFormedAreRefused)
{
    helm::test::TempDir dir;
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"empty", ""},
        {"address only", "100\r\n"},
        {"not hex", "100\r\n1 2 G 4\r\n"},
        {"five words", "100\r\n1 2 3 4 5\r\n"},
        {"too wide", "100\r\n123456789\r\n"},
        {"two addresses", "100 200\r\n1\r\n"},
        {"long line", nullptr},
    };
    for (const auto& c : cases) {
        const std::string path = dir.file("bad.hex");
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (c.text != nullptr)
            std::fputs(c.text, f);
        else
            std::fprintf(f, "100\r\n%s\r\n", std::string(400, '1').c_str());
        std::fclose(f);
        C_Q_CnfUsineCtrlCmd cmd;
        EXPECT_EQ(cmd.F_StartLoadProg(path.c_str(), "V"), -1) << c.name;
        EXPECT_EQ(cmd.F_GetTailleFifo(), 0u) << c.name;
        EXPECT_FALSE(cmd.F_GetModeLoad()) << c.name;
    }
    C_Q_CnfUsineCtrlCmd cmd;
    EXPECT_EQ(cmd.F_StartLoadProg(dir.file("missing.hex").c_str(), "V"), -1);
}

}  // namespace

namespace {

TEST(UsineUpload, BlockCheckAnswerMovesOnlyAnUploadUnderWay)
{
    PostRecorder posts;
    C_Q_CnfUsineCtrlCmd idle;
    idle.F_DecodeUsineCnf(usine_sealed("$CIPRG,CHOK,00000000"));
    EXPECT_EQ(idle.F_GetTailleFifo(), 0u);

    helm::test::TempDir dir;
    write_image(dir.file("image.hex"), 0x10, std::vector<uint32_t>(400, 7));
    C_Q_CnfUsineCtrlCmd cmd;
    ASSERT_EQ(cmd.F_StartLoadProg(dir.file("image.hex").c_str(), "V"), 0);
    cmd.P_RemoveAllFifo();
    cmd.F_AddNewMsgFifo(USINE_ID_PROG, 1, true, 0);
    CString frame;
    for (int i = 0; i < USINE_FRAMES_PER_BLOCK; ++i)
        cmd.P_MakeUsineFrame(USINE_ID_PROG, 1, &frame);
    posts.clear();
    cmd.F_DecodeUsineCnf(usine_sealed("$CIPRG,CHOK,00000000"));
    EXPECT_FALSE(cmd.F_IsInFifo(USINE_ID_CHEC));
    EXPECT_TRUE(cmd.F_IsInFifo(USINE_ID_PROG));  // 80 words are left
    EXPECT_EQ(posts.params_of(C_Q_CnfUsineCtrlCmd::F_GetLoadProgStateMessage()), std::vector<LPARAM>{1});
    for (int i = 0; i < USINE_FRAMES_PER_BLOCK; ++i)
        cmd.P_MakeUsineFrame(USINE_ID_PROG, 1, &frame);
    cmd.F_DecodeUsineCnf(usine_sealed("$CIPRG,CHOK,00000000"));
    EXPECT_TRUE(cmd.F_IsInFifo(USINE_ID_CHOK));
    EXPECT_FALSE(cmd.F_IsInFifo(USINE_ID_PROG));
}

}  // namespace
