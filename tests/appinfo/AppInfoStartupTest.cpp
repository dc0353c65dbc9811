#include "AppInfoTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace celdara {
namespace {

using celdara::testing::AppInfoFixture;

class AppInfoStartupTest : public AppInfoFixture {
protected:
    void RegisterSplash(const std::string& className = "TfrmSplash") {
        app_.RegisterClass(className, [](TComponent* owner) -> TComponent* {
            auto* form = new TForm(owner);
            form->SetName("frmSplash");
            return form;
        });
    }
    TForm* FindSplash() { return dynamic_cast<TForm*>(app_.FindComponent("frmSplash")); }
};

TEST_F(AppInfoStartupTest, DefaultsAndTheRegistryPathAlwaysEndingInABackslash) {
    auto* info = new VTolmAppInfo(&app_, Seams());
    EXPECT_EQ(info->AppName(), "[Unknown]");
    EXPECT_EQ(info->RegistryPath(), "Software\\Tolm\\");
    EXPECT_TRUE(info->MainVisible());
    EXPECT_TRUE(info->SplashVisible());
    EXPECT_EQ(info->SplashMinTime(), 0u);
    EXPECT_FALSE(info->InhibitApplRunning());
    EXPECT_FALSE(info->StartupDone());
    EXPECT_EQ(info->OwningForm(), nullptr);
    info->SetRegistryPath("Software\\Other");
    EXPECT_EQ(info->RegistryPath(), "Software\\Other\\");
    info->SetRegistryPath("Software\\Other\\");
    EXPECT_EQ(info->RegistryPath(), "Software\\Other\\");
    info->SetRegistryPath("");
    EXPECT_EQ(info->RegistryPath(), "\\");
}

TEST_F(AppInfoStartupTest, ASettingStoredAsAnIntegerReadsBackAsItsDecimalText) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    const std::string key = "Software\\Tolm\\Celdara\\Connection";
    auto store = Store();
    store->WriteInteger(key, "A", 8388609);
    store->WriteInteger(key, "B", 8388610);
    store->WriteInteger(key, "C", -3);
    store->WriteString(key, "D", "ttyUSB0");
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"A", "8388609"}, {"B", "8388610"}, {"C", "-3"}, {"D", "ttyUSB0"}, {"Missing", "default"}};
    for (const auto& c : cases) {
        std::string value = "stale";
        info->ReadSetting("Connection", c.name, value, "default");
        EXPECT_EQ(value, c.expected) << c.name;
    }
}

// A store that knows a value is an integer but cannot read it, as with a damaged file.
class UnreadableIntegerStore : public TSettingsStore {
public:
    TSettingKind ValueKind(const std::string&, const std::string&) override {
        return TSettingKind::skInteger;
    }
    std::string ReadString(const std::string&, const std::string&,
                           const std::string& def) override {
        return def;
    }
    std::int32_t ReadInteger(const std::string&, const std::string&, std::int32_t def) override {
        ++reads;
        return def;
    }
    bool WriteString(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    bool WriteInteger(const std::string&, const std::string&, std::int32_t) override {
        return false;
    }
    int reads = 0;
};

TEST_F(AppInfoStartupTest, AnIntegerThatCannotBeReadGivesTheDefault) {
    auto store = std::make_shared<UnreadableIntegerStore>();
    TAppInfoSeams seams = Seams();
    seams.Store = store;
    VTolmAppInfo info(&app_, seams);
    std::string value;
    info.ReadSetting("Connection", "COMPort", value, "ttyS0");
    EXPECT_EQ(value, "ttyS0");
    EXPECT_EQ(store->reads, 2);
}

TEST_F(AppInfoStartupTest, WriteSettingStoresTextBelowAppNameAndSection) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    info->SetRegistryPath("Software\\Tolm");
    info->WriteSetting("Connection", "COMPort", "ttyACM0");
    EXPECT_EQ(Store()->ReadString("Software\\Tolm\\Celdara\\Connection", "COMPort", ""), "ttyACM0");
    std::string value;
    info->ReadSetting("Connection", "COMPort", value, "");
    EXPECT_EQ(value, "ttyACM0");
    info->SetAppName("Other");
    info->ReadSetting("Connection", "COMPort", value, "none");
    EXPECT_EQ(value, "none");
}

