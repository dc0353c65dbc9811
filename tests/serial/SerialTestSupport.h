// Helpers of the serial tests: pseudo-terminal pairs, a message queue that a test pumps
// until a condition holds (bounded), a port box, a fake device provider and a fake tty tree.
#pragma once

#include "core/MessageQueue.h"
#include "serial/LyrComm32.h"
#include "serial/SerialDevice.h"
#include "serial/SerialUiSeams.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace celdara::testing {

// A pseudo-terminal pair: the test holds the master, the component opens the slave.
class TPtyPair {
public:
    TPtyPair();
    ~TPtyPair();
    bool Valid() const { return master_ >= 0; }
    const std::string& SlavePath() const { return slave_; }
    int Master() const { return master_; }
    // Writes everything, waiting (bounded) for room.
    bool WriteAll(const std::string& bytes, int timeoutMs = 10000);
    // Reads until `count` bytes have come or timeoutMs pass without any.
    std::string ReadMaster(std::size_t count, int timeoutMs = 5000);
    // Reads what is there now (or what comes within timeoutMs).
    std::string ReadAvailable(int timeoutMs = 0);
    void CloseMaster();

private:
    int master_ = -1;
    std::string slave_;
};

// A queue whose pump waits for posts instead of spinning.
class TPumpedQueue {
public:
    TPumpedQueue();
    TMessageQueue& Queue() { return queue_; }
    // Handles messages until `done` holds or `timeoutMs` pass; returns `done()`.
    bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Waits for posts, handling none, until `done` holds or `timeoutMs` pass.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Handles what is queued now.
    void PumpOnce() { queue_.ProcessMessages(); }

private:
    TMessageQueue queue_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::uint64_t posts_ = 0;
};

// Records what a component reports.
struct TCommRecorder {
    std::vector<TCommState> states;
    std::vector<std::string> chunks;
    std::string received;
    void Attach(TLyrComm32& comm);
};

class TFakePortListBox final : public TPortListBox {
public:
    std::vector<std::string> items;
    std::string text;
    bool focused = false;
    int setItemsCalls = 0;
    std::vector<std::string> selected;

    std::vector<std::string> Items() const override { return items; }
    void SetItems(const std::vector<std::string>& v) override {
        items = v;
        ++setItemsCalls;
    }
    std::string Text() const override { return text; }
    bool Focused() const override { return focused; }
    bool SelectComboText(const std::string& t) override {
        selected.push_back(t);
        text = t;
        return true;
    }
};

// A device whose lines the test sets; it never has data, and with readThrows it is always
// readable and its reads throw. Its state is shared with the
// test through atomics because the reader thread reads it.
struct TFakeDeviceState {
    std::atomic<std::uint32_t> status{0};
    std::atomic<int> statusError{0};
    std::atomic<int> statusReads{0};
    std::atomic<bool> acceptDCB{true};
    std::atomic<bool> readThrows{false};
    std::atomic<int> dtrRaised{-1};
    std::atomic<int> rtsRaised{-1};
    std::atomic<std::size_t> written{0};
    std::mutex mutex;
    std::vector<TDCB> applied;
    TDCB current{};
};

class TFakeProvider final : public TSerialDeviceProvider {
public:
    explicit TFakeProvider(std::string portName, std::string deviceName = "fakedrv");
    ~TFakeProvider() override;
    void ListDevices(std::vector<TSerialDeviceEntry>& list) override;
    bool OwnsPort(const std::string& portName) override { return portName == portName_; }
    std::unique_ptr<TSerialDevice> OpenDevice(const std::string& portName, int& error) override;

    TFakeDeviceState state;
    std::atomic<int> openError{0};
    std::atomic<int> opens{0};

private:
    std::string portName_;
    std::string deviceName_;
};

// A temporary tty-class tree: SetSysfsTtyRoot points at it while it lives.
class TFakeTtyTree {
public:
    TFakeTtyTree();
    ~TFakeTtyTree();
    // A port with hardware behind it; type "" leaves the type file out.
    void AddPort(const std::string& name, const std::string& driver, const std::string& type = "4");
    // A tty without a device (a virtual terminal).
    void AddVirtual(const std::string& name);

private:
    std::filesystem::path root_;
};

std::size_t OpenFileDescriptors();
std::size_t ThreadCount();

} // namespace celdara::testing
