// talvor-sim: a Talvor on a pseudo-terminal or a TCP port.
//
//   talvor-sim [--model TALV3|TALV4 | --ins CODE | --factory DSP]
//              [--period MS] [--pty | --tcp PORT]
//              [--asleep] [--drop N] [--delay MS] [--bad-checksum N]
//              [--garbage] [--overlong N] [--seconds S]
//
// --ins plays an inertial system of the five-letter code (QUIL7, SELVO...)
// and --factory the sensor in factory mode with that DSP type; both take
// --period, --asleep (inertial) and --drop (inertial).
//
// With --pty it prints the terminal's path on its first line of output;
// with --tcp (the default, port 8110) it serves one client at a time.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "talvor_sim/factory_simulator.h"
#include "talvor_sim/ins_simulator.h"
#include "talvor_sim/simulator.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void on_signal(int)
{
    g_stop = 1;
}

uint32_t now_ms()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int usage()
{
    std::fprintf(stderr,
                 "usage: talvor-sim [--model TALV3|TALV4 | --ins CODE | --factory DSP] [--period MS]\n"
                 "                  [--pty | --tcp PORT] [--asleep]\n"
                 "                  [--drop N] [--delay MS] [--bad-checksum N] [--garbage] [--overlong N]\n"
                 "                  [--seconds S]\n");
    return 2;
}

bool parse_number(const char* text, long low, long high, long* out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high)
        return false;
    *out = value;
    return true;
}

int open_pty()
{
    const int fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0)
        return -1;
    termios tio{};
    const char* name = ptsname(fd);
    if (name == nullptr)
        return -1;
    const int follower = open(name, O_RDWR | O_NOCTTY);
    if (follower >= 0) {
        if (tcgetattr(follower, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(follower, TCSANOW, &tio);
        }
        close(follower);
    }
    // Writes never wait for a reader, as a serial line does not.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::printf("%s\n", name);
    std::fflush(stdout);
    return fd;
}

int open_listener(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 1) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool write_all(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EAGAIN)
            return true;  // a terminal nobody reads: the rest is lost, as on a line
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    talvor_sim::Model model = talvor_sim::Model::Talvor4;
    long period = 100, port = 8110, drop = 0, delay = 0, bad = 0, overlong = 0, seconds = 0;
    bool use_pty = false, asleep = false, garbage = false;
    std::string ins_code;
    long factory_dsp = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&](long low, long high, long* out) { return next != nullptr && parse_number(next, low, high, out) && ++i; };
        if (arg == "--model" && next != nullptr) {
            const std::string m = argv[++i];
            if (m == "TALV3")
                model = talvor_sim::Model::Talvor3;
            else if (m != "TALV4")
                return usage();
        } else if (arg == "--ins" && next != nullptr && std::strlen(next) == 5) {
            ins_code = argv[++i];
        } else if (arg == "--factory" && number(0, 65535, &factory_dsp)) {
        } else if (arg == "--pty") {
            use_pty = true;
        } else if (arg == "--asleep") {
            asleep = true;
        } else if (arg == "--garbage") {
            garbage = true;
        } else if (!((arg == "--period" && number(1, 60000, &period)) || (arg == "--tcp" && number(1, 65535, &port)) ||
                     (arg == "--drop" && number(0, 1000000, &drop)) || (arg == "--delay" && number(0, 60000, &delay)) ||
                     (arg == "--bad-checksum" && number(0, 1000000, &bad)) ||
                     (arg == "--overlong" && number(0, 1000000, &overlong)) ||
                     (arg == "--seconds" && number(0, 86400 * 365, &seconds)))) {
            return usage();
        }
    }
    signal(SIGINT, on_signal);
    signal(SIGTERM, on_signal);
    signal(SIGPIPE, SIG_IGN);

    talvor_sim::Simulator sim(model, static_cast<uint32_t>(period));
    sim.set_asleep(asleep);
    sim.drop_next_answers(static_cast<int>(drop));
    sim.delay_answers(static_cast<uint32_t>(delay));
    sim.corrupt_next_checksums(static_cast<int>(bad));
    sim.set_garbage_between_sentences(garbage);
    sim.overlong_line_before_next(static_cast<int>(overlong));
    // The player on the link: the Talvor, an inertial system or the factory mode.
    std::function<void(std::string_view, uint32_t)> receive = [&](std::string_view b, uint32_t t) { sim.receive(b, t); };
    std::function<void(uint32_t)> advance = [&](uint32_t t) { sim.advance(t); };
    std::function<std::string()> take_output = [&] { return sim.take_output(); };
    std::unique_ptr<talvor_sim::InertialSimulator> ins;
    std::unique_ptr<talvor_sim::FactorySimulator> factory;
    if (!ins_code.empty()) {
        ins = std::make_unique<talvor_sim::InertialSimulator>(ins_code, static_cast<uint32_t>(period));
        ins->set_asleep(asleep);
        ins->drop_next_answers(static_cast<int>(drop));
        receive = [&](std::string_view b, uint32_t t) { ins->receive(b, t); };
        advance = [&](uint32_t t) { ins->advance(t); };
        take_output = [&] { return ins->take_output(); };
    } else if (factory_dsp >= 0) {
        factory = std::make_unique<talvor_sim::FactorySimulator>(static_cast<int>(factory_dsp));
        receive = [&](std::string_view b, uint32_t) { factory->receive(b); };
        advance = [](uint32_t) {};
        take_output = [&] { return factory->take_output(); };
    }

    const int listener = use_pty ? -1 : open_listener(static_cast<int>(port));
    int link = use_pty ? open_pty() : -1;
    if ((use_pty && link < 0) || (!use_pty && listener < 0)) {
        std::perror("talvor-sim");
        return 1;
    }
    if (!use_pty) {
        std::printf("tcp %ld\n", port);
        std::fflush(stdout);
    }
    const uint32_t start = now_ms();
    char buffer[1024];
    while (!g_stop && (seconds == 0 || now_ms() - start < static_cast<uint32_t>(seconds) * 1000u)) {
        pollfd fds[1] = {{link >= 0 ? link : listener, POLLIN, 0}};
        poll(fds, 1, 10);
        if (link < 0) {
            if (fds[0].revents & POLLIN)
                link = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            continue;
        }
        if (use_pty && (fds[0].revents & (POLLHUP | POLLERR)) && !(fds[0].revents & POLLIN))
            usleep(10000);  // nobody holds the terminal's other side yet
        if (fds[0].revents & POLLIN) {
            const ssize_t n = read(link, buffer, sizeof buffer);
            if (n > 0) {
                receive(std::string_view(buffer, static_cast<std::size_t>(n)), now_ms());
            } else if (!use_pty) {
                close(link);
                link = -1;
                continue;
            }
        }
        advance(now_ms());
        const std::string out = take_output();
        if (!out.empty() && !write_all(link, out) && !use_pty) {
            close(link);
            link = -1;
        }
    }
    if (link >= 0)
        close(link);
    if (listener >= 0)
        close(listener);
    return 0;
}
