// Settings, control block, configuration string, assignment, the port list and state
// reports of TLyrComm32, on closed ports and on a fake device.
#include "SerialTestSupport.h"
#include "core/Application.h"
#include "core/TickClock.h"
#include "serial/LyrComm32.h"
#include "serial/LyrComm32Threads.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace celdara {
namespace {

using testing::TCommRecorder;
using testing::TFakeDeviceState;
using testing::TFakePortListBox;
using testing::TFakeProvider;
using testing::TFakeTtyTree;
using testing::TPumpedQueue;

struct ClosedComm : ::testing::Test {
    TPumpedQueue pump;
    TManualTickClock clock{1000};
    TLyrComm32 comm{nullptr, &pump.Queue(), &clock};
    void SetUp() override { comm.SetAutoReconnect(false); }
};

TEST_F(ClosedComm, DefaultsGiveTheDocumentedConfigurationString) {
    EXPECT_EQ(comm.GetConfigAsString(), R"("","19200","8","1","None","1/1 1/1","10 0 0 0 0")");
    EXPECT_EQ(comm.ModemPollPeriod(), 10u);
    EXPECT_EQ(comm.Options().EnhancedName, TristateTrue);
    EXPECT_TRUE(comm.Options().SkipEvents.Empty());
}

TEST_F(ClosedComm, ControlBlockFlagsFollowTheSignals) {
    struct Row {
        const char* name;
        std::function<void(LyrComm32Signals&)> set;
        std::uint32_t flags;
    };
    const Row rows[] = {
        {"dtr off", [](auto& s) { s.SetDTRControl(VTolmSignalControl_DTROff); }, 0x1081},
        {"dtr handshake", [](auto& s) { s.SetDTRControl(VTolmSignalControl_DTRHandshake); },
         0x10A1},
        {"rts toggle", [](auto& s) { s.SetRTSControl(VTolmSignalControl_RTSToggle); }, 0x3091},
        {"cts", [](auto& s) { s.SetCTSHandshake(true); }, 0x1095},
        {"dsr", [](auto& s) { s.SetDSRHandshake(true); }, 0x1099},
        {"xon transmit", [](auto& s) { s.SetXOnOffTransmit(true); }, 0x1191},
        {"xon receive", [](auto& s) { s.SetXOnOffReceive(true); }, 0x1291},
    };
    for (const Row& row : rows) {
        TLyrComm32 c(nullptr, &pump.Queue(), &clock);
        c.SetAutoReconnect(false);
        row.set(c.Signals());
        TDCB dcb;
        c.FillDCB(dcb);
        EXPECT_EQ(dcb.Flags, row.flags) << row.name;
    }
}

TEST_F(ClosedComm, ControlBlockCarriesRateFramingAndCharacters) {
    comm.SetBaudRate(TBaudRate::_256000);
    comm.SetDataBits(TDataBits::_7);
    comm.SetParity(TParity::Mark);
    comm.SetStopBits(TStopBits::_2);
    comm.Chars().XOn = 'Q';
    comm.Chars().XOff = 'S';
    comm.Chars().Evt = '\n';
    TDCB dcb;
    comm.FillDCB(dcb);
    EXPECT_EQ(dcb.BaudRate, 256000u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, MARKPARITY);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
    EXPECT_EQ(dcb.XonChar, 'Q');
    EXPECT_EQ(dcb.XoffChar, 'S');
    EXPECT_EQ(dcb.EvtChar, '\n');
    EXPECT_FALSE(dcb.Flag(dcbflag::fParity)) << "parity is never checked on input";
}

TEST_F(ClosedComm, SetFromDCBTakesKnownValuesAndLeavesTheRest) {
    TDCB dcb;
    comm.FillDCB(dcb);
    dcb.BaudRate = 57600;
    dcb.Parity = EVENPARITY;
    dcb.ByteSize = 5;
    dcb.StopBits = ONE5STOPBITS;
    dcb.SetDtrControl(DTR_CONTROL_HANDSHAKE);
    dcb.SetRtsControl(RTS_CONTROL_TOGGLE);
    dcb.SetFlag(dcbflag::fOutX, true);
    dcb.SetFlag(dcbflag::fOutxCtsFlow, true); // handshakes are not taken
    EXPECT_FALSE(comm.SetFromDCB(dcb, false)) << "a closed port accepts no block";
    EXPECT_EQ(comm.BaudRate(), TBaudRate::__57600);
    EXPECT_EQ(comm.Parity(), TParity::Even);
    EXPECT_EQ(comm.DataBits(), TDataBits::_5);
    EXPECT_EQ(comm.StopBits(), TStopBits::_1_5);
    EXPECT_EQ(comm.Signals().DTRControl(), VTolmSignalControl_DTRHandshake);
    EXPECT_EQ(comm.Signals().RTSControl(), VTolmSignalControl_RTSToggle);
    EXPECT_TRUE(comm.Signals().XOnOffTransmit());
    EXPECT_FALSE(comm.Signals().CTSHandshake());

    dcb.BaudRate = 12345;
    dcb.Parity = 9;
    dcb.ByteSize = 3;
    dcb.StopBits = 7;
    dcb.SetDtrControl(3);
    dcb.SetRtsControl(RTS_CONTROL_DISABLE);
    comm.SetFromDCB(dcb, true);
    EXPECT_EQ(comm.BaudRate(), TBaudRate::__57600);
    EXPECT_EQ(comm.Parity(), TParity::Even);
    EXPECT_EQ(comm.DataBits(), TDataBits::_5);
    EXPECT_EQ(comm.StopBits(), TStopBits::_1_5);
    EXPECT_EQ(comm.Signals().DTRControl(), VTolmSignalControl_DTRHandshake);
    EXPECT_EQ(comm.Signals().RTSControl(), VTolmSignalControl_RTSToggle) << "KeepRts";
}

TEST_F(ClosedComm, ConfigurationStringRoundTripChangesNothing) {
    comm.SetConfigAsString(R"("ttyUSB3","115200","7","2","Odd","2/0 3/1","20 1 2 3 4")");
    const std::string text = comm.GetConfigAsString();
    EXPECT_EQ(text, R"("ttyUSB3","115200","7","2","Odd","2/0 3/1","20 1 2 3 4")");
    TLyrComm32 other(nullptr, &pump.Queue(), &clock);
    other.SetAutoReconnect(false);
    other.SetConfigAsString(text);
    EXPECT_EQ(other.GetConfigAsString(), text);
    comm.SetConfigAsString(text);
    EXPECT_EQ(comm.GetConfigAsString(), text);
}

TEST_F(ClosedComm, ConfigurationStringEdgeCases) {
    struct Row {
        const char* name;
        const char* text;
        const char* expected;
    };
    const std::string start = R"("ttyS0","19200","8","1","None","1/1 1/1","10 0 0 0 0")";
    const Row rows[] = {
        {"star keeps the port", R"("*","57600")",
         R"("ttyS0","57600","8","1","None","1/1 1/1","10 0 0 0 0")"},
        {"speed not in the table", R"("","12345")", nullptr},
        {"parity in lower case", R"(*,19200,8,1,none)", nullptr},
        {"stop bits 1.5", R"(*,,,1.5)",
         R"("ttyS0","19200","8","1.5","None","1/1 1/1","10 0 0 0 0")"},
        {"data bits outside 4..8", R"(*,19200,9)", nullptr},
        {"lines 2/0 3/1", R"(*,,,,,"2/0 3/1")",
         R"("ttyS0","19200","8","1","None","2/0 3/1","10 0 0 0 0")"},
        {"dtr control 5 is ignored", R"(*,,,,,"5/1 1/1")", nullptr},
        {"level words", R"(*,,,,,"1/false 1/TRUE")",
         R"("ttyS0","19200","8","1","None","1/0 1/1","10 0 0 0 0")"},
        {"time-out of 2^31 is not taken", R"(*,,,,,,"2147483648 5")",
         R"("ttyS0","19200","8","1","None","1/1 1/1","10 5 0 0 0")"},
        {"garbage time-outs", R"(*,,,,,,"x y z")", nullptr},
        {"empty text", "", nullptr},
        {"only delimiters", ",,, ,\t,", nullptr},
        {"unterminated quote", "\"ttyS9", nullptr},
    };
    for (const Row& row : rows) {
        comm.SetConfigAsString(start);
        ASSERT_EQ(comm.GetConfigAsString(), start);
        comm.SetConfigAsString(row.text);
        EXPECT_EQ(comm.GetConfigAsString(), row.expected ? row.expected : start) << row.name;
        EXPECT_FALSE(comm.IsOpen()) << row.name;
    }
}

TEST_F(ClosedComm, LargeTimeoutIsWrittenButNotReadBack) {
    comm.Timeouts().SetReadTotalConst(0x80000000u);
    EXPECT_EQ(comm.GetConfigAsString(),
              R"("","19200","8","1","None","1/1 1/1","10 2147483648 0 0 0")");
    comm.Timeouts().SetReadTotalConst(7);
    comm.SetConfigAsString(R"("","19200","8","1","None","1/1 1/1","10 2147483648 0 0 0")");
    EXPECT_EQ(comm.Timeouts().ReadTotalConst(), 7u);
}

TEST_F(ClosedComm, AssignCopiesEverythingButThePortName) {
    TLyrComm32 source(nullptr, &pump.Queue(), &clock);
    source.SetAutoReconnect(false);
    source.SetConfigAsString(R"("ttyACM0","460800","6","2","Space","0/0 2/0","1 2 3 4 5")");
    source.Options().EnhancedName = TristateFalse;
    source.Options().SkipEvents = {lyceRXCHAR, lyceTXEMPTY};
    source.Chars().XOn = 'a';
    source.Signals().SetCTSHandshake(true);
    source.Signals().SetXOnOffReceive(true);
    source.TreatMainChannelAsNil = false;
    int rings = 0;
    source.OnRing = TEventChangeLines::From([&](TObject*, bool) { ++rings; });

    comm.SetCommPort("ttyS7");
    comm.Assign(&source);
    EXPECT_EQ(comm.CommPort(), "ttyS7");
    EXPECT_EQ(comm.GetConfigAsString(),
              R"("ttyS7","460800","6","2","Space","0/0 2/0","1 2 3 4 5")");
    EXPECT_EQ(comm.Options().EnhancedName, TristateFalse);
    EXPECT_EQ(comm.Options().SkipEvents, (LyrComm32SkipEvents{lyceRXCHAR, lyceTXEMPTY}));
    EXPECT_EQ(comm.Chars().XOn, 'a');
    EXPECT_TRUE(comm.Signals().CTSHandshake());
    EXPECT_FALSE(comm.Signals().XOnOffReceive()) << "the XON/XOFF flags are not copied";
    EXPECT_FALSE(comm.TreatMainChannelAsNil);
    comm.SetModemStatus(MS_RING_ON);
    EXPECT_EQ(rings, 1);

    TObject stranger;
    EXPECT_THROW(comm.Assign(&stranger), EConvertError);
    EXPECT_THROW(comm.Signals().Assign(&stranger), EConvertError);
    EXPECT_THROW(comm.Timeouts().Assign(&source.Signals()), EConvertError);
}

TEST_F(ClosedComm, TimeoutsAssignLeavesThePollPeriod) {
    LyrComm32Timeouts t;
    t.SetReadInterval(50);
    t.SetWriteTotalMult(3);
    comm.SetModemPollPeriod(250);
    comm.SetTimeouts(t);
    EXPECT_EQ(comm.Timeouts().ReadInterval(), 50u);
    EXPECT_EQ(comm.Timeouts().WriteTotalMult(), 3u);
    EXPECT_EQ(comm.Timeouts().ModemPollPeriod(), 250u);
    comm.Timeouts().SetModemPollPeriod(30);
    EXPECT_EQ(comm.ModemPollPeriod(), 30u);
}

TEST_F(ClosedComm, OpenNameFollowsEnhancedName) {
    struct Row {
        const char* port;
        Tristate enhanced;
        const char* name;
    };
    const Row rows[] = {
        {"ttyUSB0", TristateTrue, "/dev/ttyUSB0"},
        {"ttyUSB0", TristateUnkn, "/dev/ttyUSB0"},
        {"ttyUSB0", TristateFalse, "ttyUSB0"},
        {"/dev/ttyACM1", TristateTrue, "/dev/ttyACM1"},
        {"", TristateTrue, ""},
    };
    for (const Row& row : rows) {
        comm.SetCommPort(row.port);
        comm.Options().EnhancedName = row.enhanced;
        EXPECT_EQ(comm.OpenName(), row.name) << row.port;
    }
}

// ---- the port list -------------------------------------------------------------------

struct PortList : ClosedComm {
    TFakeTtyTree tree;
    TFakePortListBox box;
    void SetUp() override {
        ClosedComm::SetUp();
        tree.AddPort("ttyS1", "serial8250", "4");
        tree.AddPort("ttyS10", "serial8250", "4");
        tree.AddPort("ttyS2", "serial8250", "0"); // a placeholder without a UART
        tree.AddPort("ttyACM0", "cdc_acm", "");
        tree.AddVirtual("tty0");
        tree.AddVirtual("rfcomm0");
    }
};

TEST_F(PortList, ListsRealPortsSortedIgnoringCaseWithTheOwnPortAdded) {
    comm.SetCommPort("ttyS3");
    EXPECT_TRUE(comm.FillPortList(&box));
    EXPECT_EQ(box.items,
              (std::vector<std::string>{"rfcomm0", "ttyACM0", "ttyS1", "ttyS10", "ttyS3"}));
    comm.SetCommPort("TTYS1");
    comm.FillPortList(&box);
    EXPECT_EQ(box.items, (std::vector<std::string>{"rfcomm0", "ttyACM0", "ttyS1", "ttyS10"}))
        << "ttyS1 is already listed, whatever the case";
}

TEST_F(PortList, EmptyPortIsNeverOfferedAndUnchangedItemsAreLeftAlone) {
    comm.FillPortList(&box);
    EXPECT_EQ(box.items, (std::vector<std::string>{"rfcomm0", "ttyACM0", "ttyS1", "ttyS10"}));
    EXPECT_EQ(box.setItemsCalls, 1);
    comm.FillPortList(&box);
    EXPECT_EQ(box.setItemsCalls, 1);
}

TEST_F(PortList, BuiltInDevicesSortAfterEveryTty) {
    TFakeProvider modem("virtual-modem", "celdara-sim");
    TFakeProvider early("a-early", "celdara-sim");
    comm.FillPortList(&box);
    ASSERT_EQ(box.items.size(), 6u);
    EXPECT_EQ(box.items[4], "a-early");
    EXPECT_EQ(box.items[5], "virtual-modem");
}

TEST_F(PortList, DeviceNamesComeFromTheDriverAndBluetoothIsBTPORT) {
    EXPECT_EQ(comm.GetDeviceName("ttyACM0"), "CDC_ACM");
    EXPECT_EQ(comm.GetDeviceName("/dev/ttyS10"), "SERIAL8250");
    EXPECT_EQ(comm.GetDeviceName("rfcomm0"), "BTPORT0");
    EXPECT_EQ(comm.GetDeviceName("ttyS2"), "?");
    EXPECT_EQ(comm.GetDeviceName("/dev/pts/4"), "?");
}

TEST_F(PortList, OneMatchingDeviceBecomesThePortWhenClosed) {
    std::string wanted = std::string("cdc_*") + '\0' + "nothing" + '\0';
    box.text = "ttyS1";
    EXPECT_TRUE(comm.FindPorts(&box, wanted));
    EXPECT_EQ(wanted, "ttyACM0");
    EXPECT_EQ(comm.CommPort(), "ttyACM0");
    EXPECT_EQ(box.selected, (std::vector<std::string>{"ttyACM0"}));

    std::string two = std::string("serial*") + '\0';
    comm.FindPorts(&box, two);
    EXPECT_EQ(two, "ttyS10") << "the walk runs from the last device to the first";
    EXPECT_EQ(comm.CommPort(), "ttyACM0") << "two matches choose nothing";
}

TEST_F(PortList, FocusedBoxKeepsItsText) {
    box.focused = true;
    box.text = "typed";
    EXPECT_TRUE(comm.FillPortList(&box));
    EXPECT_TRUE(box.selected.empty());
    EXPECT_FALSE(comm.FindPorts(nullptr, *std::make_unique<std::string>()));
}

// ---- state reports and the fake device -----------------------------------------------

struct FakeComm : ::testing::Test {
    TPumpedQueue pump;
    TManualTickClock clock{5000};
    TFakeProvider provider{"fake0"};
    TCommRecorder rec; // outlives the component, whose destructor still reports
    TLyrComm32 comm{nullptr, &pump.Queue(), &clock};
    void SetUp() override { comm.SetAutoReconnect(false); }
};

TEST_F(FakeComm, NewHandlerLearnsTheStateOnceAndRepeatsAreSwallowed) {
    rec.Attach(comm);
    pump.PumpOnce();
    EXPECT_EQ(rec.states, (std::vector<TCommState>{CommStateDisconnected}));
    comm.PostStateChange(CommStateDisconnected);
    comm.PostStateChange(CommStateFirst);
    comm.Close();
    pump.PumpOnce();
    EXPECT_EQ(rec.states.size(), 1u);
}

TEST_F(FakeComm, WithoutHandlersReportsAreIgnoredAndLastStateStays) {
    comm.Close();
    pump.PumpOnce();
    EXPECT_EQ(comm.LastState(), CommStateFirst);
}

TEST_F(FakeComm, OpenReportsConnectedAfterReturningAndReopenReportsNothingBetween) {
    rec.Attach(comm);
    pump.PumpOnce();
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    EXPECT_EQ(rec.states.back(), CommStateDisconnected) << "the report is posted, not called";
    pump.PumpOnce();
    EXPECT_EQ(rec.states.back(), CommStateConnected);
    ASSERT_TRUE(comm.Open());
    pump.PumpOnce();
    comm.Close();
    pump.PumpOnce();
    EXPECT_EQ(rec.states, (std::vector<TCommState>{CommStateDisconnected, CommStateConnected,
                                                   CommStateDisconnected}));
}

TEST_F(FakeComm, FailedOpenKeepsItsReasonAndCloseReportsDisconnected) {
    rec.Attach(comm);
    provider.openError = EACCES;
    comm.SetCommPort("fake0");
    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(comm.LastOpenError(), EACCES);
    EXPECT_EQ(comm.GetState(), CommStateFailed);
    EXPECT_EQ(comm.DeviceName(), "");
    pump.PumpOnce();
    EXPECT_EQ(rec.states.back(), CommStateFailed);
    comm.Close();
    pump.PumpOnce();
    EXPECT_EQ(rec.states.back(), CommStateDisconnected);
    provider.openError = 0;
    EXPECT_TRUE(comm.Open());
    EXPECT_EQ(comm.LastOpenError(), 0);
    EXPECT_EQ(comm.DeviceName(), "FAKEDRV");
}

TEST_F(FakeComm, CommPortSetterRules) {
    comm.SetCommPort("fake0");
    EXPECT_FALSE(comm.IsOpen()) << "closed with AutoReconnect off: only stored";
    EXPECT_EQ(provider.opens.load(), 0);
    comm.Open();
    comm.SetCommPort("fake0");
    EXPECT_EQ(provider.opens.load(), 1) << "the open port's own name does nothing";
    comm.SetCommPort("missing-port-name");
    EXPECT_EQ(comm.GetState(), CommStateFailed) << "another name closes and reopens";
    comm.SetAutoReconnect(true);
    EXPECT_EQ(provider.opens.load(), 1);
    comm.SetCommPort("fake0");
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(provider.opens.load(), 2);
}

TEST_F(FakeComm, AutoReconnectOpensOnSettingsAndConfigurationString) {
    comm.SetCommPort("fake0");
    comm.SetAutoReconnect(true);
    EXPECT_TRUE(comm.IsOpen()) << "switching it on with a port name opens";
    comm.Close();
    comm.SetBaudRate(TBaudRate::__57600);
    EXPECT_TRUE(comm.IsOpen());
    comm.Close();
    comm.SetConfigAsString(comm.GetConfigAsString());
    EXPECT_TRUE(comm.IsOpen()) << "an unchanged text opens a closed port";
    const int opens = provider.opens;
    comm.SetConfigAsString(R"(*,"9600")");
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(provider.opens.load(), opens + 1) << "a change closes and reopens";
    comm.SetAutoReconnect(false);
    comm.SetConfigAsString(R"(*,"4800")");
    EXPECT_FALSE(comm.IsOpen()) << "a change closes; without AutoReconnect it stays closed";
}

TEST_F(FakeComm, SettingsOnAnOpenPortReachTheDevice) {
    // Whatever the device had before: every flag set, other flow limits.
    provider.state.current.Flags = ~0u;
    provider.state.current.XonLim = 1;
    provider.state.current.XoffLim = 1;
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    {
        // Opening applies the default settings with the whole flag word replaced.
        std::lock_guard lock(provider.state.mutex);
        ASSERT_FALSE(provider.state.applied.empty());
        const TDCB& opened = provider.state.applied.front();
        EXPECT_EQ(opened.Flags, 0x1091u);
        EXPECT_EQ(opened.XonLim, 2048);
        EXPECT_EQ(opened.XoffLim, 512);
        EXPECT_EQ(opened.BaudRate, 19200u);
        EXPECT_EQ(opened.ByteSize, 8);
        EXPECT_EQ(opened.Parity, NOPARITY);
        EXPECT_EQ(opened.StopBits, ONESTOPBIT);
        EXPECT_EQ(opened.XonChar, 17);
        EXPECT_EQ(opened.XoffChar, 19);
    }
    EXPECT_EQ(provider.state.dtrRaised.load(), 1);
    comm.Signals().SetDTR(false);
    EXPECT_EQ(provider.state.dtrRaised.load(), 0);
    comm.Signals().SetRTS(false);
    EXPECT_EQ(provider.state.rtsRaised.load(), 0);
    comm.SetBaudRate(TBaudRate::_460800);
    {
        std::lock_guard lock(provider.state.mutex);
        EXPECT_EQ(provider.state.applied.back().BaudRate, 460800u);
    }
    EXPECT_EQ(provider.state.rtsRaised.load(), 0) << "UpdateDCB2 sets the stored levels again";
    provider.state.acceptDCB = false;
    EXPECT_FALSE(comm.UpdateDCB());
    EXPECT_TRUE(comm.IsOpen()) << "a refused block leaves the port open";
}

TEST_F(FakeComm, PollModemStatusHonoursThePeriodAndRaisesRingAndRlsd) {
    std::vector<std::string> seen;
    comm.OnRing =
        TEventChangeLines::From([&](TObject*, bool v) { seen.push_back(v ? "ring+" : "ring-"); });
    comm.OnChangedRLSD =
        TEventChangeLines::From([&](TObject*, bool v) { seen.push_back(v ? "rlsd+" : "rlsd-"); });
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    comm.SetModemPollPeriod(100);
    provider.state.status = MS_RING_ON | MS_RLSD_ON | MS_CTS_ON;
    clock.Advance(101);
    EXPECT_TRUE(comm.IsRinging());
    EXPECT_EQ(seen, (std::vector<std::string>{"ring+", "rlsd+"}));
    provider.state.status = 0;
    clock.Advance(50);
    EXPECT_TRUE(comm.IsRinging()) << "within the period the last word is kept";
    clock.Advance(51);
    EXPECT_FALSE(comm.IsRinging());
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(FakeComm, UnreadableModemStatusClosesThePortAsFailed) {
    rec.Attach(comm);
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    provider.state.statusError = EIO;
    clock.Advance(1000);
    comm.PollModemStatus();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.GetState(), CommStateFailed);
    pump.PumpOnce();
    EXPECT_EQ(rec.states.back(), CommStateFailed);
}

TEST_F(FakeComm, FailingReaderClosesThePortAsFailed) {
    rec.Attach(comm);
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    ASSERT_TRUE(pump.PumpUntil(
        [&] { return !rec.states.empty() && rec.states.back() == CommStateConnected; }));
    provider.state.readThrows = true;
    // The reader's next wait finds the device readable and its read throws: the port must
    // not stay open with nobody listening.
    ASSERT_TRUE(pump.PumpUntil([&] { return !comm.IsOpen(); }));
    EXPECT_EQ(comm.GetState(), CommStateFailed);
    pump.PumpOnce();
    EXPECT_EQ(rec.states.back(), CommStateFailed);
    provider.state.readThrows = false;
    EXPECT_TRUE(comm.Open()) << "the port can be opened again";
}

TEST_F(FakeComm, LineEventsRaiseTheirHandlersInOrder) {
    std::vector<std::string> seen;
    auto note = [&](const char* what) {
        return TNotifyEvent::From([&seen, what](TObject*) { seen.push_back(what); });
    };
    comm.OnBreak = note("break");
    comm.OnErrorFrame = note("frame");
    comm.OnErrorOverrun = note("overrun");
    comm.OnErrorParity = note("parity");
    comm.OnErrorBreak = note("errbreak");
    comm.OnRxChar = note("rxchar");
    comm.OnRxFlag = note("rxflag");
    comm.OnTxEmpty = note("txempty");
    comm.OnErrorOther = TEventError::From(
        [&](TObject*, std::uint32_t e) { seen.push_back("other " + std::to_string(e)); });
    comm.OnChangedCTS =
        TEventChangeLines::From([&](TObject*, bool v) { seen.push_back(v ? "cts+" : "cts-"); });
    comm.OnRing =
        TEventChangeLines::From([&](TObject*, bool v) { seen.push_back(v ? "ring+" : "ring-"); });

    struct Row {
        const char* name;
        std::uint32_t mask, status, errors;
        std::vector<std::string> expected;
    };
    const std::vector<Row> rows = {
        {"frame then overrun", EV_ERR, 0, CE_FRAME | CE_OVERRUN, {"frame", "overrun"}},
        {"other bits only", EV_ERR, 0, 0x100, {"other 256"}},
        {"errors without EV_ERR", EV_RXCHAR, 0, CE_FRAME, {"rxchar"}},
        {"ring line once", EV_RING, MS_RING_ON, 0, {"ring+"}},
        {"same ring level again", EV_RING, MS_RING_ON, 0, {}},
        {"order of a full mask",
         EV_BREAK | EV_CTS | EV_ERR | EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY,
         MS_CTS_ON,
         CE_BREAK | CE_RXPARITY | 0x1,
         {"break", "cts+", "parity", "errbreak", "other 1", "ring-", "rxchar", "rxflag",
          "txempty"}},
    };
    for (const Row& row : rows) {
        seen.clear();
        pump.Queue().Post(comm.MessageWindow(), WM_COMM_EVENT, row.mask,
                          static_cast<std::intptr_t>(row.errors) * 65536 + row.status);
        pump.PumpOnce();
        EXPECT_EQ(seen, row.expected) << row.name;
    }
}

TEST_F(FakeComm, HangupRequestsReachTheHandlerOrCloseAsFailed) {
    int requests = 0;
    comm.OnRequestHangup = TNotifyEvent::From([&](TObject*) { ++requests; });
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    pump.Queue().Post(comm.MessageWindow(), WM_COMM_HANGUP, 0);
    pump.PumpOnce();
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(comm.IsOpen());
    pump.Queue().Post(comm.MessageWindow(), WM_COMM_HANGUP, 5, 1);
    pump.PumpOnce();
    EXPECT_EQ(comm.GetState(), CommStateFailed);
}

TEST_F(FakeComm, StaleHangupOfAClosedSessionDoesNotCloseTheNextOne) {
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    pump.Queue().Post(comm.MessageWindow(), WM_COMM_HANGUP, EIO, 1);
    comm.Open(); // closes and reopens before the report is handled
    pump.PumpOnce();
    EXPECT_TRUE(comm.IsOpen());
}

TEST_F(FakeComm, SendDataOnAClosedPortFails) {
    EXPECT_FALSE(comm.SendData("x", 1));
    comm.SetCommPort("fake0");
    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.SendData("", 0));
    EXPECT_FALSE(comm.SendData("x", -1));
}

