// The serial-device seam: everything the serial component and its threads do with one open
// device (configure, read, write, modem lines, line counters, purge, waiting), the stop
// signal, plus the list of the system's serial devices and the providers that add devices
// of their own (the built-in simulated modem). The component above never includes a system
// header: the system calls behind this seam live in the Posix* files.
#pragma once

#include "serial/SerialRecords.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace celdara {

// The stop signal of one open port: a flag that any thread can test and a file descriptor
// (an eventfd) that a device's wait includes, since closing a device does not wake a thread
// blocked on it.
class TStopSignal {
public:
    TStopSignal();
    ~TStopSignal();
    TStopSignal(const TStopSignal&) = delete;
    TStopSignal& operator=(const TStopSignal&) = delete;

    // False when the system would not give an eventfd; CreateError() then says why.
    bool Valid() const { return fd_ >= 0; }
    int CreateError() const { return createError_; }
    void Set();
    bool IsSet() const { return set_.load(std::memory_order_acquire); }
    // Waits at most timeoutMs for the signal alone; true when it is set.
    bool Wait(int timeoutMs) const;
    // For the devices' waits, which watch it beside their own descriptors.
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
    int createError_ = 0;
    std::atomic<bool> set_{false};
};

// What a wait on a device ended with.
enum class TDeviceWait {
    Ready,   // the device can be read (or written)
    Stopped, // the stop signal is set
    Timeout,
    Gone,   // the device hung up or vanished
    Failed, // the wait itself failed
};

// The outcome of a wait, with the error number of a failed one.
struct TWaitResult {
    TDeviceWait Kind;
    int Error = 0;

    TWaitResult(TDeviceWait kind, int error = 0) : Kind(kind), Error(error) {}
    friend bool operator==(const TWaitResult& r, TDeviceWait kind) { return r.Kind == kind; }
};

// Counters of line conditions, as the driver keeps them (TIOCGICOUNT).
struct TLineCounters {
    std::uint32_t Frame = 0;
    std::uint32_t Overrun = 0;
    std::uint32_t Parity = 0;
    std::uint32_t Break = 0;
    std::uint32_t BufferOverrun = 0;
};

// Lines raised or lowered through the escape function.
enum class TModemLine { DTR, RTS };

class TSerialDevice {
public:
    virtual ~TSerialDevice() = default;

    // The current settings as a control block (false when they cannot be read).
    virtual bool GetDCB(TDCB& dcb) = 0;
    // Applies a control block; false when the device refuses it or does not take it as it
    // was given (settings are read back after applying them).
    virtual bool SetDCB(const TDCB& dcb) = 0;
    virtual bool SetTimeouts(const TCommTimeouts& timeouts) = 0;

    // Waits at most timeoutMs (negative: without limit) for the device to become readable
    // (or writable) or for the stop signal.
    virtual TWaitResult Wait(const TStopSignal& stop, bool forWrite, int timeoutMs) = 0;
    // Non-blocking. The count of bytes moved (0 when nothing was there or nothing could be
    // taken), or -1 with the errno in `error`. A vanished device gives -1 and EIO.
    virtual long Read(void* buffer, std::size_t count, int& error) = 0;
    virtual long Write(const void* buffer, std::size_t count, int& error) = 0;

    // The modem-status word (MS_CTS_ON ...). A device without modem lines reads 0 and
    // succeeds. Returns 0 or the errno.
    virtual int GetModemStatus(std::uint32_t& status) = 0;
    // Raises or lowers one line; a device without modem lines accepts and ignores it.
    virtual int SetModemLine(TModemLine line, bool raised) = 0;
    // Line counters; false when the device keeps none.
    virtual bool GetLineCounters(TLineCounters& counters) = 0;
    // Bytes still waiting in the output queue, or -1 when unknown.
    virtual long OutputQueueLength() = 0;
    // Drops queued input and / or output.
    virtual void Purge(bool input, bool output) = 0;
};

// True for the errno values that mean the device has gone away.
bool IsDeviceGoneError(int error);

// One entry of the serial-device list: the device name the driver gives and the port name
// the user knows.
struct TSerialDeviceEntry {
    std::string DeviceName;
    std::string PortName;
};

// A source of serial devices besides the system's own (the simulated modem registers one).
class TSerialDeviceProvider {
public:
    virtual ~TSerialDeviceProvider() = default;
    // Appends this provider's devices to the list.
    virtual void ListDevices(std::vector<TSerialDeviceEntry>& list) = 0;
    // True when the port name belongs to this provider.
    virtual bool OwnsPort(const std::string& portName) = 0;
    // Opens a port of this provider, or returns nullptr with the errno in `error`.
    virtual std::unique_ptr<TSerialDevice> OpenDevice(const std::string& portName, int& error) = 0;
};

// The process-wide registry of extra providers. Registration belongs to program start-up
// (or a test's set-up), on the main thread.
void RegisterSerialDeviceProvider(TSerialDeviceProvider* provider);
void UnregisterSerialDeviceProvider(TSerialDeviceProvider* provider);
// The provider that owns a port name, or nullptr.
TSerialDeviceProvider* FindSerialDeviceProvider(const std::string& portName);

// Where the system's tty classes are listed; tests point it at a tree of their own.
// Empty restores /sys/class/tty.
void SetSysfsTtyRoot(std::string path);
std::string SysfsTtyRoot();

// The serial-device list: the system's ports (ListPorts, from udev or the tty class),
// then every registered provider's devices.
std::vector<TSerialDeviceEntry> ListSerialDevices();

// Opens a serial device by the name to open it under: a registered provider's port name,
// or a path. On failure nullptr and the errno in `error`.
std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name, int& error);

// A sentence that says why a port would not open, for the user.
std::string DescribeOpenError(const std::string& name, int error);

} // namespace celdara
