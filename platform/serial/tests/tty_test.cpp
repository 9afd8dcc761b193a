// CTTY over a real tty: a pseudo-terminal whose other side plays the device.
#include "helm/serial/tty.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/sync.h"
#include "helm/serial/pty_port.h"
#include "helm/test/support.h"

namespace {

using helm::serial::testing::PtyPort;
using helm::test::eventually;

// What the read thread saw, as a read thread of the I/O server would: it
// waits for comm events, reads only when every bit of the mask came, and
// ends on the stop event or a failed wait.
struct ReadLog {
    std::mutex mutex;
    std::string bytes;
    int wakeups = 0;           // waits that ended with the whole mask
    DWORD wait_error = 0;      // last error of the failed wait that ended it
    int read_after_failure = 0;
    std::atomic<bool> ended{false};
};

ReadLog* g_log = nullptr;

DWORD WINAPI read_thread(LPVOID parameter)
{
    auto* tty = static_cast<CTTY*>(parameter);
    ReadLog& log = *g_log;
    DWORD mask = tty->F_getEventMask();
    SetCommMask(tty->F_getHandle(), mask);
    tty->Purge();
    SetEvent(tty->F_getStartedEvent());
    DWORD result = 0;
    while (tty->F_isConnected()) {
        DWORD events = 0;
        BOOL ok = WaitCommEvent(tty->F_getHandle(), &events, nullptr);
        DWORD error = GetLastError();
        if (WaitForSingleObject(tty->F_getStopEvent(), 0) == WAIT_OBJECT_0)
            break;
        if (!ok) {
            std::lock_guard lock(log.mutex);
            log.wait_error = error;
            char buffer[16];
            log.read_after_failure = tty->ReadCommBlock(buffer, sizeof buffer);
            result = error;
            break;
        }
        if ((events & mask) != mask)
            continue;
        char buffer[1024];
        int n = tty->ReadCommBlock(buffer, sizeof buffer);
        std::lock_guard lock(log.mutex);
        ++log.wakeups;
        if (n > 0)
            log.bytes.append(buffer, static_cast<size_t>(n));
    }
    log.ended = true;
    return result;
}

// The I/O server's loop: a failed wait is not an exit of its own, only the
// stop event and the connected flag end it.
std::atomic<int> g_loop_turns{0};
DWORD WINAPI server_style_read_thread(LPVOID parameter)
{
    auto* tty = static_cast<CTTY*>(parameter);
    DWORD mask = tty->F_getEventMask();
    SetCommMask(tty->F_getHandle(), mask);
    tty->Purge();
    SetEvent(tty->F_getStartedEvent());
    while (tty->F_isConnected()) {
        ++g_loop_turns;
        DWORD events = 0;
        WaitCommEvent(tty->F_getHandle(), &events, nullptr);
        if (WaitForSingleObject(tty->F_getStopEvent(), 0) == WAIT_OBJECT_0)
            return GetLastError();
        if ((events & mask) != mask)
            continue;
        char buffer[1024];
        int n = tty->ReadCommBlock(buffer, sizeof buffer);
        if (n > 0) {
            std::lock_guard lock(g_log->mutex);
            g_log->bytes.append(buffer, static_cast<size_t>(n));
        }
    }
    g_log->ended = true;
    return 0;
}

DWORD WINAPI gives_up_at_once(LPVOID)
{
    return 2;
}

class TtyLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log = &log;
        ASSERT_TRUE(pty.ok());
    }
    void TearDown() override { g_log = nullptr; }

    std::string received()
    {
        std::lock_guard lock(log.mutex);
        return log.bytes;
    }
    int wakeups()
    {
        std::lock_guard lock(log.mutex);
        return log.wakeups;
    }

    ReadLog log;
    PtyPort pty{5};
};

std::string every_byte_value(size_t size)
{
    std::string bytes;
    for (size_t i = 0; i < size; ++i)
        bytes += static_cast<char>((i * 7 + i / 256) & 0xFF);
    return bytes;
}

