// The terminal's window. It forwards what the component must see: closing, resizing and
// moving, activation, and (as the key preview) the keys of its controls.
#pragma once

#include <QWidget>

namespace celdara {

class VTolmTerminal;

class TerminalForm : public QWidget {
public:
    explicit TerminalForm(VTolmTerminal& terminal) : terminal_(terminal) {}

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    VTolmTerminal& terminal_;
};

} // namespace celdara
