// The program's pictures, drawn once at start-up: the button bitmaps, the
// brand icons and the language flags, by resource number.
//
//   3, 15, 17  about-window icons of brands 0, 2, 3
//   4, 16, 18  main-window icons of brands 0, 2, 3
//   5, 6       Italian and English flags
//   7, 8       write, read
//   9, 10, 11  programming, measurement, switch views
//   12, 13     start, stop
//   14         manual
#pragma once

#include <map>

#include <QtGui/QIcon>
#include <QtGui/QPixmap>

namespace korventa::qt {

class Immagini {
 public:
  // Draws every picture; needs a QGuiApplication.
  Immagini();
  // The picture with that resource number; a null pixmap for any other.
  QPixmap Bitmap(int numero) const;
  QIcon Icona(int numero) const;

  static constexpr int kLato = 32;  // pixels

 private:
  std::map<int, QPixmap> immagini_;
};

}  // namespace korventa::qt
