// Floods a pseudo-terminal at the byte rate of a 460800-baud line (8N1: 46080 bytes/s) and
// measures what receiving it costs: through TLyrComm32 to an OnReceiveData handler, and, as
// the reference, `cat` reading the same kind of pty. Counters: bytes sent and received
// (all must arrive), chunk sizes, and CPU seconds per MB of the receiving side (the
// feeding thread's own CPU time is left out). The flood lasts CELDARA_FLOOD_SECONDS
// (default 3).
#include "core/MessageQueue.h"
#include "serial/LyrComm32.h"

#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using namespace celdara;

constexpr double kBytesPerSecond = 460800.0 / 10.0;

double FloodSeconds() {
    const char* s = std::getenv("CELDARA_FLOOD_SECONDS");
    const double v = s ? std::atof(s) : 3.0;
    return v > 0 ? v : 3.0;
}

double CpuSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        char name[128] = {};
        ptsname_r(master, name, sizeof name);
        slave = name;
    }
    ~Pty() {
        if (master >= 0)
            close(master);
    }
};

// Writes the pattern to the master at the line's byte rate in 1 ms steps, so that the
// receiver never sees a pause. Returns the bytes written; `cpu` gets this thread's CPU time.
std::size_t Feed(int master, double seconds, double& cpu) {
    const double cpu0 = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    std::size_t sent = 0;
    std::string buffer(4096, '\0');
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<char>(i * 31 + 7);
    for (int step = 1;; ++step) {
        const auto due = start + std::chrono::milliseconds(step);
        std::this_thread::sleep_until(due);
        const double elapsed = std::chrono::duration<double>(due - start).count();
        if (elapsed > seconds)
            break;
        const auto target = static_cast<std::size_t>(elapsed * kBytesPerSecond);
        while (sent < target) {
            const std::size_t n = std::min(target - sent, buffer.size() - 97);
            const ssize_t w = write(master, buffer.data() + (sent % 97), n);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                break;
            sent += static_cast<std::size_t>(w);
        }
    }
    cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpu0;
    return sent;
}

void BM_FloodThroughLyrComm32(benchmark::State& state) {
    const double seconds = FloodSeconds();
    for (auto _ : state) {
        Pty pty;
        if (pty.slave.empty()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        TMessageQueue queue;
        std::mutex mutex;
        std::condition_variable cv;
        std::uint64_t posts = 0;
        queue.SetWakeHandler([&] {
            {
                std::lock_guard lock(mutex);
                ++posts;
            }
            cv.notify_one();
        });
        std::size_t received = 0, chunks = 0, minChunk = SIZE_MAX, maxChunk = 0;
        TLyrComm32 comm(nullptr, &queue);
        comm.SetAutoReconnect(false);
        comm.SetBaudRate(TBaudRate::_460800);
        comm.SetCommPort(pty.slave);
        comm.SetOnReceiveData(TEventReceiveData::From(
            [&](VTolmCommunicationComponent*, const void*, std::uint16_t n) {
                received += n;
                ++chunks;
                minChunk = std::min<std::size_t>(minChunk, n);
                maxChunk = std::max<std::size_t>(maxChunk, n);
            }));
        if (!comm.Open()) {
            state.SkipWithError("cannot open the pty");
            return;
        }
        const double cpu0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        std::atomic<std::size_t> sent{0};
        std::atomic<bool> fed{false};
        double feederCpu = 0;
        std::thread feeder([&] {
            sent = Feed(pty.master, seconds, feederCpu);
            fed = true;
            cv.notify_one();
        });
        // The main thread: pump until everything sent has arrived (bounded after the end).
        auto deadline = std::chrono::steady_clock::time_point::max();
        for (;;) {
            queue.ProcessMessages();
            if (fed && received >= sent)
                break;
            if (fed && deadline == std::chrono::steady_clock::time_point::max())
                deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
            if (std::chrono::steady_clock::now() > deadline)
                break;
            std::unique_lock lock(mutex);
            const std::uint64_t seen = posts;
            cv.wait_for(lock, std::chrono::milliseconds(50), [&] { return posts != seen || fed; });
        }
        feeder.join();
        const double cpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0 - feederCpu;
        comm.Close();
        queue.ProcessMessages();

        const double mb = static_cast<double>(received) / 1e6;
        state.counters["bytes_sent"] = static_cast<double>(sent.load());
        state.counters["bytes_received"] = static_cast<double>(received);
        state.counters["chunks"] = static_cast<double>(chunks);
        state.counters["chunk_min"] = chunks ? static_cast<double>(minChunk) : 0;
        state.counters["chunk_max"] = static_cast<double>(maxChunk);
        state.counters["chunk_avg"] = chunks ? static_cast<double>(received) / chunks : 0;
        state.counters["cpu_s_per_MB"] = mb > 0 ? cpu / mb : 0;
        if (received != sent)
            state.SkipWithError("bytes were lost");
    }
}
BENCHMARK(BM_FloodThroughLyrComm32)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_FloodThroughCat(benchmark::State& state) {
    const double seconds = FloodSeconds();
    for (auto _ : state) {
        Pty pty;
        if (pty.slave.empty()) {
            state.SkipWithError("no pseudo-terminal");
            return;
        }
        // Raw mode, as the component sets it, so that cat sees the same bytes.
        const int fd = open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
        // cat writes what it reads to a pipe that this process counts.
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, pty.slave.c_str(), O_RDONLY | O_NOCTTY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char cat[] = "cat";
        char* argv[] = {cat, nullptr};
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, "cat", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (spawned != 0) {
            close(fd);
            close(out[0]);
            state.SkipWithError("cannot start cat");
            return;
        }
        std::atomic<std::size_t> sent{0};
        std::atomic<bool> fed{false};
        double feederCpu = 0;
        std::thread feeder([&] {
            sent = Feed(pty.master, seconds, feederCpu);
            fed = true;
        });
        std::size_t received = 0;
        char buf[65536];
        for (;;) {
            pollfd p{out[0], POLLIN, 0};
            const int r = poll(&p, 1, fed ? 2000 : 100);
            if (r > 0) {
                const ssize_t n = read(out[0], buf, sizeof buf);
                if (n <= 0)
                    break;
                received += static_cast<std::size_t>(n);
            }
            if (fed && received >= sent)
                break;
            if (fed && r == 0)
                break;
        }
        feeder.join();
        kill(pid, SIGTERM);
        rusage usage{};
        int status = 0;
        wait4(pid, &status, 0, &usage);
        close(fd);
        close(out[0]);
        const double cpu =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
        const double mb = static_cast<double>(received) / 1e6;
        state.counters["bytes_sent"] = static_cast<double>(sent.load());
        state.counters["bytes_received"] = static_cast<double>(received);
        state.counters["cpu_s_per_MB"] = mb > 0 ? cpu / mb : 0;
        if (received != sent)
            state.SkipWithError("bytes were lost");
    }
}
BENCHMARK(BM_FloodThroughCat)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
