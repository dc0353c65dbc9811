// A panel of the status bar: as wide as its text asks for, and when the window leaves it less
// room, the text is cut with an ellipsis where the user can see it, the whole text being the
// panel's hint.
#pragma once

#include <QLabel>

namespace celdara {

class TStatusPanel : public QLabel {
public:
    explicit TStatusPanel(const QString& text, QWidget* parent = nullptr);

    // The whole text; the panel shows as much of it as fits and hints all of it.
    void SetFullText(const QString& text);
    // What the panel shows at its present width.
    QString ShownText() const;

    // Small enough for the layout to shrink the panel below its text.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace celdara
