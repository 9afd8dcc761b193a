// The link server on its own, with no I/O server running: refusals and the
// states they post, the frame the worker would send, the handling of one
// sentence, and the playback of a recorded file. Links through a real
// server are in tests/sensorlink.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "helm/kernel/clock.h"
#include "helm/sensorlink/C_Q_Server.h"
#include "helm/test/support.h"
#include "posted.h"
#include "tvr_fixture.h"

namespace {

// The connection states posted to the main window since the last call.
std::vector<WPARAM> posted_states()
{
    std::vector<WPARAM> states;
    MSG msg{};
    while (PeekMessage(&msg, nullptr, C_Q_Server::F_GetServerConnectionStateMessage(),
                       C_Q_Server::F_GetServerConnectionStateMessage(), PM_REMOVE))
        states.push_back(msg.wParam);
    return states;
}

bool is_directory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TEST(Server, ConnectingIsRefusedUnlessThePortIsTheServersAndFitsTheType)
{
    PostRecorder posts;
    C_Q_Server server;
    sCNX_PARAM param{19200, 1, 2, 0, 1, {127, 0, 0, 1}, 8110};
    struct Case {
        unsigned short type, port;
        sCNX_PARAM* param;
    };
    // No server runs, so no port is owned; the last four would be refused
    // by any server.
    const Case cases[] = {{1, 1, &param}, {2, 33, &param}, {1, 33, &param}, {2, 1, &param}, {1, 1, nullptr}, {3, 1, &param}};
    for (const Case& c : cases) {
        EXPECT_EQ(server.F_ConnectToSystem(c.type, c.port, c.param), -1) << c.type << " " << c.port;
        EXPECT_EQ(posted_states(), (std::vector<WPARAM>{SERVER_STATE_CONNECTING, SERVER_STATE_DISCONNECTED}));
        EXPECT_EQ(server.F_GetCnxSystemState(), 0);
    }
}

TEST(Server, WithoutALinkNothingIsSentRecordedOrRelayed)
{
    PostRecorder posts;
    C_Q_Server server;
    server.F_GetTvrCtrlCmd()->F_AddNewMsgFifo(TVR_ID_BIAS, 0, false, 0);
    EXPECT_EQ(server.F_AskSendFrameToSystem(), -1);
    EXPECT_EQ(server.F_StartOrStopRecordFileReplay(nullptr), -1);
    EXPECT_EQ(server.F_ConnectToPcDistant(5000), -1);
    EXPECT_EQ(server.F_GetCnxPcDistantState(), 0);
    EXPECT_EQ(server.F_CheckAndListValidSerialPort(), -1);
    EXPECT_EQ(server.F_GetTailleListSerialPort(), 0u);
    EXPECT_EQ(server.F_CheckAndListValidSocketPort(), -1);
    EXPECT_EQ(server.F_GetTailleListSocketPort(), 0u);
    // Ending what does not run still tells the main window.
    EXPECT_EQ(server.F_DisconnectCnxPcDistant(), -1);
    EXPECT_EQ(server.F_DisconnectCnxSystem(), 0);
    EXPECT_EQ(posted_states(), (std::vector<WPARAM>{SERVER_STATE_REMOTE_CLOSED, SERVER_STATE_DISCONNECTED}));
    EXPECT_EQ(server.F_GetTvrCtrlCmd()->F_GetTailleFifo(), 0u);
}

TEST(Server, FoldersForReplayAndTraceAreMade)
{
    helm::test::TempDir dir;
    C_Q_Server server;
    server.F_UpdateCheminSoft(dir.path().c_str(), true, 0);
    EXPECT_TRUE(is_directory(dir.file("ReplayFile")));
    EXPECT_TRUE(is_directory(dir.file("DebugFile")));
    server.F_UpdateCheminSoft(dir.path().c_str(), false, 0);  // they exist: no error
    // A folder whose paths would not fit is left alone.
    server.F_UpdateCheminSoft(std::string(1100, 'x').c_str(), false, 0);
}

TEST(Server, TheFrameToSendIsTheWakeUpWhileAskedElseTheDueEntry)
{
    PostRecorder posts;
    C_Q_Server server;
    CString frame;
    EXPECT_EQ(server.F_MakeSendFrameToSystem(&frame), -1);
    EXPECT_TRUE(frame.IsEmpty());
    server.F_GetTvrCtrlCmd()->F_AddNewMsgFifo(TVR_ID_BIAS, 0, false, 60000);
    EXPECT_EQ(server.F_MakeSendFrameToSystem(&frame), 0);
    EXPECT_EQ(frame.str(), sealed("$KVBIA,,"));
    // Not due again for a minute.
    EXPECT_EQ(server.F_MakeSendFrameToSystem(&frame), -1);
    EXPECT_EQ(server.F_DecodeFrameFromSystem(sealed("$KVST_,SLEEP"), 0), 1);
    frame.Empty();
    EXPECT_EQ(server.F_MakeSendFrameToSystem(&frame), 0);
    EXPECT_EQ(frame.str(), sealed("$KVST_,WAKE"));
    EXPECT_TRUE(server.F_GetTvrCtrlCmd()->F_IsInFifo(TVR_ID_BIAS));

    helm::test::TempDir dir;
    C_Q_Server inertial;
    inertial.F_UpdateCheminSoft(dir.path().c_str(), false, 1);
    inertial.F_GetInsCtrlCmd()->F_AddNewMsgFifo(INS_ID_BIAS, 0, false, 0);
    frame.Empty();
    EXPECT_EQ(inertial.F_MakeSendFrameToSystem(&frame), 0);
    EXPECT_EQ(frame.str(), sealed("$PVRNK,CONFIG,BIAS__,,"));
    EXPECT_EQ(inertial.F_MakeSendFrameToSystem(nullptr), -1);
}

TEST(Server, ASentenceIsCheckedThenOfferedToTheAnswerAndDataDecoders)
{
    PostRecorder posts;
    C_Q_Server server;
    C_Q_TvrCtrlCmd& cmd = *server.F_GetTvrCtrlCmd();
    std::string bad = sealed("$HEHDT,12.5,T");
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0';
    EXPECT_NE(server.F_DecodeFrameFromSystem(bad, 7), 0);
    EXPECT_TRUE(posts.take().empty());
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);

