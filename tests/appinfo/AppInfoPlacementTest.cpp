#include "AppInfoTestSupport.h"
#include "appinfo/WindowUtils.h"

#include <QApplication>
#include <climits>

namespace celdara {
namespace {

using celdara::testing::AppInfoFixture;

const std::string kForms = "Software\\Tolm\\Celdara\\Options\\Forms\\";

class AppInfoPlacementTest : public AppInfoFixture {
protected:
    std::string ZOrder() { return Store()->ReadString(kForms, "ZOrder", "<none>"); }
    bool HasPlacement(const std::string& form) {
        return Store()->ValueKind(kForms + form, "Visible") != TSettingKind::skNone;
    }
};

TEST_F(AppInfoPlacementTest, PlacementSurvivesIntoTheNextRun) {
    {
        TForm* main = MakeForm("frmMain", QRect(50, 60, 400, 300));
        TForm* term = MakeForm("frmTerm", QRect(100, 120, 300, 200));
        TForm* about = MakeForm("frmAbout", QRect(200, 150, 250, 180));
        TForm* mini = MakeForm("frmMini", QRect(220, 160, 150, 120));
        mini->showMinimized();
        main->show();
        term->show();
        term->showMaximized();
        about->show();
        about->hide();
        MakeAppInfo(main)->SaveForms();
        EndRun();
    }
    TForm* main = MakeForm("frmMain", QRect(0, 0, 200, 100));
    TForm* term = MakeForm("frmTerm", QRect(10, 10, 100, 100));
    TForm* about = MakeForm("frmAbout", QRect(20, 20, 100, 100));
    TForm* mini = MakeForm("frmMini", QRect(30, 30, 100, 100));
    for (TForm* f : {main, term, about, mini})
        f->show();
    MakeAppInfo(main)->RestoreForms(true, false);

    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMaximized());
    EXPECT_EQ(main->geometry(), QRect(50, 60, 400, 300));
    EXPECT_TRUE(term->isVisible());
    EXPECT_TRUE(term->isMaximized());
    EXPECT_EQ(term->normalGeometry(), QRect(100, 120, 300, 200));
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(about->geometry(), QRect(200, 150, 250, 180));
    EXPECT_TRUE(mini->isVisible());
    EXPECT_TRUE(mini->isMinimized());
    EXPECT_EQ(mini->normalGeometry(), QRect(220, 160, 150, 120));

    // Back from maximized, the window gets its own normal bounds.
    term->showNormal();
    EXPECT_EQ(term->geometry(), QRect(100, 120, 300, 200));
}

TEST_F(AppInfoPlacementTest, ValuesAreStoredAsIntegersUnderTheFormsKeyOfEachForm) {
    TForm* main = MakeForm("frmMain", QRect(50, 60, 400, 300));
    main->show();
    MakeAppInfo(main)->SaveForms();
    auto store = Store();
    const std::string key = kForms + "frmMain";
    EXPECT_EQ(store->ReadInteger(key, "Visible", 1), -1);
    EXPECT_EQ(store->ReadInteger(key, "WindowState", 0), 1);
    EXPECT_EQ(store->ReadInteger(key, "Left", 0), 50);
    EXPECT_EQ(store->ReadInteger(key, "Top", 0), 60);
    EXPECT_EQ(store->ReadInteger(key, "Width", 0), 400);
    EXPECT_EQ(store->ReadInteger(key, "Height", 0), 300);
    for (const char* name : {"MinLeft", "MinTop", "MaxLeft", "MaxTop"})
        EXPECT_EQ(store->ValueKind(key, name), TSettingKind::skInteger) << name;
    EXPECT_EQ(ZOrder(), "frmMain");
}

TEST_F(AppInfoPlacementTest, ZOrderListsTheLastActivatedWindowFirst) {
    TForm* a = MakeForm("frmA", QRect(10, 10, 200, 100));
    TForm* b = MakeForm("frmB", QRect(20, 20, 200, 100));
    TForm* c = MakeForm("frmC", QRect(30, 30, 200, 100));
    a->show();
    b->show();
    c->show();
    a->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(a->isActiveWindow());
    b->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(b->isActiveWindow());
    VTolmAppInfo* info = MakeAppInfo(a);
    info->SaveForms();
    EXPECT_EQ(ZOrder(), "frmB|frmA|frmC");
    EndRun();

    // The next run creates them in another order; restoring puts the stored order back.
    c = MakeForm("frmC", QRect(30, 30, 200, 100));
    a = MakeForm("frmA", QRect(10, 10, 200, 100));
    b = MakeForm("frmB", QRect(20, 20, 200, 100));
    for (TForm* f : {c, a, b})
        f->show();
    info = MakeAppInfo(a);
    info->RestoreForms();
    const std::vector<TForm*> stacking = TForm::StackingOrder();
    ASSERT_GE(stacking.size(), 3u);
    const std::vector<TForm*> top3(stacking.begin(), stacking.begin() + 3);
    EXPECT_EQ(top3, (std::vector<TForm*>{b, a, c}));
    info->SaveForms();
    EXPECT_EQ(ZOrder(), "frmB|frmA|frmC");
}

TEST_F(AppInfoPlacementTest, FormsNeverShownFollowTheStackedOnesInCollectedOrder) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    MakeForm("frmHidden1", QRect(10, 10, 200, 100));
    TForm* shown = MakeForm("frmShown", QRect(10, 10, 200, 100));
    MakeForm("frmHidden2", QRect(10, 10, 200, 100));
    // A form owned by another comes before its owner.
    MakeForm("frmChild", QRect(10, 10, 200, 100), main);
    main->show();
    shown->show();
    MakeAppInfo(main)->SaveForms();
    EXPECT_EQ(ZOrder(), "frmShown|frmMain|frmChild|frmHidden1|frmHidden2");
}

