// The termios side of the serial component. This is the one file that maps the control
// block onto the kernel's line settings.
//
// What Linux cannot do, and what happens to it:
//  - 4 data bits, 1.5 stop bits, DSR flow control (fOutxDsrFlow) and the DTR handshake
//    have no termios counterpart: a block asking for them is refused (SetDCB false), so
//    the component learns that the port does not run as configured.
//  - RTS toggle (RTS raised while sending) is a driver feature (RS-485) that termios does
//    not expose: it is taken as RTS enabled.
//  - XonLim / XoffLim and fTXContinueOnXoff: the kernel chooses its own thresholds.
//  - fParity (check parity on input) maps onto INPCK; fErrorChar, fNull, fAbortOnError and
//    fDsrSensitivity are ignored.
//  - Any rate is set as BOTHER with the exact number, so rates without a B-constant
//    (14400, 56000, 128000, 256000) work where the driver can produce them.
#include "serial/PosixSerialDevice.h"

// termios2 lives in the kernel's headers, which clash with <termios.h>: this file uses
// the kernel's definitions and plain ioctl() only.
#include <asm/termbits.h>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace celdara {
namespace {

// Raw bytes: no line editing, no translation, no signals, no output processing; the
// receiver on and the modem's carrier ignored (a GSM modem's driver hangs the tty up when
// DCD drops otherwise). One byte satisfies a read, no inter-byte timer: the reader cuts
// chunks itself with a poll() deadline, and a read of 0 bytes then can only mean the device
// went away.
void SetRawBytes(termios2& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN | ECHOE | ECHOK);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

// False for a block that asks for what Linux cannot do.
bool LinuxCanApply(const TDCB& dcb) {
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8)
        return false;
    if (dcb.StopBits != ONESTOPBIT && dcb.StopBits != TWOSTOPBITS)
        return false;
    if (dcb.Parity > SPACEPARITY)
        return false;
    if (dcb.Flag(dcbflag::fOutxDsrFlow) || dcb.DtrControl() == DTR_CONTROL_HANDSHAKE ||
        dcb.DtrControl() > DTR_CONTROL_HANDSHAKE)
        return false;
    return dcb.BaudRate != 0;
}

tcflag_t ParityFlags(std::uint8_t parity) {
    switch (parity) {
    case ODDPARITY:
        return PARENB | PARODD;
    case EVENPARITY:
        return PARENB;
    case MARKPARITY:
        return PARENB | PARODD | CMSPAR;
    case SPACEPARITY:
        return PARENB | CMSPAR;
    default:
        return 0;
    }
}

// The line-setting part of termios2 for a control block; false for what Linux cannot do.
bool DcbToTermios(const TDCB& dcb, const termios2& original, termios2& t) {
    if (!LinuxCanApply(dcb))
        return false;
    t = original;
    SetRawBytes(t);
    // Framing, flow control and the rate come from the block alone.
    t.c_iflag &= ~static_cast<tcflag_t>(INPCK | IGNPAR);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS |
                                        CBAUD | (CBAUD << IBSHIFT));
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[dcb.ByteSize - 5] | ParityFlags(dcb.Parity);
    if (dcb.Flag(dcbflag::fParity))
        t.c_iflag |= INPCK;
    if (dcb.StopBits == TWOSTOPBITS)
        t.c_cflag |= CSTOPB;
    // CRTSCTS is a c_cflag bit: hardware flow control both ways.
    if (dcb.Flag(dcbflag::fOutxCtsFlow) || dcb.RtsControl() == RTS_CONTROL_HANDSHAKE)
        t.c_cflag |= CRTSCTS;
    if (dcb.Flag(dcbflag::fOutX))
        t.c_iflag |= IXON;
    if (dcb.Flag(dcbflag::fInX))
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = dcb.BaudRate;
    t.c_ospeed = dcb.BaudRate;
    return true;
}