TEST_F(FakeComm, TxEmptyFollowsAWriteExceptOnBluetoothPorts) {
    TFakeProvider bluetooth("fakebt", "BTPORT9");
    for (const char* port : {"fake0", "fakebt"}) {
        TLyrComm32 c(nullptr, &pump.Queue(), &clock);
        c.SetAutoReconnect(false);
        int empties = 0;
        c.OnTxEmpty = TNotifyEvent::From([&](TObject*) { ++empties; });
        c.SetCommPort(port);
        ASSERT_TRUE(c.Open());
        TFakeDeviceState& st = std::string(port) == "fake0" ? provider.state : bluetooth.state;
        const std::size_t before = st.written;
        ASSERT_TRUE(c.SendData("ATZ\r", 4));
        ASSERT_TRUE(pump.WaitUntil([&] { return st.written == before + 4; }));
        // Three more passes of the reader's loop: each compares the lines and looks at the
        // output queue.
        const int reads = st.statusReads;
        ASSERT_TRUE(pump.PumpUntil([&] { return st.statusReads >= reads + 3; }));
        pump.PumpOnce();
        if (std::string(port) == "fake0")
            EXPECT_EQ(empties, 1) << port;
        else
            EXPECT_EQ(empties, 0) << port;
    }
}

struct ScriptedDialog final : TSerialConfigDialog {
    TConfigDialogResult result = TConfigDialogResult::Cancelled;
    TDCB shown{};
    std::string port;
    TConfigDialogResult Execute(const std::string& p, TDCB& dcb, bool) override {
        shown = dcb;
        port = p;
        if (result == TConfigDialogResult::Confirmed) {
            dcb.BaudRate = 9600;
            dcb.Parity = ODDPARITY;
        }
        return result;
    }
};

