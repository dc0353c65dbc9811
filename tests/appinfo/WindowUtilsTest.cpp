#include "appinfo/WindowUtils.h"

#include "AppInfoTestSupport.h"
#include "appinfo/VTolmImprovedForm.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace celdara {
namespace {

using celdara::testing::AppInfoFixture;

TEST(SelectComboTextTest, ExactMatchFirstThenAnyCaseBothFromTheLastItem) {
    QComboBox combo;
    combo.addItems({"abc", "ABC", "xyz", "Abc", "ABC"});
    EXPECT_TRUE(SelectComboText(&combo, "ABC"));
    EXPECT_EQ(combo.currentIndex(), 4);
    EXPECT_TRUE(SelectComboText(&combo, "abc"));
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_TRUE(SelectComboText(&combo, "aBc"));
    EXPECT_EQ(combo.currentIndex(), 4);
    EXPECT_TRUE(SelectComboText(&combo, "XYZ"));
    EXPECT_EQ(combo.currentIndex(), 2);
}

TEST(SelectComboTextTest, NoMatchIsRefusedByAListAndTakenByAnEditableCombo) {
    QComboBox list;
    list.addItems({"ttyS0", "ttyUSB0"});
    list.setCurrentIndex(1);
    EXPECT_FALSE(SelectComboText(&list, "ttyACM0"));
    EXPECT_EQ(list.currentIndex(), 1);

    QComboBox edit;
    edit.setEditable(true);
    edit.addItems({"ttyS0", "ttyUSB0"});
    EXPECT_TRUE(SelectComboText(&edit, "ttyACM0"));
    EXPECT_EQ(edit.currentText(), "ttyACM0");
    EXPECT_EQ(edit.count(), 2);
    EXPECT_FALSE(SelectComboText(nullptr, "x"));
}

class PaletteChanges : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::PaletteChange)
            ++count;
        return false;
    }
};

TEST(SetComboFontColorTest, ChangesOnlyWhenDifferentAndKeepsTheEditedTextAndSelection) {
    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({"ttyS0", "ttyUSB0"});
    combo.setEditText("ttyUSB7");
    combo.lineEdit()->setSelection(3, 3);
    PaletteChanges changes;
    combo.installEventFilter(&changes);

    SetComboFontColor(&combo, Qt::red);
    EXPECT_EQ(combo.palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_EQ(combo.currentText(), "ttyUSB7");
    EXPECT_EQ(combo.lineEdit()->selectionStart(), 3);
    EXPECT_EQ(combo.lineEdit()->selectedText(), "USB");
    const int after = changes.count;
    EXPECT_GT(after, 0);
    SetComboFontColor(&combo, Qt::red);
    EXPECT_EQ(changes.count, after);

    QComboBox list;
    SetComboFontColor(&list, Qt::blue);
    EXPECT_EQ(list.palette().color(QPalette::ButtonText), QColor(Qt::blue));
}

TEST(WorkAreaTest, TheWorkAreaLiesOnThePrimaryScreen) {
    QRect work;
    ASSERT_TRUE(GetWorkArea(work));
    EXPECT_FALSE(work.isEmpty());
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(work));
    QRect half;
    ASSERT_TRUE(GetWorkArea(half, true));
    EXPECT_TRUE(work.contains(half));
}

TEST(WorkAreaTest, KeepFormInWorkAreaShrinksAndMovesTheWholeWindowInside) {
    QRect work;
    ASSERT_TRUE(GetWorkArea(work));
    QWidget form;
    form.setGeometry(work.x() - 50, work.y() - 50, work.width() + 300, 100);
    form.show();
    KeepFormInWorkArea(&form);
    EXPECT_TRUE(work.contains(form.frameGeometry()));
    EXPECT_EQ(form.frameGeometry().width(), work.width());
    EXPECT_EQ(form.height(), 100);
}

TEST(WorkAreaTest, KeepCaptionVisibleBringsAFarAwayRectangleBack) {
    QRect work;
    ASSERT_TRUE(GetWorkArea(work));
    QWidget form;
    QRect r(work.right() + 5000, work.bottom() + 5000, 300, 200);
    KeepCaptionVisible(&form, r);
    EXPECT_TRUE(work.contains(r.topLeft()));
    EXPECT_EQ(r.size(), QSize(300, 200));
}

class OwnerFormTest : public AppInfoFixture {};

TEST_F(OwnerFormTest, TheNearestFormUpTheOwnerChain) {
    TForm* outer = MakeForm("frmOuter", QRect(0, 0, 100, 100));
    auto* middle = new TComponent(outer);
    auto* leaf = new TComponent(middle);
    TForm* inner = MakeForm("frmInner", QRect(0, 0, 100, 100), middle);
    auto* innerLeaf = new TComponent(inner);
    EXPECT_EQ(OwnerForm(leaf), outer);
    EXPECT_EQ(OwnerForm(middle), outer);
    EXPECT_EQ(OwnerForm(innerLeaf), inner);
    EXPECT_EQ(OwnerForm(inner), outer);
    EXPECT_EQ(OwnerForm(outer), nullptr);
    EXPECT_EQ(OwnerForm(nullptr), nullptr);
}

class FormTest : public AppInfoFixture {};

TEST_F(FormTest, TheComponentNameIsTheObjectName) {
    TForm* form = MakeForm("frmMain", QRect(0, 0, 100, 100));
    EXPECT_EQ(form->objectName(), "frmMain");
    EXPECT_EQ(form->Name(), "frmMain");
}

