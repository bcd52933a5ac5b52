#pragma once

// An alarm's sound: the user's WAV file when the program's own check lets it through, the
// alarm's built-in sound otherwise (said once in the log, naming the file).

#include <string>

class CZellwickApp;
class SoundPlayer;

// An empty path plays the built-in sound builtInId.
void PlayAlarmSound(SoundPlayer& sound, CZellwickApp& app, const std::wstring& path, int builtInId);
