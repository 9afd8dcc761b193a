// The Windows comm functions on a pseudo-terminal port.
#include "helm/serial/comm.h"

#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "helm/serial/pty_port.h"
#include "helm/test/support.h"

namespace {

using helm::serial::testing::PtyPort;

class CommPort : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        handle = OpenCommPort(7, 0, 0);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << GetLastError();
    }
    void TearDown() override
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }

    PtyPort pty{7};
    HANDLE handle = INVALID_HANDLE_VALUE;
};

TEST_F(CommPort, EventsSeenBeforeTheWaitAreGivenAtOnce)
{
    ASSERT_TRUE(SetCommMask(handle, EV_RXCHAR | EV_TXEMPTY));
    ASSERT_TRUE(pty.write("abc"));
    helm::test::eventually([&] {
        COMSTAT status{};
        return ClearCommError(handle, nullptr, &status) && status.cbInQue == 3;
    });
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(handle, &events, nullptr));
    EXPECT_EQ(events, EV_RXCHAR);
    char buffer[8];
    EXPECT_EQ(helm::serial::read_comm(handle, buffer, sizeof buffer), 3);
    EXPECT_EQ(helm::serial::read_comm(handle, buffer, sizeof buffer), 0) << "a read never waits";

    EXPECT_EQ(helm::serial::write_comm(handle, "xy", 2, 1000), 2);
    ASSERT_TRUE(WaitCommEvent(handle, &events, nullptr));
    EXPECT_EQ(events, EV_TXEMPTY) << "the written bytes left the queue";
    EXPECT_EQ(pty.read(2), "xy");
}

// Whether a thread of this process sits blocked in a system call other than
// a lock's (futex): a thread in WaitCommEvent does so only inside its wait.
bool blocked_in_wait(pid_t thread)
{
    std::ifstream calls("/proc/self/task/" + std::to_string(thread) + "/syscall");
    std::string first;
    if (!(calls >> first) || first == "running")
        return false;
    char* end = nullptr;
    const long number = std::strtol(first.c_str(), &end, 10);
    return end && *end == '\0' && number >= 0 && number != SYS_futex;
}

TEST_F(CommPort, MaskChangeAndCloseEndAWaitOfAnotherThread)
{
    ASSERT_TRUE(SetCommMask(handle, EV_RXCHAR));
    std::atomic<int> result{-1};
    std::atomic<pid_t> waiter_id{0};
    DWORD events = 99;
    // Each change or close is made once the other thread waits: before, it
    // would not be that wait's.
    auto waiting = [&] {
        return helm::test::eventually([&] { return waiter_id && blocked_in_wait(waiter_id); }, 20000);
    };
    std::thread waiter([&] {
        waiter_id = gettid();
        result = WaitCommEvent(handle, &events, nullptr);
    });
    EXPECT_TRUE(waiting());
    EXPECT_EQ(result, -1) << "no event, no end";
    EXPECT_TRUE(SetCommMask(handle, EV_RXCHAR));
    waiter.join();
    EXPECT_EQ(result, TRUE);
    EXPECT_EQ(events, 0u) << "a changed mask ends the wait with no event";

    DWORD error = 0;
    waiter_id = 0;
    std::thread closed_waiter([&] {
        waiter_id = gettid();
        result = WaitCommEvent(handle, &events, nullptr);
        error = GetLastError();
    });
    EXPECT_TRUE(waiting());
    uint64_t start = helm::kernel::steady_ms();
    CloseHandle(handle);
    closed_waiter.join();
    handle = INVALID_HANDLE_VALUE;
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    // The close itself ends the wait, not some later event (generous for a
    // loaded machine: the wait looks at its handle four times a second).
    EXPECT_LT(helm::kernel::steady_ms() - start, 10000u);
}

