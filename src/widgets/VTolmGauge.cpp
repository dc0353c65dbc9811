#include "widgets/VTolmGauge.h"

#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace celdara::widgets {

TColor ToTColor(const QColor& color) {
    if (!color.isValid() || color.alpha() == 0)
        return clNone;
    return RGBColor(color.red(), color.green(), color.blue());
}

QColor ToQColor(TColor color) {
    if (color == clNone)
        return QColor(0, 0, 0, 0);
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

bool StyleDrawsNativeTheme(const QStyle* style) {
    if (!style)
        return false;
    const QString name = style->name().toLower();
    return name == QLatin1String("windowsvista") || name == QLatin1String("windows11") ||
           name == QLatin1String("macos");
}

namespace {

constexpr TColor kFrameGrey = RGBColor(80, 80, 80);
constexpr TColor kMaskLight = RGBColor(0, 0, 0);
constexpr TColor kMaskDark = RGBColor(255, 255, 255);

// Draws one kind into an image, once in colour and once as the light/dark mask for the text.
// Rectangles are given as (left, top, right, bottom) with right and bottom excluded. Pixels are
// set directly: the rings of the themed decorations are one pixel wide and must not depend on
// how a rasteriser rounds an ellipse.
class GaugePainter {
public:
    GaugePainter(QImage& image, const VTolmGaugePaintColors& colors, bool mask, bool themed,
                 VTolmGaugeBorderStyle border)
        : image_(image), colors_(colors), mask_(mask), themed_(themed), border_(border),
          w_(image.width()), h_(image.height()) {}

    void Paint(VTolmGaugeKind kind, const GaugeRange& range) {
        switch (kind) {
        case VTolmGaugeKind::vgkText:
            FillRect(0, 0, w_, h_, colors_.BackColor);
            break;
        case VTolmGaugeKind::vgkHorizontalBar:
        case VTolmGaugeKind::vgkVerticalBar:
            PaintBar(kind == VTolmGaugeKind::vgkHorizontalBar, range);
            break;
        case VTolmGaugeKind::vgkPie:
            PaintPie(range);
            break;
        case VTolmGaugeKind::vgkNeedle:
            PaintNeedle(range);
            break;
        }
    }

private:
    // What a colour becomes in this run: itself, or white/black by darkness in the mask.
    QRgb Resolve(TColor c) const {
        if (mask_)
            c = IsDarkColor(c) ? kMaskDark : kMaskLight;
        return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
    }

    // The surroundings of a shape: the face in colour (transparent without a face), black in
    // the mask.
    QRgb Surround() const {
        if (mask_)
            return qRgb(0, 0, 0);
        return colors_.FaceColor == clNone ? qRgba(0, 0, 0, 0) : Resolve(colors_.FaceColor);
    }

    void Set(int x, int y, QRgb v) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_)
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = v;
    }

    void FillRaw(int l, int t, int r, int b, QRgb v) {
        l = std::max(l, 0);
        t = std::max(t, 0);
        r = std::min(r, w_);
        b = std::min(b, h_);
        for (int y = t; y < b; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            std::fill(line + l, line + std::max(l, r), v);
        }
    }

    void FillRect(int l, int t, int r, int b, TColor c) {
        if (c != clNone)
            FillRaw(l, t, r, b, Resolve(c));
    }

    void Pixel(int x, int y, TColor c) { FillRect(x, y, x + 1, y + 1, c); }
    void HLine(int x0, int x1, int y, TColor c) { FillRect(x0, y, x1 + 1, y + 1, c); }
    void VLine(int x, int y0, int y1, TColor c) { FillRect(x, y0, x + 1, y1 + 1, c); }

    void Outline(int l, int t, int r, int b, TColor c) {
        if (r - l < 1 || b - t < 1)
            return;
        HLine(l, r - 1, t, c);
        HLine(l, r - 1, b - 1, c);
        VLine(l, t, b - 1, c);
        VLine(r - 1, t, b - 1, c);
    }

    // The ellipse inscribed in (l, t)-(r, b): a pixel belongs to it when its centre lies
    // inside. `take` is asked with the pixel centre in coordinates of the unit circle (x right,
    // y up) and the pixel is set when it agrees. Rows are cut to the ellipse's span first, so
    // only pixels of the ellipse are visited.
    template <typename Take>
    void FillEllipseWhere(int l, int t, int r, int b, QRgb v, Take take) {
        if (r <= l || b <= t)
            return;
        const double cx = (l + r) / 2.0;
        const double cy = (t + b) / 2.0;
        const double rx = (r - l) / 2.0;
        const double ry = (b - t) / 2.0;
        for (int y = std::max(t, 0); y < std::min(b, h_); ++y) {
            const double dy = (y + 0.5 - cy) / ry;
            if (dy * dy > 1.0)
                continue;
            const double half = rx * std::sqrt(1.0 - dy * dy);
            const int x0 = std::max({l, 0, static_cast<int>(std::ceil(cx - half - 0.5))});
            const int x1 = std::min({r - 1, w_ - 1, static_cast<int>(std::floor(cx + half - 0.5))});
            auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
            for (int x = x0; x <= x1; ++x)
                if (take((x + 0.5 - cx) / rx, -dy))
                    line[x] = v;
        }
    }

    void FillEllipse(int l, int t, int r, int b, TColor c) {
        if (c != clNone)
            FillEllipseWhere(l, t, r, b, Resolve(c), [](double, double) { return true; });
    }

    // Part of an ellipse from startDeg through spanDeg (0 at 3 o'clock, counter-clockwise;
    // a negative span runs clockwise). Decided by the sides of the two edge rays, not by
    // angles: a sector of a large pie has tens of thousands of pixels.
    void FillSector(int l, int t, int r, int b, double startDeg, double spanDeg, TColor c) {
        if (c == clNone)
            return;
        if (std::fabs(spanDeg) >= 360.0) {
            FillEllipse(l, t, r, b, c);
            return;
        }
        const double from = (spanDeg < 0 ? startDeg + spanDeg : startDeg) * std::numbers::pi / 180;
        const double to = from + std::fabs(spanDeg) * std::numbers::pi / 180;
        const double ux = std::cos(from), uy = std::sin(from);
        const double vx = std::cos(to), vy = std::sin(to);
        const bool narrow = std::fabs(spanDeg) <= 180.0;
        FillEllipseWhere(l, t, r, b, Resolve(c), [=](double x, double y) {
            const double afterStart = ux * y - uy * x; // >= 0: counter-clockwise of the start
            const double beforeEnd = x * vy - y * vx;  // >= 0: clockwise of the end
            // Points on an edge ray belong to the sector; the margin absorbs the rounding of
            // cos and sin at right angles, which would otherwise drop one edge and keep the other.
            constexpr double onEdge = -1e-9;
            if (narrow)
                return afterStart >= onEdge && beforeEnd >= onEdge;
            return afterStart >= onEdge || beforeEnd >= onEdge;
        });
    }

    void FillWedge(int l, int t, int r, int b, const PieWedge& w, TColor c) {
        switch (w.shape) {
        case PieWedge::Shape::None:
            break;
        case PieWedge::Shape::Full:
            FillEllipse(l, t, r, b, c);
            break;
        case PieWedge::Shape::Sector:
            FillSector(l, t, r, b, w.startDeg, w.spanDeg, c);
            break;
        }
    }

    // A one-pixel ring: the ellipse's pixels that the ellipse one pixel smaller lacks.
    void EllipseOutline(int l, int t, int r, int b, TColor c, double fromDeg = 0,
                        double toDeg = 360) {
        if (c == clNone || r <= l || b <= t)
            return;
        const double cx = (l + r) / 2.0;
        const double cy = (t + b) / 2.0;
        const double rx = (r - l) / 2.0;
        const double ry = (b - t) / 2.0;
        auto inside = [&](double px, double py, double shrink) {
            const double ax = rx - shrink;
            const double ay = ry - shrink;
            if (ax <= 0 || ay <= 0)
                return false;
            const double dx = (px - cx) / ax;
            const double dy = (py - cy) / ay;
            return dx * dx + dy * dy <= 1.0;
        };
        const QRgb v = Resolve(c);
        for (int y = std::max(t, 0); y < std::min(b, h_); ++y) {
            for (int x = std::max(l, 0); x < std::min(r, w_); ++x) {
                const double px = x + 0.5;
                const double py = y + 0.5;
                if (!inside(px, py, 0.0) || inside(px, py, 1.0))
                    continue;
                double deg = std::atan2(-(py - cy) / ry, (px - cx) / rx) * 180.0 / std::numbers::pi;
                if (deg < 0)
                    deg += 360.0;
                if (deg >= fromDeg && deg <= toDeg)
                    Set(x, y, v);
            }
        }
    }

    // A line including both ends.
    void Line(int x0, int y0, int x1, int y1, TColor c) {
        if (c == clNone)
            return;
        const QRgb v = Resolve(c);
        const int dx = std::abs(x1 - x0);
        const int dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1;
        const int sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        for (;;) {
            Set(x0, y0, v);
            if (x0 == x1 && y0 == y1)
                break;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

    void PaintBar(bool horizontal, const GaugeRange& range) {
        const TColor fore = colors_.ForeColor;
        const TColor back = colors_.BackColor;
        const TColor frame = colors_.FrameColor;
        int s = 1;
        if (themed_) {
            s = 3;
            ThemedBorder(frame, back);
        } else {
            Outline(0, 0, w_, h_, frame);
        }
        if (horizontal) {
            const int split = HorizontalBarSplit(w_, s, range);
            FillRect(std::max(split, s), s, w_ - s, h_ - s, back);
            if (split > s) {
                FillRect(s, s, split, h_ - s, fore);
                if (themed_ && !mask_)
                    Shading(true, s, split, fore, back);
            }
        } else {
            const int split = VerticalBarSplit(h_, s, range);
            FillRect(s, s, w_ - s, std::min(split, h_ - s), back);
            if (split < h_ - s) {
                FillRect(s, split, w_ - s, h_ - s, fore);
                if (themed_ && !mask_)
                    Shading(false, split, h_ - s, fore, back);
            }
        }
    }

    // A 3-pixel border with rounded corners, lit from the top left.
    void ThemedBorder(TColor frame, TColor back) {
        const int r = w_ - 1;
        const int b = h_ - 1;
        if (w_ < 4 || h_ < 4) {
            Outline(0, 0, w_, h_, frame);
            return;
        }
        HLine(1, r - 1, 0, frame);
        HLine(1, r - 1, b, frame);
        VLine(0, 1, b - 1, frame);
        VLine(r, 1, b - 1, frame);
        for (auto [x, y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {r, 0}, {0, b}, {r, b}}})
            Set(x, y, Surround());
        const TColor corner = ColorMix(frame, back, 50);
        for (auto [x, y] :
             std::array<std::pair<int, int>, 4>{{{1, 1}, {r - 1, 1}, {1, b - 1}, {r - 1, b - 1}}})
            Pixel(x, y, corner);
        const TColor lit = ColorMix(frame, back, 60);
        const TColor shade = ColorMix(frame, back, 80);
        HLine(2, r - 2, 1, lit);
        VLine(1, 2, b - 2, lit);
        HLine(2, r - 2, b - 1, shade);
        VLine(r - 1, 2, b - 2, shade);
        Outline(2, 2, w_ - 2, h_ - 2, back);
    }

    // Lines along the long sides of the filled part, from the outside in; the horizontal bar
    // fills x in [from, to), the vertical bar y in [from, to).
    void Shading(bool horizontal, int from, int to, TColor fore, TColor back) {
        const int inner = horizontal ? h_ - 6 : w_ - 6;
        struct Step {
            int above;
            int percent;
        };
        const std::array<Step, 3> steps = horizontal
                                              ? std::array<Step, 3>{{{11, 80}, {6, 50}, {9, 20}}}
                                              : std::array<Step, 3>{{{6, 80}, {4, 50}, {2, 20}}};
        int j = 0;
        for (const Step& st : steps) {
            if (inner <= st.above)
                continue;
            const TColor c = ColorMix(fore, back, st.percent);
            if (horizontal) {
                FillRect(from, 3 + j, to, 4 + j, c);
                FillRect(from, h_ - 4 - j, to, h_ - 3 - j, c);
            } else {
                FillRect(3 + j, from, 4 + j, to, c);
                FillRect(w_ - 4 - j, from, w_ - 3 - j, to, c);
            }
            ++j;
        }
    }

    void PaintPie(const GaugeRange& range) {
        const TColor fore = colors_.ForeColor;
        const TColor back = colors_.BackColor;
        const TColor frame = colors_.FrameColor;
        FillRaw(0, 0, w_, h_, Surround());
        int inset = 0;
        if (themed_) {
            inset = 2;
            FillEllipse(0, 0, w_ + 1, h_ + 1, ColorMix(frame, back, 50));
            FillEllipse(1, 1, w_, h_, frame);
            FillSector(2, 2, w_ - 1, h_ - 1, 225, 180, ColorMix(frame, back, 60));
            FillSector(2, 2, w_ - 1, h_ - 1, 45, 180, ColorMix(frame, back, 80));
            FillEllipse(3, 3, w_ - 2, h_ - 2, back);
        }
        auto wedges = [&](int i) { return ComputePieWedges(i, i, w_ - i, h_ - i, range); };
        FillWedge(inset, inset, w_ - inset, h_ - inset, wedges(inset).unfilled, back);
        if (themed_) {
            const std::array<std::pair<int, int>, 3> rings{{{3, 80}, {4, 50}, {5, 20}}};
            for (auto [i, percent] : rings)
                FillWedge(i, i, w_ - i, h_ - i, wedges(i).filled, ColorMix(fore, back, percent));
            FillWedge(6, 6, w_ - 6, h_ - 6, wedges(6).filled, fore);
        } else {
            FillWedge(0, 0, w_, h_, wedges(0).filled, fore);
            const bool larger =
                border_ == VTolmGaugeBorderStyle::bsSingle && colors_.FaceColor != clNone;
            const int grow = larger ? 1 : 0;
            EllipseOutline(0, 0, w_ + grow, h_ + grow, frame);
        }
    }

    void PaintNeedle(const GaugeRange& range) {
        const TColor back = colors_.BackColor;
        const TColor frame = colors_.FrameColor;
        FillRaw(0, 0, w_, h_, Surround());
        const int c = themed_ ? 2 : 0;
        auto upper = [](double, double y) { return y >= 0.0; };
        // The dial is the upper half of an ellipse twice as high as the control.
        auto bottom = [this](int i) { return 2 * (h_ - i) - 1; };
        if (themed_) {
            // Rings around the dial, lit from the top left; the frame ring is its outline.
            if (const TColor m = ColorMix(frame, back, 50); m != clNone)
                FillEllipseWhere(0, 0, w_, bottom(0), Resolve(m), upper);
            if (frame != clNone)
                FillEllipseWhere(1, 1, w_ - 1, bottom(1), Resolve(frame), upper);
            FillSector(2, 2, w_ - 2, bottom(2), 90, 90, ColorMix(frame, back, 60));
            FillSector(2, 2, w_ - 2, bottom(2), 0, 90, ColorMix(frame, back, 80));
            if (back != clNone)
                FillEllipseWhere(3, 3, w_ - 3, bottom(3), Resolve(back), upper);
        } else {
            if (back != clNone)
                FillEllipseWhere(c, c, w_ - c, bottom(c), Resolve(back), upper);
            EllipseOutline(c, c, w_ - c, bottom(c), frame, 0, 180);
        }
        // The dial's straight edge, which the needle stands on.
        HLine(c, w_ - c - 1, h_ - c - 1, frame);
        const NeedleGeometry n = ComputeNeedle(w_, h_, c, range);
        if (n.visible)
            Line(n.baseX, n.baseY, n.tipX, n.tipY, colors_.ForeColor);
    }

    QImage& image_;
    const VTolmGaugePaintColors& colors_;
    bool mask_;
    bool themed_;
    VTolmGaugeBorderStyle border_;
    int w_;
    int h_;
};

// Lays the text over the image in its colour XOR the light/dark mask, so it stays legible
// over both the bar and the background; the coverage gives antialiased edges their share.
void BlendText(QImage& image, const QImage& coverage, const QImage& mask, TColor textColor) {
    const int w = image.width();
    const int h = image.height();
    for (int y = 0; y < h; ++y) {
        const auto* cov = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        const auto* msk = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = qAlpha(cov[x]);
            if (a == 0)
                continue;
            const TColor m = RGBColor(qRed(msk[x]), qGreen(msk[x]), qBlue(msk[x]));
            const TColor t = textColor ^ m;
            const QRgb under = out[x];
            auto blend = [a](int top, int below) { return (top * a + below * (255 - a)) / 255; };
            const int ua = qAlpha(under);
            out[x] = qRgba(blend(RedOf(t), qRed(under)), blend(GreenOf(t), qGreen(under)),
                           blend(BlueOf(t), qBlue(under)), blend(255, ua));
        }
    }
}

} // namespace

