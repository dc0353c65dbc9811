// What the threads report: received data, hang-ups, line events, and the modem-status
// polls they ask for.
#include "serial/LyrComm32.h"
#include "serial/LyrComm32Threads.h"
#include "util/SystemError.h"

namespace celdara {

std::uint32_t TLyrComm32::PollModemStatus() {
    if (!IsOpen())
        return modemStatus_;
    const Tick now = clock_.Now();
    if (!TickElapsed(lastModemPoll_.load(std::memory_order_relaxed), modemPollPeriod_, now))
        return modemStatus_;
    std::uint32_t status = 0;
    if (const int error = device_->GetModemStatus(status); error == 0) {
        lastModemPoll_.store(now, std::memory_order_release);
        SetModemStatus(status);
    } else {
        LosePort(error);
    }
    return modemStatus_;
}

void TLyrComm32::LosePort(int error) {
    lostError_ = error;
    ClosePort(true);
}

std::string TLyrComm32::LostErrorText() const {
    if (lostError_ == 0)
        return {};
    std::string text = SystemErrorText(lostError_);
    // The caller ends its own sentence.
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text;
}

void TLyrComm32::SetModemStatus(std::uint32_t S) {
    if (S == modemStatus_)
        return;
    const std::uint32_t old = modemStatus_;
    modemStatus_ = S;
    if ((S ^ old) & MS_RING_ON && OnRing)
        OnRing(this, (S & MS_RING_ON) != 0);
    if ((S ^ old) & MS_RLSD_ON && OnChangedRLSD)
        OnChangedRLSD(this, (S & MS_RLSD_ON) != 0);
}

void TLyrComm32::HandleMessage(TMessage& message) {
    switch (message.Kind) {
    case WM_COMM_DATA:
        DoReceiveData(message.Block.data(), static_cast<std::uint16_t>(message.WParam & 0xFFFF));
        break;
    case WM_COMM_HANGUP:
        if (message.WParam != 0)
            LosePort(static_cast<int>(message.WParam));
        else if (OnRequestHangup)
            OnRequestHangup(this);
        break;
    case WM_COMM_STATE:
        HandleStateReport(static_cast<TCommState>(message.WParam));
        break;
    case WM_COMM_EVENT:
        HandleCommEvent(static_cast<std::uint32_t>(message.WParam),
                        static_cast<std::uint32_t>(message.LParam % 65536),
                        static_cast<std::uint32_t>(message.LParam / 65536));
        break;
    case WM_COMM_POLL:
        PollModemStatus();
        break;
    default:
        break;
    }
}

void TLyrComm32::HandleCommEvent(std::uint32_t mask, std::uint32_t status, std::uint32_t errors) {
    if ((mask & EV_BREAK) && OnBreak)
        OnBreak(this);
    if ((mask & EV_CTS) && OnChangedCTS)
        OnChangedCTS(this, (status & MS_CTS_ON) != 0);
    if ((mask & EV_DSR) && OnChangedDSR)
        OnChangedDSR(this, (status & MS_DSR_ON) != 0);
    if (errors != 0 && (mask & EV_ERR)) {
        if ((errors & CE_FRAME) && OnErrorFrame)
            OnErrorFrame(this);
        if ((errors & CE_OVERRUN) && OnErrorOverrun)
            OnErrorOverrun(this);
        if ((errors & CE_RXPARITY) && OnErrorParity)
            OnErrorParity(this);
        if ((errors & CE_BREAK) && OnErrorBreak)
            OnErrorBreak(this);
        errors &= ~(CE_FRAME | CE_OVERRUN | CE_RXPARITY | CE_BREAK);
        if (errors != 0 && OnErrorOther)
            OnErrorOther(this, errors);
    }
    SetModemStatus(status);
    if ((mask & EV_RXCHAR) && OnRxChar)
        OnRxChar(this);
    if ((mask & EV_RXFLAG) && OnRxFlag)
        OnRxFlag(this);
    if ((mask & EV_TXEMPTY) && OnTxEmpty)
        OnTxEmpty(this);
}

} // namespace celdara