TEST_F(AppInfoPlacementTest, ExceptionListFormsAreNeitherSavedRestoredNorListed) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    TForm* about = MakeForm("frmAbout", QRect(30, 40, 200, 100));
    main->show();
    about->show();
    VTolmAppInfo* info = MakeAppInfo(main);
    info->ExceptionList().Add("FRMABOUT"); // names compare as component names: any case
    info->SaveForms();
    EXPECT_FALSE(HasPlacement("frmAbout"));
    EXPECT_TRUE(HasPlacement("frmMain"));
    EXPECT_EQ(ZOrder(), "frmMain");

    auto store = Store();
    store->WriteInteger(kForms + "frmAbout", "Visible", 0);
    store->WriteInteger(kForms + "frmAbout", "WindowState", 1);
    store->WriteInteger(kForms + "frmAbout", "Left", 300);
    info->RestoreForms();
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->geometry().topLeft(), QPoint(30, 40));
}

TEST_F(AppInfoPlacementTest, AssigningAnExceptionListCopiesTheNames) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    TCustomFormList other(nullptr);
    other.Add("frmA");
    other.Add("frmB");
    info->SetExceptionList(other);
    other.Clear();
    EXPECT_EQ(info->ExceptionList().Count(), 2);
    EXPECT_EQ(info->ExceptionList().IndexOf("FRMB"), 1);
    EXPECT_EQ(info->ExceptionList().AppInfo(), info);
}

TEST_F(AppInfoPlacementTest, ExceptSkipsTheNamedFormsButStillListsThem) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    MakeForm("frmMainTool", QRect(10, 10, 200, 100));
    MakeForm("frmTerm", QRect(10, 10, 200, 100));
    main->show();
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SaveForms("frmMain");
    EXPECT_FALSE(HasPlacement("frmMain"));
    EXPECT_TRUE(HasPlacement("frmMainTool")); // a name that only begins like an excepted one
    EXPECT_TRUE(HasPlacement("frmTerm"));
    EXPECT_EQ(ZOrder(), "frmMain|frmMainTool|frmTerm");

    // Separators are added where missing; the excepted forms keep their stored placement.
    info->SaveForms("frmTerm|frmMain");
    EXPECT_FALSE(HasPlacement("frmMain"));
    main->setGeometry(90, 95, 200, 100);
    info->SaveForms("|frmTerm|frmMainTool");
    EXPECT_EQ(Store()->ReadInteger(kForms + "frmMain", "Left", 0), 90);
    EXPECT_EQ(ZOrder(), "frmMain|frmMainTool|frmTerm");
}

TEST_F(AppInfoPlacementTest, FirstRunMovesFormsIntoTheWorkAreaAtTheirSize) {
    QRect work;
    ASSERT_TRUE(GetWorkArea(work));
    TForm* main = MakeForm("frmMain", QRect(work.right() - 100, work.bottom() - 50, 300, 200));
    TForm* big = MakeForm("frmBig", QRect(work.x() - 40, work.y() + 10, work.width() + 500, 100));
    main->show();
    big->show();
    VTolmAppInfo* info = MakeAppInfo(main);
    info->RestoreForms();
    EXPECT_EQ(main->size(), QSize(300, 200));
    EXPECT_TRUE(work.contains(main->frameGeometry())) << main->frameGeometry().x();
    EXPECT_TRUE(work.contains(big->frameGeometry()));
    EXPECT_EQ(big->frameGeometry().width(), work.width());
    info->SaveForms();
    EXPECT_EQ(ZOrder(), "frmBig|frmMain"); // shown last, so on top
}

