// celdara-modem-sim end to end: started as a user would, talked to through its terminal.
#include "simulator/SimDialect.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace celdara::test {
namespace {

constexpr int kWaitMs = 5000; // generous bound; every wait ends as soon as its data is there

// Reads from `fd` until `text` has come or kWaitMs have passed; returns what came.
std::string ReadUntil(int fd, const std::string& text) {
    std::string got;
    int left = kWaitMs;
    while (got.find(text) == std::string::npos && left > 0) {
        pollfd p{fd, POLLIN, 0};
        int n = poll(&p, 1, 100);
        left -= 100;
        if (n <= 0 || !(p.revents & POLLIN))
            continue;
        char buffer[512];
        ssize_t r = read(fd, buffer, sizeof buffer);
        if (r <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(r));
    }
    return got;
}

// Runs the tool with `args`, its standard output (and error, with `stderrToo`) on the pipe
// it returns; -1 when it could not be started.
int StartTool(std::vector<std::string> args, pid_t& pid, bool stderrToo) {
    int out[2];
    if (pipe(out) != 0)
        return -1;
    args.insert(args.begin(), CELDARA_MODEM_SIM);
    pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        if (stderrToo)
            dup2(out[1], STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(CELDARA_MODEM_SIM, argv.data());
        _exit(127);
    }
    close(out[1]);
    return out[0];
}

class SimPtyToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        link_ = ::testing::TempDir() + "celdara-modem-sim-link-" + std::to_string(getpid());
        stdout_ = StartTool({"--seed", "3", "--link", link_}, pid_, false);
        ASSERT_GE(stdout_, 0);
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            close(stdout_);
    }
    // Stops the tool with SIGTERM and returns its wait status, waiting at most kWaitMs.
    int Stop() {
        int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
        kill(pid_, SIGTERM);
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            poll(&p, 1, kWaitMs);
            close(pidfd);
        }
        int status = -1;
        if (waitpid(pid_, &status, pidfd >= 0 ? WNOHANG : 0) == pid_)
            pid_ = -1;
        return status;
    }

    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string link_;
};

TEST_F(SimPtyToolTest, PrintsATerminalThatAnswersAtCommandsAndStopsCleanly) {
    std::string printed = ReadUntil(stdout_, "\n");
    ASSERT_NE(printed.find('\n'), std::string::npos) << "no terminal path printed";
    std::string path = printed.substr(0, printed.find('\n'));
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

    char target[256] = {};
    ASSERT_GT(readlink(link_.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(path, target);

    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(write(fd, "AT\r", 3), 3);
    std::string reply = ReadUntil(fd, "OK\r\n");
    EXPECT_EQ(reply, "AT\r\r\nOK\r\n") << "echo on after power-up, then OK";
    ASSERT_EQ(write(fd, "AT+CSQ\r", 7), 7);
    reply = ReadUntil(fd, "OK\r\n");
    EXPECT_NE(reply.find("\r\n+CSQ: "), std::string::npos) << reply;
    EXPECT_NE(reply.find("\r\nOK\r\n"), std::string::npos) << reply;
    close(fd);

    int status = Stop();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(access(link_.c_str(), F_OK), 0) << "the link is removed on exit";
}

// The path the tool printed, opened as a client would; -1 when none came.
int OpenPrintedTerminal(int toolOutput) {
    std::string printed = ReadUntil(toolOutput, "\n");
    if (printed.find('\n') == std::string::npos)
        return -1;
    return open(printed.substr(0, printed.find('\n')).c_str(),
                O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

TEST(SimPtyToolOptionsTest, DialectAndTimetableReachTheModem) {
    pid_t pid = -1;
    const int out = StartTool({"--dialect", "quectel", "--model", "RM500Q-GL", "--seed", "30",
                               "--timetable-start", "30", "--no-echo"},
                              pid, false);
    ASSERT_GE(out, 0);
    const int fd = OpenPrintedTerminal(out);
    EXPECT_GE(fd, 0);
    if (fd >= 0) {
        ASSERT_EQ(write(fd, "AT+CGMI;+QENG=\"servingcell\"\r", 29), 29);
        const std::string reply = ReadUntil(fd, "OK\r\n");
        EXPECT_NE(reply.find("\r\nQuectel\r\n"), std::string::npos) << reply;
        EXPECT_NE(reply.find("\r\n+QENG: \"NR5G-NSA\","), std::string::npos) << reply;
        close(fd);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(out);
}

// Everything the tool writes until it exits, and its wait status.
std::pair<std::string, int> RunToEnd(std::vector<std::string> args) {
    pid_t pid = -1;
    const int out = StartTool(std::move(args), pid, true);
    std::string said;
    char buffer[4096];
    for (ssize_t n; out >= 0 && (n = read(out, buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    int status = -1;
    if (out >= 0) {
        close(out);
        waitpid(pid, &status, 0);
    }
    return {said, status};
}

TEST(SimPtyToolOptionsTest, BadRadioOptionsAreUsageErrorsAndHelpListsTheDialects) {
    std::string names;
    for (std::string_view n : SimDialectNames())
        names += (names.empty() ? "" : ", ") + std::string(n);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--dialect", "nokia"}, "unknown dialect \"nokia\"; known: " + names},
        {{"--dialect"}, "bad option or value: --dialect"},
        {{"--timetable", "lte:10,warp:5"}, "bad timetable item \"warp:5\""},
        {{"--timetable-start", "soon"}, "bad option or value: --timetable-start"},
        {{"--dialect", "gsm", "--timetable", "lte:5"}, "the gsm dialect has no timetable"},
        {{"--timetable-start", "5"}, "the gsm dialect has no timetable"},
    };
    for (const auto& [args, message] : cases) {
        const auto [said, status] = RunToEnd(args);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args[0] << ": " << status;
        EXPECT_NE(said.find(message), std::string::npos) << args[0] << ": " << said;
    }
    const std::string help = RunToEnd({"--help"}).first;
    for (std::string_view name : SimDialectNames())
        EXPECT_NE(help.find("    " + std::string(name) + " "), std::string::npos) << name;
}

} // namespace
} // namespace celdara::test
