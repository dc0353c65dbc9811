// The simulated modem's basic commands: echo, verbose and quiet result codes, reset,
// identification, S-registers, hanging up and answering.
#include "simulator/SimModem.h"
#include "simulator/SimModemDetail.h"
#include "util/TextConvert.h"

namespace celdara {

using namespace simmodem;

TSimModem::Outcome TSimModem::ExecuteBasic(const Command& cmd) {
    const std::string& n = cmd.name;
    // The parser gives basic commands digits only; -1 stands for none or too many.
    const bool noValue = cmd.args.empty();
    const int v = noValue ? -1 : TextToInt(cmd.args, -1);
    const bool hasValue = v >= 0;
    auto flag = [&](bool& setting) {
        if (noValue || (hasValue && v == 0))
            setting = false;
        else if (hasValue && v == 1)
            setting = true;
        else
            return Fail();
        return Ok();
    };
    if (n == "E")
        return flag(echo_);
    if (n == "V")
        return flag(verbose_);
    if (n == "Q")
        return flag(quiet_); // after ATQ1 not even its own "OK" comes
    if (n == "Z" || n == "&F") {
        if (!noValue && !(hasValue && v == 0))
            return Fail();
        ResetSettings();
        return Ok();
    }
    if (n == "I") {
        Info(std::string(ManufacturerName()));
        Info(std::string(ModelName()));
        Info("REVISION " + options_.Revision);
        return Ok();
    }
    // Settings of a data modem that terminal programs send in their set-up strings.
    if (n == "X" || n == "L" || n == "M" || n == "&C" || n == "&D" || n == "&K" || n == "&W")
        return Ok();
    if (n == "S")
        return ExecuteSRegister(cmd);
    if (n == "H") {
        network_.HangUp();
        return Ok();
    }
    if (n == "A")
        return AnswerCall();
    return Fail();
}

TSimModem::Outcome TSimModem::ExecuteSRegister(const Command& cmd) {
    if (cmd.reg < 0 || cmd.reg >= static_cast<int>(sreg_.size()))
        return Fail();
    if (cmd.kind == Kind::Read) {
        Info(Printf("%03d", sreg_[cmd.reg]));
        return Ok();
    }
    const int v = TextToInt(cmd.args, -1);
    if (v < 0 || v > 255)
        return Fail();
    sreg_[cmd.reg] = v;
    return Ok();
}

TSimModem::Outcome TSimModem::AnswerCall() {
    if (!network_.Ringing())
        return Finish("NO CARRIER");
    // The network takes a moment to put the call through.
    return Later(static_cast<std::uint32_t>(modemRng_.Range(300, 1500)), [this] {
        switch (network_.Answer()) {
        case TSimCallState::Voice:
            return Finish("OK");
        case TSimCallState::Data:
            return Finish("CONNECT 9600");
        default:
            return Finish("NO CARRIER"); // the caller gave up meanwhile
        }
    });
}

} // namespace celdara