VTolmGauge::VTolmGauge(QWidget* parent) : QWidget(parent) {
    resize(100, 100);
}

void VTolmGauge::Repaint() {
    update();
}

void VTolmGauge::SetKind(VTolmGaugeKind kind) {
    if (kind == kind_)
        return;
    kind_ = kind;
    // Kinds differ in which pixels they cover, so the parent shows through elsewhere.
    if (QWidget* p = parentWidget())
        p->update(geometry());
    Repaint();
}

void VTolmGauge::SetProgress(int value) {
    if (range_.SetProgress(value))
        Repaint();
}

void VTolmGauge::SetMinValue(int value) {
    if (range_.SetMinValue(value))
        Repaint();
}

void VTolmGauge::SetMaxValue(int value) {
    if (range_.SetMaxValue(value))
        Repaint();
}

void VTolmGauge::SetShowMinValue(int value) {
    if (range_.SetShowMinValue(value))
        Repaint();
}

void VTolmGauge::SetShowMaxValue(int value) {
    if (range_.SetShowMaxValue(value))
        Repaint();
}

void VTolmGauge::SetDigitsAfterPoint(int value) {
    if (range_.SetDigitsAfterPoint(value))
        Repaint();
}

void VTolmGauge::SetUnits(const QString& units) {
    if (units == units_)
        return;
    units_ = units;
    Repaint();
}

