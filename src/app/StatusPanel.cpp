#include "app/StatusPanel.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace celdara {

namespace {
constexpr int kReadableChars = 12;
} // namespace

TStatusPanel::TStatusPanel(const QString& text, QWidget* parent) : QLabel(parent) {
    // Sunken like the panels of a classic status bar, so neighbouring texts stay apart.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setContentsMargins(3, 0, 3, 0);
    SetFullText(text);
}

void TStatusPanel::SetFullText(const QString& text) {
    setText(text);
    setToolTip(text);
}

QString TStatusPanel::ShownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

QSize TStatusPanel::minimumSizeHint() const {
    // Each panel keeps the start of its text readable; past that the panels share the cut.
    const QSize full = QLabel::minimumSizeHint();
    const QMargins m = contentsMargins();
    const int margins = m.left() + m.right() + 2 * frameWidth();
    const int readable = fontMetrics().averageCharWidth() * kReadableChars;
    return {std::min(full.width(), readable + margins), full.height()};
}

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                          isEnabled(), ShownText(), foregroundRole());
}

} // namespace celdara