TEST_F(FakeComm, ConfigDialogCancelChangesNothingAndConfirmTakesTheBlock) {
    ScriptedDialog dialog;
    comm.SetConfigDialog(&dialog);
    comm.SetCommPort("fake0");
    const std::string before = comm.GetConfigAsString();
    EXPECT_TRUE(comm.ShowConfigDialog(true));
    EXPECT_EQ(comm.GetConfigAsString(), before);
    EXPECT_EQ(dialog.shown.Flags, 0x1091u) << "a closed port shows the filled block";
    EXPECT_EQ(dialog.port, "fake0");

    dialog.result = TConfigDialogResult::Confirmed;
    EXPECT_FALSE(comm.ShowConfigDialog(true)) << "a closed port accepts no block";
    EXPECT_EQ(comm.BaudRate(), TBaudRate::___9600);
    EXPECT_EQ(comm.Parity(), TParity::Odd);

    ASSERT_TRUE(comm.Open());
    EXPECT_TRUE(comm.ShowConfigDialog(true));
    EXPECT_EQ(dialog.shown.BaudRate, 9600u) << "an open port shows what the device has";

    dialog.result = TConfigDialogResult::Failed;
    EXPECT_TRUE(comm.ShowConfigDialog(false)) << "failure reports whether the reads worked";
    comm.Close();
    EXPECT_FALSE(comm.ShowConfigDialog(false));
}

