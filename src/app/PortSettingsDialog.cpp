#include "app/PortSettingsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QTimer>
#include <QVBoxLayout>

namespace celdara {

namespace {

enum Flow { FlowNone, FlowXonXoff, FlowHardware };

QComboBox* MakeCombo(QWidget* parent, const char* name,
                     std::initializer_list<std::pair<const char*, int>> items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (auto [text, value] : items)
        combo->addItem(QCoreApplication::translate("PortSettingsDialog", text), value);
    return combo;
}

void SelectValue(QComboBox* combo, int value, const QString& textIfMissing) {
    int index = combo->findData(value);
    if (index < 0) {
        combo->addItem(textIfMissing, value);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

int Value(const QComboBox* combo) {
    return combo->currentData().toInt();
}

} // namespace

PortSettingsDialog::PortSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("dlgPortSettings");
    setWindowTitle(tr("Port settings"));
    cmbSpeed = MakeCombo(this, "cmbSpeed", {});
    for (int rate : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600,
                     115200, 128000, 230400, 256000, 460800})
        cmbSpeed->addItem(QString::number(rate), rate);
    cmbDataBits = MakeCombo(this, "cmbDataBits", {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}});
    cmbParity = MakeCombo(this, "cmbParity",
                          {{QT_TRANSLATE_NOOP("PortSettingsDialog", "None"), NOPARITY},
                           {QT_TRANSLATE_NOOP("PortSettingsDialog", "Odd"), ODDPARITY},
                           {QT_TRANSLATE_NOOP("PortSettingsDialog", "Even"), EVENPARITY},
                           {QT_TRANSLATE_NOOP("PortSettingsDialog", "Mark"), MARKPARITY},
                           {QT_TRANSLATE_NOOP("PortSettingsDialog", "Space"), SPACEPARITY}});
    cmbStopBits = MakeCombo(this, "cmbStopBits", {{"1", ONESTOPBIT}, {"2", TWOSTOPBITS}});
    cmbFlow =
        MakeCombo(this, "cmbFlow",
                  {{QT_TRANSLATE_NOOP("PortSettingsDialog", "None"), FlowNone},
                   {QT_TRANSLATE_NOOP("PortSettingsDialog", "Xon / Xoff"), FlowXonXoff},
                   {QT_TRANSLATE_NOOP("PortSettingsDialog", "Hardware (RTS/CTS)"), FlowHardware}});
    cmbDtr = MakeCombo(
        this, "cmbDtr",
        {{QT_TRANSLATE_NOOP("PortSettingsDialog", "Off"), static_cast<int>(DTR_CONTROL_DISABLE)},
         {QT_TRANSLATE_NOOP("PortSettingsDialog", "On"), static_cast<int>(DTR_CONTROL_ENABLE)}});
    cmbRts = MakeCombo(
        this, "cmbRts",
        {{QT_TRANSLATE_NOOP("PortSettingsDialog", "Off"), static_cast<int>(RTS_CONTROL_DISABLE)},
         {QT_TRANSLATE_NOOP("PortSettingsDialog", "On"), static_cast<int>(RTS_CONTROL_ENABLE)},
         {QT_TRANSLATE_NOOP("PortSettingsDialog", "Toggle while sending"),
          static_cast<int>(RTS_CONTROL_TOGGLE)}});

    auto* form = new QFormLayout;
    form->addRow(tr("&Bits per second:"), cmbSpeed);
    form->addRow(tr("&Data bits:"), cmbDataBits);
    form->addRow(tr("&Parity:"), cmbParity);
    form->addRow(tr("&Stop bits:"), cmbStopBits);
    form->addRow(tr("&Flow control:"), cmbFlow);
    form->addRow(tr("D&TR line:"), cmbDtr);
    form->addRow(tr("&RTS line:"), cmbRts);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // With hardware flow control the RTS line belongs to the handshake.
    connect(cmbFlow, &QComboBox::currentIndexChanged, this,
            [this] { cmbRts->setEnabled(Value(cmbFlow) != FlowHardware); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PortSettingsDialog::LoadFrom(const TDCB& dcb) {
    SelectValue(cmbSpeed, static_cast<int>(dcb.BaudRate), QString::number(dcb.BaudRate));
    SelectValue(cmbDataBits, dcb.ByteSize, QString::number(dcb.ByteSize));
    SelectValue(cmbParity, dcb.Parity, QString::number(dcb.Parity));
    SelectValue(cmbStopBits, dcb.StopBits,
                dcb.StopBits == ONE5STOPBITS ? "1.5" : QString::number(dcb.StopBits));
    const bool hardware = dcb.RtsControl() == RTS_CONTROL_HANDSHAKE;
    const bool xonXoff = dcb.Flag(dcbflag::fOutX) || dcb.Flag(dcbflag::fInX);
    cmbFlow->setCurrentIndex(cmbFlow->findData(hardware  ? FlowHardware
                                               : xonXoff ? FlowXonXoff
                                                         : FlowNone));
    SelectValue(cmbDtr, static_cast<int>(dcb.DtrControl()), "Handshake");
    SelectValue(cmbRts, static_cast<int>(hardware ? RTS_CONTROL_ENABLE : dcb.RtsControl()), "On");
    cmbRts->setEnabled(!hardware);
}

void PortSettingsDialog::StoreTo(TDCB& dcb) const {
    dcb.BaudRate = static_cast<std::uint32_t>(Value(cmbSpeed));
    dcb.ByteSize = static_cast<std::uint8_t>(Value(cmbDataBits));
    dcb.Parity = static_cast<std::uint8_t>(Value(cmbParity));
    dcb.StopBits = static_cast<std::uint8_t>(Value(cmbStopBits));
    const int flow = Value(cmbFlow);
    dcb.SetFlag(dcbflag::fOutX, flow == FlowXonXoff);
    dcb.SetFlag(dcbflag::fInX, flow == FlowXonXoff);
    dcb.SetDtrControl(static_cast<std::uint32_t>(Value(cmbDtr)));
    dcb.SetRtsControl(flow == FlowHardware ? RTS_CONTROL_HANDSHAKE
                                           : static_cast<std::uint32_t>(Value(cmbRts)));
}

TConfigDialogResult QtSerialConfigDialog::Execute(const std::string& portName, TDCB& dcb,
                                                  bool useAppWindow) {
    QWidget* owner = useAppWindow ? QApplication::activeWindow() : nullptr;
    PortSettingsDialog dialog(owner);
    dialog.setWindowTitle(PortSettingsDialog::tr("Port settings - %1")
                              .arg(portName.empty() ? PortSettingsDialog::tr("no port")
                                                    : QString::fromStdString(portName)));
    dialog.LoadFrom(dcb);
    if (OnShown)
        QTimer::singleShot(0, &dialog, [this, &dialog] { OnShown(dialog); });
    if (dialog.exec() != QDialog::Accepted)
        return TConfigDialogResult::Cancelled;
    dialog.StoreTo(dcb);
    return TConfigDialogResult::Confirmed;
}

} // namespace celdara