TEST_F(AppInfoPlacementTest, ANonSizeableFormKeepsItsDesignedSizeUnlessResizeAll) {
    auto store = Store();
    for (const char* name : {"frmSingle", "frmNone"}) {
        const std::string key = kForms + name;
        store->WriteInteger(key, "Visible", -1);
        store->WriteInteger(key, "WindowState", 1);
        store->WriteInteger(key, "Left", 120);
        store->WriteInteger(key, "Top", 130);
        store->WriteInteger(key, "Width", 333);
        store->WriteInteger(key, "Height", 222);
    }
    TForm* single = MakeForm("frmSingle", QRect(10, 20, 200, 100));
    single->SetBorderStyle(TFormBorderStyle::bsSingle);
    TForm* none = MakeForm("frmNone", QRect(30, 40, 200, 100));
    none->SetBorderStyle(TFormBorderStyle::bsNone);
    single->show();
    none->show();
    VTolmAppInfo* info = MakeAppInfo(single);
    info->RestoreForms(true, false);
    EXPECT_EQ(single->geometry(), QRect(120, 130, 200, 100));
    EXPECT_EQ(none->geometry(), QRect(30, 40, 200, 100));

    info->RestoreForms(true, true);
    EXPECT_EQ(single->geometry(), QRect(120, 130, 333, 222));
    EXPECT_EQ(none->geometry(), QRect(120, 130, 333, 222));
}

TEST_F(AppInfoPlacementTest, StoredVisibilityShowsAHiddenFormOnlyOnceStartupIsDone) {
    const std::string key = kForms + "frmTerm";
    auto store = Store();
    store->WriteInteger(key, "Visible", -1);
    store->WriteInteger(key, "WindowState", 1);
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    TForm* term = MakeForm("frmTerm", QRect(10, 10, 200, 100));
    main->show();
    VTolmAppInfo* info = MakeAppInfo(main);
    info->RestoreForms(true, false);
    EXPECT_FALSE(term->isVisible());

    loopRunning_ = true;
    FireStartup(info);
    ASSERT_TRUE(info->StartupDone());
    info->RestoreForms(false, false);
    EXPECT_FALSE(term->isVisible()); // without UseVisible the current visibility stays
    info->RestoreForms(true, false);
    EXPECT_TRUE(term->isVisible());
}

TEST_F(AppInfoPlacementTest, HostileStoredValuesStillGiveAReachableWindow) {
    const std::string key = kForms + "frmMain";
    auto store = Store();
    store->WriteInteger(key, "WindowState", 99);
    store->WriteInteger(key, "Left", INT_MAX);
    store->WriteInteger(key, "Top", INT_MIN);
    store->WriteInteger(key, "Width", -5);
    store->WriteInteger(key, "Height", INT_MAX);
    store->WriteInteger(key, "MinLeft", INT_MIN);
    store->WriteString(key, "Visible", "yes");
    store->WriteString(kForms, "ZOrder", std::string(10000, '|') + "frmMain|frmMain");
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    main->show();
    MakeAppInfo(main)->RestoreForms(true, true);
    QRect work;
    ASSERT_TRUE(GetWorkArea(work));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->width(), 200);
    EXPECT_TRUE(work.intersects(main->frameGeometry()));
    EXPECT_LE(main->height(), 1000000);
}

TEST_F(AppInfoPlacementTest, ADockedFormKeepsItsUndockedSize) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 400, 300));
    TForm* term = MakeForm("frmTerm", QRect(10, 10, 200, 100));
    term->SetUndockWidth(321);
    term->SetUndockHeight(123);
    term->setParent(main); // docked into the main window
    main->show();
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SaveForms();
    const std::string key = kForms + "frmTerm";
    EXPECT_EQ(Store()->ReadInteger(key, "Width", 0), 321);
    EXPECT_EQ(Store()->ValueKind(key, "Left"), TSettingKind::skNone);

    Store()->WriteInteger(key, "Width", 500);
    Store()->WriteInteger(key, "Height", 250);
    term->SetUndockWidth(1);
    info->RestoreForms();
    EXPECT_EQ(term->UndockWidth(), 500);
    EXPECT_EQ(term->UndockHeight(), 250);
    EXPECT_FALSE(term->Floating());
}

TEST_F(AppInfoPlacementTest, AFormWithoutANameIsLeftAlone) {
    TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
    TForm* anonymous = MakeForm("", QRect(40, 50, 200, 100));
    main->show();
    anonymous->show();
    VTolmAppInfo* info = MakeAppInfo(main);
    info->SaveForms();
    EXPECT_EQ(ZOrder(), "frmMain");
    Store()->WriteInteger(kForms, "Left", 300);
    info->RestoreForms();
    EXPECT_EQ(anonymous->geometry(), QRect(40, 50, 200, 100));
}

} // namespace
} // namespace celdara
