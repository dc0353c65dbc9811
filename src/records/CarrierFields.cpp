#include "records/RecordFields.h"

#include <string>

namespace celdara::recordfields {

namespace {

template <typename Int>
Value Number(const std::optional<Int>& value) {
    return value ? Value(std::to_string(*value)) : std::nullopt;
}

const char* RoleName(TCarrierRole role) {
    return role == TCarrierRole::Primary ? "PCC" : "SCC";
}

// Every value a carrier can have, in column order; the role is told by the column group in
// CSV and as a member of its own in JSON.
std::vector<TField> CarrierFields(const TCarrier& carrier) {
    return {
        {"tech",
         carrier.Tech == TAccessTech::Unknown ? std::nullopt : Value(AccessTechName(carrier.Tech)),
         true},
        {"band", Number(carrier.Band)},
        {"channel", Number(carrier.Channel)},
        {"bandwidth_mhz", DecimalText(carrier.BandwidthMhz)},
        {"pci", Number(carrier.PhysicalId)},
        {"rsrp", DecimalText(carrier.Rsrp)},
        {"rsrq", DecimalText(carrier.Rsrq)},
        {"rssi", DecimalText(carrier.Rssi)},
        {"sinr", DecimalText(carrier.Sinr)},
    };
}

void AddGroup(std::vector<TField>& to, const TCarrier& carrier, const std::string& prefix) {
    for (const TField& f : CarrierFields(carrier))
        to.push_back({prefix + f.Name, f.Content, f.IsText});
}

// "B3", "n78"; the channel where the band is not known, empty where neither is.
std::string CarrierName(const TCarrier& carrier) {
    const bool nr = carrier.Tech == TAccessTech::NrNsa || carrier.Tech == TAccessTech::NrSa;
    if (carrier.Band)
        return (nr ? "n" : "B") + std::to_string(*carrier.Band);
    return carrier.Channel ? std::to_string(*carrier.Channel) : "";
}

// "B7 PCI 8 RSRP -95.0 SINR 12.0": what tells one carrier from the others and how strong it
// is; empty for a carrier of which none of it is known.
std::string CarrierDetail(const TCarrier& carrier) {
    std::string text = CarrierName(carrier);
    auto add = [&text](const std::string& word) { text += (text.empty() ? "" : " ") + word; };
    if (carrier.PhysicalId)
        add("PCI " + std::to_string(*carrier.PhysicalId));
    if (const Value rsrp = DecimalText(carrier.Rsrp))
        add("RSRP " + *rsrp);
    if (const Value sinr = DecimalText(carrier.Sinr))
        add("SINR " + *sinr);
    return text;
}

} // namespace

std::vector<TField> CarrierCsvFields(const TRadioStatus& radio) {
    const std::vector<TCarrier> carriers = CarriersInUse(radio);
    std::vector<TField> fields;
    fields.push_back({"carrier_count",
                      carriers.empty() ? std::nullopt : Value(std::to_string(carriers.size()))});
    fields.push_back({"aggregated_bandwidth_mhz", DecimalText(AggregatedBandwidthMhz(carriers))});
    const TCarrier* primary = nullptr;
    std::vector<const TCarrier*> secondaries;
    for (const TCarrier& carrier : carriers) {
        if (carrier.Role == TCarrierRole::Secondary)
            secondaries.push_back(&carrier);
        else if (!primary)
            primary = &carrier;
    }
    AddGroup(fields, primary ? *primary : TCarrier{}, "carrier_pcc_");
    for (int k = 0; k < kCsvSecondaryCarriers; ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        AddGroup(fields, i < secondaries.size() ? *secondaries[i] : TCarrier{},
                 "carrier_scc" + std::to_string(k + 1) + "_");
    }
    return fields;
}

std::string CarrierJsonMembers(const TRadioStatus& radio) {
    const std::vector<TCarrier> carriers = CarriersInUse(radio);
    std::string members = ",\"carriers\":[";
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        std::vector<TField> fields = CarrierFields(carriers[i]);
        fields.insert(fields.begin(), {"role", Value(RoleName(carriers[i].Role)), true});
        members += (i > 0 ? "," : "") + JsonObject(fields);
    }
    const Value bandwidth = DecimalText(AggregatedBandwidthMhz(carriers));
    return members + "],\"aggregated_bandwidth_mhz\":" + bandwidth.value_or("null");
}

std::string CarrierText(const TRadioStatus& radio) {
    // A modem that does not tell its carriers has them in its serving cell and NR leg, which
    // the radio part of the line shows already.
    if (radio.Carriers.empty())
        return {};
    const std::vector<TCarrier> carriers = CarriersInUse(radio);
    std::string text = CarrierSummaryText(carriers);
    if (const Value bandwidth = DecimalText(AggregatedBandwidthMhz(carriers)))
        text += (text.empty() ? "" : ", ") + *bandwidth + " MHz";
    std::string each;
    for (const TCarrier& carrier : carriers) {
        const std::string one = CarrierDetail(carrier);
        if (!one.empty())
            each += (each.empty() ? "" : "; ") + one;
    }
    if (!each.empty())
        text += (text.empty() ? "(" : " (") + each + ")";
    return text.empty() ? text : "  " + text;
}

} // namespace celdara::recordfields
