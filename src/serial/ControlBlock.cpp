// The control block: filled from the settings, applied to the device, taken back from a
// block (the settings dialog's).
#include "serial/LyrComm32.h"
#include "serial/LyrComm32Threads.h"
#include "util/Debug.h"

namespace celdara {

bool TLyrComm32::UpdateDCB() {
    if (!IsOpen())
        return false;
    TCommTimeouts t;
    t.ReadIntervalTimeout = timeouts_->ReadInterval();
    t.ReadTotalTimeoutMultiplier = timeouts_->ReadTotalMult();
    t.ReadTotalTimeoutConstant = timeouts_->ReadTotalConst();
    t.WriteTotalTimeoutMultiplier = timeouts_->WriteTotalMult();
    t.WriteTotalTimeoutConstant = timeouts_->WriteTotalConst();
    readTimeouts_->Interval.store(t.ReadIntervalTimeout, std::memory_order_relaxed);
    readTimeouts_->TotalMult.store(t.ReadTotalTimeoutMultiplier, std::memory_order_relaxed);
    readTimeouts_->TotalConst.store(t.ReadTotalTimeoutConstant, std::memory_order_relaxed);
    device_->SetTimeouts(t); // a refusal is ignored

    TDCB block;
    FillDCB(block);
    DebugTrace("UpdateDCB(" + commPort_ + ") pred", "achjo.");
    const bool accepted = device_->SetDCB(block);
    DebugTrace("UpdateDCB(" + commPort_ + ") po", "achjo.");
    return accepted;
}

bool TLyrComm32::UpdateDCB2() {
    DebugTrace("UpdateDCB2(" + commPort_ + ") pred", "Checht.");
    const bool result = UpdateDCB();
    DebugTrace("UpdateDCB2(" + commPort_ + ") mezi", "Checht.");
    SetLine(TModemLine::DTR, signals_->DTR());
    SetLine(TModemLine::RTS, signals_->RTS());
    DebugTrace("UpdateDCB2(" + commPort_ + ") po", "Checht.");
    return result;
}

void TLyrComm32::FillDCB(TDCB& block) {
    block = TDCB{};
    block.DCBlength = sizeof(TDCB);
    if (IsOpen())
        device_->GetDCB(block);
    block.DCBlength = sizeof(TDCB);

    // The whole flag word is replaced; parity is never checked on input.
    block.Flags = dcbflag::fBinary | dcbflag::fTXContinueOnXoff;
    block.SetDtrControl(signals_->DTRControl());
    block.SetRtsControl(signals_->RTSControl());
    block.SetFlag(dcbflag::fOutxCtsFlow, signals_->CTSHandshake());
    block.SetFlag(dcbflag::fOutxDsrFlow, signals_->DSRHandshake());
    block.SetFlag(dcbflag::fOutX, signals_->XOnOffTransmit());
    block.SetFlag(dcbflag::fInX, signals_->XOnOffReceive());

    block.XonLim = 2048;
    block.XoffLim = 512;
    block.XonChar = chars_->XOn;
    block.XoffChar = chars_->XOff;
    block.EvtChar = chars_->Evt;

    block.BaudRate = BaudRateValue(baudRate_);
    block.Parity = static_cast<std::uint8_t>(parity_);
    block.ByteSize = static_cast<std::uint8_t>(4 + static_cast<int>(dataBits_));
    block.StopBits = static_cast<std::uint8_t>(stopBits_);
}

bool TLyrComm32::SetFromDCB(const TDCB& block, bool KeepRts) {
    for (int i = 0; i < kBaudRateCount; ++i)
        if (BaudRateValue(static_cast<TBaudRate>(i)) == block.BaudRate)
            baudRate_ = static_cast<TBaudRate>(i);
    if (block.Parity <= 4)
        parity_ = static_cast<TParity>(block.Parity);
    if (block.ByteSize >= 4 && block.ByteSize <= 8)
        dataBits_ = static_cast<TDataBits>(block.ByteSize - 4);
    if (block.StopBits <= 2)
        stopBits_ = static_cast<TStopBits>(block.StopBits);
    if (block.DtrControl() <= 2)
        signals_->dtrControl_ = static_cast<VTolmSignalControl_DTR>(block.DtrControl());
    signals_->xonOffTransmit_ = block.Flag(dcbflag::fOutX);
    signals_->xonOffReceive_ = block.Flag(dcbflag::fInX);
    if (!KeepRts)
        signals_->rtsControl_ = static_cast<VTolmSignalControl_RTS>(block.RtsControl());
    return UpdateDCB();
}

bool TLyrComm32::ShowConfigDialog(bool UseAppWindow) {
    TDCB block;
    bool ok = false;
    if (IsOpen())
        ok = device_->GetDCB(block);
    if (!ok)
        FillDCB(block);
    TSerialConfigDialog* dialog = configDialog_ ? configDialog_ : DefaultSerialConfigDialog();
    if (!dialog)
        return ok;
    switch (dialog->Execute(commPort_, block, UseAppWindow)) {
    case TConfigDialogResult::Confirmed:
        return SetFromDCB(block, false);
    case TConfigDialogResult::Cancelled:
        return true;
    case TConfigDialogResult::Failed:
        break;
    }
    return ok;
}

} // namespace celdara
