// The carriers in use and how they are named: what the modem reported, or its serving cell
// and NR leg when it reports none.
#include "modem/RadioStatus.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

TCarrier Carrier(TCarrierRole role, TAccessTech tech, std::optional<int> band,
                 std::optional<double> mhz = std::nullopt) {
    TCarrier carrier;
    carrier.Role = role;
    carrier.Tech = tech;
    carrier.Band = band;
    carrier.BandwidthMhz = mhz;
    return carrier;
}

constexpr auto P = TCarrierRole::Primary;
constexpr auto S = TCarrierRole::Secondary;

TEST(CarrierSummary, NamesTheCarriersAsPeopleWriteThem) {
    struct TRow {
        const char* Name;
        std::vector<TCarrier> Carriers;
        const char* Text;
    };
    const TRow rows[] = {
        {"none", {}, ""},
        {"one LTE carrier", {Carrier(P, TAccessTech::Lte, 20)}, "LTE B20"},
        {"LTE carrier aggregation",
         {Carrier(P, TAccessTech::Lte, 3), Carrier(S, TAccessTech::Lte, 7)},
         "LTE-A B3+B7"},
        {"EN-DC with aggregation",
         {Carrier(P, TAccessTech::Lte, 3), Carrier(S, TAccessTech::Lte, 7),
          Carrier(S, TAccessTech::NrNsa, 78)},
         "LTE-A B3+B7 \xc2\xb7 5G NSA n78"},
        {"EN-DC on one anchor",
         {Carrier(P, TAccessTech::Lte, 3), Carrier(S, TAccessTech::NrNsa, 78)},
         "LTE B3 \xc2\xb7 5G NSA n78"},
        {"5G SA aggregation",
         {Carrier(P, TAccessTech::NrSa, 78), Carrier(S, TAccessTech::NrSa, 28)},
         "5G SA n78+n28"},
        {"a band not known is left out",
         {Carrier(P, TAccessTech::Lte, 3), Carrier(S, TAccessTech::Lte, std::nullopt)},
         "LTE-A B3"},
        {"UMTS", {Carrier(P, TAccessTech::Umts, 1)}, "UMTS B1"},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(CarrierSummaryText(row.Carriers), row.Text) << row.Name;
}

TEST(CarrierSummary, AddsTheDownlinkBandwidthsThatAreKnown) {
    EXPECT_FALSE(AggregatedBandwidthMhz({}));
    EXPECT_FALSE(AggregatedBandwidthMhz({Carrier(P, TAccessTech::Lte, 3)}));
    EXPECT_DOUBLE_EQ(*AggregatedBandwidthMhz({Carrier(P, TAccessTech::Lte, 3, 20),
                                              Carrier(S, TAccessTech::Lte, 7, 1.4),
                                              Carrier(S, TAccessTech::NrNsa, 78)}),
                     21.4);
}

TEST(CarriersInUse, AreTheReportedOnesOrElseTheServingCellAndItsNrLeg) {
    TRadioStatus radio;
    radio.Tech = TAccessTech::NrNsa;
    radio.Serving.Tech = TAccessTech::Lte;
    radio.Serving.Channel = 1300;
    radio.Serving.PhysicalId = 120;
    radio.Serving.Rsrp = -95;
    TRadioCell nr;
    nr.Tech = TAccessTech::NrNsa;
    nr.Band = 78;
    nr.Sinr = 12;
    radio.NrLeg = nr;

    std::vector<TCarrier> derived = CarriersInUse(radio);
    ASSERT_EQ(derived.size(), 2u);
    EXPECT_EQ(derived[0].Role, P);
    EXPECT_EQ(derived[0].Tech, TAccessTech::Lte);
    EXPECT_EQ(derived[0].Band, 3) << "the band the channel tells";
    EXPECT_EQ(derived[0].PhysicalId, 120);
    EXPECT_EQ(derived[0].Rsrp, -95);
    EXPECT_EQ(derived[1].Role, S);
    EXPECT_EQ(derived[1].Tech, TAccessTech::NrNsa);
    EXPECT_EQ(derived[1].Sinr, 12);

    radio.Tech = TAccessTech::Lte;
    radio.NrLeg.reset();
    radio.Carriers = {Carrier(P, TAccessTech::Lte, 3), Carrier(S, TAccessTech::Lte, 7)};
    EXPECT_EQ(CarriersInUse(radio), radio.Carriers);

    TRadioStatus gsm;
    gsm.Tech = TAccessTech::Gsm;
    gsm.Serving.Channel = 62;
    EXPECT_TRUE(CarriersInUse(gsm).empty());
    TRadioStatus nothingNamed;
    nothingNamed.Tech = TAccessTech::Lte;
    nothingNamed.Serving.Rsrp = -90;
    EXPECT_TRUE(CarriersInUse(nothingNamed).empty()) << "no band and no channel: no carrier";
}

TEST(CarriersInUse, TakeWhatTheirCellToldAndTheNrLegTheListLeftOut) {
    TRadioStatus radio;
    radio.Tech = TAccessTech::NrNsa;
    radio.Serving.Tech = TAccessTech::Lte;
    radio.Serving.PhysicalId = 120;
    radio.Serving.Channel = 1300;
    radio.Serving.Rsrp = -95;
    radio.Serving.Sinr = 14;
    TRadioCell nr;
    nr.Tech = TAccessTech::NrNsa;
    nr.Band = 78;
    nr.Channel = 627264;
    nr.PhysicalId = 55;
    nr.Rsrp = -88;
    radio.NrLeg = nr;
    TCarrier pcc = Carrier(P, TAccessTech::Lte, 3);
    pcc.PhysicalId = 120;
    pcc.Rsrp = -97; // the list's own value wins
    TCarrier scc = Carrier(S, TAccessTech::Lte, 7);
    scc.PhysicalId = 120; // the same PCI, but a secondary is not the serving cell
    radio.Carriers = {pcc, scc};

    const std::vector<TCarrier> carriers = CarriersInUse(radio);
    ASSERT_EQ(carriers.size(), 3u) << "the NR leg the list left out";
    EXPECT_EQ(carriers[0].Rsrp, -97);
    EXPECT_EQ(carriers[0].Sinr, 14) << "from the serving cell";
    EXPECT_FALSE(carriers[1].Rsrp);
    EXPECT_EQ(carriers[2].Tech, TAccessTech::NrNsa);
    EXPECT_EQ(carriers[2].Role, S);
    EXPECT_EQ(carriers[2].Band, 78);
    EXPECT_EQ(carriers[2].Rsrp, -88);
    EXPECT_EQ(CarrierSummaryText(carriers), "LTE-A B3+B7 \xc2\xb7 5G NSA n78");

    TCarrier listedLeg = Carrier(S, TAccessTech::NrNsa, 78);
    listedLeg.PhysicalId = 56; // another NR cell than the leg: not its measurements
    radio.Carriers = {pcc, listedLeg};
    const std::vector<TCarrier> listed = CarriersInUse(radio);
    ASSERT_EQ(listed.size(), 2u) << "a listed NR carrier is not added twice";
    EXPECT_FALSE(listed[1].Rsrp);

    TCarrier wrong = Carrier(P, TAccessTech::Lte, -3, 0);
    wrong.Channel = 3100;
    radio.Carriers = {wrong};
    radio.Tech = TAccessTech::Lte;
    const std::vector<TCarrier> mended = CarriersInUse(radio);
    ASSERT_EQ(mended.size(), 1u);
    EXPECT_EQ(mended[0].Band, 7) << "no band below one: the channel's";
    EXPECT_FALSE(mended[0].BandwidthMhz) << "no carrier is 0 MHz wide";
}

TEST(CarriersInUse, StopAtTheirBound) {
    TRadioStatus radio;
    for (std::size_t i = 0; i < kMaxCarriers; ++i)
        EXPECT_TRUE(AddCarrier(radio, Carrier(i == 0 ? P : S, TAccessTech::Lte, 3)));
    EXPECT_FALSE(AddCarrier(radio, Carrier(S, TAccessTech::Lte, 7)));
    EXPECT_EQ(radio.Carriers.size(), kMaxCarriers);
}

} // namespace
} // namespace celdara
