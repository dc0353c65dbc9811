#include "appinfo/TForm.h"

#include "appinfo/WindowGeometry.h"
#include "core/Application.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QResizeEvent>
#include <QShowEvent>
#include <QVariant>
#include <algorithm>

namespace celdara {

namespace {

// The program's forms, top-most first. The window system keeps its own stacking order, but
// Qt does not report it; activation (and our own raising) is what changes it for our windows.
std::vector<TForm*>& Stacking() {
    static std::vector<TForm*> forms;
    return forms;
}

bool showMainForm = true;

constexpr const char* kAnchorsProperty = "celdaraAnchors";
constexpr const char* kAnchorBaseProperty = "celdaraAnchorBase";

} // namespace

TForm::TForm(TComponent* owner) : QWidget(nullptr), TComponent(owner) {}

TForm::~TForm() {
    NotifyRemoval();
    std::erase(Stacking(), this);
}

void TForm::SetName(std::string name) {
    setObjectName(QString::fromStdString(name));
    TComponent::SetName(std::move(name));
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    bool wasVisible = isVisible();
    Qt::WindowFlags flags = Qt::Window;
    if (style == TFormBorderStyle::bsNone)
        flags |= Qt::FramelessWindowHint;
    if (IsToolWindow())
        flags = Qt::Tool;
    if (style == TFormBorderStyle::bsDialog)
        flags = Qt::Dialog;
    setWindowFlags(flags);
    // Changing the flags hides a window; it keeps being shown if it was.
    if (wasVisible)
        show();
}

int TForm::PixelsPerInch() const {
    return pixelsPerInch_ > 0 ? pixelsPerInch_ : logicalDpiY();
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (onCloseQuery_)
        onCloseQuery_(this, canClose);
    return canClose;
}

std::vector<TForm*> TForm::StackingOrder() {
    return Stacking();
}

void TForm::BringToFront() {
    // The headless platforms have no stacking and complain about every raise.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        raise();
    MoveToTop();
}

void TForm::MoveToTop() {
    auto& forms = Stacking();
    std::erase(forms, this);
    forms.insert(forms.begin(), this);
}

void TForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // A window that appears goes on top of the others.
    if (isWindow())
        MoveToTop();
    ApplyAnchors();
    if (onShow_)
        onShow_(this);
}

void TForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isWindow())
        MoveToTop();
}

void TForm::closeEvent(QCloseEvent* event) {
    if (CloseQuery())
        event->accept();
    else
        event->ignore();
}

void TForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyAnchors();
}

void TForm::SetAnchorsSuspended(bool suspended) {
    anchorsSuspended_ = suspended;
    if (suspended)
        return;
    for (QObject* child : children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control && control->property(kAnchorBaseProperty).isValid())
            control->setProperty(kAnchorBaseProperty, size());
    }
}

void TForm::ApplyAnchors() {
    const QSize now = size();
    for (QObject* child : children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (!control || control->isWindow())
            continue;
        QVariant base = control->property(kAnchorBaseProperty);
        if (!base.isValid())
            continue;
        QSize from = base.toSize();
        control->setProperty(kAnchorBaseProperty, now);
        if (anchorsSuspended_ || IsAligned(control))
            continue;
        int dx = now.width() - from.width();
        int dy = now.height() - from.height();
        if (dx != 0 || dy != 0)
            control->setGeometry(AnchoredRect(control->geometry(), Anchors(control), dx, dy));
    }
}

TAnchors Anchors(const QWidget* control) {
    QVariant v = control ? control->property(kAnchorsProperty) : QVariant();
    return v.isValid() ? v.toUInt() : (akLeft | akTop);
}

void SetAnchors(QWidget* control, TAnchors anchors) {
    if (!control)
        return;
    control->setProperty(kAnchorsProperty, anchors);
    if (QWidget* parent = control->parentWidget())
        control->setProperty(kAnchorBaseProperty, parent->size());
}

bool IsAligned(const QWidget* control) {
    const QWidget* parent = control ? control->parentWidget() : nullptr;
    return parent && parent->layout() &&
           parent->layout()->indexOf(const_cast<QWidget*>(control)) >= 0;
}

bool ApplicationShowMainForm() {
    return showMainForm;
}

void SetApplicationShowMainForm(bool show) {
    showMainForm = show;
}

int RunApplication(TApplication& app, TForm* mainForm) {
    if (mainForm && ApplicationShowMainForm())
        mainForm->show();
    const int code = QApplication::exec();
    while (app.ComponentCount() > 0)
        delete app.Components(app.ComponentCount() - 1);
    return code;
}

} // namespace celdara
