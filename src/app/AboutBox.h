// The about box: the program's icon, its name and version, and an "OK" button.
#pragma once

#include <QDialog>

namespace celdara {

class TfrmAbout : public QDialog {
public:
    TfrmAbout(const QString& version, QWidget* parent = nullptr);
};

} // namespace celdara
