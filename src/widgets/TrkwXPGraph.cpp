#include "widgets/TrkwXPGraph.h"

#include "qtplatform/QtTimer.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace celdara::widgets {

namespace {

// Width of the frames' two lowered bevels; the grid starts there.
constexpr int kBevelInset = 2;

QRect ToQRect(const GraphRect& r) {
    return QRect(r.left, r.top, std::max(0, r.width), std::max(0, r.height));
}

QFrame* MakeLoweredFrame(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    return frame;
}

NumberFormat LocaleNumberFormat() {
    const QLocale locale;
    NumberFormat f;
    f.decimalSeparator = locale.decimalPoint().toStdString();
    f.groupSeparator = (locale.numberOptions() & QLocale::OmitGroupSeparator)
                           ? std::string()
                           : locale.groupSeparator().toStdString();
    return f;
}

} // namespace

TrkwShape::TrkwShape(QWidget* parent) : QWidget(parent) {}

void TrkwShape::SetBrush(const QColor& color) {
    brush_ = color;
    update();
}

void TrkwShape::paintEvent(QPaintEvent*) {
    if (!onPaint_)
        return;
    QPainter p(this);
    onPaint_(*this, p);
}

TrkwXPGraph::TrkwXPGraph(QWidget* parent, std::unique_ptr<TTimer> refreshTimer)
    : QWidget(parent), refreshTimer_(std::move(refreshTimer)) {
    graphFont_ = font();

    usageBox_ = new QGroupBox(QStringLiteral("Usage"), this);
    usageBox_->setObjectName(QStringLiteral("usageBox"));
    usageFrame_ = MakeLoweredFrame(usageBox_, "usageFrame");
    usageSurface_ = new TrkwShape(usageFrame_);
    usageSurface_->setObjectName(QStringLiteral("usageSurface"));
    usageSurface_->SetBrush(Qt::black);
    usageSurface_->SetOnPaint([this](TrkwShape& s, QPainter& p) { PaintUsage(s, p); });

    historyBox_ = new QGroupBox(QStringLiteral("Usage History"), this);
    historyBox_->setObjectName(QStringLiteral("historyBox"));
    historyFrame_ = MakeLoweredFrame(historyBox_, "historyFrame");
    historySurface_ = new TrkwShape(historyFrame_);
    historySurface_->setObjectName(QStringLiteral("historySurface"));
    historySurface_->SetBrush(Qt::black);
    historySurface_->SetOnPaint([this](TrkwShape& s, QPainter& p) { PaintHistory(s, p); });

    statPlate_ = new TrkwShape(this);
    statPlate_->setObjectName(QStringLiteral("statPlate"));
    statPlate_->SetOnPaint([this](TrkwShape& s, QPainter& p) { PaintStatPlate(s, p); });
    statLabel_ = new QLabel(this);
    statLabel_->setObjectName(QStringLiteral("statLabel"));
    statLabel_->setAttribute(Qt::WA_TranslucentBackground);
    statPlate_->hide();
    statLabel_->hide();

    lastParentColor_ = ParentColor();
    setMinimumSize(kGraphMinWidth, kGraphMinHeight);
    resize(kGraphDefaultWidth, kGraphDefaultHeight);
    ApplyLayout();

    if (!refreshTimer_)
        refreshTimer_ = std::make_unique<TQtTimer>(nullptr);
    refreshTimer_->SetName("refreshTimer");
    refreshTimer_->SetEnabled(false);
    refreshTimer_->SetInterval(1000);
    refreshTimer_->SetOnTimer(TNotifyEvent::From([this](TObject*) { Refresh(); }));
}

TrkwXPGraph::~TrkwXPGraph() = default;

QColor TrkwXPGraph::ParentColor() const {
    if (const QWidget* p = parentWidget())
        return p->palette().color(QPalette::Window);
    return palette().color(QPalette::Button);
}

QColor TrkwXPGraph::Color() const {
    return color_ ? *color_ : ParentColor();
}

void TrkwXPGraph::SetColor(const QColor& color) {
    color_ = color;
    update();
    statPlate_->update();
}

QColor TrkwXPGraph::BackGround() const {
    return usageSurface_->Brush();
}

void TrkwXPGraph::SetBackGround(const QColor& color) {
    usageSurface_->SetBrush(color);
    historySurface_->SetBrush(color);
}

