// Where the terminal window lives: floating beside its owner or docked into a tab widget,
// its window type, its place in the work area, and what closing it does.
#include "terminal/TerminalForm.h"
#include "terminal/VTolmTerminal.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace celdara {

void VTolmTerminal::MakeFloating() {
    if (form_ == nullptr)
        return;
    // A tool window of its owner has no taskbar entry; with ShowOnTaskbar it is a window of
    // its own.
    QWidget* parent = showOnTaskbar_ ? nullptr : owner_.data();
    Qt::WindowFlags flags = showOnTaskbar_ ? Qt::Window : Qt::Tool;
    if (formOnTop_)
        flags |= Qt::WindowStaysOnTopHint;
    form_->setParent(parent, flags);
}

void VTolmTerminal::ApplyWindowFlags() {
    if (form_ == nullptr || !form_->isWindow() || IsLoading() || destroying_)
        return;
    Qt::WindowFlags wanted = showOnTaskbar_ ? Qt::Window : Qt::Tool;
    if (formOnTop_)
        wanted |= Qt::WindowStaysOnTopHint;
    const Qt::WindowFlags current =
        form_->windowFlags() & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint);
    QWidget* wantedParent = showOnTaskbar_ ? nullptr : owner_.data();
    if (current == wanted && form_->parentWidget() == wantedParent)
        return;
    // Changing the window type recreates the native window, which hides it.
    const bool shown = form_->isVisible();
    const QPoint position = form_->pos();
    form_->setParent(wantedParent, wanted);
    form_->move(position);
    if (shown)
        form_->show();
}

void VTolmTerminal::RememberFloatingBounds() {
    if (form_ == nullptr || !form_->isWindow() || IsLoading() || destroying_)
        return;
    formLeft_ = form_->x();
    formTop_ = form_->y();
    formWidth_ = form_->width();
    formHeight_ = form_->height();
}

void VTolmTerminal::UpdateUndockButton() {
    if (btnUndock_ != nullptr)
        btnUndock_->setEnabled(form_ != nullptr && !form_->isWindow());
}

void VTolmTerminal::ApplyDocking() {
    if (form_ == nullptr || IsLoading())
        return;
    QTabWidget* pages = parentPageControl_.data();
    if (pages != nullptr && docked_) {
        if (pages->indexOf(form_) < 0) {
            RememberFloatingBounds();
            form_->setWindowState(Qt::WindowNoState);
            const bool show = visible_;
            const int index = pages->addTab(form_, caption_);
            if (show) {
                form_->show();
                pages->setCurrentIndex(index);
            }
        }
    } else if (!form_->isWindow()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(
                form_->parentWidget() ? form_->parentWidget()->parentWidget() : nullptr)) {
            const int index = tabs->indexOf(form_);
            if (index >= 0)
                tabs->removeTab(index);
        }
        const bool show = visible_;
        MakeFloating();
        form_->move(formLeft_, formTop_);
        form_->resize(formWidth_, formHeight_);
        if (show)
            form_->show();
    }
    UpdateUndockButton();
}

bool VTolmTerminal::Docked() const {
    return form_ != nullptr ? !form_->isWindow() : docked_;
}

void VTolmTerminal::SetDocked(bool value) {
    if (value == Docked() && value == docked_)
        return;
    docked_ = value;
    ApplyDocking();
}

void VTolmTerminal::SetParentPageControl(QTabWidget* pageControl) {
    if (pageControl == parentPageControl_)
        return;
    // Leave the old page control first; the window floats until it docks again.
    const bool wish = docked_;
    docked_ = false;
    ApplyDocking();
    docked_ = wish;
    parentPageControl_ = pageControl;
    ApplyDocking();
}

void VTolmTerminal::Undock() {
    SetDocked(false);
    QCoreApplication::processEvents();
    ApplyWindowFlags();
}

void VTolmTerminal::KeepInWorkArea(bool shrink) {
    if (form_ == nullptr || !form_->isWindow())
        return;
    QScreen* screen = form_->screen() ? form_->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = form_->frameGeometry();
    const QSize extra = frame.size() - form_->size();
    if (shrink) {
        const QSize client(std::min(form_->width(), area.width() - extra.width()),
                           std::min(form_->height(), area.height() - extra.height()));
        if (client != form_->size() && client.isValid())
            form_->resize(client);
        frame = form_->frameGeometry();
    }
    QPoint position = frame.topLeft();
    if (frame.right() > area.right())
        position.rx() -= frame.right() - area.right();
    if (frame.bottom() > area.bottom())
        position.ry() -= frame.bottom() - area.bottom();
    position.setX(std::max(position.x(), area.left()));
    position.setY(std::max(position.y(), area.top()));
    if (position != frame.topLeft())
        form_->move(position);
}

void VTolmTerminal::HandleActivated() {
    ApplyWindowFlags();
    KeepInWorkArea(false);
}

void VTolmTerminal::HandleApplicationState(bool active) {
    if (form_ == nullptr)
        return;
    if (!active) {
        lastActiveWindow_ = QApplication::activeWindow();
        return;
    }
    // Coming back to a terminal with its own taskbar entry, the owner takes the focus, so
    // that the owner's entry is the one that is active.
    QWidget* focus = QApplication::focusWidget();
    if (lastActiveWindow_ == form_ && showOnTaskbar_ && owner_ &&
        (focus == form_ || (focus != nullptr && form_->isAncestorOf(focus))))
        owner_->activateWindow();
}

void VTolmTerminal::HandleClose(bool& accept) {
    if (form_ == nullptr) { // already freed, only waiting to be deleted
        accept = true;
        return;
    }
    switch (termCloseAction_) {
    case trmcaDock:
        accept = false;
        SetDocked(true);
        break;
    case trmcaHide:
        accept = true; // closing a window hides it
        break;
    case trmcaFree: {
        accept = true;
        QWidget* form = form_;
        ForgetWindow();
        form->deleteLater();
        break;
    }
    case trmcaMinimize:
        accept = false;
        form_->showMinimized();
        break;
    }
}

} // namespace celdara
