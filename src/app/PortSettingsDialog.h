// Celdara's own port-settings dialog: speed, data bits, parity, stop bits, flow control and
// the DTR and RTS lines, read from and written back into a device control block.
#pragma once

#include "serial/SerialUiSeams.h"

#include <QCoreApplication>
#include <QDialog>

class QComboBox;

namespace celdara {

class PortSettingsDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(PortSettingsDialog)

public:
    explicit PortSettingsDialog(QWidget* parent = nullptr);

    // Shows the fields of `dcb`; values the dialog does not offer are added to the lists so
    // that nothing is changed behind the user's back.
    void LoadFrom(const TDCB& dcb);
    // Writes the chosen values into the fields of `dcb` that SetFromDCB takes.
    void StoreTo(TDCB& dcb) const;

    QComboBox* cmbSpeed;
    QComboBox* cmbDataBits;
    QComboBox* cmbParity;
    QComboBox* cmbStopBits;
    QComboBox* cmbFlow;
    QComboBox* cmbDtr;
    QComboBox* cmbRts;
};

// The serial component's dialog seam, implemented with PortSettingsDialog.
class QtSerialConfigDialog : public TSerialConfigDialog {
public:
    TConfigDialogResult Execute(const std::string& portName, TDCB& dcb, bool useAppWindow) override;

    // Tests answer the dialog instead of a user: called once it is shown.
    std::function<void(PortSettingsDialog&)> OnShown;
};

} // namespace celdara