TEST_F(FakeComm, DesignModeNeverOpensNorReports) {
    rec.Attach(comm);
    pump.PumpOnce();
    comm.SetDesigning(true);
    comm.SetCommPort("fake0");
    EXPECT_FALSE(comm.Open());
    EXPECT_EQ(provider.opens.load(), 0);
    EXPECT_EQ(pump.Queue().Pending(), 0u);
}

TEST_F(FakeComm, LoadingDefersOpeningToLoaded) {
    TCommRecorder r;
    TLyrComm32 loaded(nullptr, &pump.Queue(), &clock);
    r.Attach(loaded);
    loaded.BeginLoading();
    loaded.SetCommPort("fake0");
    loaded.SetBaudRate(TBaudRate::_115200);
    EXPECT_EQ(provider.opens.load(), 0);
    loaded.EndLoading();
    EXPECT_TRUE(loaded.IsOpen());
    pump.PumpOnce();
    EXPECT_EQ(r.states.back(), CommStateConnected);
}

TEST_F(FakeComm, DestroyingDeliversTheFinalStateReport) {
    TCommRecorder r;
    {
        TLyrComm32 gone(nullptr, &pump.Queue(), &clock);
        gone.SetAutoReconnect(false);
        gone.SetCommPort("fake0");
        gone.Open();
        r.Attach(gone);
        pump.PumpOnce();
        EXPECT_EQ(r.states.back(), CommStateConnected);
    }
    EXPECT_EQ(r.states.back(), CommStateDisconnected);
    EXPECT_EQ(pump.Queue().Pending(), 0u);
}

