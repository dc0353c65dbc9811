// The line-settings records of a serial port: the device control block (TDCB) with its flag
// word and the time-out record (TCommTimeouts), field for field as the settings logic is
// described, so that the logic reads like the behaviour it implements. PosixSerialDevice
// maps them onto termios; what Linux cannot do is refused there.
#pragma once

#include <cstdint>

namespace celdara {

// Bits of TDCB::Flags.
namespace dcbflag {
inline constexpr std::uint32_t fBinary = 0x0001;
inline constexpr std::uint32_t fParity = 0x0002;
inline constexpr std::uint32_t fOutxCtsFlow = 0x0004;
inline constexpr std::uint32_t fOutxDsrFlow = 0x0008;
inline constexpr int fDtrControlShift = 4; // two bits
inline constexpr std::uint32_t fDtrControlMask = 0x0030;
inline constexpr std::uint32_t fDsrSensitivity = 0x0040;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x0080;
inline constexpr std::uint32_t fOutX = 0x0100;
inline constexpr std::uint32_t fInX = 0x0200;
inline constexpr std::uint32_t fErrorChar = 0x0400;
inline constexpr std::uint32_t fNull = 0x0800;
inline constexpr int fRtsControlShift = 12; // two bits
inline constexpr std::uint32_t fRtsControlMask = 0x3000;
inline constexpr std::uint32_t fAbortOnError = 0x4000;
} // namespace dcbflag

inline constexpr std::uint32_t DTR_CONTROL_DISABLE = 0;
inline constexpr std::uint32_t DTR_CONTROL_ENABLE = 1;
inline constexpr std::uint32_t DTR_CONTROL_HANDSHAKE = 2;
inline constexpr std::uint32_t RTS_CONTROL_DISABLE = 0;
inline constexpr std::uint32_t RTS_CONTROL_ENABLE = 1;
inline constexpr std::uint32_t RTS_CONTROL_HANDSHAKE = 2;
inline constexpr std::uint32_t RTS_CONTROL_TOGGLE = 3;

inline constexpr std::uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3,
                              SPACEPARITY = 4;
inline constexpr std::uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

// The device control block, field for field (28 bytes).
struct TDCB {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    bool Flag(std::uint32_t bit) const { return (Flags & bit) != 0; }
    void SetFlag(std::uint32_t bit, bool on) { Flags = on ? (Flags | bit) : (Flags & ~bit); }
    std::uint32_t DtrControl() const {
        return (Flags & dcbflag::fDtrControlMask) >> dcbflag::fDtrControlShift;
    }
    void SetDtrControl(std::uint32_t v) {
        Flags = (Flags & ~dcbflag::fDtrControlMask) |
                ((v << dcbflag::fDtrControlShift) & dcbflag::fDtrControlMask);
    }
    std::uint32_t RtsControl() const {
        return (Flags & dcbflag::fRtsControlMask) >> dcbflag::fRtsControlShift;
    }
    void SetRtsControl(std::uint32_t v) {
        Flags = (Flags & ~dcbflag::fRtsControlMask) |
                ((v << dcbflag::fRtsControlShift) & dcbflag::fRtsControlMask);
    }
};
static_assert(sizeof(TDCB) == 28);

struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Line events as the event mask names them.
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;

// The modem-status word.
inline constexpr std::uint32_t MS_CTS_ON = 0x0010;
inline constexpr std::uint32_t MS_DSR_ON = 0x0020;
inline constexpr std::uint32_t MS_RING_ON = 0x0040;
inline constexpr std::uint32_t MS_RLSD_ON = 0x0080;

// Line-error bits.
inline constexpr std::uint32_t CE_RXOVER = 0x0001;
inline constexpr std::uint32_t CE_OVERRUN = 0x0002;
inline constexpr std::uint32_t CE_RXPARITY = 0x0004;
inline constexpr std::uint32_t CE_FRAME = 0x0008;
inline constexpr std::uint32_t CE_BREAK = 0x0010;

} // namespace celdara
