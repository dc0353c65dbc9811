// The simulated network over a day: every value within the ranges of 3GPP TS 27.007 and
// the cell monitor, and every kind of change actually happening.
#include "simulator/SimNetwork.h"

#include "modem/StatusDisplay.h"

#include <gtest/gtest.h>
#include <set>

namespace celdara::test {
namespace {

TEST(SimNetworkTest, ADayOfDriftStaysInRangeAndChangesEverything) {
    TSimNetwork net(21);
    std::set<int> regStates;
    int servingChanges = 0;
    int neighbourSetChanges = 0;
    int calls = 0;
    int lastServing = -1;
    std::set<int> lastNeighbours;
    for (int second = 0; second < 24 * 3600; ++second) {
        net.Step();
        int reg = net.RegState();
        regStates.insert(reg);
        ASSERT_GE(reg, 0);
        ASSERT_LE(reg, 5);
        const TSimOperator* op = net.Registered();
        ASSERT_EQ(op != nullptr, reg == 1 || reg == 4 || reg == 5) << "second " << second;
        if (reg == 1) {
            ASSERT_EQ(op->Code, SimOperators()[0].Code);
        }
        if (reg == 5) {
            ASSERT_NE(op->Code, SimOperators()[0].Code);
        }

        int rssi = net.CsqRssi();
        int ber = net.CsqBer();
        ASSERT_TRUE((rssi >= 0 && rssi <= 31) || rssi == 99);
        ASSERT_TRUE((ber >= 0 && ber <= 7) || ber == 99);
        auto serving = net.Serving();
        ASSERT_EQ(serving.has_value(), rssi != 99);
        std::vector<TSimCellReport> neighbours = net.Neighbours();
        ASSERT_LE(neighbours.size(), 6u);
        std::set<int> channels;
        for (std::size_t i = 0; i < neighbours.size(); ++i) {
            const TSimCellReport& c = neighbours[i];
            ASSERT_NE(BandOfChannel(c.Channel), "?");
            ASSERT_GE(c.Rssi, 0);
            ASSERT_LE(c.Rssi, 63);
            ASSERT_GE(c.Dbm, -104);
            ASSERT_EQ(c.C1, c.Dbm - c.RxLevMin);
            ASSERT_TRUE(serving.has_value());
            ASSERT_EQ(c.Mcc * 100 + c.Mnc, serving->Mcc * 100 + serving->Mnc);
            ASSERT_NE(c.Channel, serving->Channel);
            if (i > 0) {
                ASSERT_LE(c.Dbm, neighbours[i - 1].Dbm) << "strongest first";
            }
            channels.insert(c.Channel);
        }
        if (serving) {
            ASSERT_NE(BandOfChannel(serving->Channel), "?");
            ASSERT_EQ(rssi, std::min(31, std::max(0, (serving->Dbm + 113) / 2)));
            if (op != nullptr) {
                ASSERT_EQ(std::to_string(serving->Mcc * 100 + serving->Mnc), op->Code);
            }
            servingChanges += serving->Channel != lastServing ? 1 : 0;
            lastServing = serving->Channel;
        }
        neighbourSetChanges += channels != lastNeighbours ? 1 : 0;
        lastNeighbours = channels;
        if (net.Ringing()) {
            ++calls;
            net.Answer();
        }
    }
    EXPECT_EQ(regStates, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_GT(servingChanges, 24);
    EXPECT_GT(neighbourSetChanges, 100);
    EXPECT_GT(calls, 24);
}

TEST(SimNetworkTest, LosingHomeCoverageRoamsAndComesBack) {
    TSimNetwork net(4);
    net.SetOutage(SimOperators()[0], 40);
    net.Step();
    EXPECT_EQ(net.RegState(), 2);
    EXPECT_FALSE(net.Serving().has_value());
    int roamed = 0;
    for (int s = 0; s < 39; ++s) {
        net.Step();
        roamed += net.RegState() == 5 ? 1 : 0;
    }
    EXPECT_GT(roamed, 20);
    for (int s = 0; s < 10; ++s)
        net.Step();
    EXPECT_EQ(net.RegState(), 1);
}

TEST(SimNetworkTest, SameSeedSameWorld) {
    TSimNetwork a(9), b(9), c(10);
    bool differs = false;
    for (int s = 0; s < 3600; ++s) {
        a.Step();
        b.Step();
        c.Step();
        ASSERT_EQ(a.Serving(), b.Serving());
        ASSERT_EQ(a.Neighbours(), b.Neighbours());
        ASSERT_EQ(a.RegState(), b.RegState());
        ASSERT_EQ(a.CallState(), b.CallState());
        differs = differs || a.Serving() != c.Serving();
    }
    EXPECT_TRUE(differs);
}

} // namespace
} // namespace celdara::test
