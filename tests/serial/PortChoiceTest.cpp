// The port a first start opens: on a fake tty tree, so each machine's ports stay out of it.
#include "serial/PortChoice.h"

#include "SerialTestSupport.h"
#include "serial/PortSource.h"

#include <gtest/gtest.h>

namespace celdara {
namespace {

using testing::TFakeProvider;
using testing::TFakeTtyTree;

struct FirstPort : ::testing::Test {
    TFakeTtyTree tree;
    std::string Chosen() { return ChooseFirstPort(ListPorts(), "virtual-modem"); }
};

TEST_F(FirstPort, AUartAloneIsNeverPickedTheSimulatedModemIs) {
    tree.AddPort("ttyS0", "serial8250", "4"); // a real UART with nothing on it
    tree.AddPort("ttyS1", "serial8250", "0"); // a placeholder
    TFakeProvider sim("virtual-modem", "celdara-sim0");
    EXPECT_EQ(Chosen(), "virtual-modem");
}

TEST_F(FirstPort, AUsbModemPortWinsOverTheUartAndTheSimulatedModem) {
    tree.AddPort("ttyS0", "serial8250", "4");
    tree.AddPort("ttyUSB0", "ftdi_sio", ""); // a general adapter: not a modem by itself
    tree.AddPort("ttyUSB2", "option1", "");
    TFakeProvider sim("virtual-modem", "celdara-sim0");
    EXPECT_EQ(Chosen(), "ttyUSB2");
}

TEST_F(FirstPort, AcmPhonesAndModemsArePicked) {
    tree.AddPort("ttyACM0", "cdc_acm", "");
    tree.AddPort("ttyS0", "serial8250", "4");
    TFakeProvider sim("virtual-modem", "celdara-sim0");
    EXPECT_EQ(Chosen(), "ttyACM0");
}

TEST_F(FirstPort, NoPortAtAllGivesTheSimulatedModemOrNothing) {
    {
        TFakeProvider sim("virtual-modem", "celdara-sim0");
        EXPECT_EQ(Chosen(), "virtual-modem");
    }
    // Without the built-in device there is nothing to pick, and a UART is still not taken.
    tree.AddPort("ttyS0", "serial8250", "4");
    EXPECT_EQ(Chosen(), "");
}

TEST(ModemDrivers, TheModemMakersDriversAreModemsAdaptersAndUartsAreNot) {
    for (const char* driver : {"option1", "qcserial", "sierra", "cdc_acm", "usb_wwan", "qcaux"})
        EXPECT_TRUE(IsModemDriver(driver)) << driver;
    for (const char* driver :
         {"serial8250", "ftdi_sio", "pl2303", "cp210x", "serial", "", "OPTION1"})
        EXPECT_FALSE(IsModemDriver(driver)) << driver;
}

} // namespace
} // namespace celdara
