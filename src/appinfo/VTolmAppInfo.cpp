#include "appinfo/VTolmAppInfo.h"

#include "appinfo/WindowUtils.h"
#include "qtplatform/QtTimer.h"
#include "util/Debug.h"
#include "util/TextConvert.h"
#include "util/Tick.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLayout>
#include <QMenuBar>
#include <QThread>
#include <algorithm>

namespace celdara {

namespace {

// Placement values come from a file anyone can edit: keep them where window arithmetic
// cannot overflow and the window system does not refuse them.
constexpr int kMaxCoordinate = 1000000;

int ClampCoordinate(int v) {
    return std::clamp(v, -kMaxCoordinate, kMaxCoordinate);
}

int ClampSize(int v, int current) {
    return v > 0 ? std::min(v, kMaxCoordinate) : current;
}

bool QtLoopRunning() {
    return QCoreApplication::instance() && QThread::currentThread()->loopLevel() > 0;
}

// The frame around a window's client area (none before the window system has placed it).
QMargins FrameMargins(const QWidget* w) {
    if (!w->isWindow())
        return {};
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
}

constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kMinimize = 6;

// The placement `current` with the stored corners and bounds of the window under `key`,
// the bounds kept where the window can be reached.
TWindowPlacement StoredPlacement(TSettingsStore& s, const std::string& key, const TForm* form,
                                 TWindowPlacement current, bool stored, bool resizeAll) {
    TWindowPlacement placement = current;
    placement.MinPosition =
        QPoint(ClampCoordinate(s.ReadInteger(key, "MinLeft", placement.MinPosition.x())),
               ClampCoordinate(s.ReadInteger(key, "MinTop", placement.MinPosition.y())));
    placement.MaxPosition =
        QPoint(ClampCoordinate(s.ReadInteger(key, "MaxLeft", placement.MaxPosition.x())),
               ClampCoordinate(s.ReadInteger(key, "MaxTop", placement.MaxPosition.y())));

    QRect r = placement.NormalPosition;
    if (resizeAll || form->BorderStyle() != TFormBorderStyle::bsNone)
        r.moveTo(ClampCoordinate(s.ReadInteger(key, "Left", r.x())),
                 ClampCoordinate(s.ReadInteger(key, "Top", r.y())));
    if (resizeAll || form->IsSizeable())
        r.setSize(QSize(ClampSize(s.ReadInteger(key, "Width", r.width()), r.width()),
                        ClampSize(s.ReadInteger(key, "Height", r.height()), r.height())));

    // Both rules are about the whole window: work on the frame, keep the client inside it.
    const QMargins frame = FrameMargins(form);
    QRect outer = r.marginsAdded(frame);
    if (stored) {
        KeepCaptionVisible(form, outer);
    } else {
        QRect work;
        if (GetWorkArea(work))
            outer = FitRectInWorkArea(outer, work);
    }
    placement.NormalPosition = outer.marginsRemoved(frame);
    return placement;
}

// Puts a floating window into the stored `state` with the normal bounds `r`.
void ApplyStoredState(QWidget* form, int state, const QRect& r) {
    const Qt::WindowStates was = form->windowState();
    const Qt::WindowStates sizes = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
    switch (state) {
    case kShowNormal:
        if (was & sizes) {
            DebugStop("tak nebo naopak?");
            form->setWindowState(was & ~sizes);
        }
        form->setGeometry(r);
        break;
    case kShowMinimized:
        form->setGeometry(r);
        form->setWindowState((was & ~sizes) | Qt::WindowMinimized);
        break;
    case kShowMaximized:
        form->setWindowState((was & ~sizes) | Qt::WindowMaximized);
        break;
    case kMinimize:
        form->setGeometry(r);
        if (!(was & Qt::WindowMinimized))
            DebugStop("tak nebo naopak?");
        form->setWindowState((was & ~sizes) | Qt::WindowMinimized);
        break;
    default:
        DebugStop("coto kdeto?");
        form->setGeometry(r);
        break;
    }
}

void RestoreFloatingForm(QWidget* form, TWindowPlacement placement, const TWindowPlacement& kept,
                         int state, bool visible, bool visibleNow) {
    if (!visible) {
        TWindowPlacement hidden = placement;
        hidden.ShowCmd = kShowHide;
        SetWindowPlacement(form, hidden);
    }
    if (state == kShowMinimized && visibleNow) {
        TWindowPlacement minimized = kept;
        minimized.MinPosition = placement.MinPosition;
        SetWindowPlacement(form, minimized);
    }
    ApplyStoredState(form, state, placement.NormalPosition);
    if (visible) {
        placement.ShowCmd = state;
        SetWindowPlacement(form, placement);
    }
}

} // namespace

int TCustomFormList::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (EqualIgnoringCase(names_[i], name))
            return static_cast<int>(i);
    return -1;
}

