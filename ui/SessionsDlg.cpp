#include "ui/SessionsDlg.h"

#include "app/SessionRecord.h"
#include "app/SessionTotals.h"
#include "app/SessionsFile.h"
#include "app/ZellwickApp.h"
#include "ui/Clock.h"
#include "ui/VppChart.h"
#include "ui/WindowLook.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include <map>
#include <utility>

namespace {

const QLocale& English()
{
    static const QLocale locale(QLocale::English);
    return locale;
}

// Hundredths as "1,234.56", exactly: no detour through a double.
QString VppText(std::int64_t cents)
{
    const std::int64_t whole = cents / 100;
    const std::int64_t rest = cents < 0 ? -(cents % 100) : cents % 100;
    const QString sign = cents < 0 && whole == 0 ? QStringLiteral("-") : QString();
    return sign + English().toString(static_cast<qlonglong>(whole)) + QLatin1Char('.') +
           QStringLiteral("%1").arg(rest, 2, 10, QLatin1Char('0'));
}

// "Tue 2026-12-01 20:05" as the player's clock showed it then.
QString StartText(const LocalTime& start)
{
    const QString iso = QString::fromStdString(start.Iso());
    const QDate day = QDate::fromString(iso.left(10), Qt::ISODate);
    return English().dayName(day.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') +
           iso.left(10) + QLatin1Char(' ') + iso.mid(11, 5);
}

// "December 2026" for "2026-12".
QString MonthText(const std::string& month)
{
    const QDate first =
        QDate::fromString(QString::fromStdString(month) + QStringLiteral("-01"), Qt::ISODate);
    return English().monthName(first.month()) + QLatin1Char(' ') + QString::number(first.year());
}

QStandardItem* Cell(const QString& text, const QVariant& sortValue, bool number)
{
    auto* item = new QStandardItem(text);
    item->setData(sortValue, CSessionsDlg::kSortRole);
    item->setEditable(false);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QList<QStandardItem*> Row(const SessionRecord& session)
{
    const std::optional<std::int64_t> perHour =
        VppPerHourCents(session.vppCents, session.playSeconds);
    const QString nickname = QString::fromStdString(session.nickname);
    QList<QStandardItem*> row{
        Cell(StartText(session.start), static_cast<qlonglong>(session.start.utc), false),
        Cell(QString::fromStdString(PlayTimeText(session.playSeconds)),
             static_cast<qlonglong>(session.playSeconds), true),
        Cell(English().toString(static_cast<qlonglong>(session.hands)),
             static_cast<qlonglong>(session.hands), true),
        Cell(VppText(session.vppCents), static_cast<qlonglong>(session.vppCents), true),
        // Without play time there is no rate; it sorts below every rate.
        Cell(perHour ? VppText(*perHour) : QStringLiteral("-"),
             static_cast<qlonglong>(perHour.value_or(-1)), true),
        Cell(nickname, nickname.toCaseFolded(), false),
    };
    const QString folder = QString::fromStdString(session.historyFolder);
    for (QStandardItem* item : row)
        item->setToolTip(folder);
    return row;
}

} // namespace

CSessionsDlg::CSessionsDlg(CZellwickApp& app, const Clock& clock, std::filesystem::path file,
                           QWidget* parent)
    : QDialog(parent), m_app(app), m_clock(clock), m_file(std::move(file))
{
    setWindowTitle(QStringLiteral("Zellwick Sessions"));

    m_chart = new VppChart(this);

    m_model = new QStandardItemModel(0, kColumns, this);
    m_model->setHorizontalHeaderLabels({QStringLiteral("Start"), QStringLiteral("Play time"),
                                        QStringLiteral("Hands"), QStringLiteral("VPP"),
                                        QStringLiteral("VPP/hour"), QStringLiteral("Nickname")});
    m_model->setSortRole(kSortRole);
    // A column clicked for the first time shows its largest numbers first, names from A.
    for (int column = 0; column < kColumns; ++column) {
        m_model->setHeaderData(column, Qt::Horizontal,
                               column == kNickname ? Qt::AscendingOrder : Qt::DescendingOrder,
                               Qt::InitialSortOrderRole);
    }
    for (const int column : {kPlayTime, kHands, kVpp, kVppPerHour}) {
        m_model->setHeaderData(column, Qt::Horizontal,
                               QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter),
                               Qt::TextAlignmentRole);
    }

    // The table keeps the system's colours: it is there to be read.
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(kStart, Qt::DescendingOrder);

    m_stPlace = new QLabel(this);
    m_stPlace->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_stPlace->setWordWrap(true);
    m_stNote = new QLabel(this);
    m_stNote->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Focus on Close, not on a cell of the table that would look chosen.
    buttons->button(QDialogButtonBox::Close)->setFocus();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chart, 2);
    layout->addWidget(m_table, 3);
    layout->addWidget(m_stPlace);
    layout->addWidget(m_stNote);
    layout->addWidget(buttons);