void VTolmGauge::SetShowText(bool show) {
    if (show == showText_)
        return;
    showText_ = show;
    Repaint();
}

void VTolmGauge::SetBorderStyle(VTolmGaugeBorderStyle style) {
    if (style == borderStyle_)
        return;
    borderStyle_ = style;
    Repaint();
}

void VTolmGauge::SetForeColor(TColor color) {
    if (color == foreColor_)
        return;
    foreColor_ = color;
    Repaint();
}

void VTolmGauge::SetBackColor(TColor color) {
    if (color == backColor_)
        return;
    backColor_ = color;
    Repaint();
}

TColor VTolmGauge::Color() const {
    return color_ ? *color_ : ToTColor(palette().color(QPalette::Window));
}

void VTolmGauge::SetColor(TColor color) {
    color_ = color;
    Repaint();
}

void VTolmGauge::SetTheme(VTolmGaugeTheme theme) {
    theme_ = theme;
    Repaint();
}

bool VTolmGauge::Themed() const {
    switch (theme_) {
    case VTolmGaugeTheme::Plain:
        return false;
    case VTolmGaugeTheme::Themed:
        return true;
    case VTolmGaugeTheme::FollowStyle:
        break;
    }
    return StyleDrawsNativeTheme(style());
}

QString VTolmGauge::Text() const {
    const QLocale locale;
    return QString::fromStdString(
        GaugeText(range_, units_.toStdString(), locale.decimalPoint().toStdString()));
}

