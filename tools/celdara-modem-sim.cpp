// celdara-modem-sim: runs the simulated modem on a pseudo-terminal, so that Celdara, a
// serial terminal or a script can talk to it through a real tty.
#include "simulator/SimModem.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <termios.h>
#include <unistd.h>

namespace {

using celdara::Tick;
using celdara::TSimModem;
using celdara::TSimModemOptions;

bool ParseNumber(const char* text, unsigned long long max, unsigned long long& value);

constexpr const char* kHelp = R"(Usage: celdara-modem-sim [options]

Runs a simulated modem on a pseudo-terminal and prints the terminal's path (one line
on standard output). Open that path with Celdara, a serial terminal or a script and talk
AT commands to it; for example, writing "AT+CSQ\r" brings back "+CSQ: <rssi>,<ber>" and
"OK". The modem's network drifts over time: signal, cells, registration and roaming
change, and calls ring ("RING"; answer with ATA). Runs until interrupted (Ctrl+C, SIGTERM).

Options:
  --seed N          seed of the simulation (default 1); the same seed and the same
                    commands at the same times give the same traffic
  --dialect NAME    how the modem words its replies (default gsm):
                      gsm        Siemens-type GSM modem: ^MONI, ^MONP, GSM only
                      3gpp       27.007 only: +CESQ, +CEREG, +C5GREG, <AcT> in +COPS
                      quectel    Quectel EG25: AT+QENG="servingcell"/"neighbourcell";
                                 with an LTE-A or 5G model also AT+QCAINFO
                      simcom     SIMCom SIM7600E-H: AT+CPSI?
                      huawei     Huawei ME909s-120: AT^HCSQ?, AT^SYSINFOEX
                      cinterion  Cinterion ELS61-E: AT^SMONI, AT^SMONP
                      telit      Telit LE910C4-EU: AT#RFSTS?
                      sierra     Sierra Wireless EM7455: AT!GSTATUS?
                      fibocom    Fibocom FM350-GL: AT+GTCCINFO?, AT+GTCAINFO?
                      ublox      u-blox LARA-R6001D: AT+UCGED? (SARA-R5 with --model)
                    every dialect but gsm lives in a world of UMTS, LTE and NR on the
                    timetable below; "--dialect quectel --model RM500Q-GL --seed 30" is
                    the program's built-in virtual-lte-modem
  --model NAME      the +CGMM answer instead of the dialect's; a 5G model (RM5xx,
                    SIM82xx, FM/FG, or a name with "5G" in the 3gpp dialect) shows the
                    NR phases
  --timetable PLAN  the technologies and their seconds, repeating (not with gsm); the
                    default is lte:25,nsa:30,umts:20 (LTE-A on band 3 with band 7, 5G
                    NSA adding an n78 leg, UMTS in a coverage hole); also gsm and sa
                    (NR SA on n78 with n28)
  --timetable-start S  start S seconds into the timetable
  --fault F         switch a fault on; may be given several times:
                      silent          answer nothing at all
                      error=CMD[,CMD] answer "ERROR" to these commands (+CSQ, ^MONI, A);
                                      error=+COPS=? refuses only the network search,
                                      with "+CME ERROR: 30"
                      missing=PREFIX  leave out reply lines beginning with PREFIX (+CPAS)
                      split           send replies in pieces cut at arbitrary bytes
                      noise=N         garble N in 1000 bytes, both ways
  --fault-cycle     cycle through the faults on a fixed timetable, the device vanishing
                    for a few seconds now and then (a new terminal appears each time)
  --vanish-after S  let the device vanish S seconds after the start and exit
  --no-echo         start with command echo off (real modems start with it on)
  --latency MS      delay between the end of a command and its reply (default 20)
  --link PATH       keep a symbolic link PATH pointing at the current terminal
  --trace           copy the traffic to standard error
  --help            show this text
)";

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) {
    gStop = 1;
}

Tick NowTick() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<Tick>(static_cast<unsigned long long>(ts.tv_sec) * 1000u +
                             static_cast<unsigned long long>(ts.tv_nsec) / 1000000u);
}