TEST_F(FormTest, AnchoredControlsFollowASizeGivenBeforeOrAfterTheWindowExists) {
    TForm* form = MakeForm("frmMain", QRect(10, 10, 400, 300));
    auto* corner = new QWidget(form);
    corner->setGeometry(300, 250, 80, 30);
    SetAnchors(corner, akRight | akBottom);
    auto* wide = new QWidget(form);
    wide->setGeometry(10, 10, 380, 200);
    SetAnchors(wide, akLeft | akRight | akTop | akBottom);
    auto* fixed = new QWidget(form);
    fixed->setGeometry(10, 250, 50, 30);

    form->resize(500, 400); // before the window is created
    form->show();
    EXPECT_EQ(corner->geometry(), QRect(400, 350, 80, 30));
    EXPECT_EQ(wide->geometry(), QRect(10, 10, 480, 300));
    EXPECT_EQ(fixed->geometry(), QRect(10, 250, 50, 30));
    form->resize(450, 380); // and after
    EXPECT_EQ(corner->geometry(), QRect(350, 330, 80, 30));
    EXPECT_EQ(Anchors(fixed), TAnchors(akLeft | akTop));
}

TEST_F(FormTest, AFormThatRefusesToCloseStaysOpen) {
    TForm* form = MakeForm("frmMain", QRect(10, 10, 200, 100));
    bool allow = false;
    form->SetOnCloseQuery(
        TCloseQueryEvent::From([&](TObject*, bool& canClose) { canClose = allow; }));
    form->show();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    allow = true;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FormTest, TheSessionEndsOnlyAfterTheFormAgreesHandlingMessagesMeanwhile) {
    auto* form = MakeForm<VTolmImprovedForm>("frmMain", QRect(10, 10, 200, 100));
    int asked = 0;
    int handled = 0;
    form->SetOnCloseQuery(TCloseQueryEvent::From([&](TObject*, bool& canClose) {
        ++asked;
        canClose = asked >= 3;
    }));
    form->SetProcessOneMessage([&] { ++handled; });
    form->QueryEndSession();
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(handled, 2);
}

TEST_F(FormTest, RunningTheProgramShowsTheMainFormUnlessASplashTookThatOver) {
    for (bool splash : {false, true}) {
        TForm* main = MakeForm("frmMain", QRect(10, 10, 200, 100));
        SetApplicationShowMainForm(!splash);
        bool shownInLoop = false;
        QTimer::singleShot(0, [&] {
            shownInLoop = main->isVisible();
            QApplication::quit();
        });
        EXPECT_EQ(RunApplication(app_, main), 0);
        EXPECT_EQ(shownInLoop, !splash) << splash;
        EXPECT_EQ(app_.ComponentCount(), 0); // the windows went with the loop
    }
}

class FixFormScalingTest : public AppInfoFixture {};

TEST_F(FixFormScalingTest, AScrollingFormAtAnotherDensityGrowsWithItsTextOnce) {
    TForm* form = MakeForm("frmScroll", QRect(10, 10, 400, 300));
    form->SetBorderStyle(TFormBorderStyle::bsSingle); // no caption-height term
    form->SetPixelsPerInch(120);
    form->SetAutoScroll(true);
    auto* corner = new QWidget(form);
    corner->setGeometry(300, 250, 80, 30);
    SetAnchors(corner, akRight | akBottom);
    VTolmAppInfo* info = MakeAppInfo(&app_);

    int th = QFontMetrics(form->font()).height();
    const int dh =
        DesignTextHeight(info->DesignMetrics(), 120, form->font().family().toStdString(), th);
    ASSERT_LT(dh, th);
    info->FixFormScaling(form);
    EXPECT_EQ(form->size(), QSize(MulDiv(400, th, dh), MulDiv(300, th, dh)));
    EXPECT_EQ(form->pos(), QPoint(10, 10));
    form->show();
    // The controls keep their place while the form is repaired...
    EXPECT_EQ(corner->geometry(), QRect(300, 250, 80, 30));
    // ...and follow their anchors again afterwards.
    form->resize(form->width() + 10, form->height());
    EXPECT_EQ(corner->geometry(), QRect(310, 250, 80, 30));

    const QSize once = form->size();
    info->FixFormScaling(form);
    EXPECT_EQ(form->size(), once);
}

TEST_F(FixFormScalingTest, DesignDensityOrNoScrollingLeavesTheSizeAlone) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    TForm* design = MakeForm("frmDesign", QRect(10, 10, 400, 300));
    design->SetPixelsPerInch(96);
    design->SetAutoScroll(true);
    TForm* plain = MakeForm("frmPlain", QRect(10, 10, 400, 300));
    plain->SetPixelsPerInch(144);
    info->FixFormScaling(design);
    info->FixFormScaling(plain);
    info->FixFormScaling(nullptr);
    EXPECT_EQ(design->size(), QSize(400, 300));
    EXPECT_EQ(plain->size(), QSize(400, 300));
}

TEST_F(FixFormScalingTest, AFreedFormIsForgotten) {
    VTolmAppInfo* info = MakeAppInfo(&app_);
    TForm* form = MakeForm("frmGone", QRect(10, 10, 400, 300));
    info->FixFormScaling(form);
    delete form;
    // The list no longer holds it: a new form is repaired even if it reuses the address.
    TForm* again = MakeForm("frmAgain", QRect(10, 10, 400, 300));
    again->SetPixelsPerInch(120);
    again->SetAutoScroll(true);
    info->FixFormScaling(again);
    EXPECT_NE(again->size(), QSize(400, 300));
}

} // namespace
} // namespace celdara
