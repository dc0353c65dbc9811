// celdara-modem-sim end to end: started as a user would, talked to through its terminal.
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

class SimPtyToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        link_ = ::testing::TempDir() + "celdara-modem-sim-link-" + std::to_string(getpid());
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            execl(CELDARA_MODEM_SIM, CELDARA_MODEM_SIM, "--seed", "3", "--link", link_.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        stdout_ = out[0];
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

} // namespace
} // namespace celdara::test