TEST(SerialClasses, StoredDescriptionsCanCreateTheComponentByName) {
    RegisterSerialClasses();
    TComponent owner(nullptr);
    TComponent* made = Application().CreateComponent("TLyrComm32", &owner);
    ASSERT_NE(dynamic_cast<TLyrComm32*>(made), nullptr);
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_EQ(static_cast<TLyrComm32*>(made)->GetState(), CommStateDisconnected);
}

TEST(OpenErrorText, NamesTheReason) {
    EXPECT_NE(DescribeOpenError("/dev/ttyUSB9", ENOENT).find("is not there"), std::string::npos);
    EXPECT_NE(DescribeOpenError("/dev/ttyUSB9", EBUSY).find("in use by another program"),
              std::string::npos);
    EXPECT_NE(DescribeOpenError("/dev/ttyUSB9", EAGAIN).find("ModemManager"), std::string::npos);
    EXPECT_EQ(DescribeOpenError("/dev/ttyUSB9", 0), "");
    EXPECT_NE(DescribeOpenError("/dev/ttyUSB9", EIO).find("cannot be opened"), std::string::npos);
    // A file of this process's own group: the text names the group and says the user is in it.
    char path[] = "/tmp/celdara-perm-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const std::string text = DescribeOpenError(path, EACCES);
    ::unlink(path);
    EXPECT_NE(text.find("belongs to group"), std::string::npos) << text;
    EXPECT_NE(text.find("which you are in"), std::string::npos) << text;
}

} // namespace
} // namespace celdara
