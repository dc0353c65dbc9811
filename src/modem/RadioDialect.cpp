// Which radio queries a modem is sent, by what +CGMI / +CGMM said.
#include "modem/RadioDialect.h"

#include "modem/RadioDialects.h"
#include "util/TextConvert.h"

#include <string>

namespace celdara {

namespace {

enum class TVendor { Other, Quectel, Simcom, Huawei, Cinterion, Sierra, Telit, Ublox, Fibocom };

// Case-insensitive names in +CGMI (or, when that names none, +CGMM); the first that is part
// of the text wins.
struct TVendorName {
    std::string_view Name;
    TVendor Vendor;
};
constexpr TVendorName kVendorNames[] = {
    {"quectel", TVendor::Quectel},  {"simcom", TVendor::Simcom},
    {"huawei", TVendor::Huawei},    {"cinterion", TVendor::Cinterion},
    {"thales", TVendor::Cinterion}, {"gemalto", TVendor::Cinterion},
    {"sierra", TVendor::Sierra},    {"telit", TVendor::Telit},
    {"u-blox", TVendor::Ublox},     {"ublox", TVendor::Ublox},
    {"fibocom", TVendor::Fibocom},
};

TVendor VendorIn(std::string_view text) {
    const std::string upper = UpperCase(text);
    for (const TVendorName& name : kVendorNames)
        if (upper.find(UpperCase(name.Name)) != std::string::npos)
            return name.Vendor;
    return TVendor::Other;
}

std::vector<TRadioQuery> VendorQueries(TVendor vendor, std::string_view model) {
    switch (vendor) {
    case TVendor::Quectel:
        return QuectelQueries(model);
    case TVendor::Simcom:
        return SimcomQueries(model);
    case TVendor::Huawei:
        return HuaweiQueries();
    case TVendor::Cinterion:
        return CinterionQueries();
    case TVendor::Sierra:
        return SierraQueries();
    case TVendor::Telit:
        return TelitQueries();
    case TVendor::Ublox:
        return UbloxQueries(model);
    case TVendor::Fibocom:
        return FibocomQueries(model);
    case TVendor::Other:
        break;
    }
    return {};
}

} // namespace

std::vector<TRadioQuery> RadioQueriesFor(std::string_view manufacturer, std::string_view model) {
    TVendor vendor = VendorIn(manufacturer);
    if (vendor == TVendor::Other)
        vendor = VendorIn(model);
    std::vector<TRadioQuery> queries = StandardRadioQueries();
    for (TRadioQuery& query : VendorQueries(vendor, Trim(model)))
        queries.push_back(std::move(query));
    return queries;
}

} // namespace celdara
