// The three alarms of the play period and their indicators.

#include "ui/ZellwickDlg.h"

#include "app/ZellwickApp.h"
#include "ui/AlarmSound.h"
#include "ui/Resources.h"

#include <QLabel>
#include <QPixmap>

void CZellwickDlg::CheckHandsAlarm()
{
    if (m_app.m_bHandsAlarm && m_nHands >= m_app.m_nHandsAlarm && !m_app.m_bHandsAlarmRung) {
        m_app.m_bHandsAlarmRung = 1;
        PlayAlarmSound(m_app.m_strHandsSound, kHandsSound);
    }
}

void CZellwickDlg::CheckVppAlarm()
{
    // The unrounded value counts, not the two decimals shown.
    if (!m_app.m_bVppAlarmRung && m_app.m_bVppAlarm &&
        m_app.m_dVpp >= static_cast<double>(m_app.m_nVppAlarm)) {
        m_app.m_bVppAlarmRung = 1;
        PlayAlarmSound(m_app.m_strVppSound, kVppSound);
    }
}

void CZellwickDlg::CheckTimeAlarm()
{
    // Compared with the readout, so paused time does not count and a time the readout has
    // already passed never rings.
    if (!m_app.m_bTimeAlarmRung && m_app.m_bTimeAlarm &&
        m_strTime == QString::fromStdWString(m_app.m_strAlarmTime)) {
        m_app.m_bTimeAlarmRung = 1;
        PlayAlarmSound(m_app.m_strTimeSound, kTimeSound);
    }
}

void CZellwickDlg::PlayAlarmSound(const std::wstring& path, int id)
{
    ::PlayAlarmSound(m_sound, m_app, path, id);
}

void CZellwickDlg::PlaceAlarmIcons()
{
    // The time indicator never moves; the other two line up to its right.
    const QRect anchor = m_icoTimeAlarm->geometry();
    const bool isSmall = m_app.m_nSize == 0;
    const int size = isSmall ? 16 : 24;
    m_icoHandsAlarm->move(anchor.left() + (isSmall ? 20 : 28), anchor.top());
    m_icoVppAlarm->move(anchor.left() + (isSmall ? 38 : 54), anchor.top());

    const auto give = [size](QLabel* indicator, int icon) {
        indicator->resize(size, size);
        indicator->setPixmap(QPixmap::fromImage(Resources::LoadIconImage(icon, size)));
    };
    give(m_icoHandsAlarm, 129);
    give(m_icoVppAlarm, 153);
    give(m_icoTimeAlarm, 154);
    update();
}

void CZellwickDlg::ShowAlarmIndicators()
{
    m_icoHandsAlarm->setVisible(m_app.m_bHandsAlarm != 0);
    m_icoVppAlarm->setVisible(m_app.m_bVppAlarm != 0);
    m_icoTimeAlarm->setVisible(m_app.m_bTimeAlarm != 0);
}
