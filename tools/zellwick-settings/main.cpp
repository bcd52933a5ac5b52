// zellwick-settings: the settings dialog without the timer window.
//
//   zellwick-settings                    edits Zellwick's own settings; OK stores them
//   zellwick-settings --screenshot FILE  saves a picture of the dialog filled with sample
//                                        values; nothing is read or stored
//
// The documentation's picture is taken on a virtual screen of 96 dpi, from the repository:
//   xvfb-run -a -s "-screen 0 800x600x24 -dpi 96"
//       <build>/bin/zellwick-settings --screenshot docs/settings-dialog.png

#include "app/ZellwickApp.h"
#include "ui/DlgSettings.h"
#include "ui/QtSoundPlayer.h"

#include <QApplication>
#include <QPixmap>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kHelp = R"(Usage: zellwick-settings [--screenshot FILE]

Opens Zellwick's settings dialog on its own, without the timer window: the nickname, the
history folder (or "Auto", which reads both from the poker client's user.ini inside its Wine
prefix), the alarms, the colours, the size and the opacity. OK stores them where Zellwick
reads them: $XDG_CONFIG_HOME/Tervalon/Zellwick.conf (~/.config when XDG_CONFIG_HOME is unset).

  --screenshot FILE  save a picture of the dialog filled with sample values; nothing is read
                     or stored
  --help             this text
)";

// The settings of the program itself, which is built as "Zellwick".
constexpr const wchar_t* kProgramName = L"Zellwick";

void FillSample(CZellwickApp& app)
{
    app.m_strNickname = L"Hero";
    app.m_strHistoryPath = L"/home/hero/Hands/Hero";
    app.m_crColorText = 0xFFFFFF;
    app.m_crColorText2 = 0x00C313;
    app.m_crColorText3 = 0x00C0FF;
    app.m_crColorBg = 0x37323D;
    app.m_nOpacity = 85;
    app.m_bHandsAlarm = 1;
    app.m_nHandsAlarm = 700;
    app.m_bVppAlarm = 1;
    app.m_nVppAlarm = 10;
    app.m_strVppSound = L"/home/hero/vpp.wav";
    app.m_bRunOnStart = 1;
}

int Screenshot(const QString& file)
{
    CZellwickApp app(L"", L"ZellwickSettingsScreenshot");
    FillSample(app);
    QtSoundPlayer sound;
    CDlgSettings dialog(app, sound);
    dialog.show();
    QApplication::processEvents();
    if (!dialog.grab().save(file)) {
        std::fprintf(stderr, "zellwick-settings: cannot write %s\n", qPrintable(file));
        return 1;
    }
    QTextStream(stdout) << "screenshot: " << file << " (" << dialog.width() << " x "
                        << dialog.height() << ")\n";
    return 0;
}

int Edit()
{
    CZellwickApp app(L"", kProgramName);
    app.LoadSettings();
    app.m_nAppliedSize = app.ReadViewSize();
    QtSoundPlayer sound;
    CDlgSettings dialog(app, sound);
    return dialog.exec() == QDialog::Accepted ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Before Qt starts, so the help needs no screen.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QStringLiteral("--screenshot"))
        return Screenshot(arguments[2]);
    if (arguments.size() == 1)
        return Edit();
    std::fprintf(stderr, "usage: zellwick-settings [--screenshot FILE]\n");
    return 2;
}