void TermiosToDcb(const termios2& t, TDCB& dcb) {
    dcb.DCBlength = sizeof(TDCB);
    dcb.BaudRate = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        dcb.ByteSize = 5;
        break;
    case CS6:
        dcb.ByteSize = 6;
        break;
    case CS7:
        dcb.ByteSize = 7;
        break;
    default:
        dcb.ByteSize = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        dcb.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR)
        dcb.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        dcb.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    dcb.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    dcb.Flags = dcbflag::fBinary;
    dcb.SetFlag(dcbflag::fParity, (t.c_iflag & INPCK) != 0);
    const bool rtscts = (t.c_cflag & CRTSCTS) != 0;
    dcb.SetFlag(dcbflag::fOutxCtsFlow, rtscts);
    dcb.SetRtsControl(rtscts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE);
    dcb.SetDtrControl(DTR_CONTROL_ENABLE);
    dcb.SetFlag(dcbflag::fOutX, (t.c_iflag & IXON) != 0);
    dcb.SetFlag(dcbflag::fInX, (t.c_iflag & IXOFF) != 0);
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    dcb.EofChar = static_cast<char>(t.c_cc[VEOF]);
}

// The parts of the settings that must read back as they were given.
bool SameLineSettings(const termios2& want, const termios2& got) {
    constexpr tcflag_t cmask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL;
    constexpr tcflag_t imask = IXON | IXOFF | INPCK;
    return (want.c_cflag & cmask) == (got.c_cflag & cmask) &&
           (want.c_iflag & imask) == (got.c_iflag & imask) && want.c_ospeed == got.c_ospeed &&
           want.c_cc[VSTART] == got.c_cc[VSTART] && want.c_cc[VSTOP] == got.c_cc[VSTOP];
}

