// What the main window shows for the modem monitor (its IModemView side).
#include "app/MainWindow.h"
#include "app/PortComboBox.h"
#include "app/StatusPanel.h"
#include "appinfo/WindowUtils.h"
#include "core/Application.h"
#include "terminal/VTolmTerminal.h"
#include "widgets/TrkwXPGraph.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>

namespace celdara {

void TfrmMain::AddLine(const std::string& text, int kind) {
    termMain->AddLine(text, kind);
}

void TfrmMain::AddString(const std::string& text, int kind) {
    termMain->AddString(text, kind);
}

void TfrmMain::SetStatusPanel(int panel, const std::string& text) {
    if (panel < 0 || panel >= 3)
        return;
    StatusPanels[panel]->SetFullText(QString::fromStdString(text));
}

void TfrmMain::ShowStatusMessage(const std::string& text, int ms) {
    StatusBar1->showMessage(QString::fromStdString(text), ms);
}

void TfrmMain::SetGraphValue(int value) {
    SetGraphSample(TGraphSample{value, std::nullopt, std::nullopt});
}

void TfrmMain::SetConnectionLabel(const std::string& text) {
    lblConnection->setText(QString::fromStdString(text));
}

void TfrmMain::SetOperatorGroupEnabled(bool enabled) {
    // The group's own state, not the window's: a modal dialog disables both.
    if (enabled != rgpOperators->testAttribute(Qt::WA_ForceDisabled))
        return;
    if (!enabled) {
        // A disabled button loses the focus, and the keyboard user who just picked an
        // operator with Space would have to Tab back into the group.
        // The pick is the checked button: an arrow key clicks the next one before it moves
        // the focus there.
        QWidget* focus = QApplication::focusWidget();
        operatorFocus_ = focus && rgpOperators->isAncestorOf(focus)
                             ? operatorButtons_->checkedButton()
                             : nullptr;
        rgpOperators->setEnabled(false);
        focusDuringSwitch_ = QApplication::focusWidget();
        return;
    }
    rgpOperators->setEnabled(true);
    if (operatorFocus_ && QApplication::focusWidget() == focusDuringSwitch_.data())
        operatorFocus_->setFocus(Qt::OtherFocusReason);
    operatorFocus_ = nullptr;
}

void TfrmMain::SetOperatorItems(const std::vector<std::string>& items) {
    for (QAbstractButton* button : operatorButtons_->buttons()) {
        operatorButtons_->removeButton(button);
        delete button;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(QString::fromStdString(items[i]), rgpOperators);
        button->setObjectName(QString("rgpOperators_Item%1").arg(i));
        operatorButtons_->addButton(button, static_cast<int>(i));
        rgpOperators->layout()->addWidget(button);
    }
}

void TfrmMain::SetOperatorChecked(int index) {
    QAbstractButton* checked = operatorButtons_->checkedButton();
    QAbstractButton* wanted = operatorButtons_->button(index);
    if (checked == wanted)
        return;
    if (wanted) {
        wanted->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last button by itself.
    operatorButtons_->setExclusive(false);
    checked->setChecked(false);
    operatorButtons_->setExclusive(true);
}

std::string TfrmMain::PortBoxText() {
    return cmbPort->PortValue().toStdString();
}

void TfrmMain::ShowPortState(TCommState state) {
    switch (state) {
    case CommStateFailed:
        SetComboFontColor(cmbPort, Qt::red);
        break;
    case CommStateDisconnected:
        SetComboFontColor(cmbPort, Qt::black);
        break;
    case CommStateConnected:
        SetComboFontColor(cmbPort, QColor(0, 128, 0));
        break;
    default:
        break;
    }
}

void TfrmMain::ProcessMessages() {
    Application().ProcessMessages();
}

} // namespace celdara
