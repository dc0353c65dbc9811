// Combo-box and window-placement helpers shared by the windows of the program.
#pragma once

#include "appinfo/TForm.h"
#include "appinfo/WindowGeometry.h"

#include <QColor>
#include <QRect>
#include <QString>

class QComboBox;

namespace celdara {

// Selects the item equal to `text`, searching from the last item to the first, first with
// case, then without. When none matches, an editable combo takes the text as its text and
// returns true; a drop-down list returns false.
bool SelectComboText(QComboBox* combo, const QString& text);

// Changes the text colour only when it differs; an editable combo keeps its text and
// selection across the change.
void SetComboFontColor(QComboBox* combo, const QColor& color);

// The desktop's work area on the first monitor (see ClipWorkArea); false when there is no
// screen to ask.
bool GetWorkArea(QRect& rect, bool halveWide = false);

// Shrinks the window to the work area and moves it inside.
void KeepFormInWorkArea(QWidget* form, bool halveWide = false);

// Caption-button sizes of `form` (the smaller ones of a tool window).
TCaptionMetrics CaptionMetricsOf(const QWidget* form);

// Moves `rect`, a rectangle for `form`, just enough that its caption stays reachable.
void KeepCaptionVisible(const QWidget* form, QRect& rect);

// The first owner up the owner chain that is a form, or nullptr.
TForm* OwnerForm(const TComponent* component);

} // namespace celdara
