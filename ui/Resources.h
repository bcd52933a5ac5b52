#pragma once

// The pictures and sounds compiled into the program, by their resource numbers: bitmaps as
// res/bitmaps/NNN.png, icons as res/icons/NNN-SIZE.png (one file per size), sounds as
// res/sounds/NNN.wav.

#include <QIcon>
#include <QImage>
#include <QString>
#include <QUrl>

namespace Resources {

// Makes the compiled-in files reachable under ":/". Cheap after the first call; everything
// below calls it, so only code that opens the paths itself needs to.
void Init();

QString BitmapPath(int id);
QString IconPath(int id, int size);
QUrl SoundUrl(int id); // for QSoundEffect: "qrc:/sounds/NNN.wav"

// A null image when the program has no such bitmap (or for id 0).
QImage LoadBitmap(int id);
// The icon at exactly this size, or a null image.
QImage LoadIconImage(int id, int size);
// Every size drawn of the icon; null when there is none.
QIcon LoadIcon(int id);

} // namespace Resources
