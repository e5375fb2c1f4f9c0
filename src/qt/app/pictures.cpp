#include "qt/app/pictures.h"

#include <cmath>
#include <numbers>

#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QPolygonF>

namespace korventa::qt {

namespace {

constexpr int L = Immagini::kLato;

QPixmap Vuota() {
  QPixmap p(L, L);
  p.fill(Qt::transparent);
  return p;
}

struct Pittore : QPainter {
  explicit Pittore(QPixmap& p) : QPainter(&p) { setRenderHint(QPainter::Antialiasing); }
};

// A memory chip with its pins, the object of reading and writing.
void Chip(QPainter& g, QRectF r) {
  g.setPen(QPen(QColor(40, 40, 40), 1.2));
  for (int i = 0; i < 4; ++i) {
    const double x = r.left() + 3 + i * (r.width() - 6) / 3.0;
    g.drawLine(QPointF(x, r.top() - 3), QPointF(x, r.top()));
    g.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 3));
  }
  g.setBrush(QColor(55, 60, 70));
  g.drawRoundedRect(r, 2, 2);
  g.setBrush(QColor(200, 200, 200));
  g.setPen(Qt::NoPen);
  g.drawEllipse(QPointF(r.left() + 4, r.top() + 4), 1.5, 1.5);
}

// A thick arrow from a to b.
void Freccia(QPainter& g, QPointF a, QPointF b, QColor colore) {
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double len = std::hypot(dx, dy);
  const double ux = dx / len, uy = dy / len;
  const double w = 3.0, head = 7.0;
  const QPointF base(b.x() - ux * head, b.y() - uy * head);
  QPolygonF poly;
  poly << QPointF(a.x() - uy * w, a.y() + ux * w) << QPointF(base.x() - uy * w, base.y() + ux * w)
       << QPointF(base.x() - uy * 2.3 * w, base.y() + ux * 2.3 * w) << b
       << QPointF(base.x() + uy * 2.3 * w, base.y() - ux * 2.3 * w) << QPointF(base.x() + uy * w, base.y() - ux * w)
       << QPointF(a.x() + uy * w, a.y() - ux * w);
  g.setPen(QPen(colore.darker(140), 1));
  g.setBrush(colore);
  g.drawPolygon(poly);
}

// A tinted tile behind the picture: reading green, writing red, so the two
// commands tell apart at a glance and not only by the arrow.
void Fondo(QPainter& g, QColor colore) {
  g.setPen(QPen(colore.darker(130), 1));
  g.setBrush(colore);
  g.drawRoundedRect(QRectF(0.5, 0.5, L - 1, L - 1), 5, 5);
}

QPixmap Scrivi() {
  QPixmap p = Vuota();
  Pittore g(p);
  Fondo(g, QColor(255, 205, 200));
  Chip(g, QRectF(4, 17, 24, 11));
  Freccia(g, QPointF(16, 1), QPointF(16, 16), QColor(210, 50, 40));
  return p;
}

QPixmap Leggi() {
  QPixmap p = Vuota();
  Pittore g(p);
  Fondo(g, QColor(205, 240, 205));
  Chip(g, QRectF(4, 17, 24, 11));
  Freccia(g, QPointF(16, 16), QPointF(16, 1), QColor(40, 150, 60));
  return p;
}

// A form with fields: the programming window.
QPixmap Programma() {
  QPixmap p = Vuota();
  Pittore g(p);
  g.setPen(QPen(QColor(60, 60, 60), 1.2));
  g.setBrush(Qt::white);
  g.drawRoundedRect(QRectF(4, 2, 24, 28), 2, 2);
  for (int i = 0; i < 4; ++i) {
    const double y = 8 + i * 6;
    g.setPen(QPen(QColor(90, 90, 90), 1.5));
    g.drawLine(QPointF(8, y), QPointF(14, y));
    g.setPen(QPen(QColor(40, 90, 190), 1));
    g.setBrush(QColor(220, 230, 250));
    g.drawRect(QRectF(16, y - 2, 9, 4));
  }
  return p;
}