TWindowPlacement GetWindowPlacement(const QWidget* window) {
    TWindowPlacement p;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized)
        p.ShowCmd = kShowMinimized;
    else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        p.ShowCmd = kShowMaximized;
    else
        p.ShowCmd = kShowNormal;
    const QPoint framePos = window->frameGeometry().topLeft();
    p.MinPosition = p.ShowCmd == kShowMinimized ? framePos : QPoint(-1, -1);
    p.MaxPosition = p.ShowCmd == kShowMaximized ? framePos : QPoint(-1, -1);
    QRect normal = window->isWindow() ? window->normalGeometry() : QRect();
    p.NormalPosition = normal.isValid() ? normal : window->geometry();
    return p;
}

void SetWindowPlacement(QWidget* window, const TWindowPlacement& placement) {
    // Qt keeps the normal bounds of a maximized or minimized window but does not let them be
    // set directly: set them in the normal state, then go to the wanted one.
    const Qt::WindowStates keep =
        window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (window->windowState() != keep)
        window->setWindowState(keep);
    if (placement.NormalPosition.isValid())
        window->setGeometry(placement.NormalPosition);
    switch (placement.ShowCmd) {
    case kShowHide:
        window->hide();
        break;
    case kShowMinimized:
    case kMinimize:
    case 7: // minimized, not active
        window->showMinimized();
        break;
    case kShowMaximized:
        window->showMaximized();
        break;
    default:
        window->showNormal();
        break;
    }
}

VTolmAppInfo::VTolmAppInfo(TComponent* owner, TAppInfoSeams seams)
    : TComponent(owner), app_(seams.App ? seams.App : &Application()),
      store_(seams.Store ? std::move(seams.Store)
                         : std::make_shared<TIniSettingsStore>(DefaultSettingsFile())),
      makeTimer_(seams.MakeTimer ? std::move(seams.MakeTimer)
                                 : [](TComponent* o) -> TTimer* { return new TQtTimer(o); }),
      messageLoopRunning_(seams.MessageLoopRunning ? std::move(seams.MessageLoopRunning)
                                                   : &QtLoopRunning) {
    if (!(owner && owner->IsDesigning())) {
        startupTimer_ = makeTimer_(this);
        startupTimer_->SetInterval(1);
        startupTimer_->SetOnTimer(TNotifyEvent::Bind<&VTolmAppInfo::StartupTick>(this));
    }
    versionInfo_ = new TFileVersionInfo(this);
    owningForm_ = dynamic_cast<TForm*>(owner);
}

VTolmAppInfo::~VTolmAppInfo() {
    NotifyRemoval();
    // Give the form its own OnShow back if it was never shown; a form on its way out has
    // already taken its handlers apart.
    if (firstShowInstalled_ && owningForm_ && !owningForm_->IsDestroying())
        owningForm_->SetOnShow(savedOnShow_);
    for (TForm* f : fixedForms_)
        RemoveFreeNotification(f);
    fixedForms_.clear();
    FreeSplash();
    FreeStartupTimer();
}

void VTolmAppInfo::SetRegistryPath(std::string path) {
    if (path.empty() || path.back() != '\\')
        path += '\\';
    registryPath_ = std::move(path);
}

QDateTime VTolmAppInfo::SourceLastModified() const {
    return IsDesigning() ? QDateTime::currentDateTime() : sourceLastModified_;
}

void VTolmAppInfo::SetSourceLastModified(const QDateTime& when) {
    sourceLastModified_ = IsDesigning() ? QDateTime::currentDateTime() : when;
}

std::string VTolmAppInfo::FormsKey() const {
    return registryPath_ + appName_ + "\\Options\\Forms\\";
}