bool ParseNumber(const char* text, unsigned long long max, unsigned long long& value) {
    if (text == nullptr || *text < '0' || *text > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && value <= max;
}

void Trace(const char* direction, std::string_view bytes) {
    std::string text = direction;
    for (unsigned char c : bytes) {
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n";
        else if (c < 32 || c > 126) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else
            text += static_cast<char>(c);
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

// One pseudo-terminal pair. The tool keeps the slave side open itself: the terminal then
// survives clients coming and going, and its raw settings stay in place for the next one.
struct Pty {
    int master = -1;
    int slave = -1;
    std::string path;

    bool Open() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return Fail("posix_openpt");
        char name[128];
        if (ptsname_r(master, name, sizeof name) != 0)
            return Fail("ptsname_r");
        path = name;
        slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave < 0)
            return Fail(name);
        // Raw: no echo by the line discipline (that would feed the modem its own words),
        // no CR/LF translation, bytes passed on at once.
        termios t{};
        if (tcgetattr(slave, &t) != 0)
            return Fail("tcgetattr");
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL;
        if (tcsetattr(slave, TCSANOW, &t) != 0)
            return Fail("tcsetattr");
        // Output nobody reads is dropped, as on a serial line, rather than blocking us.
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        return true;
    }
    bool Fail(const char* what) {
        std::fprintf(stderr, "celdara-modem-sim: %s: %s\n", what, std::strerror(errno));
        Close();
        return false;
    }
    void Close() {
        if (master >= 0)
            close(master);
        if (slave >= 0)
            close(slave);
        master = slave = -1;
    }
    bool IsOpen() const { return master >= 0; }
};

struct Options {
    TSimModemOptions sim;
    long vanishAfterMs = -1;
    std::string link;
    bool trace = false;
};

std::string DialectList() {
    std::string list;
    for (std::string_view name : celdara::SimDialectNames())
        list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

// The options of the modem's radio and identity. -1: not one of them; 0: taken (with its
// value, `i` moved past it); 2: a usage error, told.
int ParseRadioOption(std::string_view a, const char* value, Options& o, int& i) {
    unsigned long long n = 0;
    std::string message;
    if (a == "--dialect" && value != nullptr) {
        if (celdara::FindSimDialect(value) == nullptr) {
            std::fprintf(stderr, "celdara-modem-sim: unknown dialect \"%s\"; known: %s\n", value,
                         DialectList().c_str());
            return 2;
        }
        o.sim.Dialect = value;
    } else if (a == "--model" && value != nullptr && *value != '\0') {
        o.sim.Model = value;
    } else if (a == "--timetable" && value != nullptr) {
        if (!celdara::ParseSimTimetable(value, o.sim.Phases, message)) {
            std::fprintf(stderr, "celdara-modem-sim: %s\n", message.c_str());
            return 2;
        }
    } else if (a == "--timetable-start" && ParseNumber(value, 86400, n)) {
        o.sim.PhaseOffset = static_cast<int>(n);
    } else {
        return -1;
    }
    ++i;
    return 0;
}

// 0: run, 1: exit with success (help shown), 2: usage error.
int ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long long n = 0;
        std::string message;
        if (int r = ParseRadioOption(a, value, o, i); r >= 0) {
            if (r != 0)
                return r;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 1;
        } else if (a == "--seed" && ParseNumber(value, ~0ull, n)) {
            o.sim.Seed = n;
            ++i;
        } else if (a == "--latency" && ParseNumber(value, 60000, n)) {
            o.sim.ReplyLatency = static_cast<std::uint32_t>(n);
            ++i;
        } else if (a == "--vanish-after" && ParseNumber(value, 86400, n)) {
            o.vanishAfterMs = static_cast<long>(n) * 1000;
            ++i;
        } else if (a == "--fault" && value != nullptr) {
            if (std::string_view(value) == "vanish" ||
                !celdara::ApplySimFault(value, o.sim.Faults, message)) {
                std::fprintf(stderr, "celdara-modem-sim: %s\n",
                             message.empty() ? "use --vanish-after or --fault-cycle to make "
                                               "the device vanish"
                                             : message.c_str());
                return 2;
            }
            ++i;
        } else if (a == "--fault-cycle") {
            o.sim.FaultCycle = true;
        } else if (a == "--no-echo") {
            o.sim.Echo = false;
        } else if (a == "--link" && value != nullptr && *value != '\0') {
            o.link = value;
            ++i;
        } else if (a == "--trace") {
            o.trace = true;
        } else {
            std::fprintf(stderr, "celdara-modem-sim: bad option or value: %s\n%s", argv[i],
                         "Try 'celdara-modem-sim --help'.\n");
            return 2;
        }
    }
    if (o.sim.Dialect == "gsm" && (!o.sim.Phases.empty() || o.sim.PhaseOffset != 0)) {
        std::fprintf(stderr, "celdara-modem-sim: the gsm dialect has no timetable\n");
        return 2;
    }
    return 0;
}