// A dial with its needle: live measurement.
QPixmap Misura() {
  QPixmap p = Vuota();
  Pittore g(p);
  g.setPen(QPen(QColor(60, 60, 60), 1.5));
  g.setBrush(Qt::white);
  g.drawEllipse(QRectF(2, 4, 28, 28));
  g.setPen(QPen(QColor(80, 80, 80), 1.2));
  for (int i = 0; i <= 6; ++i) {
    const double a = std::numbers::pi * (1.0 - i / 6.0);
    g.drawLine(QPointF(16 + 10 * std::cos(a), 18 - 10 * std::sin(a)),
               QPointF(16 + 13 * std::cos(a), 18 - 13 * std::sin(a)));
  }
  g.setPen(QPen(QColor(200, 40, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
  g.drawLine(QPointF(16, 18), QPointF(24, 9));
  g.setBrush(QColor(60, 60, 60));
  g.setPen(Qt::NoPen);
  g.drawEllipse(QPointF(16, 18), 2.2, 2.2);
  return p;
}

// A bank of DIP switches.
QPixmap Switch() {
  QPixmap p = Vuota();
  Pittore g(p);
  g.setPen(QPen(QColor(20, 60, 140), 1.2));
  g.setBrush(QColor(40, 90, 190));
  g.drawRoundedRect(QRectF(2, 7, 28, 18), 2, 2);
  const bool su[] = {true, false, true, true};
  for (int i = 0; i < 4; ++i) {
    const QRectF slot(5 + i * 6.5, 10, 4.5, 12);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(230, 230, 230));
    g.drawRect(slot);
    g.setBrush(QColor(50, 50, 50));
    g.drawRect(QRectF(slot.left(), su[i] ? slot.top() : slot.top() + 6, slot.width(), 6));
  }
  return p;
}

QPixmap Start() {
  QPixmap p = Vuota();
  Pittore g(p);
  QPolygonF t;
  t << QPointF(8, 4) << QPointF(28, 16) << QPointF(8, 28);
  g.setPen(QPen(QColor(20, 110, 40), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  g.setBrush(QColor(50, 170, 70));
  g.drawPolygon(t);
  return p;
}

QPixmap Stop() {
  QPixmap p = Vuota();
  Pittore g(p);
  g.setPen(QPen(QColor(140, 20, 20), 1.5));
  g.setBrush(QColor(210, 45, 40));
  g.drawRoundedRect(QRectF(6, 6, 20, 20), 3, 3);
  return p;
}

// A document with a folded corner and a red band: the user manual.
QPixmap Manuale() {
  QPixmap p = Vuota();
  Pittore g(p);
  QPolygonF foglio;
  foglio << QPointF(6, 2) << QPointF(20, 2) << QPointF(27, 9) << QPointF(27, 30) << QPointF(6, 30);
  g.setPen(QPen(QColor(70, 70, 70), 1.2));
  g.setBrush(Qt::white);
  g.drawPolygon(foglio);
  g.drawLine(QPointF(20, 2), QPointF(20, 9));
  g.drawLine(QPointF(20, 9), QPointF(27, 9));
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(200, 30, 30));
  g.drawRect(QRectF(3, 16, 20, 8));
  g.setPen(Qt::white);
  QFont f = g.font();
  f.setPixelSize(7);
  f.setBold(true);
  g.setFont(f);
  g.drawText(QRectF(3, 16, 20, 8), Qt::AlignCenter, "PDF");
  g.setPen(QPen(QColor(150, 150, 150), 1));
  for (int i = 0; i < 2; ++i) g.drawLine(QPointF(9, 6 + i * 4), QPointF(17, 6 + i * 4));
  return p;
}

QPixmap BandieraItaliana() {
  QPixmap p = Vuota();
  Pittore g(p);
  const QRectF r(1, 6, 30, 20);
  g.setPen(Qt::NoPen);
  g.setBrush(QColor(0, 146, 70));
  g.drawRect(QRectF(r.left(), r.top(), 10, r.height()));
  g.setBrush(QColor(244, 245, 240));
  g.drawRect(QRectF(r.left() + 10, r.top(), 10, r.height()));
  g.setBrush(QColor(206, 43, 55));
  g.drawRect(QRectF(r.left() + 20, r.top(), 10, r.height()));
  g.setPen(QPen(QColor(120, 120, 120), 0.8));
  g.setBrush(Qt::NoBrush);
  g.drawRect(r);
  return p;
}

QPixmap BandieraInglese() {
  QPixmap p = Vuota();
  Pittore g(p);
  const QRectF r(1, 6, 30, 20);
  g.setClipRect(r);
  g.fillRect(r, QColor(1, 33, 105));
  g.setPen(QPen(Qt::white, 4));
  g.drawLine(r.topLeft(), r.bottomRight());
  g.drawLine(r.bottomLeft(), r.topRight());
  g.setPen(QPen(QColor(200, 16, 46), 1.5));
  g.drawLine(r.topLeft(), r.bottomRight());
  g.drawLine(r.bottomLeft(), r.topRight());
  g.setPen(Qt::NoPen);
  g.setBrush(Qt::white);
  g.drawRect(QRectF(r.center().x() - 3.5, r.top(), 7, r.height()));
  g.drawRect(QRectF(r.left(), r.center().y() - 3.5, r.width(), 7));
  g.setBrush(QColor(200, 16, 46));
  g.drawRect(QRectF(r.center().x() - 2, r.top(), 4, r.height()));
  g.drawRect(QRectF(r.left(), r.center().y() - 2, r.width(), 4));
  g.setClipping(false);
  g.setPen(QPen(QColor(120, 120, 120), 0.8));
  g.setBrush(Qt::NoBrush);
  g.drawRect(r);
  return p;
}

// Main-window icon: a converter (signal in, signal out) in the brand colour.
QPixmap IconaPrincipale(QColor marchio) {
  QPixmap p = Vuota();
  Pittore g(p);
  g.setPen(QPen(marchio.darker(150), 1.2));
  g.setBrush(marchio);
  g.drawRoundedRect(QRectF(2, 2, 28, 28), 5, 5);
  g.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath onda;
  onda.moveTo(5, 16);
  onda.cubicTo(8, 7, 10, 7, 12, 16);
  onda.cubicTo(14, 25, 16, 25, 17, 16);
  g.setBrush(Qt::NoBrush);
  g.drawPath(onda);
  g.drawLine(QPointF(20, 10), QPointF(20, 22));
  g.drawLine(QPointF(20, 22), QPointF(27, 22));
  g.drawLine(QPointF(23, 12), QPointF(27, 12));
  return p;
}

// About-window icon: the brand's initials on a disc.
QPixmap IconaAbout(QColor marchio, const char* sigla) {
  QPixmap p = Vuota();
  Pittore g(p);
  g.setPen(QPen(marchio.darker(150), 1.2));
  g.setBrush(marchio);
  g.drawEllipse(QRectF(1.5, 1.5, 29, 29));
  QFont f = g.font();
  f.setBold(true);
  f.setPixelSize(std::char_traits<char>::length(sigla) > 1 ? 12 : 17);
  g.setFont(f);
  g.setPen(Qt::white);
  g.drawText(QRectF(0, 0, L, L), Qt::AlignCenter, sigla);
  return p;
}

}  // namespace

Immagini::Immagini() {
  const QColor pellvani(30, 100, 170), ganu(0, 130, 110), solvanta(150, 60, 150);
  immagini_[3] = IconaAbout(pellvani, "P");
  immagini_[4] = IconaPrincipale(pellvani);
  immagini_[5] = BandieraItaliana();
  immagini_[6] = BandieraInglese();
  immagini_[7] = Scrivi();
  immagini_[8] = Leggi();
  immagini_[9] = Programma();
  immagini_[10] = Misura();
  immagini_[11] = Switch();
  immagini_[12] = Start();
  immagini_[13] = Stop();
  immagini_[14] = Manuale();
  immagini_[15] = IconaAbout(ganu, "GN");
  immagini_[16] = IconaPrincipale(ganu);
  immagini_[17] = IconaAbout(solvanta, "SV");
  immagini_[18] = IconaPrincipale(solvanta);
}

QPixmap Immagini::Bitmap(int numero) const {
  auto it = immagini_.find(numero);
  return it == immagini_.end() ? QPixmap() : it->second;
}

QIcon Immagini::Icona(int numero) const {
  QPixmap p = Bitmap(numero);
  return p.isNull() ? QIcon() : QIcon(p);
}

}  // namespace korventa::qt