    // Data from a sensor of unknown model asks for the model.
    EXPECT_EQ(server.F_DecodeFrameFromSystem(sealed("$HEHDT,12.5,T"), 7), 0);
    EXPECT_EQ(posts.params_of(C_Q_TvrData::F_GetTvrDataMsg()), (std::vector<LPARAM>{TVR_DATA_HEADING}));
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->Heading, 12.5f);
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->TimeStamp, 7u);
    EXPECT_TRUE(cmd.F_IsInFifo(TVR_ID_MODEL));

    EXPECT_EQ(server.F_DecodeFrameFromSystem(sealed("$KVTXT,EQP___,E,1,0,TALV4"), 8), 0);
    EXPECT_EQ(cmd.F_GetTvrSystemType(), 7);
    EXPECT_FALSE(cmd.F_IsInFifo(TVR_ID_MODEL));
    // An answer that is not a text or configuration answer is decoded and
    // then refused by the data decoder.
    EXPECT_NE(server.F_DecodeFrameFromSystem(sealed("$KVBIA,1.000,2.000,3.000"), 9), 0);
    EXPECT_TRUE(cmd.F_GetAllTvrCnfSys()->Bias.Valid);

    EXPECT_EQ(server.F_InitData(), 0);
    EXPECT_EQ(cmd.F_GetTvrSystemType(), 0);
    EXPECT_EQ(cmd.F_GetTailleFifo(), 0u);
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->Heading, 0.0f);
}

TEST(Server, TimeOfDayInMilliseconds)
{
    helm::kernel::set_local_time_source([] {
        SYSTEMTIME t{};
        t.wYear = 2024;
        t.wMonth = 3;
        t.wDay = 1;
        t.wHour = 23;
        t.wMinute = 59;
        t.wSecond = 59;
        t.wMilliseconds = 999;
        return t;
    });
    EXPECT_EQ(C_Q_Server::F_GetSystemTimeInMS(), 86399999u);
    helm::kernel::set_local_time_source({});
}

// ---- Playback ------------------------------------------------------------

