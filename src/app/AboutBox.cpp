#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace celdara {

TfrmAbout::TfrmAbout(const QString& version, QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(tr("About Celdara"));

    auto* icon = new QLabel(this);
    icon->setObjectName("imgIcon");
    icon->setPixmap(QIcon(":/celdara/celdara-64.png").pixmap(64, 64));

    auto* name = new QLabel("Celdara", this);
    name->setObjectName("lblProduct");
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);

    auto* text = new QLabel(tr("Version %1\n\nWatches a GSM modem on a serial port:\nsignal, "
                               "operator, cells and calls.")
                                .arg(version.isEmpty() ? tr("unknown") : version),
                            this);
    text->setObjectName("lblVersion");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("btnOK");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* words = new QVBoxLayout;
    words->addWidget(name);
    words->addWidget(text);
    words->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(words);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace celdara
