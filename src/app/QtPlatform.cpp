#include "app/QtPlatform.h"

#include "distributor/TopDistributor.h"
#include "qtplatform/QtMessageLoop.h"
#include "serial/LyrComm32.h"

#include <QApplication>
#include <QWidget>

namespace celdara {

void InstallQtPlatform() {
    ConnectCoreToQt();
    RegisterDistributorClasses();
    RegisterSerialClasses();
}

void CloseOnTerminationSignals() {
    OnTerminationSignals([] {
        // Closing the top-level windows ends the loop once the last one is gone.
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                window->close();
        QApplication::quit();
    });
}

} // namespace celdara