// One non-blocking read() or write(), again when interrupted: the count moved, 0 when the
// device would block, or -1 with the errno in `error` (EIO for a read of nothing, which
// is end of file when `emptyIsHangup`).
template <typename TCall>
long Transfer(TCall call, bool emptyIsHangup, int& error) {
    for (;;) {
        const ssize_t n = call();
        if (n > 0 || (n == 0 && !emptyIsHangup))
            return static_cast<long>(n);
        if (n == 0) {
            error = EIO;
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        error = errno;
        return -1;
    }
}

class TPosixSerialDevice final : public TSerialDevice {
public:
    TPosixSerialDevice(int fd, const termios2& original) : fd_(fd), original_(original) {}

    ~TPosixSerialDevice() override {
        // Leave the device as it was found; a vanished device refuses, which is fine.
        ioctl(fd_, TCSETS2, &original_);
        ioctl(fd_, TIOCNXCL);
        ::close(fd_); // also releases the flock
    }

    bool GetDCB(TDCB& dcb) override {
        termios2 t{};
        if (ioctl(fd_, TCGETS2, &t) < 0)
            return false;
        TermiosToDcb(t, dcb);
        return true;
    }

    bool SetDCB(const TDCB& dcb) override {
        termios2 current{};
        if (ioctl(fd_, TCGETS2, &current) < 0)
            return false;
        termios2 want{};
        if (!DcbToTermios(dcb, current, want))
            return false;
        if (ioctl(fd_, TCSETS2, &want) < 0)
            return false;
        if (dcb.DtrControl() == DTR_CONTROL_DISABLE)
            SetModemLine(TModemLine::DTR, false);
        if (dcb.RtsControl() == RTS_CONTROL_DISABLE)
            SetModemLine(TModemLine::RTS, false);
        // A device may quietly change what it was given (a pty turns every framing into
        // 8N1): only what reads back as asked counts as accepted.
        termios2 got{};
        if (ioctl(fd_, TCGETS2, &got) < 0)
            return false;
        return SameLineSettings(want, got);
    }

    bool SetTimeouts(const TCommTimeouts&) override {
        // The reader applies the read time-outs itself; termios keeps VMIN=1, VTIME=0.
        return true;
    }

    TWaitResult Wait(const TStopSignal& stop, bool forWrite, int timeoutMs) override {
        pollfd fds[2] = {{stop.Fd(), POLLIN, 0},
                         {fd_, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0}};
        for (;;) {
            if (stop.IsSet())
                return TDeviceWait::Stopped;
            const int n = ::poll(fds, 2, timeoutMs);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return {TDeviceWait::Failed, errno};
            }
            if (n == 0)
                return TDeviceWait::Timeout;
            if (fds[0].revents != 0 || stop.IsSet())
                return TDeviceWait::Stopped;
            const short r = fds[1].revents;
            if (r & (POLLIN | POLLOUT))
                return TDeviceWait::Ready; // a read or write then tells whether it is gone
            if (r & (POLLHUP | POLLERR | POLLNVAL))
                return TDeviceWait::Gone;
            return TDeviceWait::Timeout;
        }
    }

    long Read(void* buffer, std::size_t count, int& error) override {
        // With VMIN=1 an empty read is end of file: the far end has hung up.
        return Transfer([&] { return ::read(fd_, buffer, count); }, true, error);
    }

    long Write(const void* buffer, std::size_t count, int& error) override {
        return Transfer([&] { return ::write(fd_, buffer, count); }, false, error);
    }

    int GetModemStatus(std::uint32_t& status) override {
        int lines = 0;
        if (ioctl(fd_, TIOCMGET, &lines) < 0) {
            // A pty (ENOTTY) or an older usb-serial driver (EINVAL) has no modem lines: that
            // is a port without lines, not a lost one.
            if (errno == ENOTTY || errno == EINVAL) {
                status = 0;
                return 0;
            }
            return errno;
        }
        status = ((lines & TIOCM_CTS) ? MS_CTS_ON : 0) | ((lines & TIOCM_DSR) ? MS_DSR_ON : 0) |
                 ((lines & TIOCM_RNG) ? MS_RING_ON : 0) | ((lines & TIOCM_CAR) ? MS_RLSD_ON : 0);
        return 0;
    }

    int SetModemLine(TModemLine line, bool raised) override {
        int bits = line == TModemLine::DTR ? TIOCM_DTR : TIOCM_RTS;
        if (ioctl(fd_, raised ? TIOCMBIS : TIOCMBIC, &bits) < 0)
            return (errno == ENOTTY || errno == EINVAL) ? 0 : errno;
        return 0;
    }

    bool GetLineCounters(TLineCounters& counters) override {
        serial_icounter_struct ic{};
        if (ioctl(fd_, TIOCGICOUNT, &ic) < 0)
            return false;
        counters.Frame = static_cast<std::uint32_t>(ic.frame);
        counters.Overrun = static_cast<std::uint32_t>(ic.overrun);
        counters.Parity = static_cast<std::uint32_t>(ic.parity);
        counters.Break = static_cast<std::uint32_t>(ic.brk);
        counters.BufferOverrun = static_cast<std::uint32_t>(ic.buf_overrun);
        return true;
    }

    long OutputQueueLength() override {
        int n = 0;
        if (ioctl(fd_, TIOCOUTQ, &n) < 0)
            return -1;
        return n;
    }

    void Purge(bool input, bool output) override {
        if (input && output)
            ioctl(fd_, TCFLSH, TCIOFLUSH);
        else if (input)
            ioctl(fd_, TCFLSH, TCIFLUSH);
        else if (output)
            ioctl(fd_, TCFLSH, TCOFLUSH);
    }

private:
    int fd_;
    termios2 original_;
};

} // namespace

std::unique_ptr<TSerialDevice> OpenPosixSerialDevice(const std::string& path, int& error) {
    error = 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    auto fail = [&](int e) -> std::unique_ptr<TSerialDevice> {
        error = e ? e : EINVAL;
        ::close(fd);
        return nullptr;
    };
    // Only a character device with line settings is a serial port.
    struct stat st {};
    if (fstat(fd, &st) < 0)
        return fail(errno);
    if (!S_ISCHR(st.st_mode))
        return fail(ENOTTY);
    termios2 original{};
    if (ioctl(fd, TCGETS2, &original) < 0)
        return fail(errno);
    // flock first: it holds against root and is what other terminal programs take; then
    // TIOCEXCL, which ModemManager honours, for further opens by other users.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    if (ioctl(fd, TIOCEXCL) < 0 && errno != ENOTTY && errno != EINVAL)
        return fail(errno);
    // The reader relies on raw bytes with VMIN=1 and VTIME=0 whatever framing is asked for
    // later (a refused control block keeps the port as it was), so set that at once; the
    // rate and framing stay as found until the first control block.
    termios2 raw = original;
    SetRawBytes(raw);
    if (ioctl(fd, TCSETS2, &raw) < 0)
        return fail(errno);
    return std::make_unique<TPosixSerialDevice>(fd, original);
}

} // namespace celdara
