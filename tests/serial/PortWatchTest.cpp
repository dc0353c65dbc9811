// The list that a device monitor's add and remove events keep current.
#include "serial/PortWatch.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

constexpr const char* kQuectelAt = "/dev/serial/by-id/usb-Quectel_EG25-G-if02-port0";

TPortEvent Added(TPortInfo port) {
    return {TPortAction::Add, std::move(port)};
}
TPortEvent Removed(std::string node) {
    return {TPortAction::Remove, {.Node = std::move(node)}};
}

std::vector<std::string> Nodes(const TPortWatch& watch) {
    std::vector<std::string> nodes;
    for (const TPortInfo& port : watch.Ports())
        nodes.push_back(port.Node);
    return nodes;
}

struct PortWatch : ::testing::Test {
    TPortWatch watch;
    const TPortInfo quectel{.Node = "/dev/ttyUSB2",
                            .ById = kQuectelAt,
                            .Vendor = "Quectel",
                            .Model = "EG25",
                            .Driver = "option",
                            .Interface = 2,
                            .Role = TMmPortRole::AtPrimary};
    PortWatch() {
        watch.Reset({{.Node = "virtual-modem", .BuiltIn = true},
                     {.Node = "/dev/ttyS0", .Uart = true},
                     {.Node = "/dev/ttyACM0", .Driver = "cdc_acm"}});
    }
};

TEST_F(PortWatch, APlugGrowsTheListInItsPlaceAndAReplugOfTheSameChangesNothing) {
    EXPECT_EQ(Nodes(watch),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "virtual-modem"}));
    EXPECT_TRUE(watch.Apply(Added(quectel)));
    EXPECT_EQ(Nodes(watch), (std::vector<std::string>{"/dev/ttyUSB2", "/dev/ttyACM0", "/dev/ttyS0",
                                                      "virtual-modem"}));
    EXPECT_FALSE(watch.Apply(Added(quectel)));
    EXPECT_EQ(watch.Ports().size(), 4u);
}

TEST_F(PortWatch, AChangeEventReplacesThePortsProperties) {
    TPortInfo untagged = quectel;
    untagged.Role = TMmPortRole::None;
    untagged.Vendor.clear();
    watch.Apply(Added(untagged));
    EXPECT_TRUE(watch.Apply(Added(quectel)));
    ASSERT_EQ(watch.Ports().size(), 4u);
    EXPECT_EQ(watch.Ports()[0], quectel);
}

TEST_F(PortWatch, AnUnplugRemovesByNodeAndUnknownOrEmptyEventsChangeNothing) {
    watch.Apply(Added(quectel));
    EXPECT_FALSE(watch.Apply(Removed("/dev/ttyUSB9")));
    EXPECT_FALSE(watch.Apply(Removed("")));
    EXPECT_FALSE(watch.Apply(Added({.Driver = "option"}))) << "an add without a node";
    EXPECT_TRUE(watch.Apply(Removed("/dev/ttyUSB2")));
    EXPECT_EQ(Nodes(watch),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0", "virtual-modem"}));
}

TEST_F(PortWatch, BuiltInDevicesAreNoBusinessOfTheMonitor) {
    EXPECT_FALSE(watch.Apply(Removed("virtual-modem")));
    EXPECT_FALSE(watch.Apply(Added({.Node = "virtual-modem-faulty", .BuiltIn = true})));
    EXPECT_EQ(watch.Ports().size(), 3u);
}

TEST_F(PortWatch, AModemBackUnderANewNodeKeepsOneEntryForItsStableLink) {
    watch.Apply(Added(quectel));
    TPortInfo back = quectel;
    back.Node = "/dev/ttyUSB3";
    // Removed and added again, as udev tells it.
    EXPECT_TRUE(watch.Apply({Removed("/dev/ttyUSB2"), Added(back)}));
    EXPECT_EQ(watch.Ports()[0], back);
    EXPECT_EQ(watch.Ports().size(), 4u);
    // Back once more while the removal went unseen: the stale node goes.
    back.Node = "/dev/ttyUSB4";
    EXPECT_TRUE(watch.Apply(Added(back)));
    EXPECT_EQ(Nodes(watch), (std::vector<std::string>{"/dev/ttyUSB4", "/dev/ttyACM0", "/dev/ttyS0",
                                                      "virtual-modem"}));
}

TEST_F(PortWatch, ABatchTellsOfAChangeAnywhereInIt) {
    EXPECT_TRUE(watch.Apply({Added(quectel), Removed("/dev/ttyUSB9")}));
    EXPECT_FALSE(watch.Apply({Removed("/dev/ttyUSB9"), Added(quectel)}));
}

TEST_F(PortWatch, AnAwaitedPortIsKnownBackByItsLinkItsNameOrItsNode) {
    const std::vector<TPortEvent> back = {Removed("/dev/ttyACM0"), Added(quectel)};
    struct TRow {
        const char* Case;
        std::string Name;
        bool Back;
    } rows[] = {
        {"by its link", kQuectelAt, true},     {"by its short name", "ttyUSB2", true},
        {"by its node", "/dev/ttyUSB2", true}, {"another port", "ttyUSB3", false},
        {"a removed port", "ttyACM0", false},  {"no port at all", "", false},
    };
    for (const TRow& row : rows)
        EXPECT_EQ(AddsPort(back, row.Name), row.Back) << row.Case;
    TPortInfo linkless = quectel;
    linkless.ById.clear();
    EXPECT_FALSE(AddsPort({Added(linkless)}, "")) << "an empty link names nothing";
    EXPECT_FALSE(AddsPort({Added({.Node = "virtual-modem", .BuiltIn = true})}, "virtual-modem"));
}

} // namespace
} // namespace celdara