TEST_F(CommPort, BadCallsFailWithCodes)
{
    DWORD events;
    EXPECT_FALSE(WaitCommEvent(handle, &events, nullptr)) << "mask 0";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ASSERT_TRUE(SetCommMask(handle, EV_RXCHAR));
    alignas(8) char fake_overlapped[32] = {};
    EXPECT_FALSE(WaitCommEvent(handle, &events, reinterpret_cast<LPOVERLAPPED>(fake_overlapped)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    HANDLE not_a_port = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFFFFF0));
    DCB dcb{};
    EXPECT_FALSE(GetCommState(not_a_port, &dcb));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(WaitCommEvent(not_a_port, &events, nullptr));
    EXPECT_EQ(helm::serial::read_comm(not_a_port, &dcb, 1), -1);

    DWORD modem = 0;
    EXPECT_FALSE(GetCommModemStatus(handle, &modem)) << "a pseudo-terminal has no modem lines";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));

    EXPECT_EQ(OpenCommPort(7, 0, 0), INVALID_HANDLE_VALUE) << "already open";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OpenCommPort(0, 0, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenCommPort(33, 0, 0), INVALID_HANDLE_VALUE);
}

TEST_F(CommPort, DcbIsCheckedAndApplied)
{
    DCB dcb{};
    ASSERT_TRUE(GetCommState(handle, &dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(pty.line().baud, 9600u);

    struct {
        void (*change)(DCB&);
        DWORD error;
    } refused[] = {
        {[](DCB& d) { d.BaudRate = 0; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.BaudRate = 1; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.BaudRate = helm::serial::kHighestBaud + 1; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.BaudRate = 0x7FFFFFFF; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.ByteSize = 9; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.Parity = 5; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.StopBits = ONE5STOPBITS; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.fOutX = 1; d.XonChar = d.XoffChar = 0x11; }, ERROR_INVALID_PARAMETER},
        {[](DCB& d) { d.fOutxDsrFlow = 1; }, ERROR_NOT_SUPPORTED},
        {[](DCB& d) { d.fDtrControl = DTR_CONTROL_HANDSHAKE; }, ERROR_NOT_SUPPORTED},
        {[](DCB& d) { d.fRtsControl = RTS_CONTROL_TOGGLE; }, ERROR_NOT_SUPPORTED},
    };
    for (auto& r : refused) {
        DCB bad = dcb;
        r.change(bad);
        EXPECT_FALSE(SetCommState(handle, &bad));
        EXPECT_EQ(GetLastError(), r.error);
    }
    DCB now{};
    GetCommState(handle, &now);
    EXPECT_EQ(std::memcmp(&now, &dcb, sizeof dcb), 0) << "a refused DCB changes nothing";

    dcb.BaudRate = 31250;  // MIDI: no termios constant
    dcb.ByteSize = 7;
    dcb.Parity = SPACEPARITY;
    dcb.fOutX = dcb.fInX = 1;
    ASSERT_TRUE(SetCommState(handle, &dcb));
    PtyPort::Line line = pty.line();
    EXPECT_EQ(line.baud, 31250u);
    EXPECT_TRUE(line.mark_space && !line.odd);
    EXPECT_TRUE(line.xon_xoff);
    EXPECT_TRUE(line.raw);
    GetCommState(handle, &now);
    EXPECT_EQ(now.ByteSize, 7);
    EXPECT_EQ(now.Parity, SPACEPARITY);
}

TEST_F(CommPort, FullInputQueueDropsWithOverrunInsteadOfGrowing)
{
    ASSERT_TRUE(SetCommMask(handle, EV_ERR));
    std::string block(4096, 'z');
    std::atomic<bool> stop{false}, done{false};
    std::thread device([&] {
        for (int i = 0; i < 40 && !stop; ++i)
            pty.write(block);
        done = true;
    });
    DWORD errors = 0;
    COMSTAT status{};
    bool overrun = helm::test::eventually([&] {
        ClearCommError(handle, &errors, &status);
        return (errors & CE_RXOVER) != 0;
    });
    stop = true;
    // The device may be blocked in a write until the port takes more.
    EXPECT_TRUE(helm::test::eventually([&] {
        ClearCommError(handle, nullptr, nullptr);
        return done.load();
    }));
    device.join();
    EXPECT_TRUE(overrun);
    ClearCommError(handle, &errors, &status);
    EXPECT_LE(status.cbInQue, 64u * 1024 + 8192) << "our queue plus the tty's own";
    DWORD events = 0;
    ASSERT_TRUE(WaitCommEvent(handle, &events, nullptr));
    EXPECT_EQ(events, EV_ERR);

    ASSERT_TRUE(PurgeComm(handle, PURGE_RXCLEAR | PURGE_RXABORT));
    char buffer[16];
    helm::serial::read_comm(handle, buffer, sizeof buffer);  // at most what came after the purge
    ClearCommError(handle, &errors, &status);
    EXPECT_LT(status.cbInQue, 64u * 1024);
}

TEST(CommDefinitions, BuildCommDcbReadsBothForms)
{
    struct {
        const char* text;
        DWORD baud;
        BYTE parity, bits, stop;
        bool xon, cts;
    } good[] = {
        {"19200,o,8,2", 19200, ODDPARITY, 8, TWOSTOPBITS, false, false},
        {"COM3: 115200,N,8,1", 115200, NOPARITY, 8, ONESTOPBIT, false, false},
        {"9600,e,7,1,x", 9600, EVENPARITY, 7, ONESTOPBIT, true, false},
        {"4800,m,5,1.5,p", 4800, MARKPARITY, 5, ONE5STOPBITS, false, true},
        {"baud=38400 parity=S data=6 stop=1", 38400, SPACEPARITY, 6, ONESTOPBIT, false, false},
        {"baud=250000 parity=n data=8 stop=1 octs=on rts=hs", 250000, NOPARITY, 8, ONESTOPBIT, false, true},
    };
    for (auto& g : good) {
        SCOPED_TRACE(g.text);
        DCB dcb{};
        ASSERT_TRUE(BuildCommDCB(g.text, &dcb));
        EXPECT_EQ(dcb.BaudRate, g.baud);
        EXPECT_EQ(dcb.Parity, g.parity);
        EXPECT_EQ(dcb.ByteSize, g.bits);
        EXPECT_EQ(dcb.StopBits, g.stop);
        EXPECT_EQ(dcb.fOutX != 0, g.xon);
        EXPECT_EQ(dcb.fOutxCtsFlow != 0, g.cts);
    }
    const char* bad[] = {"", "19200", "19200,o,8", "19200,q,8,1", "19200,n,9,1", "19200,n,8,3", "0,n,8,1",
                         "abc,n,8,1", "COM99: 9600,n,8,1", "baud=9600 speed=2", "baud=", "9600,n,8,1,z",
                         "99999999999,n,8,1"};
    for (const char* b : bad) {
        DCB dcb{};
        dcb.BaudRate = 1234;
        EXPECT_FALSE(BuildCommDCB(b, &dcb)) << b;
        EXPECT_EQ(dcb.BaudRate, 1234u) << "a refused text leaves the DCB";
    }
    std::string long_text(300, '1');
    DCB dcb{};
    EXPECT_FALSE(BuildCommDCB(long_text.c_str(), &dcb));
}

TEST(CommDefinitions, DefaultConfigAsksForItsSize)
{
    PtyPort pty(9);
    ASSERT_TRUE(pty.ok());
    alignas(COMMCONFIG) unsigned char buffer[64] = {};
    DWORD size = 20;
    EXPECT_FALSE(GetDefaultCommConfig("COM9", reinterpret_cast<COMMCONFIG*>(buffer), &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, sizeof(COMMCONFIG));
    EXPECT_EQ(sizeof(COMMCONFIG), 52u);
    size = sizeof buffer;
    ASSERT_TRUE(GetDefaultCommConfig("COM9", reinterpret_cast<COMMCONFIG*>(buffer), &size));
    auto* config = reinterpret_cast<COMMCONFIG*>(buffer);
    EXPECT_EQ(config->dcb.BaudRate, 9600u);
    EXPECT_EQ(config->dcb.DCBlength, 28u);
    EXPECT_FALSE(GetDefaultCommConfig("LPT1", config, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
