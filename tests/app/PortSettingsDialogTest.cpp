#include "app/PortSettingsDialog.h"

#include <QComboBox>
#include <cstring>
#include <gtest/gtest.h>

namespace celdara {
namespace {

TDCB Block(std::uint32_t rate, std::uint8_t bits, std::uint8_t parity, std::uint8_t stop) {
    TDCB dcb;
    dcb.BaudRate = rate;
    dcb.ByteSize = bits;
    dcb.Parity = parity;
    dcb.StopBits = stop;
    dcb.SetDtrControl(DTR_CONTROL_ENABLE);
    dcb.SetRtsControl(RTS_CONTROL_ENABLE);
    return dcb;
}

TEST(PortSettingsDialogTest, ShowsTheBlockAndGivesItBackUnchanged) {
    PortSettingsDialog dialog;
    TDCB in = Block(115200, 8, NOPARITY, ONESTOPBIT);
    dialog.LoadFrom(in);
    EXPECT_EQ(dialog.cmbSpeed->currentText(), "115200");
    EXPECT_EQ(dialog.cmbFlow->currentText(), "None");
    TDCB out = in;
    dialog.StoreTo(out);
    EXPECT_EQ(std::memcmp(&in, &out, sizeof in), 0);
}

TEST(PortSettingsDialogTest, TheUsersChoiceReachesTheFieldsSetFromDcbTakes) {
    PortSettingsDialog dialog;
    dialog.LoadFrom(Block(9600, 8, NOPARITY, ONESTOPBIT));
    dialog.cmbSpeed->setCurrentText("460800");
    dialog.cmbDataBits->setCurrentText("7");
    dialog.cmbParity->setCurrentText("Even");
    dialog.cmbStopBits->setCurrentText("2");
    dialog.cmbFlow->setCurrentText("Xon / Xoff");
    dialog.cmbDtr->setCurrentText("Off");
    TDCB out;
    dialog.StoreTo(out);
    EXPECT_EQ(out.BaudRate, 460800u);
    EXPECT_EQ(out.ByteSize, 7);
    EXPECT_EQ(out.Parity, EVENPARITY);
    EXPECT_EQ(out.StopBits, TWOSTOPBITS);
    EXPECT_TRUE(out.Flag(dcbflag::fOutX));
    EXPECT_TRUE(out.Flag(dcbflag::fInX));
    EXPECT_EQ(out.DtrControl(), DTR_CONTROL_DISABLE);
    EXPECT_EQ(out.RtsControl(), RTS_CONTROL_ENABLE);

    dialog.cmbFlow->setCurrentText("Hardware (RTS/CTS)");
    EXPECT_FALSE(dialog.cmbRts->isEnabled());
    dialog.StoreTo(out);
    EXPECT_EQ(out.RtsControl(), RTS_CONTROL_HANDSHAKE);
    EXPECT_FALSE(out.Flag(dcbflag::fOutX));
}

TEST(PortSettingsDialogTest, ValuesTheListsDoNotOfferAreKept) {
    PortSettingsDialog dialog;
    TDCB in = Block(76800, 8, NOPARITY, ONE5STOPBITS);
    in.SetDtrControl(DTR_CONTROL_HANDSHAKE);
    dialog.LoadFrom(in);
    TDCB out = in;
    dialog.StoreTo(out);
    EXPECT_EQ(out.BaudRate, 76800u);
    EXPECT_EQ(out.StopBits, ONE5STOPBITS);
    EXPECT_EQ(out.DtrControl(), DTR_CONTROL_HANDSHAKE);
}

TEST(PortSettingsDialogTest, CancellingChangesNothing) {
    QtSerialConfigDialog seam;
    seam.OnShown = [](PortSettingsDialog& d) {
        d.cmbSpeed->setCurrentText("300");
        d.reject();
    };
    TDCB dcb = Block(115200, 8, NOPARITY, ONESTOPBIT);
    const TDCB before = dcb;
    EXPECT_EQ(seam.Execute("ttyUSB0", dcb, false), TConfigDialogResult::Cancelled);
    EXPECT_EQ(std::memcmp(&before, &dcb, sizeof dcb), 0);

    seam.OnShown = [](PortSettingsDialog& d) {
        d.cmbSpeed->setCurrentText("300");
        d.accept();
    };
    EXPECT_EQ(seam.Execute("ttyUSB0", dcb, false), TConfigDialogResult::Confirmed);
    EXPECT_EQ(dcb.BaudRate, 300u);
}

} // namespace
} // namespace celdara
