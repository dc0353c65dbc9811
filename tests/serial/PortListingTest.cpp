// The port list as the box offers it: order, names, descriptions, the first start's choice
// and where the list comes from, on sources of the test's own; and udev's own list, when
// this machine has one, checked only for what holds everywhere.
#include "SerialTestSupport.h"
#include "serial/PortChoice.h"
#include "serial/PortSource.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace celdara {
namespace {

using testing::TFakeTtyTree;

class TFakeSource final : public TPortSource {
public:
    std::vector<TPortInfo> ports;
    bool available = true;
    bool List(std::vector<TPortInfo>& out) override {
        // A source that fails halfway must not leave half a list behind.
        out.insert(out.end(), ports.begin(), ports.end());
        return available;
    }
};

std::vector<std::string> Nodes(const std::vector<TPortInfo>& ports) {
    std::vector<std::string> nodes;
    for (const TPortInfo& port : ports)
        nodes.push_back(port.Node);
    return nodes;
}

TEST(PortOrder, AtPortsFirstThenModemsAdaptersOtherModemPortsUartsAndBuiltInsLast) {
    std::vector<TPortInfo> ports = {
        {.Node = "virtual-modem", .Driver = "celdara-sim", .BuiltIn = true},
        {.Node = "/dev/ttyS0", .Driver = "serial8250", .Uart = true},
        {.Node = "/dev/ttyUSB0", .Driver = "option", .Role = TMmPortRole::NotAt}, // QCDM
        {.Node = "/dev/ttyUSB1", .Driver = "option", .Role = TMmPortRole::NotAt}, // GPS
        {.Node = "/dev/ttyUSB10", .Driver = "ftdi_sio"},
        {.Node = "/dev/ttyACM0", .Driver = "cdc_acm"},
        {.Node = "/dev/ttyUSB3", .Driver = "option", .Role = TMmPortRole::AtSecondary},
        {.Node = "/dev/ttyUSB2", .Driver = "option", .Role = TMmPortRole::AtPrimary},
        {.Node = "/dev/ttyUSB9", .Driver = "ftdi_sio"},
        {.Node = "a-early", .Driver = "celdara-sim", .BuiltIn = true},
    };
    SortPorts(ports);
    EXPECT_EQ(Nodes(ports),
              (std::vector<std::string>{"/dev/ttyUSB2", "/dev/ttyUSB3", "/dev/ttyACM0",
                                        "/dev/ttyUSB9", "/dev/ttyUSB10", "/dev/ttyUSB0",
                                        "/dev/ttyUSB1", "/dev/ttyS0", "a-early", "virtual-modem"}));
}

TEST(PortOrder, NumbersInNamesCountAsNumbers) {
    std::vector<TPortInfo> ports = {
        {.Node = "/dev/ttyUSB10"}, {.Node = "/dev/ttyUSB2"}, {.Node = "/dev/ttyACM1"},
        {.Node = "/dev/ttyUSB02"}, {.Node = "/dev/ttyUSB"},  {.Node = "/dev/ttyUSB1"},
    };
    SortPorts(ports);
    EXPECT_EQ(Nodes(ports),
              (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyUSB", "/dev/ttyUSB1",
                                        "/dev/ttyUSB2", "/dev/ttyUSB02", "/dev/ttyUSB10"}));
}

TEST(PortNames, TheStableLinkIsOpenedWhenThereIsOneElseTheShortName) {
    const TPortInfo quectel{.Node = "/dev/ttyUSB2",
                            .ById = "/dev/serial/by-id/usb-Quectel_EG25-G-if02-port0"};
    EXPECT_EQ(PortOpenName(quectel), "/dev/serial/by-id/usb-Quectel_EG25-G-if02-port0");
    EXPECT_EQ(PortShortName(quectel), "ttyUSB2");
    EXPECT_EQ(PortOpenName({.Node = "/dev/ttyS0"}), "ttyS0");
    // A built-in device's name is no path, whatever it looks like.
    EXPECT_EQ(PortOpenName({.Node = "/dev/sim", .BuiltIn = true}), "/dev/sim");
    EXPECT_EQ(PortOpenName({.Node = "virtual-modem", .BuiltIn = true}), "virtual-modem");
}

TEST(PortNames, DescriptionsLeaveOutWhatIsUnknown) {
    TPortInfo port{.Node = "/dev/ttyUSB2",
                   .Vendor = "Quectel",
                   .Model = "EG25",
                   .Driver = "option",
                   .Interface = 2};
    EXPECT_EQ(DescribePort(port), "Quectel EG25 (if 02, option)");
    EXPECT_EQ(PortDisplayText(port), "ttyUSB2 \u2014 Quectel EG25 (if 02, option)");
    port.Interface = 10;
    EXPECT_EQ(DescribePort(port), "Quectel EG25 (if 0a, option)") << "udev's numbers are hex";
    port.Interface = -1;
    EXPECT_EQ(DescribePort(port), "Quectel EG25 (option)");
    port.Driver.clear();
    EXPECT_EQ(DescribePort(port), "Quectel EG25");
    port.Vendor.clear();
    EXPECT_EQ(DescribePort(port), "EG25");
    port.Model.clear();
    port.Vendor = "Sierra Wireless";
    port.Interface = 3;
    EXPECT_EQ(DescribePort(port), "Sierra Wireless (if 03)");
    // The driver alone says little: the line is the name.
    const TPortInfo uart{.Node = "/dev/ttyS0", .Driver = "serial8250", .Interface = 0};
    EXPECT_EQ(DescribePort(uart), "");
    EXPECT_EQ(PortDisplayText(uart), "ttyS0");
    EXPECT_EQ(PortDisplayText({}), "");
}

