// Zellwick: the executable. The application object is made before main runs, so the log is
// open before anything else happens.

#include "app/DesktopSession.h"
#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/DialogPrompts.h"
#include "ui/QtSoundPlayer.h"
#include "ui/QuitSignals.h"
#include "ui/ScreenScale.h"
#include "ui/StartUp.h"
#include "ui/Translucency.h"
#include "ui/ZellwickDlg.h"

#include <QApplication>

CZellwickApp theApp;

int main(int argc, char** argv)
{
    const std::wstring platformNote = PreferX11UnderWayland(argc, argv);
    QApplication application(argc, argv);
    // The menu entry's name (dist/), which Wayland matches the window with.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.tervalon.zellwick"));
    SystemClock clock;
    QtSoundPlayer sound;
    InitInstance(theApp, clock, [&] {
        if (!platformNote.empty())
            theApp.WriteLog(platformNote);
        CZellwickDlg dlg(theApp, clock, sound, ScreenScale::FromScreen(),
                         QtDialogPrompts::Instance(), DesktopTranslucency());
        QuitSignals quitSignals;
        QObject::connect(&quitSignals, &QuitSignals::Received, &dlg, &CZellwickDlg::EndBySignal);
        CZellwickDlg::KeepPeriodAtExit(&dlg);
        dlg.exec();
    });
    return 0;
}
