// The timer window's commands: the context menu with Settings, Sessions, About and Exit, and
// the settings round trip.

#include "ui/ZellwickDlg.h"

#include "app/SessionsFile.h"
#include "app/WideText.h"
#include "app/ZellwickApp.h"
#include "ui/AboutDlg.h"
#include "ui/CxSkinButton.h"
#include "ui/DlgSettings.h"
#include "ui/SessionsDlg.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>

#include <cstring>

void CZellwickDlg::CreateContextMenu()
{
    m_menuContext = new QMenu(this);
    const QAction* settings = m_menuContext->addAction(QStringLiteral("Settings"));
    connect(settings, &QAction::triggered, this, [this] { OnSettings(); });
    const QAction* sessions = m_menuContext->addAction(QStringLiteral("Sessions..."));
    connect(sessions, &QAction::triggered, this, [this] { OnSessions(); });
    const QAction* about = m_menuContext->addAction(QStringLiteral("About..."));
    connect(about, &QAction::triggered, this, [this] { OnAbout(); });
    m_menuContext->addSeparator();
    QAction* exit = m_menuContext->addAction(QStringLiteral("Exit"));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    exit->setShortcutVisibleInContextMenu(true);
    // Closing saves the window's place, as the window system's own close does.
    connect(exit, &QAction::triggered, this, [this] { close(); });
    // Alt+F4 also where no window manager takes it first.
    addAction(exit);
}

void CZellwickDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // Readouts, labels and indicators leave the event to the window; buttons keep it.
    OnContextMenu(event->globalPos());
    event->accept();
}

void CZellwickDlg::OnContextMenu(const QPoint& globalPos)
{
    // Every item is available whether or not a play period runs.
    m_menuContext->popup(globalPos);
}

void CZellwickDlg::OnSettings()
{
    CDlgSettings dlg(m_app, m_sound, this, &m_prompts);
    const bool accepted = dlg.exec() == QDialog::Accepted;
    // A colour picked and then cancelled is in the colour members already: the whole window
    // shows it, not only the parts that happen to repaint (a ring around a round button).
    ApplyTextColours();
    update();
    if (!accepted)
        return;
    // The dialog has stored everything; the window takes over what shows.
    ShowAlarmIndicators();
    ApplyBackground();
    SetOpacity(m_app.m_nOpacity);
    // The dialog refuses an empty history folder, so the nickname is all that can be missing.
    if (!m_bRunning && !m_app.m_strNickname.empty()) {
        m_btnStart->setEnabled(true);
        m_btnStart->SetTipText(QStringLiteral("Start timer"));
    }
    ApplySize(m_app.m_nSize);
    ApplyTextColours();
    RefreshReadouts();
    Redraw();
}

void CZellwickDlg::OnAbout()
{
    CAboutDlg about(QString::fromStdWString(m_app.m_strVersion),
                    QString::fromStdWString(m_app.m_strBuildDate),
                    QString::fromStdWString(m_app.m_strLogPath), this);
    about.exec();
}

void CZellwickDlg::EndBySignal(int signal)
{
    const char* name = sigabbrev_np(signal);
    m_app.WriteLog(FormatW(L"Ending on signal SIG%s", name ? name : "?"));
    // A dialog's own event loop would hold the window's end until someone closed it.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog && dialog != this && dialog->isVisible())
            dialog->reject();
    }
    done(QDialog::Rejected);
}

CSessionsDlg* CZellwickDlg::OnSessions()
{
    // Modeless, one at a time: the window reads the file again when it is asked for again.
    if (m_dlgSessions) {
        m_dlgSessions->Reload();
    } else {
        m_dlgSessions = new CSessionsDlg(m_app, m_clock, SessionsFile(), this);
        m_dlgSessions->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_dlgSessions->show();
    m_dlgSessions->raise();
    m_dlgSessions->activateWindow();
    return m_dlgSessions;
}
