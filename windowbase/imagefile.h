#pragma once

#include <QImage>
#include <QString>

namespace ImageFile {

// Reads a picture in the format its suffix names ("bmp", "png"). Qt otherwise guesses the format
// by asking every image plugin, which loads them all (and libjpeg) before the first window shows;
// the program's own pictures are all in formats Qt reads itself. A null image when the file is
// missing or not in that format.
QImage read(const QString& path);

} // namespace ImageFile
