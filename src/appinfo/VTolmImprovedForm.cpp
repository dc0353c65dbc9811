#include "appinfo/VTolmImprovedForm.h"

#include "core/Application.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QSessionManager>

namespace celdara {

VTolmImprovedForm::VTolmImprovedForm(TComponent* owner)
    : TForm(owner), processOneMessage_([] {
          QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
          Application().MessageQueue().ProcessOne();
      }) {
#ifndef QT_NO_SESSIONMANAGER
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QObject::connect(app, &QGuiApplication::commitDataRequest, this,
                         [this](QSessionManager&) { QueryEndSession(); });
#endif
}

void VTolmImprovedForm::QueryEndSession() {
    while (!CloseQuery())
        processOneMessage_();
}

} // namespace celdara
