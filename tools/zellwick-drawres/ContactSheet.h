#pragma once

// A sheet of every picture on the backgrounds it will be seen on, for checking by eye.

#include <QImage>

namespace drawres {

QImage DrawContactSheet();

} // namespace drawres