void VTolmAppInfo::Loaded() {
    TComponent::Loaded();
    if (IsDesigning())
        return;
    if (owningForm_ && !firstShowInstalled_) {
        savedOnShow_ = owningForm_->OnShow();
        owningForm_->SetOnShow(TNotifyEvent::Bind<&VTolmAppInfo::OwnerFirstShow>(this));
        firstShowInstalled_ = true;
    }
    if (!splashFormClass_.empty())
        CreateSplash();
}

void VTolmAppInfo::CreateSplash() {
    const std::string missing = "Please add the following statement:\r\nRegisterClass(__classid(" +
                                splashFormClass_ + ")); or RegisterClass(" + splashFormClass_ +
                                ") {unit Classes}\r\nafter Application->Initialize";
    if (!app_->IsClassRegistered(splashFormClass_))
        throw EAppInfoError(missing);
    splashStart_ = app_->Clock().Now();
    // Whether the class makes forms shows only in what it makes; an exception while making
    // it passes on with no splash remembered.
    TComponent* made = app_->CreateComponent(splashFormClass_, app_);
    auto* form = dynamic_cast<TForm*>(made);
    if (!form) {
        delete made;
        throw EAppInfoError(missing);
    }
    splashForm_ = form;
    FreeNotification(form);
    form->setVisible(splashVisible_);
    SetApplicationShowMainForm(false);
    if (splashVisible_)
        form->repaint();
}

void VTolmAppInfo::FreeSplash() {
    TForm* splash = splashForm_;
    if (!splash)
        return;
    splashForm_ = nullptr;
    RemoveFreeNotification(splash);
    delete splash;
}

void VTolmAppInfo::FreeStartupTimer() {
    TTimer* timer = startupTimer_;
    if (!timer)
        return;
    startupTimer_ = nullptr;
    timer->SetEnabled(false);
    delete timer;
}

void VTolmAppInfo::EndSplash() {
    FreeSplash();
    if (TForm* form = OwnerForm(this))
        form->setVisible(mainVisible_);
}

void VTolmAppInfo::StartupTick(TObject*) {
    if (IsDesigning()) {
        FreeStartupTimer();
        return;
    }
    if (inhibitApplRunning_ || !messageLoopRunning_())
        return;
    if (!splashForm_) {
        FreeStartupTimer();
    } else if (!splashVisible_) {
        // A hidden splash has no time to wait for; the main form, which the splash kept
        // from showing by itself, is shown now.
        FreeStartupTimer();
        EndSplash();
    } else if (TickElapsed(splashStart_, splashMinTime_, app_->Clock().Now())) {
        FreeStartupTimer();
        EndSplash();
    }
    if (onApplRunning_ && !appRunningFired_) {
        appRunningFired_ = true;
        onApplRunning_(this);
    }
}

void VTolmAppInfo::OwnerFirstShow(TObject*) {
    TNotifyEvent saved = savedOnShow_;
    savedOnShow_ = nullptr;
    firstShowInstalled_ = false;
    TForm* form = owningForm_;
    if (form)
        form->SetOnShow(saved);
    if (onOwnerFirstShow_)
        onOwnerFirstShow_(this);
    if (saved && form)
        saved(form);
}

void VTolmAppInfo::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component) {
        std::erase(fixedForms_, component);
        if (component == splashForm_)
            splashForm_ = nullptr;
        if (component == startupTimer_)
            startupTimer_ = nullptr;
        if (component == versionInfo_)
            versionInfo_ = nullptr;
        if (component == owningForm_)
            owningForm_ = nullptr;
    }
    TComponent::Notification(component, operation);
}

std::vector<TForm*> VTolmAppInfo::CollectForms() const {
    std::vector<TForm*> forms;
    auto visit = [&](auto& self, TComponent* c) -> void {
        for (int i = 0; i < c->ComponentCount(); ++i)
            self(self, c->Components(i));
        if (auto* form = dynamic_cast<TForm*>(c))
            if (exceptionList_.IndexOf(form->Name()) < 0)
                forms.push_back(form);
    };
    for (int i = 0; i < app_->ComponentCount(); ++i)
        visit(visit, app_->Components(i));
    return forms;
}