TEST(FirstChoice, TheAtPrimaryPortWinsWhereverItIsListed) {
    const std::vector<TPortInfo> ports = {
        {.Node = "/dev/ttyUSB0", .Driver = "option"},
        {.Node = "/dev/ttyUSB2",
         .ById = "/dev/serial/by-id/usb-Quectel-if02",
         .Driver = "option",
         .Role = TMmPortRole::AtPrimary},
        {.Node = "virtual-modem", .BuiltIn = true},
    };
    EXPECT_EQ(ChooseFirstPort(ports, "virtual-modem"), "/dev/serial/by-id/usb-Quectel-if02");
}

TEST(FirstChoice, ModemPortsMarkedAsNoAtPortAndUartsAreNeverPicked) {
    std::vector<TPortInfo> ports = {
        {.Node = "/dev/ttyUSB0", .Driver = "qcserial", .Role = TMmPortRole::NotAt},
        {.Node = "/dev/ttyS0",
         .Driver = "serial8250",
         .Role = TMmPortRole::AtPrimary,
         .Uart = true},
        {.Node = "/dev/ttyUSB5", .Driver = "ftdi_sio"},
        {.Node = "virtual-modem", .Driver = "qcserial", .BuiltIn = true},
    };
    EXPECT_EQ(ChooseFirstPort(ports, "virtual-modem"), "virtual-modem");
    EXPECT_EQ(ChooseFirstPort(ports, "virtual-modem-faulty"), "") << "not listed";
    ports.push_back({.Node = "/dev/ttyACM0", .Driver = "cdc_acm"});
    EXPECT_EQ(ChooseFirstPort(ports, "virtual-modem"), "ttyACM0");
}

TEST(PortSources, AnUnavailableSourceGivesWayToTheFallbackWithNothingOfItsOwnLeft) {
    TFakeSource udev, sysfs;
    udev.ports = {{.Node = "/dev/ttyUSB7", .Driver = "option"}};
    sysfs.ports = {{.Node = "/dev/ttyS0", .Uart = true}, {.Node = "/dev/ttyACM0"}};
    EXPECT_EQ(Nodes(ListSystemPorts(udev, sysfs)), (std::vector<std::string>{"/dev/ttyUSB7"}));
    udev.available = false;
    EXPECT_EQ(Nodes(ListSystemPorts(udev, sysfs)),
              (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyS0"}));
    // Available and empty is an answer: a machine without serial ports.
    udev.available = true;
    udev.ports.clear();
    EXPECT_TRUE(ListSystemPorts(udev, sysfs).empty());
}

TEST(PortSources, WithoutUdevTheTtyClassIsReadWithItsRules) {
    TFakeTtyTree tree;
    tree.AddPort("ttyS0", "serial8250", "4");
    tree.AddPort("ttyS1", "serial8250", "0");
    tree.AddPort("ttyUSB2", "option1", "");
    tree.AddVirtual("tty0");
    TFakeSource udev;
    udev.available = false;
    const std::vector<TPortInfo> ports = ListSystemPorts(udev, SysfsPortSource());
    ASSERT_EQ(Nodes(ports), (std::vector<std::string>{"/dev/ttyUSB2", "/dev/ttyS0"}));
    EXPECT_EQ(ports[0].Driver, "option1");
    EXPECT_FALSE(ports[0].Uart);
    EXPECT_TRUE(ports[1].Uart);
    EXPECT_EQ(ChooseFirstPort(ports, ""), "ttyUSB2");
}

// Whatever this machine has: every port listed is a device node that exists, once, and its
// stable link is one of udev's by-id links.
TEST(UdevPorts, TheMachinesOwnPortsAreRealNodes) {
    std::vector<TPortInfo> ports;
    if (!UdevPortSource().List(ports))
        GTEST_SKIP() << "no udev here";
    const bool udevRuns = std::filesystem::exists("/run/udev");
    std::set<std::string> seen;
    for (const TPortInfo& port : ports) {
        EXPECT_EQ(port.Node.rfind("/dev/", 0), 0u) << port.Node;
        EXPECT_TRUE(seen.insert(port.Node).second) << port.Node << " twice";
        EXPECT_FALSE(port.Driver.empty()) << port.Node;
        EXPECT_FALSE(port.BuiltIn) << port.Node;
        if (!port.ById.empty()) {
            EXPECT_EQ(port.ById.rfind("/dev/serial/by-id/", 0), 0u) << port.ById;
        }
        if (!std::filesystem::exists(port.Node) && !udevRuns)
            GTEST_SKIP() << "no udev daemon: this /dev is not udev's (" << port.Node << ")";
        EXPECT_TRUE(std::filesystem::exists(port.Node)) << port.Node;
    }
}

} // namespace
} // namespace celdara
