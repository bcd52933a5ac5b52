#include "ui/AlarmSound.h"

#include "app/ZellwickApp.h"
#include "ui/SoundPlayer.h"
#include "ui/WaveFile.h"

void PlayAlarmSound(SoundPlayer& sound, CZellwickApp& app, const std::wstring& path, int builtInId)
{
    if (path.empty()) {
        sound.PlayResource(builtInId);
        return;
    }
    const QString file = QString::fromStdWString(path);
    const QString problem = WaveProblem(file);
    if (problem.isEmpty()) {
        sound.PlayFile(file);
        return;
    }
    // A silent alarm would go unnoticed; the built-in one at least rings.
    app.WriteLog(L"Sound file is not a playable WAV (" + problem.toStdWString() +
                 L"), the built-in sound plays: " + path);
    sound.PlayResource(builtInId);
}
