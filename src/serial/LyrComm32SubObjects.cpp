// The property objects of the serial component: lines and handshakes, characters,
// options and time-outs. Changes that matter to an open port reach it at once.
#include "serial/LyrComm32.h"
#include "serial/SettingChange.h"

namespace celdara {

void LyrComm32Signals::UpdateDCB() {
    if (comm_)
        comm_->UpdateDCB();
}
void LyrComm32Signals::UpdateDCB2() {
    if (comm_)
        comm_->UpdateDCB2();
}

void LyrComm32Signals::SetDTR(bool value) {
    dtr_ = value;
    if (comm_)
        comm_->SetLine(TModemLine::DTR, value);
}

void LyrComm32Signals::SetRTS(bool value) {
    rts_ = value;
    if (comm_)
        comm_->SetLine(TModemLine::RTS, value);
}

void LyrComm32Signals::SetDTRControl(VTolmSignalControl_DTR value) {
    if (ChangeSetting(dtrControl_, value))
        UpdateDCB2();
}

void LyrComm32Signals::SetRTSControl(VTolmSignalControl_RTS value) {
    if (ChangeSetting(rtsControl_, value))
        UpdateDCB2();
}

void LyrComm32Signals::SetCTSHandshake(bool value) {
    if (ChangeSetting(ctsHandshake_, value))
        UpdateDCB2();
}

void LyrComm32Signals::SetDSRHandshake(bool value) {
    if (ChangeSetting(dsrHandshake_, value))
        UpdateDCB2();
}

void LyrComm32Signals::SetXOnOffTransmit(bool value) {
    if (ChangeSetting(xonOffTransmit_, value))
        UpdateDCB();
}

void LyrComm32Signals::SetXOnOffReceive(bool value) {
    if (ChangeSetting(xonOffReceive_, value))
        UpdateDCB();
}

void LyrComm32Signals::Assign(const TObject* Source) {
    const auto* s = &AssignSource<LyrComm32Signals>(Source, "LyrComm32Signals");
    ctsHandshake_ = s->ctsHandshake_;
    dsrHandshake_ = s->dsrHandshake_;
    dtrControl_ = s->dtrControl_;
    dtr_ = s->dtr_;
    rtsControl_ = s->rtsControl_;
    rts_ = s->rts_;
    UpdateDCB2();
}

void LyrComm32Chars::Assign(const TObject* Source) {
    const auto* s = &AssignSource<LyrComm32Chars>(Source, "LyrComm32Chars");
    XOn = s->XOn;
    XOff = s->XOff;
    Evt = s->Evt;
    if (comm_)
        comm_->UpdateDCB();
}

void LyrComm32Options::Assign(const TObject* Source) {
    const auto* s = &AssignSource<LyrComm32Options>(Source, "LyrComm32Options");
    EnhancedName = s->EnhancedName;
    SkipEvents = s->SkipEvents;
}

void LyrComm32Timeouts::SetTimeout(int index, std::uint32_t value) {
    if (index < 0 || index > 4 || values_[index] == value)
        return;
    values_[index] = value;
    if (comm_)
        comm_->UpdateDCB2();
}

void LyrComm32Timeouts::Assign(const TObject* Source) {
    const auto* s = &AssignSource<LyrComm32Timeouts>(Source, "LyrComm32Timeouts");
    std::copy(std::begin(s->values_), std::end(s->values_), std::begin(values_));
    if (comm_)
        comm_->UpdateDCB2();
}

std::uint32_t LyrComm32Timeouts::ModemPollPeriod() const {
    return comm_ ? comm_->ModemPollPeriod() : 10;
}

void LyrComm32Timeouts::SetModemPollPeriod(std::uint32_t value) {
    if (comm_)
        comm_->SetModemPollPeriod(value);
}

} // namespace celdara