TEST_F(AppInfoStartupTest, FirstShowRaisesOnOwnerFirstShowBeforeTheFormsOwnHandlerOnce) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    std::vector<std::string> calls;
    main->SetOnShow(TNotifyEvent::From(
        [&](TObject* sender) { calls.push_back(sender == main ? "form" : "form?"); }));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetOnOwnerFirstShow(TNotifyEvent::From(
        [&](TObject* sender) { calls.push_back(sender == info ? "appinfo" : "appinfo?"); }));
    EXPECT_EQ(info->OwningForm(), main);
    main->EndLoading();
    main->show();
    EXPECT_EQ(calls, (std::vector<std::string>{"appinfo", "form"}));
    main->hide();
    main->show();
    EXPECT_EQ(calls, (std::vector<std::string>{"appinfo", "form", "form"}));
}

TEST_F(AppInfoStartupTest, AComponentFreedBeforeTheFirstShowGivesTheFormItsHandlerBack) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    int shown = 0;
    main->SetOnShow(TNotifyEvent::From([&](TObject*) { ++shown; }));
    VTolmAppInfo* info = MakeAppInfo(main);
    main->EndLoading();
    delete info;
    main->show();
    EXPECT_EQ(shown, 1);
}

TEST_F(AppInfoStartupTest, OnApplRunningFiresOnceAndOnlyOnceTheLoopRunsUninhibited) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    int running = 0;
    info->SetOnApplRunning(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, info);
        ++running;
    }));
    info->EndLoading();
    FireStartup(info);
    EXPECT_EQ(running, 0);
    EXPECT_FALSE(info->StartupDone());
    loopRunning_ = true;
    info->SetInhibitApplRunning(true);
    FireStartup(info);
    EXPECT_EQ(running, 0);
    info->SetInhibitApplRunning(false);
    FireStartup(info);
    EXPECT_EQ(running, 1);
    EXPECT_TRUE(info->StartupDone());
    FireStartup(info); // no timer left
    EXPECT_EQ(running, 1);
}