void TrkwXPGraph::SetUsageValue(int value) {
    if (value < 0) {
        usageValue_ = kNoValue;
    } else {
        usageValue_ = std::min(value, maxValue_);
        mean_.Add(usageValue_);
    }
    if (!active_)
        Refresh();
}

QString TrkwXPGraph::UsageBarText() const {
    if (usageValue_ < 0)
        return QString(QChar(0x2013));
    return QString::fromStdString(UsageText(usageValue_ + valueOffset_, usageLabel_.toStdString()));
}

void TrkwXPGraph::SetUsageLabel(const QString& label) {
    usageLabel_ = label;
    Refresh();
}

void TrkwXPGraph::SetGraphFont(const QFont& font, const QColor& color) {
    graphFont_ = font;
    graphFontColor_ = color;
    statLabel_->setFont(font);
    Refresh();
}

unsigned TrkwXPGraph::RefreshInterval() const {
    return refreshTimer_->Interval();
}

void TrkwXPGraph::SetRefreshInterval(unsigned interval) {
    // A timer that may not fire faster than the graph can be drawn.
    refreshTimer_->SetInterval(std::max(interval, 100u));
}

void TrkwXPGraph::SetMaxValue(int value) {
    maxValue_ = value;
}

void TrkwXPGraph::SetValueOffset(int offset) {
    valueOffset_ = offset;
    usageSurface_->update();
}

void TrkwXPGraph::ReplaceHistory(const std::vector<int>& values) {
    history_.Assign(values);
    usageValue_ = values.empty()      ? 0
                  : values.back() < 0 ? kNoValue
                                      : std::min(values.back(), std::max(maxValue_, 0));
    usageSurface_->update();
    historySurface_->update();
}

void TrkwXPGraph::SetColorHalf(const QColor& color) {
    colorHalf_ = color;
    Refresh();
}

void TrkwXPGraph::SetColor75(const QColor& color) {
    color75_ = color;
    Refresh();
}

void TrkwXPGraph::SetColorMax(const QColor& color) {
    colorMax_ = color;
    Refresh();
}

void TrkwXPGraph::SetColorUsageBarBack(const QColor& color) {
    colorUsageBarBack_ = color;
    Refresh();
}

void TrkwXPGraph::SetColorHistoryGrid(const QColor& color) {
    colorHistoryGrid_ = color;
    Refresh();
}

void TrkwXPGraph::SetColorHistoryGridLine(const QColor& color) {
    colorHistoryGridLine_ = color;
    Refresh();
}

QString TrkwXPGraph::UsageCaption() const {
    return usageBox_->title();
}

void TrkwXPGraph::SetUsageCaption(const QString& caption) {
    usageBox_->setTitle(caption);
}

QString TrkwXPGraph::HistoryCaption() const {
    return historyBox_->title();
}

void TrkwXPGraph::SetHistoryCaption(const QString& caption) {
    historyBox_->setTitle(caption);
}

void TrkwXPGraph::SetActive(bool active) {
    active_ = active;
    refreshTimer_->SetEnabled(active);
}

void TrkwXPGraph::SetDisplayStat(bool display) {
    displayStat_ = display;
    if (display) {
        setMinimumHeight(kGraphMinHeightWithStat);
    } else {
        setMinimumHeight(kGraphMinHeight);
        if (height() == kGraphMinHeightWithStat)
            resize(width(), kGraphMinHeight);
    }
    statPlate_->setVisible(display);
    statLabel_->setVisible(display);
    Refresh();
}

QString TrkwXPGraph::StatisticsText() const {
    return statLabel_->text();
}

void TrkwXPGraph::ApplyLayout() {
    const GraphLayout l = ComputeGraphLayout(width(), height(), displayStat_);
    usageBox_->setGeometry(ToQRect(l.usageBox));
    historyBox_->setGeometry(ToQRect(l.historyBox));
    usageFrame_->setGeometry(ToQRect(l.usageFrame));
    historyFrame_->setGeometry(ToQRect(l.historyFrame));
    usageSurface_->setGeometry(usageFrame_->contentsRect());
    historySurface_->setGeometry(historyFrame_->contentsRect());
    statPlate_->setGeometry(ToQRect(l.statPlate));
    statLabel_->move(l.statLabelLeft, l.statLabelTop);
}

