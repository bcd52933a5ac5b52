#pragma once

// The program's one sound player, over a single QSoundEffect: starting a sound stops the one
// before it. A file that fails the program's own WAV check is not played at all.

#include "ui/SoundPlayer.h"

#include <QSoundEffect>
#include <QUrl>

class QtSoundPlayer final : public SoundPlayer
{
public:
    QtSoundPlayer();

    void PlayFile(const QString& path) override;
    void PlayResource(int id) override;

    // What was asked for last.
    QUrl Source() const { return m_effect.source(); }

private:
    void Play(const QUrl& source);
    void OnStatusChanged();

    QSoundEffect m_effect;
    bool m_bPlayWhenLoaded = false;
};