class Replay : public ::testing::Test {
protected:
    std::string write(const std::vector<std::string>& lines)
    {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        const std::string path = dir.file("run.txt");
        helm::test::write_file(path, bytes);
        return path;
    }
    static std::string line(unsigned stamp, const std::string& body)
    {
        std::string sentence = sealed(body);
        return std::to_string(stamp) + "\t" + sentence.substr(0, sentence.size() - 2);
    }
    std::vector<float> headings_posted()
    {
        std::vector<float> headings;
        for (LPARAM kind : posts.params_of(C_Q_TvrData::F_GetTvrDataMsg()))
            if (kind == TVR_DATA_HEADING)
                headings.push_back(server.F_GetTvrDataDecoder()->F_GetTvrData()->Heading);
        return headings;
    }
    int replay_messages()
    {
        int count = 0;
        MSG msg{};
        while (PeekMessage(&msg, nullptr, C_Q_Server::F_GetReplayMessage(), C_Q_Server::F_GetReplayMessage(), PM_REMOVE))
            ++count;
        return count;
    }

    PostRecorder posts;
    helm::test::TempDir dir;
    C_Q_Server server;
};

TEST_F(Replay, SentencesComeInTheirRecordedRhythmAndDamagedLinesAreSkipped)
{
    std::string bad_checksum = line(1200, "$HEHDT,12.000,T");
    bad_checksum.back() = bad_checksum.back() == '0' ? '1' : '0';
    const std::string path = write({
        line(1000, "$HEHDT,10.000,T"),
        line(1000, "$KVTRO,1.000,2.000"),
        line(1100, "$HEHDT,11.000,T"),
        "not a replay line",
        "\t" + sealed("$HEHDT,90.0,T"),                       // no stamp
        "99999999999\t" + sealed("$HEHDT,91.0,T"),            // beyond 32 bits
        "1150 " + sealed("$HEHDT,92.0,T"),                    // no tab
        "1150\t",                                             // no sentence
        "1150\t$HEHDT," + std::string(1100, '9') + ",T*00",  // too long
        bad_checksum,
        line(1300, "$HEHDT,13.000,T"),
        line(900, "$HEHDT,14.000,T"),  // a stamp that goes back is due at once
    });
    ASSERT_EQ(server.F_StartReplayFile(path.c_str()), 0);
    EXPECT_EQ(server.F_ReadReplayFile(0), 2);
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->Roll, 1.0f);
    EXPECT_EQ(headings_posted(), (std::vector<float>{10.0f}));
    EXPECT_EQ(server.F_ReadReplayFile(99), 0);
    EXPECT_EQ(server.F_ReadReplayFile(1), 1);
    EXPECT_EQ(headings_posted(), (std::vector<float>{11.0f}));
    EXPECT_EQ(server.F_ReadReplayFile(150), 1);  // the damaged checksum: nothing decoded
    EXPECT_TRUE(headings_posted().empty());
    EXPECT_EQ(server.F_ReadReplayFile(50), 2);
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->Heading, 14.0f);
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->PreviousHeading, 13.0f);
    // The end is told once.
    EXPECT_EQ(server.F_ReadReplayFile(1000), -1);
    EXPECT_EQ(server.F_ReadReplayFile(1000), -1);
    EXPECT_EQ(replay_messages(), 1);
    // A replay sends nothing: the model is not asked for.
    EXPECT_EQ(server.F_GetTvrCtrlCmd()->F_GetTailleFifo(), 0u);
    EXPECT_EQ(server.F_StopReplayFile(), 0);
    EXPECT_EQ(server.F_GetTvrDataDecoder()->F_GetTvrData()->Heading, 0.0f);
    EXPECT_EQ(server.F_StopReplayFile(), -1);
    EXPECT_EQ(server.F_ReadReplayFile(10), -1);
}

TEST_F(Replay, OneReadPlaysAtMostAThousandSentences)
{
    std::vector<std::string> lines(1500, line(5, "$HEHDT,1.000,T"));
    ASSERT_EQ(server.F_StartReplayFile(write(lines).c_str()), 0);
    EXPECT_EQ(server.F_ReadReplayFile(0), C_Q_Server::kMaxReplayPerRead);
    EXPECT_EQ(server.F_ReadReplayFile(0), 500);
    EXPECT_EQ(server.F_ReadReplayFile(0), -1);
}

TEST_F(Replay, AMissingFileIsRefused)
{
    EXPECT_EQ(server.F_StartReplayFile(dir.file("none.txt").c_str()), -1);
    EXPECT_EQ(server.F_StartReplayFile(nullptr), -1);
    EXPECT_EQ(server.F_ReadReplayFile(10), -1);
}

}  // namespace