std::vector<TForm*> VTolmAppInfo::OrderedForms(const std::vector<TForm*>& collected,
                                               std::string_view zOrder) const {
    std::vector<std::string> names;
    names.reserve(collected.size());
    for (TForm* f : collected)
        names.push_back(f->Name());
    std::vector<std::size_t> stacking;
    for (TForm* f : TForm::StackingOrder()) {
        auto it = std::find(collected.begin(), collected.end(), f);
        if (it != collected.end())
            stacking.push_back(static_cast<std::size_t>(it - collected.begin()));
    }
    std::vector<TForm*> ordered;
    for (std::size_t i : MergeZOrder(names, zOrder, stacking))
        ordered.push_back(collected[i]);
    return ordered;
}

void VTolmAppInfo::RestoreForms(bool UseVisible, bool ResizeAll) {
    const std::vector<TForm*> collected = CollectForms();
    const std::string zOrder = store_->ReadString(FormsKey(), "ZOrder", "");
    const std::vector<TForm*> ordered = OrderedForms(collected, zOrder);
    // Bottom-most first: each restored window comes to the front, so the first ends on top.
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it)
        RestoreForm(*it, UseVisible, ResizeAll);
}

void VTolmAppInfo::RestoreForm(TForm* form, bool UseVisible, bool ResizeAll) {
    if (form->Name().empty())
        return;
    FixFormScaling(form);
    const std::string key = FormsKey() + form->Name();
    TSettingsStore& s = *store_;

    const TWindowPlacement kept = GetWindowPlacement(form);
    const bool visibleNow = form->isVisible();
    const bool visible = UseVisible ? s.ReadInteger(key, "Visible", visibleNow ? -1 : 0) != 0 &&
                                          (StartupDone() || visibleNow)
                                    : visibleNow;

    int state = s.ReadInteger(key, "WindowState", -1);
    const bool stored = state != -1;
    if (!stored)
        state = kept.ShowCmd;
    const bool size = ResizeAll || form->IsSizeable();
    const TWindowPlacement placement = StoredPlacement(s, key, form, kept, stored, ResizeAll);

    if (!form->Floating()) {
        if (!visible)
            form->hide();
        if (size) {
            form->SetUndockWidth(
                ClampSize(s.ReadInteger(key, "Width", form->UndockWidth()), form->UndockWidth()));
            form->SetUndockHeight(ClampSize(s.ReadInteger(key, "Height", form->UndockHeight()),
                                            form->UndockHeight()));
        }
    } else {
        RestoreFloatingForm(form, placement, kept, state, visible, visibleNow);
    }
    if (visible) {
        form->show();
        if (form->Floating())
            form->BringToFront();
    }
}

void VTolmAppInfo::SaveForms(std::string Except) {
    if (!Except.empty()) {
        if (Except.front() != '|')
            Except.insert(Except.begin(), '|');
        if (Except.back() != '|')
            Except.push_back('|');
    }
    const std::vector<TForm*> ordered = OrderedForms(CollectForms(), "");
    TSettingsUpdate update(*store_);
    std::string zOrder;
    for (TForm* form : ordered) {
        const std::string& name = form->Name();
        if (Except.find("|" + name + "|") == std::string::npos)
            SaveForm(form);
        if (!name.empty()) {
            if (!zOrder.empty())
                zOrder += '|';
            zOrder += name;
        }
    }
    store_->WriteString(FormsKey(), "ZOrder", zOrder);
}

