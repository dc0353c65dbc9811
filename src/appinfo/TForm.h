// The program's windows: a top-level QWidget that is also a component, so that it has an owner,
// a name (kept as its objectName) and can be found by walking the components from the
// application object. Also: the stacking order of the program's own windows, and anchored
// child controls.
#pragma once

#include "core/Component.h"
#include "core/Event.h"

#include <QSize>
#include <QWidget>
#include <vector>

class QMenuBar;

namespace celdara {

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// Sides of its parent that a child control keeps its distance to when the parent is resized.
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

using TCloseQueryEvent = TEvent<void(TObject* Sender, bool& CanClose)>;

class TForm : public QWidget, public TComponent {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // The component name, mirrored into objectName so that tools and tests find the window.
    void SetName(std::string name) override;

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    bool IsSizeable() const {
        return borderStyle_ == TFormBorderStyle::bsSizeable ||
               borderStyle_ == TFormBorderStyle::bsSizeToolWin;
    }
    bool IsToolWindow() const {
        return borderStyle_ == TFormBorderStyle::bsToolWindow ||
               borderStyle_ == TFormBorderStyle::bsSizeToolWin;
    }

    // A form put into another window (a page of a page control) is docked, not floating; its
    // undocked size is what it gets back when it floats again.
    bool Floating() const { return isWindow(); }
    int UndockWidth() const { return undockWidth_; }
    int UndockHeight() const { return undockHeight_; }
    void SetUndockWidth(int w) { undockWidth_ = w; }
    void SetUndockHeight(int h) { undockHeight_ = h; }

    // The pixel density the form is laid out for; 0 (the default) follows its screen.
    int PixelsPerInch() const;
    void SetPixelsPerInch(int dpi) { pixelsPerInch_ = dpi; }
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool on) { autoScroll_ = on; }
    QMenuBar* MainMenu() const { return mainMenu_; }
    void SetMainMenu(QMenuBar* menu) { mainMenu_ = menu; }

    const TNotifyEvent& OnShow() const { return onShow_; }
    void SetOnShow(TNotifyEvent handler) { onShow_ = std::move(handler); }
    const TCloseQueryEvent& OnCloseQuery() const { return onCloseQuery_; }
    void SetOnCloseQuery(TCloseQueryEvent handler) { onCloseQuery_ = std::move(handler); }
    // Whether the form may close now; asks OnCloseQuery.
    virtual bool CloseQuery();

    // The program's forms from top-most to bottom-most: the order in which they were last
    // activated or brought to the front. A form enters the order when first shown.
    static std::vector<TForm*> StackingOrder();
    // Raises the window and puts it at the top of the stacking order.
    void BringToFront();

    // Stops (and resumes) anchored children from following size changes.
    // Resuming takes the current size as the base, so what changed meanwhile does not move
    // them afterwards.
    void SetAnchorsSuspended(bool suspended);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void MoveToTop();
    void ApplyAnchors();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    int undockWidth_ = 0;
    int undockHeight_ = 0;
    int pixelsPerInch_ = 0;
    bool autoScroll_ = false;
    bool anchorsSuspended_ = false;
    QMenuBar* mainMenu_ = nullptr;
    TNotifyEvent onShow_;
    TCloseQueryEvent onCloseQuery_;
};

// Anchors of a child control (left and top when never set). Setting them records the
// parent's current size as the base that later size changes are measured from.
TAnchors Anchors(const QWidget* control);
void SetAnchors(QWidget* control, TAnchors anchors);
// Whether a layout places the control (the counterpart of an aligned control).
bool IsAligned(const QWidget* control);

// Whether the program shows its main form by itself when the message loop starts; a splash
// screen turns this off and shows the main form when it goes.
bool ApplicationShowMainForm();
void SetApplicationShowMainForm(bool show);

class TApplication;

// The program's message loop: shows `mainForm` unless a splash screen has taken that over,
// runs Qt's event loop, and then frees everything `app` owns while Qt is still there to take
// the windows down. Returns the loop's exit code.
int RunApplication(TApplication& app, TForm* mainForm);

} // namespace celdara
