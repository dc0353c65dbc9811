// The reply to AT+COPS=?, as 3GPP TS 27.007 7.3 "PLMN selection +COPS" lays it out:
//
//   +COPS: [list of supported (<stat>,long alphanumeric <oper>,short alphanumeric <oper>,
//          numeric <oper>[,<AcT>])s][,,(list of supported <mode>s),(list of supported
//          <format>s)]
//
// <stat> 0 unknown, 1 available, 2 current, 3 forbidden; "any of the formats may be
// unavailable and should then be an empty field" (SIM800 Series AT Command Manual V1.05,
// 3.2.22; Huawei MG323 AT command interface manual, 8.2.1, writes the same list
// without <AcT>). What modules really send, and is read here:
// - the two lists of modes and formats after ",,", which are not networks ("(0-4),(0-2)",
//   "(0, 1, 3)", and broken forms such as ",,(0,1,2,3,4),)" or ",,)");
// - empty names as "" or as nothing at all ("T - Mobile",,"31026" of the Nokia N80);
// - commas and parentheses inside quoted names;
// - one network per "+COPS:" line (Novatel XU870);
// - a stray ")" before <AcT> ("310260"),2) of the TM-506): the entry is read without it;
// - a list that ends in a lone comma (ZTE MF627).
#include "modem/NetworkScan.h"

#include "modem/DialectFields.h"

#include <algorithm>

namespace celdara {

namespace {

using dialect::TFields;

// 27.007 7.3 <AcT>: 0 GSM up to 13 E-UTRA-NR dual connectivity.
constexpr int kMaxAct = 13;

bool IsCode(const dialect::TField& field) {
    const std::string& t = field.Text;
    return field.Quoted && (t.size() == 5 || t.size() == 6) &&
           std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One "(<stat>,<long>,<short>,<numeric>[,<AcT>])" group without its parentheses.
std::optional<TNetworkEntry> EntryOfGroup(std::string_view group) {
    const TFields fields = dialect::SplitFields(group);
    if (fields.size() != 4 && fields.size() != 5)
        return std::nullopt;
    const std::optional<int> stat = dialect::Within(dialect::IntAt(fields, 0), 0, 3);
    if (!stat || fields[0].Quoted || !IsCode(fields[3]))
        return std::nullopt;
    TNetworkEntry entry;
    entry.State = *stat;
    entry.LongName = fields[1].Text;
    entry.ShortName = fields[2].Text;
    entry.Code = fields[3].Text;
    if (fields.size() == 5)
        entry.Act = dialect::Within(dialect::IntAt(fields, 4), 0, kMaxAct);
    return entry;
}

// The end of the group opened at `open`: its ")" outside quotes, or npos.
std::size_t GroupEnd(std::string_view text, std::size_t open) {
    bool quoted = false;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == ')' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

// The networks of one line's text after "+COPS:". The lists of modes and formats begin after
// the first empty element (",,"), so reading stops there.
void ReadLine(std::string_view text, std::vector<TNetworkEntry>& networks) {
    std::size_t i = 0;
    bool lastWasComma = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '(') {
            const std::size_t close = GroupEnd(text, i);
            if (close == std::string_view::npos)
                return;
            if (std::optional<TNetworkEntry> entry =
                    EntryOfGroup(text.substr(i + 1, close - i - 1)))
                networks.push_back(std::move(*entry));
            i = close + 1;
            lastWasComma = false;
            continue;
        }
        if (c == ',') {
            if (lastWasComma)
                return;
            lastWasComma = true;
        } else if (c != ' ' && c != '\t') {
            lastWasComma = false;
        }
        ++i;
    }
}

} // namespace

std::vector<TNetworkEntry> ParseNetworkScan(const TReplyLines& lines) {
    std::vector<TNetworkEntry> networks;
    for (const std::string& line : lines) {
        std::string_view rest;
        if (dialect::HasPrefix(line, "+COPS:", rest))
            ReadLine(rest, networks);
    }
    return networks;
}

const char* NetworkStateText(int state) {
    switch (state) {
    case 1:
        return "available";
    case 2:
        return "current";
    case 3:
        return "forbidden";
    default:
        return "unknown";
    }
}

} // namespace celdara
