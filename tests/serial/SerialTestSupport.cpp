#include "SerialTestSupport.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace celdara::testing {

namespace fs = std::filesystem;

TPtyPair::TPtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master_ < 0)
        return;
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slave_ = name;
}

TPtyPair::~TPtyPair() {
    CloseMaster();
}

void TPtyPair::CloseMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

bool TPtyPair::WriteAll(const std::string& bytes, int timeoutMs) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd p{master_, POLLOUT, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
    }
    return true;
}

std::string TPtyPair::ReadMaster(std::size_t count, int timeoutMs) {
    std::string out;
    char buf[4096];
    while (out.size() < count) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

std::string TPtyPair::ReadAvailable(int timeoutMs) {
    std::string out;
    char buf[4096];
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, out.empty() ? timeoutMs : 0) <= 0)
            break;
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

TPumpedQueue::TPumpedQueue() {
    queue_.SetWakeHandler([this] {
        {
            std::lock_guard lock(mutex_);
            ++posts_;
        }
        cv_.notify_all();
    });
}

bool TPumpedQueue::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::uint64_t seen;
        {
            std::lock_guard lock(mutex_);
            seen = posts_;
        }
        queue_.ProcessMessages();
        if (done())
            return true;
        std::unique_lock lock(mutex_);
        // Wakes at the next post; the short bound covers conditions that change without one.
        if (!cv_.wait_until(lock,
                            std::min(deadline, std::chrono::steady_clock::now() +
                                                   std::chrono::milliseconds(20)),
                            [&] { return posts_ != seen; }) &&
            std::chrono::steady_clock::now() >= deadline) {
            lock.unlock();
            queue_.ProcessMessages();
            return done();
        }
    }
}

bool TPumpedQueue::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(mutex_);
    while (!done()) {
        const std::uint64_t seen = posts_;
        if (!cv_.wait_until(lock, deadline, [&] { return posts_ != seen; }))
            return done();
    }
    return true;
}

void TCommRecorder::Attach(TLyrComm32& comm) {
    comm.SetOnStateChange(
        TEventChangeState::From([this](TObject*, TCommState s) { states.push_back(s); }));
    comm.SetOnReceiveData(TEventReceiveData::From(
        [this](VTolmCommunicationComponent*, const void* b, std::uint16_t n) {
            chunks.emplace_back(static_cast<const char*>(b), n);
            received.append(static_cast<const char*>(b), n);
        }));
}

namespace {

class TFakeDevice final : public TSerialDevice {
public:
    explicit TFakeDevice(TFakeDeviceState& s) : s_(s) {}
    bool GetDCB(TDCB& dcb) override {
        std::lock_guard lock(s_.mutex);
        dcb = s_.current;
        return true;
    }
    bool SetDCB(const TDCB& dcb) override {
        std::lock_guard lock(s_.mutex);
        s_.applied.push_back(dcb);
        if (s_.acceptDCB)
            s_.current = dcb;
        return s_.acceptDCB;
    }
    bool SetTimeouts(const TCommTimeouts&) override { return true; }
    TWaitResult Wait(const TStopSignal& stop, bool, int timeoutMs) override {
        if (s_.readThrows)
            return TDeviceWait::Ready;
        return stop.Wait(timeoutMs) ? TDeviceWait::Stopped : TDeviceWait::Timeout;
    }
    long Read(void*, std::size_t, int&) override {
        if (s_.readThrows)
            throw std::runtime_error("the fake device broke");
        return 0;
    }
    long Write(const void*, std::size_t count, int&) override {
        s_.written += count;
        return static_cast<long>(count);
    }
    int GetModemStatus(std::uint32_t& status) override {
        ++s_.statusReads;
        if (int e = s_.statusError.load())
            return e;
        status = s_.status.load();
        return 0;
    }
    int SetModemLine(TModemLine line, bool raised) override {
        (line == TModemLine::DTR ? s_.dtrRaised : s_.rtsRaised).store(raised ? 1 : 0);
        return 0;
    }
    bool GetLineCounters(TLineCounters&) override { return false; }
    long OutputQueueLength() override { return 0; }
    void Purge(bool, bool) override {}

private:
    TFakeDeviceState& s_;
};

} // namespace

TFakeProvider::TFakeProvider(std::string portName, std::string deviceName)
    : portName_(std::move(portName)), deviceName_(std::move(deviceName)) {
    RegisterSerialDeviceProvider(this);
}

TFakeProvider::~TFakeProvider() {
    UnregisterSerialDeviceProvider(this);
}

void TFakeProvider::ListDevices(std::vector<TSerialDeviceEntry>& list) {
    list.push_back({deviceName_, portName_});
}

std::unique_ptr<TSerialDevice> TFakeProvider::OpenDevice(const std::string&, int& error) {
    ++opens;
    if (int e = openError.load()) {
        error = e;
        return nullptr;
    }
    return std::make_unique<TFakeDevice>(state);
}

TFakeTtyTree::TFakeTtyTree() {
    std::string tmpl = (fs::temp_directory_path() / "celdara-tty-XXXXXX").string();
    if (mkdtemp(tmpl.data()))
        root_ = tmpl;
    SetSysfsTtyRoot(root_.string());
}

TFakeTtyTree::~TFakeTtyTree() {
    SetSysfsTtyRoot({});
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void TFakeTtyTree::AddPort(const std::string& name, const std::string& driver,
                           const std::string& type) {
    const fs::path dir = root_ / name;
    fs::create_directories(dir / "device");
    fs::create_directories(root_ / ".drivers" / driver);
    fs::create_directory_symlink(root_ / ".drivers" / driver, dir / "device" / "driver");
    if (!type.empty())
        std::ofstream(dir / "type") << type << "\n";
}

void TFakeTtyTree::AddVirtual(const std::string& name) {
    fs::create_directories(root_ / name);
}

std::size_t OpenFileDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

std::size_t ThreadCount() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

} // namespace celdara::testing
