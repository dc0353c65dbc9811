// The terminal's properties that reach into its window, the mode group among them.
#include "terminal/TerminalForm.h"
#include "terminal/VTolmTerminal.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

namespace celdara {

void VTolmTerminal::SetCaption(const QString& caption) {
    caption_ = caption;
    if (form_ == nullptr)
        return;
    form_->setWindowTitle(caption);
    if (parentPageControl_) {
        const int index = parentPageControl_->indexOf(form_);
        if (index >= 0)
            parentPageControl_->setTabText(index, caption);
    }
}

void VTolmTerminal::SetDebugWindowsVisible(bool value) {
    if (value == output_.DebugWindowsVisible())
        return;
    output_.SetDebugWindowsVisible(value);
    if (form_ != nullptr) {
        debugInTime_->setVisible(value);
        debugOutTime_->setVisible(value);
    }
}

bool VTolmTerminal::Visible() const {
    return form_ != nullptr ? !form_->isHidden() : visible_;
}

void VTolmTerminal::SetVisible(bool value) {
    if (value == Visible())
        return;
    visible_ = value;
    if (!IsLoading() && form_ != nullptr)
        form_->setVisible(value);
}

int VTolmTerminal::FormLeft() const {
    return form_ != nullptr && form_->isWindow() ? form_->x() : formLeft_;
}

void VTolmTerminal::SetFormLeft(int value) {
    formLeft_ = value;
    if (form_ != nullptr && (form_->isWindow() || IsLoading()))
        form_->move(value, form_->isWindow() ? form_->y() : formTop_);
}

int VTolmTerminal::FormTop() const {
    return form_ != nullptr && form_->isWindow() ? form_->y() : formTop_;
}

void VTolmTerminal::SetFormTop(int value) {
    formTop_ = value;
    if (form_ != nullptr && (form_->isWindow() || IsLoading()))
        form_->move(form_->isWindow() ? form_->x() : formLeft_, value);
}

int VTolmTerminal::FormWidth() const {
    return form_ != nullptr && form_->isWindow() ? form_->width() : formWidth_;
}

void VTolmTerminal::SetFormWidth(int value) {
    formWidth_ = value;
    if (form_ != nullptr && form_->isWindow())
        form_->resize(value, form_->height());
}

int VTolmTerminal::FormHeight() const {
    return form_ != nullptr && form_->isWindow() ? form_->height() : formHeight_;
}

void VTolmTerminal::SetFormHeight(int value) {
    formHeight_ = value;
    if (form_ != nullptr && form_->isWindow())
        form_->resize(form_->width(), value);
}

void VTolmTerminal::SetShowOnTaskbar(bool value) {
    if (value == showOnTaskbar_)
        return;
    showOnTaskbar_ = value;
    ApplyWindowFlags();
}

void VTolmTerminal::SetShowHexEdit(bool value) {
    if (value == showHexEdit_)
        return;
    showHexEdit_ = value;
    if (hexEntryBox_ != nullptr) {
        const QSignalBlocker quiet(hexEntryBox_); // a property set is no choice of the user's
        hexEntryBox_->setChecked(value);
    }
    if (!IsLoading())
        LayOutEntries();
}

void VTolmTerminal::SetFormOnTop(bool value) {
    if (value == formOnTop_)
        return;
    formOnTop_ = value;
    ApplyWindowFlags();
}

void VTolmTerminal::ReadShowTimes(bool value) {
    VTolmTerminal_ShowOptions options = output_.ShowOptions();
    options = value ? (options | vttsoShowTimes) : (options & ~unsigned{vttsoShowTimes});
    output_.SetShowOptions(options);
}

void VTolmTerminal::SetModeItems(const QStringList& items) {
    modeItems_ = items;
    RefillModeGroup();
}

void VTolmTerminal::RefillModeGroup() {
    if (form_ == nullptr)
        return;
    const int previous = ModeIndex();
    for (QAbstractButton* button : modeButtons_->buttons()) {
        modeButtons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < modeItems_.size(); ++i) {
        auto* button = new QRadioButton(modeItems_[i], rGroupMode_);
        button->installEventFilter(form_);
        modeButtons_->addButton(button, i);
        rGroupMode_->layout()->addWidget(button);
    }
    rGroupMode_->setVisible(!modeItems_.isEmpty());
    if (!modeItems_.isEmpty())
        SetModeIndex(previous >= 0 && previous < modeItems_.size() ? previous : 0);
    else
        modeIndex_ = -1;
}

int VTolmTerminal::ModeIndex() const {
    if (form_ == nullptr)
        return modeIndex_;
    return modeButtons_->checkedId();
}

void VTolmTerminal::SetModeIndex(int value) {
    const int count = static_cast<int>(modeItems_.size());
    value = std::max(-1, value);
    if (value >= count)
        value = count - 1;
    modeIndex_ = value;
    if (form_ == nullptr)
        return;
    if (value < 0) {
        // An exclusive group cannot uncheck its checked button.
        modeButtons_->setExclusive(false);
        if (QAbstractButton* checked = modeButtons_->checkedButton())
            checked->setChecked(false);
        modeButtons_->setExclusive(true);
    } else if (QAbstractButton* button = modeButtons_->button(value)) {
        button->setChecked(true);
    }
}

} // namespace celdara
