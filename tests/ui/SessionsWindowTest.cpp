// The Sessions window as the player meets it: the kept sessions from a real file, the chart of
// the last 30 days with the month's total, and the timer window's menu item that opens it.

#include "app/SessionsFile.h"
#include "tests/ui/WindowTestSupport.h"
#include "ui/SessionsDlg.h"
#include "ui/VppChart.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

namespace zellwick::test {
namespace {

// Seven sessions and a damaged line; the clock stands at noon (UTC) on the last day of December.
constexpr const char* kSessions =
    "start,end,play_seconds,hands,vpp_hundredths,nickname,history_folder\n"
    "2026-11-20T20:00:00+01:00,2026-11-20T22:00:00+01:00,7200,400,5000,Hero,/h/a\n"
    "2026-12-01T19:00:00+01:00,2026-12-01T21:00:00+01:00,7200,500,950,Hero,/h/a\n"
    "2026-12-02T20:05:00+01:00,2026-12-02T22:40:12+01:00,9012,412,6123,Hero,/h/b\n"
    "2026-12-29T20:05:00+01:00,not a session\n"
    "2026-12-30T10:00:00+01:00,2026-12-30T11:00:00+01:00,3600,300,2000,Hero,/h/a\n"
    "2026-12-30T21:00:00+01:00,2026-12-30T22:30:00+01:00,5400,600,10300,Hero,/h/a\n"
    "2026-12-31T09:00:00+01:00,2026-12-31T09:30:00+01:00,1800,150,2460,Villain,\"/h/c,d\"\n";

class SessionsWindowTest : public WindowTest
{
protected:
    SessionsWindowTest() { m_clock.m_now = 1'798'718'400; } // 2026-12-31 12:00 UTC

    void Open()
    {
        m_sessions = std::make_unique<CSessionsDlg>(*m_app, m_clock, m_file);
        m_sessions->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_sessions.get()));
    }
    QString Shown(int row, int column) const
    {
        return m_sessions->Model()->index(row, column).data().toString();
    }
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_sessions->Model()->rowCount(); ++row)
            texts << Shown(row, column);
        return texts;
    }
    void ClickHeader(int column)
    {
        QHeaderView* header = m_sessions->Table()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    TempDir m_data;
    std::filesystem::path m_file = m_data / "Zellwick/sessions.csv";
    std::unique_ptr<CSessionsDlg> m_sessions;
};

TEST_F(SessionsWindowTest, ShowsTheSessionsNewestFirstAndSortsByTheirValues)
{
    WriteFile(m_file, kSessions);
    Open();
    EXPECT_EQ(
        Column(CSessionsDlg::kStart),
        QStringList({"Thu 2026-12-31 09:00", "Wed 2026-12-30 21:00", "Wed 2026-12-30 10:00",
                     "Wed 2026-12-02 20:05", "Tue 2026-12-01 19:00", "Fri 2026-11-20 20:00"}));
    QStringList newest;
    for (int column = CSessionsDlg::kPlayTime; column < CSessionsDlg::kColumns; ++column)
        newest << Shown(0, column);
    EXPECT_EQ(newest, QStringList({"0:30", "150", "24.60", "49.20", "Villain"}));
    EXPECT_EQ(Shown(3, CSessionsDlg::kPlayTime), "2:30");
    EXPECT_EQ(m_sessions->Model()->item(0, CSessionsDlg::kHands)->toolTip(), "/h/c,d");

    // By the numbers, not their text: the largest first, then the other way round.
    const QStringList byVpp{"103.00", "61.23", "50.00", "24.60", "20.00", "9.50"};
    ClickHeader(CSessionsDlg::kVpp);
    EXPECT_EQ(Column(CSessionsDlg::kVpp), byVpp);
    ClickHeader(CSessionsDlg::kVpp);
    EXPECT_EQ(Column(CSessionsDlg::kVpp), QStringList(byVpp.rbegin(), byVpp.rend()));
    ClickHeader(CSessionsDlg::kHands);
    EXPECT_EQ(Column(CSessionsDlg::kHands),
              QStringList({"600", "500", "412", "400", "300", "150"}));
    m_sessions->Reload();
    EXPECT_EQ(Column(CSessionsDlg::kHands).first(), "600") << "a reload keeps the order chosen";
}

