#include "appinfo/WindowGeometry.h"

#include <algorithm>
#include <cstdint>

namespace celdara {

namespace {

// Edges as the window system counts them: right and bottom lie just outside.
struct TEdges {
    int Left, Top, Right, Bottom;
};

TEdges EdgesOf(const QRect& r) {
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

QRect RectOf(const TEdges& e) {
    return QRect(e.Left, e.Top, e.Right - e.Left, e.Bottom - e.Top);
}

void Offset(TEdges& e, int dx, int dy) {
    e.Left += dx;
    e.Right += dx;
    e.Top += dy;
    e.Bottom += dy;
}

} // namespace

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    std::int64_t p = static_cast<std::int64_t>(a) * b;
    std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    bool negative = (p < 0) != (c < 0);
    std::int64_t ap = p < 0 ? -p : p;
    std::int64_t ac = c < 0 ? -static_cast<std::int64_t>(c) : c;
    std::int64_t q = (ap + half) / ac;
    q = negative ? -q : q;
    return static_cast<int>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

QRect FitRectInWorkArea(QRect r, const QRect& workArea) {
    TEdges e = EdgesOf(r);
    TEdges w = EdgesOf(workArea);
    if (e.Right - e.Left > w.Right - w.Left)
        e.Right = e.Left + (w.Right - w.Left);
    if (e.Bottom - e.Top > w.Bottom - w.Top)
        e.Bottom = e.Top + (w.Bottom - w.Top);
    if (e.Right > w.Right)
        Offset(e, w.Right - e.Right, 0);
    if (e.Bottom > w.Bottom)
        Offset(e, 0, w.Bottom - e.Bottom);
    if (e.Left < w.Left)
        Offset(e, w.Left - e.Left, 0);
    if (e.Top < w.Top)
        Offset(e, 0, w.Top - e.Top);
    return RectOf(e);
}

QRect KeepCaptionVisibleRect(QRect r, const QRect& workArea, TFormBorderStyle style,
                             const TCaptionMetrics& metrics) {
    TEdges e = EdgesOf(r);
    TEdges w = EdgesOf(workArea);
    const int b = metrics.ButtonWidth;
    if (e.Left + b + 6 > w.Right)
        Offset(e, w.Right - (e.Left + b + 6), 0);
    if (e.Top + 10 > w.Bottom)
        Offset(e, 0, w.Bottom - (e.Top + 10));
    int buttons = 0;
    switch (style) {
    case TFormBorderStyle::bsNone:
        buttons = 0;
        break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsSizeable:
        buttons = 3 * b - 10;
        break;
    default:
        buttons = b - 3;
        break;
    }
    if (e.Right - buttons - 10 < w.Left)
        Offset(e, w.Left - (e.Right - buttons - 10), 0);
    if (e.Top + metrics.ButtonHeight - 4 < w.Top)
        Offset(e, 0, w.Top - (e.Top + metrics.ButtonHeight - 4));
    return RectOf(e);
}

QRect ClipWorkArea(QRect workArea, const QRect& firstMonitor, const QRect& desktop,
                   bool halveWide) {
    TEdges e = EdgesOf(workArea);
    TEdges m = EdgesOf(firstMonitor);
    if (!firstMonitor.isEmpty()) {
        e.Left = std::max(e.Left, m.Left);
        e.Top = std::max(e.Top, m.Top);
        e.Right = std::min(e.Right, m.Right);
        e.Bottom = std::min(e.Bottom, m.Bottom);
    }
    if (halveWide && !desktop.isEmpty()) {
        const std::int64_t dw = desktop.width();
        const std::int64_t dh = desktop.height();
        if (dw * 9 > dh * 16)
            e.Right = std::min(e.Right, desktop.x() + desktop.width() / 2);
        else if (dw * 9 < dh * 8)
            e.Bottom = std::min(e.Bottom, desktop.y() + desktop.height() / 2);
    }
    e.Right = std::max(e.Right, e.Left);
    e.Bottom = std::max(e.Bottom, e.Top);
    return RectOf(e);
}

QRect AnchoredRect(QRect r, TAnchors anchors, int dx, int dy) {
    if (anchors & akRight) {
        if (anchors & akLeft)
            r.setWidth(std::max(0, r.width() + dx));
        else
            r.translate(dx, 0);
    }
    if (anchors & akBottom) {
        if (anchors & akTop)
            r.setHeight(std::max(0, r.height() + dy));
        else
            r.translate(0, dy);
    }
    return r;
}

int DesignTextHeight(const TDesignMetrics& design, int dpi, const std::string& fontName, int& th) {
    if (dpi == 120) {
        if (fontName == "Tahoma" && (th == 16 || th == 17))
            return 13;
        if (fontName == "MS Shell Dlg 2" && th == 17) {
            th = 25;
            return 19;
        }
    }
    if (dpi <= 0)
        return th;
    return (design.Dpi * th + 30) / dpi;
}

QSize ScaledFormSize(const TFormScalingInput& in, const TDesignMetrics& design) {
    if (in.Th <= 0 || in.Dh <= 0)
        return QSize(in.Width, in.Height);
    int width = MulDiv(in.Width - 2 * in.Bx, in.Th, in.Dh) + 2 * in.Bx;
    int h = in.Height - in.Bx - in.By;
    if (in.Sizeable)
        h += in.CaptionButtonHeight - design.CaptionButtonHeight;
    if (in.HasMenu)
        h = MulDiv(h + in.MenuHeight - design.MenuHeight, in.Th, in.Dh);
    else
        h = MulDiv(h, in.Th, in.Dh);
    return QSize(width, h + in.Bx + in.By);
}

std::vector<std::size_t> MergeZOrder(const std::vector<std::string>& names, std::string_view zOrder,
                                     const std::vector<std::size_t>& stacking) {
    std::vector<bool> placed(names.size(), false);
    std::vector<std::size_t> order;
    std::size_t start = 0;
    while (start <= zOrder.size()) {
        std::size_t end = zOrder.find('|', start);
        if (end == std::string_view::npos)
            end = zOrder.size();
        std::string_view name = zOrder.substr(start, end - start);
        start = end + 1;
        if (name.empty())
            continue;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!placed[i] && names[i] == name) {
                placed[i] = true;
                order.push_back(i);
                break;
            }
        }
    }
    for (std::size_t i : stacking) {
        if (i < names.size() && !placed[i]) {
            placed[i] = true;
            order.push_back(i);
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!placed[i])
            order.push_back(i);
    return order;
}

} // namespace celdara
