#include "appinfo/WindowUtils.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>

namespace celdara {

bool SelectComboText(QComboBox* combo, const QString& text) {
    if (!combo)
        return false;
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        for (int i = combo->count() - 1; i >= 0; --i) {
            if (combo->itemText(i).compare(text, cs) == 0) {
                combo->setCurrentIndex(i);
                return true;
            }
        }
    }
    if (!combo->isEditable())
        return false;
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
    return true;
}

void SetComboFontColor(QComboBox* combo, const QColor& color) {
    if (!combo)
        return;
    QPalette palette = combo->palette();
    if (palette.color(QPalette::Text) == color && palette.color(QPalette::ButtonText) == color)
        return;
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    QLineEdit* edit = combo->isEditable() ? combo->lineEdit() : nullptr;
    if (!edit) {
        combo->setPalette(palette);
        return;
    }
    // A palette change may make the edit select its text anew; keep what the user had.
    QString text = edit->text();
    int start = edit->selectionStart();
    int length = edit->selectedText().size();
    int cursor = edit->cursorPosition();
    combo->setPalette(palette);
    if (edit->text() != text)
        edit->setText(text);
    if (start >= 0)
        edit->setSelection(start, length);
    else
        edit->setCursorPosition(cursor);
}

bool GetWorkArea(QRect& rect, bool halveWide) {
    const auto screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary || screens.isEmpty())
        return false;
    rect = ClipWorkArea(primary->availableGeometry(), screens.first()->geometry(),
                        primary->virtualGeometry(), halveWide);
    return true;
}

void KeepFormInWorkArea(QWidget* form, bool halveWide) {
    QRect work;
    if (!form || !GetWorkArea(work, halveWide))
        return;
    // Fit the whole window, frame included, and carry the change over to its client area.
    const QRect frame = form->frameGeometry();
    const QRect fitted = FitRectInWorkArea(frame, work);
    QRect client = form->geometry();
    client.translate(fitted.topLeft() - frame.topLeft());
    client.setSize(client.size() + (fitted.size() - frame.size()));
    form->setGeometry(client);
}

TCaptionMetrics CaptionMetricsOf(const QWidget* form) {
    const QStyle* style = form ? form->style() : nullptr;
    TCaptionMetrics m;
    if (style) {
        m.ButtonHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, form);
        m.ButtonWidth = style->pixelMetric(QStyle::PM_TitleBarButtonSize, nullptr, form);
    }
    if (m.ButtonHeight <= 0)
        m.ButtonHeight = 25;
    if (m.ButtonWidth <= 0)
        m.ButtonWidth = m.ButtonHeight;
    const auto* f = dynamic_cast<const TForm*>(form);
    if (f && f->IsToolWindow()) {
        // Tool windows have the small caption; Qt has no separate metric for it.
        m.ButtonWidth = m.ButtonWidth * 3 / 4;
        m.ButtonHeight = m.ButtonHeight * 3 / 4;
    }
    return m;
}

void KeepCaptionVisible(const QWidget* form, QRect& rect) {
    QRect work;
    if (!GetWorkArea(work))
        return;
    const auto* f = dynamic_cast<const TForm*>(form);
    TFormBorderStyle style = f ? f->BorderStyle() : TFormBorderStyle::bsSizeable;
    rect = KeepCaptionVisibleRect(rect, work, style, CaptionMetricsOf(form));
}

TForm* OwnerForm(const TComponent* component) {
    for (TComponent* c = component ? component->Owner() : nullptr; c; c = c->Owner())
        if (auto* form = dynamic_cast<TForm*>(c))
            return form;
    return nullptr;
}

} // namespace celdara
