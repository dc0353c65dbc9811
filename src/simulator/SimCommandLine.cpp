// The simulated modem's command-line parser: the text after "AT" into commands.
#include "simulator/SimModem.h"
#include "simulator/SimModemDetail.h"
#include "util/TextConvert.h"

#include <cctype>

namespace celdara {

using namespace simmodem;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsLetter(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

// The end of a run of digits from `i`.
std::size_t SkipDigits(const std::string& body, std::size_t i) {
    while (i < body.size() && IsDigit(body[i]))
        ++i;
    return i;
}

} // namespace

// Blanks outside quotes do not count and letters are taken in either case; false for an
// open quote.
bool TSimModem::CommandBody(const std::string& raw, std::string& body) const {
    bool quoted = false;
    for (char c : raw) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && (c == ' ' || c == '\t' || c == static_cast<char>(sreg_[kS4])))
            continue;
        body += quoted ? c : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return !quoted;
}

// Splits a command line (the text after "AT") into commands. Basic commands follow each
// other directly ("E0V1"); an extended command runs to the next ";" or the end of the line.
bool TSimModem::ParseLine(const std::string& raw, std::vector<Command>& commands) const {
    std::string body;
    if (!CommandBody(raw, body))
        return false;
    std::size_t i = 0;
    while (i < body.size()) {
        const char c = body[i];
        if (c == ';') {
            ++i;
            continue;
        }
        Command cmd;
        bool parsed = false;
        // Telit's "#" and Sierra's "!" commands are extended ones too; the Siemens-type
        // modem never knew them and refuses the whole line, as it always has.
        const bool vendorPrefix = (c == '#' || c == '!') && !dialect_->SiemensMonitor();
        if (c == '+' || c == '^' || vendorPrefix)
            parsed = ParseExtended(body, i, cmd);
        else if (c == 'S')
            parsed = ParseSRegister(body, i, cmd);
        else if (c == '&' || IsLetter(c))
            parsed = ParseBasic(body, i, cmd);
        if (!parsed)
            return false;
        commands.push_back(std::move(cmd));
        // Answering ends the line: what follows "A" is not looked at.
        if (commands.back().name == "A")
            break;
    }
    return true;
}

// "+NAME", "+NAME=?", "+NAME?" or "+NAME=args" up to a ";" outside quotes.
bool TSimModem::ParseExtended(const std::string& body, std::size_t& i, Command& cmd) {
    std::size_t j = i + 1;
    while (j < body.size() && std::isalnum(static_cast<unsigned char>(body[j])))
        ++j;
    if (j == i + 1)
        return false;
    cmd.name = body.substr(i, j - i);
    if (j < body.size() && body[j] == '=') {
        if (j + 1 < body.size() && body[j + 1] == '?') {
            cmd.kind = Kind::Test;
            j += 2;
        } else {
            cmd.kind = Kind::Set;
            std::size_t k = ++j;
            bool quoted = false;
            while (k < body.size() && (quoted || body[k] != ';')) {
                if (body[k] == '"')
                    quoted = !quoted;
                ++k;
            }
            cmd.args = body.substr(j, k - j);
            j = k;
        }
    } else if (j < body.size() && body[j] == '?') {
        cmd.kind = Kind::Read;
        ++j;
    }
    if (j < body.size() && body[j] != ';')
        return false;
    i = j;
    return true;
}

// "Sn?" or "Sn=value".
bool TSimModem::ParseSRegister(const std::string& body, std::size_t& i, Command& cmd) {
    std::size_t j = SkipDigits(body, i + 1);
    if (j == i + 1)
        return false;
    cmd.reg = TextToInt(std::string_view(body).substr(i + 1, j - i - 1), -1);
    if (cmd.reg < 0)
        return false; // too many digits for a number
    cmd.name = "S";
    if (j < body.size() && body[j] == '?') {
        cmd.kind = Kind::Read;
        ++j;
    } else if (j < body.size() && body[j] == '=') {
        const std::size_t k = SkipDigits(body, ++j);
        cmd.kind = Kind::Set;
        cmd.args = body.substr(j, k - j);
        j = k;
    } else {
        return false;
    }
    i = j;
    return true;
}

// A letter or "&" and a letter, then the digits of its value.
bool TSimModem::ParseBasic(const std::string& body, std::size_t& i, Command& cmd) {
    std::size_t j = i + 1;
    if (body[i] == '&') {
        if (j >= body.size() || !IsLetter(body[j]))
            return false;
        ++j;
    }
    cmd.name = body.substr(i, j - i);
    const std::size_t k = SkipDigits(body, j);
    cmd.args = body.substr(j, k - j);
    i = k;
    return true;
}

} // namespace celdara