struct LineCase {
    const char* name;
    DWORD baud;
    BYTE parity, stop;
    const char* settings_text;
    const char* parity_text;
    const char* stop_text;
    double ms_per_char;
};

class TtyLoopSettings : public TtyLoop, public ::testing::WithParamInterface<LineCase> {};

TEST_P(TtyLoopSettings, BytesArriveWholeBothWaysOnTheConfiguredLine)
{
    const LineCase& c = GetParam();
    CTTY tty;
    tty.P_setPort(5);
    tty.P_setBaud(c.baud);
    tty.P_setBit(8);
    tty.P_setParity(c.parity);
    tty.P_setStop(c.stop);
    ASSERT_EQ(tty.OpenConnection(read_thread), 1) << GetLastError();

    PtyPort::Line line = pty.line();
    EXPECT_EQ(line.baud, c.baud);
    EXPECT_EQ(line.odd, c.parity == ODDPARITY);
    DCB dcb{};
    ASSERT_TRUE(GetCommState(tty.F_getHandle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, c.baud);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, c.parity);
    EXPECT_EQ(dcb.StopBits, c.stop);
    EXPECT_EQ(line.two_stop_bits, c.stop == TWOSTOPBITS);
    EXPECT_TRUE(line.raw);

    EXPECT_EQ(tty.F_getTexteSettings(), c.settings_text);
    EXPECT_EQ(tty.F_getTexteParity(), c.parity_text);
    EXPECT_EQ(tty.F_getTexteStop(), c.stop_text);
    EXPECT_EQ(tty.F_getTexteBaud(), std::to_string(c.baud));
    EXPECT_EQ(tty.F_getTextePort(), "COM5");
    EXPECT_NEAR(tty.F_getMsPerChar(), c.ms_per_char, 1e-9);

    // Every byte value, CR and LF among them, untranslated.
    const std::string inbound = every_byte_value(5000);
    ASSERT_TRUE(pty.write(inbound));
    ASSERT_TRUE(eventually([&] { return received().size() >= inbound.size(); })) << received().size() << " bytes came";
    EXPECT_EQ(received(), inbound);

    const std::string outbound = "$KVCNF,1,2*3F\r\n" + every_byte_value(3000);
    EXPECT_EQ(tty.WriteCom(outbound.data(), static_cast<int>(outbound.size())), static_cast<int>(outbound.size()));
    EXPECT_EQ(pty.read(outbound.size()), outbound);
    EXPECT_EQ(tty.WriteCom("$HEHDT,1.0,T*00\r\n", 0), 17) << "length 0 sends up to the NUL";
    EXPECT_EQ(pty.read(17), "$HEHDT,1.0,T*00\r\n");

    EXPECT_EQ(tty.CloseConnection(), 1);
    EXPECT_TRUE(log.ended);
    EXPECT_FALSE(tty.F_isConnected());
    EXPECT_FALSE(tty.F_isThreadRunning());
    EXPECT_EQ(WaitForSingleObject(tty.F_getEndedEvent(), 0), WAIT_OBJECT_0);
}