VTolmGaugePaintColors VTolmGauge::PaintColors() {
    VTolmGaugePaintColors colors;
    colors.ForeColor = foreColor_;
    colors.BackColor = backColor_;
    colors.FaceColor = Color();
    colors.FrameColor = kFrameGrey;
    colors.TextColor = ToTColor(palette().color(QPalette::WindowText));
    colors.Text = showText_ ? Text() : QString();
    if (OnGetColors)
        OnGetColors(*this, colors);
    return colors;
}

QImage VTolmGauge::RenderImage() {
    const VTolmGaugePaintColors colors = PaintColors();
    const int w = std::max(1, width());
    const int h = std::max(1, height());
    const bool themed = Themed();

    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (colors.FaceColor != clNone) {
        QPainter p(&image);
        p.fillRect(0, 0, w, h, ToQColor(colors.FaceColor));
        if (colors.FrameColor != clNone) {
            p.setPen(ToQColor(colors.FrameColor));
            p.drawRect(0, 0, w - 1, h - 1);
        }
    }
    {
        GaugePainter painter(image, colors, false, themed, borderStyle_);
        painter.Paint(kind_, range_);
    }
    if (colors.Text.isEmpty() || colors.TextColor == clNone)
        return image;

    // The light/dark mask of the same drawing: white where the gauge is dark.
    QImage mask(w, h, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::black);
    {
        GaugePainter painter(mask, colors, true, themed, borderStyle_);
        painter.Paint(kind_, range_);
    }

    // The text's coverage, so that antialiased edges blend like ordinary text.
    QImage coverage(w, h, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setFont(font());
        p.setPen(Qt::white);
        const QFontMetrics fm(font());
        const TextPosition pos =
            GaugeTextPosition(w, h, fm.horizontalAdvance(colors.Text), fm.height());
        p.drawText(pos.x, pos.y + fm.ascent(), colors.Text);
    }

    BlendText(image, coverage, mask, colors.TextColor);
    return image;
}

void VTolmGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, RenderImage());
}

void VTolmGauge::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (QWidget* p = parentWidget())
        p->update();
}

} // namespace celdara::widgets