TEST_F(SessionsWindowTest, ChartsTheLastThirtyDaysAndTheWholeMonthsTotalAndNamesDamagedLines)
{
    WriteFile(m_file, kSessions);
    Open();
    const VppChart& chart = *m_sessions->Chart();
    ASSERT_EQ(chart.Days().size(), 30u);
    EXPECT_EQ(chart.Days().front().date, "2026-12-02");
    EXPECT_EQ(chart.Days().back().date, "2026-12-31");
    std::map<int, std::int64_t> played;
    for (int i = 0; i < 30; ++i) {
        if (chart.Days()[i].vppCents != 0)
            played[i] = chart.Days()[i].vppCents;
        EXPECT_EQ(chart.BarRect(i).isEmpty(), chart.Days()[i].vppCents == 0) << "day " << i;
    }
    EXPECT_EQ(played, (std::map<int, std::int64_t>{{0, 6123}, {28, 12300}, {29, 2460}}));
    // Heights in proportion, all bars on one baseline inside the chart.
    const QRectF highest = chart.BarRect(28);
    for (const auto& [i, cents] : played)
        EXPECT_NEAR(chart.BarRect(i).height(), highest.height() * cents / 12300, 0.01) << i;
    EXPECT_DOUBLE_EQ(highest.bottom(), chart.BarRect(29).bottom());
    EXPECT_GT(highest.top(), 0);
    EXPECT_LE(chart.BarRect(29).right(), chart.width());
    // The whole of December, the 1st too, though it is older than 30 days.
    EXPECT_EQ(chart.Total(), "December 2026: 218.33 VPP in 5 sessions");

    const QString skipped = "Skipped damaged line 5 of " + QString::fromStdString(m_file);
    EXPECT_EQ(m_sessions->NoteText(), skipped);
    EXPECT_TRUE(Logged(skipped.toStdString()));
}

TEST_F(SessionsWindowTest, WithoutAFileItSaysSoAndAReloadShowsTheFirstSession)
{
    Open();
    EXPECT_EQ(m_sessions->Model()->rowCount(), 0);
    EXPECT_EQ(m_sessions->NoteText(), CSessionsDlg::kNoSessionsText);
    EXPECT_EQ(m_sessions->PlaceText(), "Sessions are kept in " + QString::fromStdString(m_file));
    EXPECT_TRUE(m_sessions->Chart()->BarRect(29).isEmpty());
    EXPECT_EQ(m_sessions->Chart()->Total(), "December 2026: 0.00 VPP");

    const std::string sessions(kSessions);
    WriteFile(m_file, sessions.substr(0, sessions.find("2026-12-01")));
    m_sessions->Reload();
    EXPECT_EQ(Column(CSessionsDlg::kVpp), QStringList({"50.00"}));
    EXPECT_EQ(m_sessions->NoteText(), "");
}

TEST_F(SessionsWindowTest, TheMenuItemOpensOneSessionsWindowOnTheUsersFile)
{
    MakeWindow();
    QAction* item = m_dlg->ContextMenu()->actions().at(1);
    ASSERT_EQ(item->text(), "Sessions...");
    item->trigger();
    item->trigger();
    ASSERT_EQ(m_dlg->findChildren<CSessionsDlg*>().size(), 1);
    QPointer<CSessionsDlg> shown = m_dlg->findChild<CSessionsDlg*>();
    EXPECT_TRUE(shown->isVisible() && !shown->isModal());
    EXPECT_EQ(shown->File(), SessionsFile());
    shown->close();
    EXPECT_TRUE(WaitFor([&] { return shown.isNull(); })) << "a closed window is gone";
    EXPECT_NE(m_dlg->OnSessions(), nullptr);
}

} // namespace
} // namespace zellwick::test