void TrkwXPGraph::Refresh() {
    if (!parentWidget())
        return;
    ApplyLayout();
    history_.Sample(usageValue_);
    statPlate_->update();
    usageSurface_->update();
    historySurface_->update();
    UpdateStatText();
}

void TrkwXPGraph::UpdateStatText() {
    if (!displayStat_)
        return;
    const std::string text = celdara::widgets::StatisticsText(maxValue_, mean_.Mean(), usageValue_,
                                                              LocaleNumberFormat());
    statLabel_->setText(QString::fromStdString(text));
    statLabel_->adjustSize();
}

QColor TrkwXPGraph::SegmentQColor(SegmentColor c) const {
    switch (c) {
    case SegmentColor::Half:
        return colorHalf_;
    case SegmentColor::Upper75:
        return color75_;
    case SegmentColor::Max:
        return colorMax_;
    case SegmentColor::Back:
        break;
    }
    return colorUsageBarBack_;
}

void TrkwXPGraph::PaintUsage(TrkwShape& shape, QPainter& p) {
    const int w = shape.width();
    const int h = shape.height();
    p.fillRect(0, 0, w, h, shape.Brush());

    const QString text = UsageBarText();
    const QFontMetrics fm(graphFont_);
    const UsageBarGeometry bar = ComputeUsageBar(w, h, fm.horizontalAdvance(text), fm.height(),
                                                 std::max(usageValue_, 0), maxValue_);
    p.setFont(graphFont_);
    p.setPen(graphFontColor_);
    p.drawText(bar.textLeft, bar.textTop + fm.ascent(), text);

    for (int i = 0; i < bar.segmentCount; ++i) {
        const QColor c = SegmentQColor(bar.ColorOf(i));
        p.fillRect(ToQRect(bar.LeftBlock(i)), c);
        p.fillRect(ToQRect(bar.RightBlock(i)), c);
    }
}

void TrkwXPGraph::PaintHistory(TrkwShape& shape, QPainter& p) {
    const int w = shape.width();
    const int h = shape.height();
    p.fillRect(0, 0, w, h, shape.Brush());

    const HistoryGrid grid = ComputeHistoryGrid(w, h, history_.ScrollOffset());
    p.setPen(colorHistoryGrid_);
    for (int y : grid.horizontalY)
        p.drawLine(kBevelInset, y, w, y);
    for (int x : grid.verticalX)
        p.drawLine(x, kBevelInset, x, h - kBevelInset);

    const std::deque<int>& values = history_.Values();
    const std::vector<GraphPoint> points = ComputeHistoryPoints(values, w, h, maxValue_);
    // Only the part that can be seen: the history may be far wider than the surface.
    auto first =
        std::find_if(points.begin(), points.end(), [](const GraphPoint& pt) { return pt.x >= -1; });
    if (first != points.begin())
        --first;
    p.setPen(colorHistoryGridLine_);
    // A sample without a value breaks the line: the gap shows that nothing was measured.
    QPolygon line;
    for (auto it = first;; ++it) {
        const bool gap = it == points.end() || values[std::size_t(it - points.begin())] < 0;
        if (!gap) {
            line << QPoint(it->x, it->y);
            continue;
        }
        if (line.size() == 1)
            p.drawPoint(line.front());
        else if (line.size() > 1)
            p.drawPolyline(line);
        line.clear();
        if (it == points.end())
            return;
    }
}

void TrkwXPGraph::PaintStatPlate(TrkwShape& shape, QPainter& p) {
    const QRect r = shape.rect().adjusted(0, 0, -1, -1);
    const qreal radius = std::min(r.width(), r.height()) / 4.0;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(Color());
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, 0.5, 0.5), radius, radius);
}

void TrkwXPGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyLayout();
}

void TrkwXPGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Color());
}

void TrkwXPGraph::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::PaletteChange && event->type() != QEvent::ParentChange)
        return;
    // Only a real change of the parent's colour counts: Qt also sends palette events when a
    // style is applied, and every refresh takes a sample.
    const QColor parentColor = ParentColor();
    if (parentColor == lastParentColor_)
        return;
    lastParentColor_ = parentColor;
    if (color_)
        return;
    update();
    usageFrame_->update();
    historyFrame_->update();
    Refresh();
}

void TrkwXPGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Refresh();
    QWidget::mouseReleaseEvent(event);
}

} // namespace celdara::widgets
