// The parsers of the radio dialects, one file each (Dialect*.cpp), and the queries each
// dialect sends. RadioQueriesFor (RadioDialect.h) puts them together; tests call the parsers
// directly. Every parser takes the information lines of one reply, ignores lines it does not
// know, fills only what the reply gives and never throws. What each reads: doc/modem-dialects.md.
#pragma once

#include "modem/RadioDialect.h"

#include <string_view>
#include <vector>

namespace celdara {

// 27.007 (Dialect3gpp.cpp)
void ParseCesq(const TReplyLines& lines, TModemStatus& status);
void ParseCereg(const TReplyLines& lines, TModemStatus& status);
void ParseCgreg(const TReplyLines& lines, TModemStatus& status);
void ParseC5greg(const TReplyLines& lines, TModemStatus& status);
std::vector<TRadioQuery> StandardRadioQueries();

// Quectel (DialectQuectel.cpp): AT+QENG="servingcell" / "neighbourcell".
struct TQuectelQuirks {
    bool LteSinrInFifths = false;        // 0..250 for -20..+30 dB; else dB
    bool PositiveLteRssiNegated = false; // a positive LTE RSSI is the negative one
    bool operator==(const TQuectelQuirks&) const = default;
};
TQuectelQuirks QuectelQuirksFor(std::string_view model);
void ParseQuectelServing(const TReplyLines& lines, TModemStatus& status,
                         const TQuectelQuirks& quirks);
void ParseQuectelNeighbours(const TReplyLines& lines, TModemStatus& status,
                            const TQuectelQuirks& quirks);
// AT+QCAINFO: the carriers in use, into Radio.Carriers (emptied first), the primary first.
void ParseQuectelCarriers(const TReplyLines& lines, TModemStatus& status,
                          const TQuectelQuirks& quirks);
std::vector<TRadioQuery> QuectelQueries(std::string_view model);

// SIMCom (DialectSimcom.cpp): AT+CPSI?.
struct TSimcomQuirks {
    bool LteInTenths = true; // RSRQ, RSRP, RSSI of the LTE form in tenths; else whole units
    bool operator==(const TSimcomQuirks&) const = default;
};
TSimcomQuirks SimcomQuirksFor(std::string_view model);
void ParseSimcomCpsi(const TReplyLines& lines, TModemStatus& status, const TSimcomQuirks& quirks);
std::vector<TRadioQuery> SimcomQueries(std::string_view model);

// Huawei (DialectHuawei.cpp): AT^HCSQ?, AT^SYSINFOEX.
void ParseHuaweiHcsq(const TReplyLines& lines, TModemStatus& status);
void ParseHuaweiSysinfoex(const TReplyLines& lines, TModemStatus& status);
std::vector<TRadioQuery> HuaweiQueries();

// Cinterion / Thales (DialectCinterion.cpp): AT^SMONI, AT^SMONP.
void ParseCinterionSmoni(const TReplyLines& lines, TModemStatus& status);
void ParseCinterionSmonp(const TReplyLines& lines, TModemStatus& status);
std::vector<TRadioQuery> CinterionQueries();

// Sierra Wireless (DialectSierra.cpp): AT!GSTATUS?, with its carrier-aggregation lines into
// Radio.Carriers.
void ParseSierraGstatus(const TReplyLines& lines, TModemStatus& status);
std::vector<TRadioQuery> SierraQueries();

// Telit (DialectTelit.cpp): AT#RFSTS?.
void ParseTelitRfsts(const TReplyLines& lines, TModemStatus& status);
std::vector<TRadioQuery> TelitQueries();

// u-blox (DialectUblox.cpp): AT+UCGED?, whose layout is the model's and its reporting mode's.
enum class TUcgedLayout {
    None,        // a model whose layout no manual gives: not asked
    SaraR4Mode5, // SARA-R4 (R404M, R410M, R412M): mode 5, +RSRP: / +RSRQ: in dBm and dB
    SaraR422,    // SARA-R422: mode 2, levels in dBm and dB
    SaraR5,      // SARA-R5: mode 2, levels as 36.133 index codes
    LaraR6,      // LARA-R6: mode 2 of GSM, UMTS or LTE, LTE levels as index codes
};
TUcgedLayout UbloxLayoutFor(std::string_view model);
void ParseUbloxUcged(const TReplyLines& lines, TModemStatus& status, TUcgedLayout layout);
std::vector<TRadioQuery> UbloxQueries(std::string_view model);

// Fibocom (DialectFibocom.cpp): AT+GTCCINFO? (serving cells and neighbours) and AT+GTCAINFO?
// (the carriers in use, into Radio.Carriers, emptied first, the primary first).
struct TFibocomQuirks {
    bool ChannelAndPciInHex = false; // <earfcn>/<arfcn> and <pci> written in hexadecimal
    bool operator==(const TFibocomQuirks&) const = default;
};
TFibocomQuirks FibocomQuirksFor(std::string_view model);
void ParseFibocomCells(const TReplyLines& lines, TModemStatus& status,
                       const TFibocomQuirks& quirks);
void ParseFibocomCarriers(const TReplyLines& lines, TModemStatus& status,
                          const TFibocomQuirks& quirks);
std::vector<TRadioQuery> FibocomQueries(std::string_view model);

} // namespace celdara
