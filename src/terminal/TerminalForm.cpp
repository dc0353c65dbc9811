#include "terminal/TerminalForm.h"

#include "terminal/VTolmTerminal.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace celdara {

void TerminalForm::closeEvent(QCloseEvent* event) {
    bool accept = true;
    terminal_.HandleClose(accept);
    if (accept)
        event->accept();
    else
        event->ignore();
}

void TerminalForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    terminal_.LayOutControls();
    terminal_.RememberFloatingBounds();
}

void TerminalForm::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    terminal_.RememberFloatingBounds();
}

void TerminalForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Captions in another font need other widths.
    if (event->type() == QEvent::FontChange)
        terminal_.PlaceControls();
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        terminal_.HandleActivated();
}

void TerminalForm::keyPressEvent(QKeyEvent* event) {
    if (!terminal_.HandleKey(this, event))
        QWidget::keyPressEvent(event);
}

bool TerminalForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType())
        return terminal_.HandleKey(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
    return QWidget::eventFilter(watched, event);
}

} // namespace celdara