void UpdateLink(const Options& o, const Pty& pty) {
    if (o.link.empty())
        return;
    unlink(o.link.c_str());
    if (pty.IsOpen() && symlink(pty.path.c_str(), o.link.c_str()) != 0)
        std::fprintf(stderr, "celdara-modem-sim: cannot link %s: %s\n", o.link.c_str(),
                     std::strerror(errno));
}

bool Announce(const Options& o, Pty& pty) {
    if (!pty.Open())
        return false;
    UpdateLink(o, pty);
    std::printf("%s\n", pty.path.c_str());
    std::fflush(stdout);
    return true;
}

void WriteAll(Pty& pty, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(pty.master, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // the terminal's buffer is full: the rest is lost, as on a real line
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The stop signals are blocked except inside ppoll, so one that arrives between two waits
// is not lost. Returns the mask to wait with.
sigset_t BlockStopSignals() {
    sigset_t stopSignals;
    sigset_t waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return waitMask;
}

// The device comes and goes with the fault cycle; a new terminal each time. False when no
// terminal can be had.
bool FollowDevice(const Options& o, const TSimModem& modem, Pty& pty) {
    if (modem.Vanished() && pty.IsOpen()) {
        std::fprintf(stderr, "celdara-modem-sim: the device vanished\n");
        pty.Close();
        UpdateLink(o, pty);
        return true;
    }
    return modem.Vanished() || pty.IsOpen() || Announce(o, pty);
}

void SendOutput(const Options& o, TSimModem& modem, Pty& pty, Tick now) {
    for (std::string out = modem.Transmit(now); !out.empty(); out = modem.Transmit(now)) {
        if (o.trace)
            Trace("< ", out);
        if (pty.IsOpen())
            WriteAll(pty, out);
    }
}

// Waits for input until the modem's next event (at most a second) and hands it over.
// False when the wait itself fails.
bool ReceiveInput(const Options& o, TSimModem& modem, Pty& pty, Tick now,
                  const sigset_t& waitMask) {
    Tick wait = modem.TimeToNextEvent(now);
    if (wait > 1000)
        wait = 1000;
    timespec timeout{static_cast<time_t>(wait / 1000), static_cast<long>(wait % 1000) * 1000000L};
    pollfd pfd{pty.master, POLLIN, 0};
    int n = ppoll(&pfd, pty.IsOpen() ? 1 : 0, &timeout, &waitMask);
    if (n < 0 && errno != EINTR) {
        std::fprintf(stderr, "celdara-modem-sim: poll: %s\n", std::strerror(errno));
        return false;
    }
    if (n > 0 && (pfd.revents & POLLIN)) {
        char buffer[4096];
        ssize_t got = read(pty.master, buffer, sizeof buffer);
        if (got > 0) {
            std::string_view bytes(buffer, static_cast<std::size_t>(got));
            if (o.trace)
                Trace("> ", bytes);
            modem.Receive(bytes, NowTick());
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (int r = ParseOptions(argc, argv, o); r != 0)
        return r == 1 ? 0 : 2;
    const sigset_t waitMask = BlockStopSignals();

    Tick start = NowTick();
    TSimModem modem(o.sim, start);
    Pty pty;
    if (!Announce(o, pty))
        return 1;

    int status = 0;
    while (!gStop) {
        Tick now = NowTick();
        if (o.vanishAfterMs >= 0 && static_cast<long>(now - start) >= o.vanishAfterMs) {
            std::fprintf(stderr, "celdara-modem-sim: the device vanished\n");
            break;
        }
        if (!FollowDevice(o, modem, pty)) {
            status = 1;
            break;
        }
        SendOutput(o, modem, pty, now);
        if (!ReceiveInput(o, modem, pty, now, waitMask)) {
            status = 1;
            break;
        }
    }
    pty.Close();
    if (!o.link.empty())
        unlink(o.link.c_str());
    return status;
}
