// The application-info component: the application's name and place in the per-user
// settings store, window placement and stacking order kept there, single settings, the
// start-up sequence with an optional splash form, and the pixel-density repair of forms.
#pragma once

#include "appinfo/SettingsStore.h"
#include "appinfo/TFileVersionInfo.h"
#include "appinfo/TForm.h"
#include "appinfo/WindowGeometry.h"
#include "core/Application.h"
#include "core/Component.h"
#include "core/Event.h"
#include "core/Timer.h"

#include <QDateTime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace celdara {

class VTolmAppInfo;

// Names of forms that the placement persistence leaves alone. Names compare without regard
// to letter case, as component names do.
class TCustomFormList {
public:
    explicit TCustomFormList(VTolmAppInfo* appInfo) : appInfo_(appInfo) {}

    VTolmAppInfo* AppInfo() const { return appInfo_; }
    int Count() const { return static_cast<int>(names_.size()); }
    const std::string& operator[](int index) const { return names_.at(index); }
    void Add(std::string name) { names_.push_back(std::move(name)); }
    void Clear() { names_.clear(); }
    int IndexOf(std::string_view name) const;
    // Copies the names, not the back reference.
    void Assign(const TCustomFormList& other) { names_ = other.names_; }

private:
    VTolmAppInfo* appInfo_;
    std::vector<std::string> names_;
};

class EAppInfoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the component reaches outside itself for. Empty members take the program's own: the
// application object, the INI store in the user's configuration folder, a Qt timer and
// "is Qt's event loop running".
struct TAppInfoSeams {
    TApplication* App = nullptr;
    std::shared_ptr<TSettingsStore> Store;
    std::function<TTimer*(TComponent* owner)> MakeTimer;
    std::function<bool()> MessageLoopRunning;
};

// The placement of a window as the window system keeps it.
struct TWindowPlacement {
    int ShowCmd = 1; // 1 normal, 2 minimized, 3 maximized, 0 hide, 6 minimize
    QPoint MinPosition;
    QPoint MaxPosition;
    QRect NormalPosition;
};

class VTolmAppInfo : public TComponent {
public:
    explicit VTolmAppInfo(TComponent* owner, TAppInfoSeams seams = {});
    ~VTolmAppInfo() override;

    const std::string& AppName() const { return appName_; }
    void SetAppName(std::string name) { appName_ = std::move(name); }
    const std::string& RegistryPath() const { return registryPath_; }
    // Always ends with a backslash: one is appended when the value does not end with one.
    void SetRegistryPath(std::string path);

    const TNotifyEvent& OnApplRunning() const { return onApplRunning_; }
    void SetOnApplRunning(TNotifyEvent handler) { onApplRunning_ = std::move(handler); }
    const TNotifyEvent& OnOwnerFirstShow() const { return onOwnerFirstShow_; }
    void SetOnOwnerFirstShow(TNotifyEvent handler) { onOwnerFirstShow_ = std::move(handler); }
    bool InhibitApplRunning() const { return inhibitApplRunning_; }
    void SetInhibitApplRunning(bool inhibit) { inhibitApplRunning_ = inhibit; }
    // Kept for stored descriptions; nothing reads it.
    bool ResizeNonresizeable() const { return resizeNonresizeable_; }
    void SetResizeNonresizeable(bool on) { resizeNonresizeable_ = on; }

    const std::string& SplashFormClass() const { return splashFormClass_; }
    void SetSplashFormClass(std::string name) { splashFormClass_ = std::move(name); }
    bool MainVisible() const { return mainVisible_; }
    void SetMainVisible(bool visible) { mainVisible_ = visible; }
    bool SplashVisible() const { return splashVisible_; }
    void SetSplashVisible(bool visible) { splashVisible_ = visible; }
    unsigned SplashMinTime() const { return splashMinTime_; }
    void SetSplashMinTime(unsigned ms) { splashMinTime_ = ms; }
    TForm* SplashForm() const { return splashForm_; }

    TCustomFormList& ExceptionList() { return exceptionList_; }
    void SetExceptionList(const TCustomFormList& list) { exceptionList_.Assign(list); }

    // While designing, the current local time (so a stored description records its last
    // save); at run time the stored value.
    QDateTime SourceLastModified() const;
    void SetSourceLastModified(const QDateTime& when);

    TForm* OwningForm() const { return owningForm_; }
    TFileVersionInfo& VersionInfo() const { return *versionInfo_; }
    const TDesignMetrics& DesignMetrics() const { return designMetrics_; }

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    void RestoreForms(bool UseVisible = true, bool ResizeAll = false);
    void SaveForms() { SaveForms(std::string()); }
    // `Except` names forms, joined by "|", whose placement is not stored.
    void SaveForms(std::string Except);

    void ReadSetting(const std::string& Section, const std::string& Name, std::string& Value,
                     const std::string& Default);
    void WriteSetting(const std::string& Section, const std::string& Name,
                      const std::string& Value);

    void GetFileVersion(std::string& Version) const;

    // True once the start-up sequence has finished.
    bool StartupDone() const { return startupTimer_ == nullptr; }
    TTimer* StartupTimer() const { return startupTimer_; }

    void FixFormScaling(TForm* Form);

    // The settings key of the forms' placement.
    std::string FormsKey() const;
    TSettingsStore& Store() const { return *store_; }

    // The forms below the application object, owned ones before their owner, without those
    // in ExceptionList.
    std::vector<TForm*> CollectForms() const;

private:
    void OwnerFirstShow(TObject* Sender);
    void StartupTick(TObject* Sender);
    void CreateSplash();
    void FreeSplash();
    void FreeStartupTimer();
    void EndSplash();
    std::vector<TForm*> OrderedForms(const std::vector<TForm*>& collected,
                                     std::string_view zOrder) const;
    void RestoreForm(TForm* form, bool UseVisible, bool ResizeAll);
    void SaveForm(TForm* form);

    TApplication* app_;
    std::shared_ptr<TSettingsStore> store_;
    std::function<TTimer*(TComponent*)> makeTimer_;
    std::function<bool()> messageLoopRunning_;

    std::string appName_ = "[Unknown]";
    std::string registryPath_ = "Software\\Tolm\\";
    TForm* owningForm_ = nullptr;
    TNotifyEvent onApplRunning_;
    bool inhibitApplRunning_ = false;
    bool resizeNonresizeable_ = false;
    TTimer* startupTimer_ = nullptr;
    bool appRunningFired_ = false;
    TNotifyEvent onOwnerFirstShow_;
    TNotifyEvent savedOnShow_;
    bool firstShowInstalled_ = false;
    TFileVersionInfo* versionInfo_ = nullptr;
    TForm* splashForm_ = nullptr;
    std::string splashFormClass_;
    bool mainVisible_ = true;
    bool splashVisible_ = true;
    unsigned splashMinTime_ = 0;
    Tick splashStart_ = 0;
    TCustomFormList exceptionList_{this};
    std::vector<TForm*> fixedForms_;
    QDateTime sourceLastModified_;
    TDesignMetrics designMetrics_;
};

// Reads and applies a window's placement.
TWindowPlacement GetWindowPlacement(const QWidget* window);
void SetWindowPlacement(QWidget* window, const TWindowPlacement& placement);

} // namespace celdara
