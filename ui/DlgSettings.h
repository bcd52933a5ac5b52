#pragma once

// The settings dialog: nickname and hand-history folder (typed, browsed or found in the poker
// client's configuration), the three alarms with their sounds, the timer window's colours,
// size and opacity, and whether a play period starts with the program. OK checks the entries,
// updates the application object, logs and stores everything; Cancel stores nothing.

#include "ui/ScreenScale.h"

#include <QDialog>
#include <QString>

#include <map>
#include <string>

class CBrowseEdit;
class CColorButton;
class CSpinButton;
class CxSkinButton;
class CZellwickApp;
class DialogPrompts;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class SoundPlayer;

class CDlgSettings : public QDialog
{
    Q_OBJECT

public:
    // Controls by their numbers in the dialog's template.
    enum ControlId
    {
        IDOK = 1,
        IDCANCEL = 2,
        IDC_COLOR_TIME = 1003,
        IDC_COLOR_HANDS = 1004,
        IDC_COLOR_VPP = 1005,
        IDC_COLOR_BG = 1006,
        IDC_HANDS_ON = 1008,
        IDC_VPP_ON = 1009,
        IDC_TIME_ON = 1011,
        IDC_HANDS_SOUND = 1012,
        IDC_VPP_SOUND = 1013,
        IDC_NICKNAME = 1014,
        IDC_PLAY_HANDS = 1015,
        IDC_TIME_SOUND = 1016,
        IDC_PLAY_VPP = 1017,
        IDC_PLAY_TIME = 1018,
        IDC_HANDS = 1021,
        IDC_HANDS_SPIN = 1022,
        IDC_VPP = 1023,
        IDC_HANDS_GROUP = 1024,
        IDC_VPP_GROUP = 1025,
        IDC_VPP_SPIN = 1026,
        IDC_TIME_GROUP = 1027,
        IDC_HISTORY = 1030,
        IDC_SIZE = 1033,
        IDC_OPACITY = 1034,
        IDC_OPACITY_LABEL = 1035,
        IDC_RUN_ON_START = 1036,
        IDC_ALARM_TIME = 1037,
        IDC_AUTO = 1038,
    };

    // Size of the template in dialog units.
    static constexpr int kWidthDlu = 406;
    static constexpr int kHeightDlu = 205;
    static constexpr int kThresholdMin = 1;
    static constexpr int kThresholdMax = 9999;

    // The dialog's data is taken from app. Sounds play through the program's one player;
    // prompts answers messages and browsing (null: Qt's own dialogs). All must outlive it.
    CDlgSettings(CZellwickApp& app, SoundPlayer& sound, QWidget* parent = nullptr,
                 DialogPrompts* prompts = nullptr);
    ~CDlgSettings() override;

    // The control with that number, or null.
    QWidget* GetDlgItem(int id) const;

    // The nickname and/or the folder from the poker client's configuration.
    void AutoDetect(std::wstring& nickname, bool wantNick, std::wstring& folder,
                    bool wantFolder) const;

    // The folder the history is watched in: folder and nickname joined with '/', unless the
    // folder already ends with "/" and the nickname (k = 0, unchanged). An empty folder stays
    // empty (k = 0): there is nothing to join the nickname to.
    static std::wstring MakeHistoryPath(const std::wstring& nickname, const std::wstring& folder,
                                        int& k);

    // What the time field shows for the alarm time: text already in "hh:mm" form as it is,
    // otherwise the minutes as two-digit hours and minutes, within 00:00 to 99:99.
    static QString AlarmTimeFieldText(const std::wstring& alarmTime, int minutes);

public slots:
    void accept() override; // OK

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Data
    {
        QString nickname;
        QString history;
        bool handsOn = false;
        int hands = 0;
        QString handsSound;
        bool vppOn = false;
        int vpp = 0;
        QString vppSound;
        bool timeOn = false;
        QString timeSound;
        bool runOnStart = false;
    };

    void CreateControls();
    void CreatePlayerGroup();
    void CreateAlarmGroups();
    void CreateAppearanceGroup();
    void CreateButtons();
    void Place(QWidget* widget, int id, int x, int y, int width, int height);
    QLabel* AddLabel(const QString& text, int x, int y, int width, int height);
    void InitControls();
    void SwallowEnterEverywhere();

    void OnAlarmCheck(int checkId);
    void OnPlay(int playId);
    void OnOpacityChanged(int position);
    void OnColorChosen(int buttonId, const QColor& color);
    void OnAuto();

    bool ReadData(Data& entered);
    bool ReadThreshold(int id, bool ranged, int& value);
    bool ReadAlarmTime(int& hours, int& minutes) const;
    void Refuse(const QString& text);
    bool RefuseUnplayableSound(const Data& entered);
    bool ConfirmHistoryFolder(const std::wstring& chosen, const std::wstring& previous);

    CZellwickApp& m_app;
    SoundPlayer& m_sound;
    DialogPrompts& m_prompts;
    ScreenScale m_scale;
    std::map<int, QWidget*> m_controls;

    QLineEdit* m_editNickname = nullptr;
    CBrowseEdit* m_editHistory = nullptr;
    QCheckBox* m_chkHands = nullptr;
    QLineEdit* m_editHands = nullptr;
    CSpinButton* m_spinHands = nullptr;
    CBrowseEdit* m_editHandsSound = nullptr;
    QCheckBox* m_chkVpp = nullptr;
    QLineEdit* m_editVpp = nullptr;
    CSpinButton* m_spinVpp = nullptr;
    CBrowseEdit* m_editVppSound = nullptr;
    QCheckBox* m_chkTime = nullptr;
    QLineEdit* m_editTime = nullptr;
    CBrowseEdit* m_editTimeSound = nullptr;
    QComboBox* m_cmbSize = nullptr;
    QSlider* m_sldOpacity = nullptr;
    QLabel* m_stOpacity = nullptr;
    QCheckBox* m_chkRunOnStart = nullptr;
    QPushButton* m_btnAuto = nullptr;
    QPushButton* m_btnOk = nullptr;
    QPushButton* m_btnCancel = nullptr;
};
