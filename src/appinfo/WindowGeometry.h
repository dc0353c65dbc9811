// The arithmetic of window placement, kept free of windows so that it can be tested on its own:
// fitting into the work area, keeping a caption reachable, clipping the work area, anchored
// controls, the pixel-density repair of a form and the stacking order of restored forms.
#pragma once

#include "appinfo/TForm.h"

#include <QRect>
#include <QSize>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

// a * b / c rounded to the nearest integer (halves away from zero); -1 when c is 0.
int MulDiv(int a, int b, int c);

// Shrinks `r` to the work area's width and height where larger, moves it left and up so that
// its right and bottom edges are inside, then right and down so that its left and top are.
QRect FitRectInWorkArea(QRect r, const QRect& workArea);

// Caption-button size of a window (the small one for tool windows).
struct TCaptionMetrics {
    int ButtonWidth = 0;
    int ButtonHeight = 0;
};

// Moves a window rectangle just enough that its caption stays within reach in the work area:
// some of the caption beside the system menu at the right, the top at the bottom, enough of
// the caption left of the buttons at the left, the caption itself at the top.
QRect KeepCaptionVisibleRect(QRect r, const QRect& workArea, TFormBorderStyle style,
                             const TCaptionMetrics& metrics);

// The work area limited to the first monitor; with `halveWide`, a desktop wider than 16:9 keeps
// its left half and one narrower than 8:9 its top half (two monitors side by side count as one
// wide desktop).
QRect ClipWorkArea(QRect workArea, const QRect& firstMonitor, const QRect& desktop, bool halveWide);

// Where an anchored control goes when its parent grows by dx, dy: anchored at both sides it
// grows with it, at the far side only it moves.
QRect AnchoredRect(QRect r, TAnchors anchors, int dx, int dy);

// The pixel density, main-menu height and caption-button height forms are designed for.
struct TDesignMetrics {
    int Dpi = 96;
    int MenuHeight = 20;
    int CaptionButtonHeight = 25;
};

// The height of "0" the form had at design time, from the one measured now (`th`, which the
// 120 dpi "MS Shell Dlg 2" case corrects as well).
int DesignTextHeight(const TDesignMetrics& design, int dpi, const std::string& fontName, int& th);

struct TFormScalingInput {
    int Width = 0;  // outer width
    int Height = 0; // outer height
    int Bx = 0;     // from the left edge to the client area
    int By = 0;     // from the top edge to the client area
    int Th = 0;     // text height now
    int Dh = 0;     // text height at design time
    bool Sizeable = false;
    int CaptionButtonHeight = 0;
    bool HasMenu = false;
    int MenuHeight = 0;
};

// The outer size a form needs so that its contents scale from design-time text to today's.
QSize ScaledFormSize(const TFormScalingInput& in, const TDesignMetrics& design);

// The order forms are restored in, top-most first, as indices into `names` (the collected
// forms): the names of `zOrder` (joined by "|") first, each taking the first still unplaced
// form of exactly that name, then the forms in `stacking` (indices, top-most first), then the
// rest in collected order.
std::vector<std::size_t> MergeZOrder(const std::vector<std::string>& names, std::string_view zOrder,
                                     const std::vector<std::size_t>& stacking);

} // namespace celdara
