// A fresh application object, a settings file in a temporary folder, a manual clock and
// timer, and a switch for "the message loop runs": one run of the program under test control.
#pragma once

#include "appinfo/VTolmAppInfo.h"
#include "core/Application.h"
#include "core/TickClock.h"
#include "core/Timer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace celdara::testing {

class AppInfoFixture : public ::testing::Test {
protected:
    AppInfoFixture() {
        app_.SetClock(&clock_);
        SetApplicationShowMainForm(true);
    }
    ~AppInfoFixture() override { EndRun(); }

    std::string SettingsFile() const { return dir_.filePath("registry.ini").toStdString(); }
    std::shared_ptr<TIniSettingsStore> Store() const {
        return std::make_shared<TIniSettingsStore>(SettingsFile());
    }

    TAppInfoSeams Seams() {
        TAppInfoSeams s;
        s.App = &app_;
        s.Store = Store();
        s.MakeTimer = [](TComponent* owner) -> TTimer* { return new TManualTimer(owner); };
        s.MessageLoopRunning = [this] { return loopRunning_; };
        return s;
    }

    VTolmAppInfo* MakeAppInfo(TComponent* owner) {
        auto* info = new VTolmAppInfo(owner, Seams());
        info->SetName("VTolmAppInfo1");
        info->SetAppName("Celdara");
        return info;
    }

    template <typename Form = TForm>
    Form* MakeForm(const std::string& name, const QRect& geometry, TComponent* owner = nullptr) {
        auto* form = new Form(owner ? owner : &app_);
        form->SetName(name);
        form->setGeometry(geometry);
        return form;
    }

    static void FireStartup(VTolmAppInfo* info) {
        if (auto* timer = dynamic_cast<TManualTimer*>(info->StartupTimer()))
            timer->Fire();
    }

    // The program ends: every window and component goes.
    void EndRun() {
        while (app_.ComponentCount() > 0)
            delete app_.Components(app_.ComponentCount() - 1);
    }

    QTemporaryDir dir_;
    TManualTickClock clock_{1000};
    bool loopRunning_ = false;
    TApplication app_;
};

} // namespace celdara::testing
