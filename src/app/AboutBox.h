// The about box: the program's icon, its name and version, and an "OK" button.
#pragma once

#include <QCoreApplication>
#include <QDialog>

namespace celdara {

class TfrmAbout : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(TfrmAbout)

public:
    TfrmAbout(const QString& version, QWidget* parent = nullptr);
};

} // namespace celdara
