#include "terminal/VTolmTerminal.h"

#include "terminal/QtTerminalView.h"
#include "terminal/TerminalForm.h"
#include "util/UserFolders.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace celdara {

VTolmTerminal::VTolmTerminal(TComponent* owner, QWidget* ownerWindow, TerminalClock clock)
    : TComponent(owner), context_(std::make_unique<QObject>()), owner_(ownerWindow),
      output_(std::move(clock)), caption_(QStringLiteral("Terminal")),
      choicesFile_(QString::fromStdString(UserConfigHome() + "/Celdara/terminal.ini")) {
    BuildWindow();
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(app, &QGuiApplication::applicationStateChanged, context_.get(),
                         [this](Qt::ApplicationState state) {
                             HandleApplicationState(state == Qt::ApplicationActive);
                         });
}

VTolmTerminal::~VTolmTerminal() {
    NotifyRemoval();
    destroying_ = true;
    output_.SetLogFileName({});
    output_.SetView(nullptr);
    if (form_ != nullptr) {
        TerminalForm* form = form_;
        ForgetWindow();
        delete form;
    }
}

QWidget* VTolmTerminal::Form() const {
    return form_;
}

void VTolmTerminal::FlushView() {
    if (form_ != nullptr && view_)
        view_->Flush();
}

void VTolmTerminal::SetName(std::string name) {
    TComponent::SetName(name);
    if (form_ == nullptr || IsDesigning())
        return;
    const QString base = QString::fromStdString(name);
    // The order in which the window description names its controls.
    const std::pair<QObject*, const char*> controls[] = {
        {form_, "_Form"},
        {manualLine_, "_ManualLine"},
        {hexManualLine_, "_HexManualLine"},
        {hexEntryBox_, "_HexEntry"},
        {rGroupMode_, "_RGroupMode"},
        {sendLineButton_, "_SendLinebutton"},
        {btnUndock_, "_BtnUndock"},
        {clear_, "_Clear"},
        {debugInTime_, "_DebugInTime"},
        {debugOutTime_, "_DebugOutTime"},
        {btnDirect_, "_BtnDirect"},
        {richEdit_, "_RichEdit"},
    };
    for (const auto& [control, suffix] : controls)
        control->setObjectName(base + QLatin1String(suffix));
}

void VTolmTerminal::Loaded() {
    TComponent::Loaded();
    if (form_ == nullptr || IsDesigning())
        return;
    form_->setWindowTitle(caption_);
    if (form_->isWindow())
        form_->move(formLeft_, formTop_);
    ApplyDocking();
    form_->setVisible(visible_);
    output_.StartTiming();
    ApplyWindowFlags();
    debugInTime_->setVisible(output_.DebugWindowsVisible());
    debugOutTime_->setVisible(output_.DebugWindowsVisible());
    RestoreChoices();
    LayOutEntries();
    SetModeIndex(modeIndex_);
    if (form_->isWindow())
        KeepInWorkArea(true);
    if (owner_)
        form_->setFont(owner_->font());
    if (OnFormCreate)
        OnFormCreate(form_);
}

} // namespace celdara
