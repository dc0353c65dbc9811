// Program entry: the application, its title, the main window (with all its components), the
// message loop.
#include "app/MainWindow.h"
#include "app/PortSettingsDialog.h"
#include "app/QtPlatform.h"
#include "app/Translations.h"
#include "appinfo/TForm.h"
#include "core/Application.h"
#include "simulator/SimSerialDevice.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    using namespace celdara;
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Celdara");
    QApplication::setApplicationDisplayName("Celdara");
    QApplication::setWindowIcon(QIcon(":/celdara/celdara-64.png"));
    InstallTranslations();
    InstallQtPlatform();
    RegisterSimulatedModems();
    QtSerialConfigDialog configDialog;
    SetDefaultSerialConfigDialog(&configDialog);
    CloseOnTerminationSignals();

    auto* frmMain = new TfrmMain(&Application());
    return RunApplication(Application(), frmMain);
}