void VTolmAppInfo::SaveForm(TForm* form) {
    if (form->Name().empty())
        return;
    const std::string key = FormsKey() + form->Name();
    TSettingsStore& s = *store_;
    s.WriteInteger(key, "Visible", form->isVisible() ? -1 : 0);
    if (form->testAttribute(Qt::WA_WState_Created)) {
        const TWindowPlacement p = GetWindowPlacement(form);
        s.WriteInteger(key, "WindowState", p.ShowCmd);
        s.WriteInteger(key, "MinLeft", p.MinPosition.x());
        s.WriteInteger(key, "MinTop", p.MinPosition.y());
        s.WriteInteger(key, "MaxLeft", p.MaxPosition.x());
        s.WriteInteger(key, "MaxTop", p.MaxPosition.y());
        if (form->Floating()) {
            s.WriteInteger(key, "Left", p.NormalPosition.x());
            s.WriteInteger(key, "Top", p.NormalPosition.y());
            s.WriteInteger(key, "Width", p.NormalPosition.width());
            s.WriteInteger(key, "Height", p.NormalPosition.height());
        } else {
            s.WriteInteger(key, "Width", form->UndockWidth());
            s.WriteInteger(key, "Height", form->UndockHeight());
        }
        return;
    }
    const Qt::WindowStates state = form->windowState();
    if (state & Qt::WindowMinimized) {
        s.WriteInteger(key, "WindowState", kShowMinimized);
        s.WriteInteger(key, "MinLeft", form->x());
        s.WriteInteger(key, "MinTop", form->y());
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        s.WriteInteger(key, "WindowState", kShowMaximized);
        s.WriteInteger(key, "MaxLeft", form->x());
        s.WriteInteger(key, "MaxTop", form->y());
    } else {
        s.WriteInteger(key, "WindowState", kShowNormal);
        if (form->Floating()) {
            s.WriteInteger(key, "Left", form->x());
            s.WriteInteger(key, "Top", form->y());
            s.WriteInteger(key, "Width", form->width());
            s.WriteInteger(key, "Height", form->height());
        } else {
            s.WriteInteger(key, "Width", form->UndockWidth());
            s.WriteInteger(key, "Height", form->UndockHeight());
        }
    }
}

void VTolmAppInfo::ReadSetting(const std::string& Section, const std::string& Name,
                               std::string& Value, const std::string& Default) {
    const std::string key = registryPath_ + appName_ + "\\" + Section;
    if (store_->ValueKind(key, Name) != TSettingKind::skInteger) {
        Value = store_->ReadString(key, Name, Default);
        return;
    }
    // Two unlikely defaults tell a stored integer from a read that failed.
    std::int32_t v = store_->ReadInteger(key, Name, 8388609);
    if (v == 8388609) {
        v = store_->ReadInteger(key, Name, 8388610);
        if (v == 8388610) {
            Value = Default;
            return;
        }
    }
    Value = std::to_string(v);
}

void VTolmAppInfo::WriteSetting(const std::string& Section, const std::string& Name,
                                const std::string& Value) {
    store_->WriteString(registryPath_ + appName_ + "\\" + Section, Name, Value);
}

void VTolmAppInfo::GetFileVersion(std::string& Version) const {
    Version = versionInfo_ ? versionInfo_->FileVersion() : std::string();
}

void VTolmAppInfo::FixFormScaling(TForm* Form) {
    if (!Form || std::find(fixedForms_.begin(), fixedForms_.end(), Form) != fixedForms_.end())
        return;
    fixedForms_.push_back(Form);
    FreeNotification(Form);

    const int dpi = Form->PixelsPerInch();
    if (dpi == designMetrics_.Dpi || !Form->AutoScroll()) {
        if (Form->layout())
            Form->layout()->activate();
        return;
    }

    // Children stay where they are while the form changes size; layouts scale what they hold.
    Form->SetAnchorsSuspended(true);
    int th = QFontMetrics(Form->font()).height();
    const int dh = DesignTextHeight(designMetrics_, dpi, Form->font().family().toStdString(), th);
    const QMargins frame = FrameMargins(Form);
    const int menuHeight = Form->MainMenu() ? Form->MainMenu()->height() : 0;
    TFormScalingInput in;
    in.Width = Form->width() + frame.left() + frame.right();
    in.Height = Form->height() + frame.top() + frame.bottom();
    in.Bx = frame.left();
    // The menu bar lies inside a Qt window's client area; the arithmetic counts it outside.
    in.By = frame.top() + menuHeight;
    in.Th = th;
    in.Dh = dh;
    in.Sizeable = Form->IsSizeable();
    in.CaptionButtonHeight = CaptionMetricsOf(Form).ButtonHeight;
    in.HasMenu = Form->MainMenu() != nullptr;
    in.MenuHeight = menuHeight;
    const QSize outer = ScaledFormSize(in, designMetrics_);
    const QSize client(outer.width() - frame.left() - frame.right(),
                       outer.height() - frame.top() - frame.bottom());
    if (client.width() > 0 && client.height() > 0)
        Form->resize(client);
    Form->SetAnchorsSuspended(false);
    if (Form->layout())
        Form->layout()->activate();
}

} // namespace celdara
