#pragma once

// The Sessions window: every kept play period in a table (newest first, sortable by any
// column), the VPP per day of the last 30 days as a bar chart in the timer window's colours
// with the current month's total, and where the sessions file is. Modeless; the timer window
// opens one at a time.

#include <QDialog>
#include <QString>

#include <filesystem>

class CZellwickApp;
class Clock;
class QLabel;
class QStandardItemModel;
class QTableView;
class VppChart;

class CSessionsDlg : public QDialog
{
    Q_OBJECT

public:
    enum Column
    {
        kStart,
        kPlayTime,
        kHands,
        kVpp,
        kVppPerHour,
        kNickname,
        kColumns,
    };
    // What the table sorts by: the values themselves, not their text.
    static constexpr int kSortRole = Qt::UserRole + 1;
    static constexpr int kChartDays = 30;
    static constexpr const char* kNoSessionsText =
        "No sessions yet: they are kept when you press Stop or close the window";

    // Reads file at once. app gives the colours and the log; both it and clock must outlive
    // the window.
    CSessionsDlg(CZellwickApp& app, const Clock& clock, std::filesystem::path file,
                 QWidget* parent = nullptr);

    // Reads the file again (after a session was kept) and takes the colours as they are now;
    // the table keeps the order the user chose.
    void Reload();

    const std::filesystem::path& File() const { return m_file; }
    QTableView* Table() const { return m_table; }
    QStandardItemModel* Model() const { return m_model; }
    VppChart* Chart() const { return m_chart; }
    // Where the file is, and what became of reading it.
    QString PlaceText() const;
    QString NoteText() const;

private:
    CZellwickApp& m_app;
    const Clock& m_clock;
    std::filesystem::path m_file;
    VppChart* m_chart = nullptr;
    QStandardItemModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QLabel* m_stPlace = nullptr;
    QLabel* m_stNote = nullptr;
};
