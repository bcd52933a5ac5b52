#include "ui/QtSoundPlayer.h"

#include "ui/Resources.h"
#include "ui/WaveFile.h"

QtSoundPlayer::QtSoundPlayer()
{
    QObject::connect(&m_effect, &QSoundEffect::statusChanged, &m_effect,
                     [this] { OnStatusChanged(); });
}

void QtSoundPlayer::PlayFile(const QString& path)
{
    // The library can block the caller for good on a file it cannot read; only files the
    // program has checked itself reach it. Callers play a built-in sound instead.
    if (!WaveProblem(path).isEmpty())
        return;
    Play(QUrl::fromLocalFile(path));
}

void QtSoundPlayer::PlayResource(int id)
{
    Play(Resources::SoundUrl(id));
}

void QtSoundPlayer::Play(const QUrl& source)
{
    m_effect.stop();
    m_bPlayWhenLoaded = false;
    m_effect.setSource(source);
    // A new source loads in the background; it starts as soon as it is there.
    if (m_effect.status() == QSoundEffect::Ready)
        m_effect.play();
    else
        m_bPlayWhenLoaded = true;
}

void QtSoundPlayer::OnStatusChanged()
{
    if (m_effect.status() == QSoundEffect::Ready && m_bPlayWhenLoaded) {
        m_bPlayWhenLoaded = false;
        m_effect.play();
    } else if (m_effect.status() == QSoundEffect::Error) {
        m_bPlayWhenLoaded = false;
    }
}
