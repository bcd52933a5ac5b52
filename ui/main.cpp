// Zellwick: the executable. The application object is made before main runs, so the log is
// open before anything else happens.

#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/DialogPrompts.h"
#include "ui/QtSoundPlayer.h"
#include "ui/ScreenScale.h"
#include "ui/StartUp.h"
#include "ui/Translucency.h"
#include "ui/ZellwickDlg.h"

#include <QApplication>

CZellwickApp theApp;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    SystemClock clock;
    QtSoundPlayer sound;
    InitInstance(theApp, clock, [&] {
        CZellwickDlg dlg(theApp, clock, sound, ScreenScale::FromScreen(),
                         QtDialogPrompts::Instance(), DesktopTranslucency());
        dlg.exec();
    });
    return 0;
}