TEST_F(AppInfoStartupTest, TheSplashStaysForItsMinimumTimeThenTheMainFormShows) {
    RegisterSplash();
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetSplashFormClass("TfrmSplash");
    info->SetSplashMinTime(2000);
    int running = 0;
    info->SetOnApplRunning(TNotifyEvent::From([&](TObject*) { ++running; }));
    main->EndLoading();
    TForm* splash = FindSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(info->SplashForm(), splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(ApplicationShowMainForm());

    loopRunning_ = true;
    FireStartup(info);
    EXPECT_EQ(running, 1); // the application runs while the splash is still up
    clock_.Advance(2000);
    FireStartup(info);
    EXPECT_NE(FindSplash(), nullptr);
    EXPECT_FALSE(main->isVisible());
    clock_.Advance(1);
    FireStartup(info);
    EXPECT_EQ(FindSplash(), nullptr);
    EXPECT_EQ(info->SplashForm(), nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(info->StartupDone());
    EXPECT_EQ(running, 1);
}

TEST_F(AppInfoStartupTest, TheSplashTimeIsMeasuredAcrossTheTickCounterWrap) {
    RegisterSplash();
    clock_.Set(0xFFFFFF00u);
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetSplashFormClass("TfrmSplash");
    info->SetSplashMinTime(1000);
    main->EndLoading();
    loopRunning_ = true;
    clock_.Advance(600); // past the wrap, 600 ms on
    FireStartup(info);
    EXPECT_NE(FindSplash(), nullptr);
    clock_.Advance(401);
    FireStartup(info);
    EXPECT_EQ(FindSplash(), nullptr);
}

TEST_F(AppInfoStartupTest, MainVisibleFalseKeepsTheMainFormHiddenAfterTheSplash) {
    RegisterSplash();
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetSplashFormClass("TfrmSplash");
    info->SetMainVisible(false);
    main->EndLoading();
    loopRunning_ = true;
    clock_.Advance(1);
    FireStartup(info);
    EXPECT_EQ(FindSplash(), nullptr);
    EXPECT_FALSE(main->isVisible());
}

TEST_F(AppInfoStartupTest, AHiddenSplashStillEndsWithTheMainFormShown) {
    RegisterSplash();
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetSplashFormClass("TfrmSplash");
    info->SetSplashVisible(false);
    info->SetSplashMinTime(5000);
    main->EndLoading();
    ASSERT_NE(FindSplash(), nullptr);
    EXPECT_FALSE(FindSplash()->isVisible());
    EXPECT_FALSE(ApplicationShowMainForm());
    FireStartup(info);
    EXPECT_FALSE(main->isVisible()); // not before the loop runs
    loopRunning_ = true;
    FireStartup(info);
    EXPECT_TRUE(info->StartupDone());
    EXPECT_EQ(FindSplash(), nullptr);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(AppInfoStartupTest, AnUnknownOrNonFormSplashClassRaisesFromLoaded) {
    const std::string expected = "Please add the following statement:\r\n"
                                 "RegisterClass(__classid(TfrmNothing)); or "
                                 "RegisterClass(TfrmNothing) {unit Classes}\r\n"
                                 "after Application->Initialize";
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetSplashFormClass("TfrmNothing");
    try {
        info->Loaded();
        FAIL() << "no exception";
    } catch (const EAppInfoError& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }

    app_.RegisterClass("TTimer", [](TComponent* owner) { return new TManualTimer(owner); });
    info->SetSplashFormClass("TTimer");
    const int before = app_.ComponentCount();
    EXPECT_THROW(info->Loaded(), EAppInfoError);
    EXPECT_EQ(app_.ComponentCount(), before); // the component made to look at is gone
    EXPECT_EQ(info->SplashForm(), nullptr);
    EXPECT_TRUE(ApplicationShowMainForm());
}

TEST_F(AppInfoStartupTest, ASplashThatFailsToBuildPassesItsExceptionOn) {
    app_.RegisterClass("TfrmBroken", [](TComponent*) -> TComponent* {
        throw std::runtime_error("no splash today");
    });
    VTolmAppInfo* info = MakeAppInfo(MakeForm("frmMain", QRect(10, 10, 200, 100)));
    info->SetSplashFormClass("TfrmBroken");
    EXPECT_THROW(info->Loaded(), std::runtime_error);
    EXPECT_EQ(info->SplashForm(), nullptr);
}

TEST_F(AppInfoStartupTest, ASplashFreedByItsOwnerIsForgotten) {
    RegisterSplash();
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SetSplashFormClass("TfrmSplash");
    main->EndLoading();
    delete FindSplash();
    EXPECT_EQ(info->SplashForm(), nullptr);
    loopRunning_ = true;
    FireStartup(info);
    EXPECT_TRUE(info->StartupDone());
}

TEST_F(AppInfoStartupTest, TheVersionComesFromTheRunningProgram) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    std::string version = "stale";
    info->GetFileVersion(version);
    EXPECT_EQ(version, "9.8.7.6"); // the block embedded into this test program
}

TEST_F(AppInfoStartupTest, SourceLastModifiedIsNowOnlyWhileDesigning) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    const QDateTime stored(QDate(2020, 1, 2), QTime(3, 4, 5));
    info->SetSourceLastModified(stored);
    EXPECT_EQ(info->SourceLastModified(), stored);
    info->SetDesigning(true);
    EXPECT_GT(info->SourceLastModified(), stored);
}

TEST_F(AppInfoStartupTest, WhileDesigningTheStartupTimerJustGoes) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    int running = 0;
    info->SetOnApplRunning(TNotifyEvent::From([&](TObject*) { ++running; }));
    info->SetDesigning(true);
    loopRunning_ = true;
    FireStartup(info);
    EXPECT_TRUE(info->StartupDone());
    EXPECT_EQ(running, 0);
}

// With the program's own timer and loop detection: nothing happens while events are merely
// processed, and the event fires once after a loop has started.
TEST_F(AppInfoStartupTest, OnApplRunningFiresOnceAfterTheQtEventLoopStarted) {
    TAppInfoSeams seams;
    seams.App = &app_;
    seams.Store = Store();
    auto* info = new VTolmAppInfo(&app_, seams);
    int running = 0;
    int levelAtFire = -1;
    QEventLoop loop;
    info->SetOnApplRunning(TNotifyEvent::From([&](TObject*) {
        ++running;
        levelAtFire = QThread::currentThread()->loopLevel();
        // Give the timer a few more chances to fire again before leaving.
        QTimer::singleShot(30, &loop, &QEventLoop::quit);
    }));
    info->EndLoading();
    // Long enough for the 1 ms timer to come due many times.
    QDeadlineTimer outside(50);
    while (!outside.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(running, 0);
    EXPECT_FALSE(info->StartupDone());

    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(10000);
    loop.exec();
    EXPECT_EQ(running, 1);
    EXPECT_GE(levelAtFire, 1);
    EXPECT_TRUE(info->StartupDone());
}

} // namespace
} // namespace celdara