    Reload();
    resize(720, 620);
}

void CSessionsDlg::Reload()
{
    const SessionsRead read =
        m_file.empty() ? SessionsRead{{}, {}, true, {}} : ReadSessions(m_file);
    const QString path = QString::fromStdString(m_file.string());

    // The table.
    m_model->removeRows(0, m_model->rowCount());
    for (const SessionRecord& session : read.sessions)
        m_model->appendRow(Row(session));
    const QHeaderView* header = m_table->horizontalHeader();
    m_table->sortByColumn(header->sortIndicatorSection(), header->sortIndicatorOrder());
    m_table->resizeColumnsToContents();

    // The chart: the last days on today's clock, and the whole month of today.
    const std::time_t now = m_clock.Now();
    std::map<std::string, std::int64_t> perDay;
    for (const SessionTotal& day : TotalsBy(read.sessions, TotalPeriod::Day))
        perDay[day.key] = day.vppCents;
    std::vector<ChartDay> days;
    for (std::string& date : LastDays(now, kChartDays)) {
        const auto found = perDay.find(date);
        days.push_back({std::move(date), found == perDay.end() ? 0 : found->second});
    }
    m_chart->SetDays(std::move(days));
    const std::string month = LocalTime::At(now).Month();
    SessionTotal monthTotal;
    for (const SessionTotal& total : TotalsBy(read.sessions, TotalPeriod::Month)) {
        if (total.key == month)
            monthTotal = total;
    }
    QString total = MonthText(month) + QStringLiteral(": ") + VppText(monthTotal.vppCents) +
                    QStringLiteral(" VPP");
    if (monthTotal.sessions > 0) {
        total += QStringLiteral(" in %1 %2")
                     .arg(monthTotal.sessions)
                     .arg(monthTotal.sessions == 1 ? QStringLiteral("session")
                                                   : QStringLiteral("sessions"));
    }
    m_chart->SetHeadline(QStringLiteral("VPP per day, last %1 days").arg(kChartDays), total);
    m_chart->SetColours(FromColorRef(m_app.m_crColorBg), FromColorRef(m_app.m_crColorText3),
                        FromColorRef(m_app.m_crColorText));

    // Where the file is, and what became of reading it.
    m_stPlace->setVisible(!m_file.empty());
    m_stPlace->setText(QStringLiteral("Sessions are kept in ") + path);
    QString note;
    if (m_file.empty()) {
        note = QStringLiteral("Sessions cannot be kept: neither XDG_DATA_HOME nor HOME is set");
    } else if (!read.error.empty()) {
        note = QStringLiteral("Cannot read ") + path + QStringLiteral(": ") +
               QString::fromStdString(read.error);
        m_app.WriteLog(note.toStdWString());
    } else {
        const std::string damaged = DamagedLinesText(read, m_file);
        if (!damaged.empty()) {
            note = QString::fromStdString(damaged);
            m_app.WriteLog(note.toStdWString());
        } else if (read.sessions.empty()) {
            note = QString::fromLatin1(kNoSessionsText);
        }
    }
    m_stNote->setText(note);
    m_stNote->setVisible(!note.isEmpty());
}

QString CSessionsDlg::PlaceText() const
{
    return m_stPlace->isVisibleTo(this) ? m_stPlace->text() : QString();
}

QString CSessionsDlg::NoteText() const
{
    return m_stNote->text();
}
