#pragma once

// The program's icon, the three alarm indicators and the settings dialog's pictures.

#include <QColor>
#include <QImage>

namespace drawres {

QImage DrawProgramIcon(int size);    // a stopwatch made of a poker chip
QImage DrawHandsAlarmIcon(int size); // two playing cards
QImage DrawVppAlarmIcon(int size);   // a gold point coin with a star
QImage DrawTimeAlarmIcon(int size);  // an alarm clock
QImage DrawPlayerPicture(int size);  // a player with his cards
QImage DrawAutoPicture(int size);    // a magic wand: find it automatically

} // namespace drawres
