#pragma once

// The About box: the program's icon, its name and version, the build date, a line about what
// it does and where its log is, with an OK button.

#include <QDialog>
#include <QString>

class QLabel;

class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    // version as "v2.7"; buildDate as the application object keeps it; logPath empty without
    // a log.
    CAboutDlg(const QString& version, const QString& buildDate, const QString& logPath,
              QWidget* parent = nullptr);

    // The lines of text shown, from the top.
    QStringList Lines() const;

private:
    QLabel* AddLine(const QString& text);

    QList<QLabel*> m_lines;
};