INSTANTIATE_TEST_SUITE_P(Lines, TtyLoopSettings,
                         ::testing::Values(LineCase{"19200_O_8_2", 19200, ODDPARITY, TWOSTOPBITS, "19200,O,8,2", "Odd",
                                                    "2", 12 * 1000.0 / 19200},
                                           LineCase{"115200_N_8_1", 115200, NOPARITY, ONESTOPBIT, "115200,N,8,1",
                                                    "None", "1", 10 * 1000.0 / 115200}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TtyLoop, EventCharacterWakesTheReaderOnlyWhenItArrives)
{
    CTTY tty('\n');
    tty.P_setPort(5);
    tty.P_setBaud(19200);
    EXPECT_EQ(tty.F_getEventMask(), EV_RXCHAR | EV_RXFLAG);
    ASSERT_EQ(tty.OpenConnection(read_thread), 1);

    ASSERT_TRUE(pty.write("$KVTRO,1"));
    Sleep(300);
    EXPECT_EQ(wakeups(), 0) << "no full event before the event character";
    EXPECT_EQ(received(), "");

    ASSERT_TRUE(pty.write(",2*00\n"));
    ASSERT_TRUE(eventually([&] { return wakeups() == 1; }));
    EXPECT_EQ(received(), "$KVTRO,1,2*00\n") << "the whole sentence in one block, ending on the trigger";

    ASSERT_TRUE(pty.write("A\nB\n"));
    ASSERT_TRUE(eventually([&] { return received().size() == 18; }));
    EXPECT_EQ(received(), "$KVTRO,1,2*00\nA\nB\n");

    // A burst longer than one 1024-byte read still arrives whole.
    std::string burst(2500, 'x');
    burst += '\n';
    ASSERT_TRUE(pty.write(burst));
    ASSERT_TRUE(eventually([&] { return received().size() == 18 + burst.size(); })) << received().size();
    EXPECT_EQ(tty.CloseConnection(), 1);
}

TEST_F(TtyLoop, DeviceThatDisappearsGivesTheReaderAnErrorNotAHang)
{
    CTTY tty;
    tty.P_setPort(5);
    ASSERT_EQ(tty.OpenConnection(read_thread), 1);
    ASSERT_TRUE(pty.write("last words"));
    ASSERT_TRUE(eventually([&] { return received() == "last words"; }));

    pty.unplug();
    ASSERT_TRUE(eventually([&] { return log.ended.load(); }, 3000)) << "the waiting reader must wake";
    {
        std::lock_guard lock(log.mutex);
        EXPECT_EQ(log.wait_error, static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
        EXPECT_EQ(log.read_after_failure, -1);
    }
    EXPECT_EQ(WaitForSingleObject(tty.F_getEndedEvent(), 2000), WAIT_OBJECT_0);
    EXPECT_EQ(tty.WriteCom("x", 1), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    char buffer[8];
    EXPECT_EQ(tty.ReadCommBlock(buffer, sizeof buffer), -1);
    EXPECT_EQ(tty.CloseConnection(), 1);

    // Reopening a vanished device fails plainly.
    EXPECT_EQ(tty.OpenConnection(read_thread), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(TtyLoop, VanishedDeviceEndsALoopThatRetriesFailedWaits)
{
    CTTY tty;
    tty.P_setPort(5);
    ASSERT_EQ(tty.OpenConnection(server_style_read_thread), 1);
    ASSERT_TRUE(pty.write("tail"));
    // A pseudo-terminal's hang-up drops what the port side has not taken
    // yet, so the device goes only once its bytes are through.
    ASSERT_TRUE(eventually([&] { return received() == "tail"; }));
    int turns_before = g_loop_turns.load();
    pty.unplug();
    ASSERT_TRUE(eventually([&] { return log.ended.load(); }, 3000)) << "the loop spins or hangs";
    EXPECT_LT(g_loop_turns.load() - turns_before, 20) << "no busy loop over the failed waits";
    EXPECT_FALSE(tty.F_isConnected());
    EXPECT_EQ(tty.CloseConnection(), 1);
}

TEST_F(TtyLoop, SettingsChangedWhileOpenApplyAtOnce)
{
    CTTY tty;
    tty.P_setPort(5);
    ASSERT_EQ(tty.OpenConnection(read_thread), 1);
    tty.P_setBaud(250000);  // no termios constant for it
    tty.P_setParity(MARKPARITY);
    tty.P_setFlowControl(TTY_FLOW_RTSCTS);
    PtyPort::Line line = pty.line();
    EXPECT_EQ(line.baud, 250000u);
    EXPECT_TRUE(line.mark_space && line.odd);
    EXPECT_TRUE(line.rts_cts);

    tty.P_setBit(5);  // with 1 stop bit: valid
    tty.P_setStop(ONE5STOPBITS);
    EXPECT_TRUE(pty.line().two_stop_bits) << "1.5 stop bits are CSTOPB with 5 data bits";
    DCB dcb{};
    ASSERT_TRUE(GetCommState(tty.F_getHandle(), &dcb));
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.StopBits, ONE5STOPBITS);

    tty.P_setBit(8);  // 8 data bits with 1.5 stop bits is refused: the line keeps 5
    ASSERT_TRUE(GetCommState(tty.F_getHandle(), &dcb));
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.BaudRate, 250000u);
    EXPECT_EQ(tty.CloseConnection(), 1);
}

TEST_F(TtyLoop, OpenFailuresAreReportedAsCodes)
{
    struct {
        const char* what;
        int port;
        DWORD baud;
        BYTE bits, parity, stop;
        int flow;
        DWORD error;
    } cases[] = {
        {"unmapped port without device", 31, 9600, 8, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_FILE_NOT_FOUND},
        {"port 0", 0, 9600, 8, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"port 33", 33, 9600, 8, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"baud 0", 5, 0, 8, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"1 baud", 5, 1, 8, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"INT_MAX baud", 5, 0x7FFFFFFF, 8, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"9 data bits", 5, 9600, 9, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"4 data bits", 5, 9600, 4, NOPARITY, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"parity 5", 5, 9600, 8, 5, ONESTOPBIT, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"stop code 3", 5, 9600, 8, NOPARITY, 3, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"5 bits, 2 stop", 5, 9600, 5, NOPARITY, TWOSTOPBITS, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"8 bits, 1.5 stop", 5, 9600, 8, NOPARITY, ONE5STOPBITS, TTY_FLOW_NONE, ERROR_INVALID_PARAMETER},
        {"unknown flow", 5, 9600, 8, NOPARITY, ONESTOPBIT, 7, ERROR_INVALID_PARAMETER},
    };
    setenv("HELM_COM31", "/nonexistent/tty", 1);
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        CTTY tty;
        tty.P_setPort(c.port);
        tty.P_setBaud(c.baud);
        tty.P_setBit(c.bits);
        tty.P_setParity(c.parity);
        tty.P_setStop(c.stop);
        tty.P_setFlowControl(c.flow);
        EXPECT_EQ(tty.OpenConnection(read_thread), 0);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_FALSE(tty.F_isConnected());
        EXPECT_EQ(tty.CloseConnection(), 1) << "closing what never opened is no failure";
    }
    unsetenv("HELM_COM31");

    CTTY first, second;
    first.P_setPort(5);
    second.P_setPort(5);
    ASSERT_EQ(first.OpenConnection(read_thread), 1);
    EXPECT_EQ(first.OpenConnection(read_thread), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
    EXPECT_EQ(second.OpenConnection(read_thread), 0) << "a port belongs to one owner";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(first.CloseConnection(), 1);

    CTTY quitter;
    quitter.P_setPort(5);
    EXPECT_EQ(quitter.OpenConnection(gives_up_at_once), 0) << "a routine that ends before it waits";
    EXPECT_EQ(quitter.F_getHandle(), nullptr);
    EXPECT_EQ(second.OpenConnection(read_thread), 1) << "the failed attempt left the port free";
    EXPECT_EQ(second.CloseConnection(), 1);
}

TEST_F(TtyLoop, ProbeOpenThenCloseAtOnceNeverHangs)
{
    // The I/O server probes each port so; the routine may not even have
    // reached its first wait when the close comes.
    for (int i = 0; i < 20; ++i) {
        CTTY tty;
        tty.P_setPort(5);
        uint64_t start = helm::kernel::steady_ms();
        ASSERT_EQ(tty.OpenConnection(read_thread), 1);
        ASSERT_EQ(tty.CloseConnection(), 1);
        EXPECT_LT(helm::kernel::steady_ms() - start, 1000u);
        log.ended = false;
    }
}

}  // namespace
