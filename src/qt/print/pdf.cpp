#include "qt/print/pdf.h"

#include <QtCore/QBuffer>
#include <QtGui/QFontMetrics>
#include <QtGui/QGuiApplication>
#include <QtGui/QPageLayout>
#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtGui/QTextDocument>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>

#include "factory/rapporto.h"
#include "files/safe_file.h"
#include "switches/frm_switch.h"

namespace korventa::qt {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// Draws the document into memory, then replaces the file in one step.
bool ScriviPdf(const std::string& path, const QString& titolo, const std::function<void(QPdfWriter&)>& disegna,
               std::string& errore, int lingua) {
  // Without one, the first font drawn would end the program.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    errore = "cannot draw \"" + path + "\": no graphical application object";
    return false;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setTitle(titolo);
    disegna(pdf);
  }
  const QByteArray& dati = buffer.data();
  if (dati.isEmpty()) {
    errore = "cannot save \"" + path + "\": the PDF could not be drawn";
    return false;
  }
  return WriteFileAtomically(
      path, {reinterpret_cast<const std::uint8_t*>(dati.constData()), static_cast<std::size_t>(dati.size())}, errore,
      lingua);
}

}  // namespace

void DisegnaBancoDip(QPainter& p, const QRectF& r, const BancoDip& b) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const int n = b.interruttori;
  const double didascalia = r.height() * 0.18;
  QFont font = p.font();
  font.setPixelSize(std::max(8, static_cast<int>(didascalia * 0.8)));
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRectF(r.left(), r.top(), r.width(), didascalia), Qt::AlignLeft | Qt::AlignVCenter, Q(b.Caption));
  // The red body with rounded corners, as the switch blocks are made.
  const double larghezzaCella = (r.width() - 12) / 8.0;
  const QRectF corpo(r.left(), r.top() + didascalia, larghezzaCella * n + 12, r.height() - 2 * didascalia);
  p.setPen(QPen(QColor(120, 0, 0), 1.5));
  p.setBrush(QColor(200, 30, 30));
  p.drawRoundedRect(corpo, 4, 4);
  // "ON" and its arrow on the top edge of the body.
  QFont piccolo = font;
  piccolo.setPixelSize(std::max(7, static_cast<int>(corpo.height() * 0.14)));
  p.setFont(piccolo);
  p.setPen(Qt::white);
  const double alto = corpo.top() + corpo.height() * 0.02;
  const QRectF scrittaOn(corpo.left() + 4, alto, 40, corpo.height() * 0.18);
  p.drawText(scrittaOn, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ON \u2191"));
  // The slides: white slot, the lever up (ON) or down, numbered under it.
  const double cima = corpo.top() + corpo.height() * 0.22;
  const double altezzaFessura = corpo.height() * 0.62;
  for (int j = 0; j < n; ++j) {
    const double x = corpo.left() + 6 + j * larghezzaCella;
    const QRectF fessura(x + larghezzaCella * 0.2, cima, larghezzaCella * 0.6, altezzaFessura);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(245, 245, 245));
    p.drawRect(fessura);
    const bool on = b.on[U(j)];
    const QRectF leva(fessura.left() + 1.5, on ? fessura.top() + 1.5 : fessura.center().y() + 0.5,
                      fessura.width() - 3, fessura.height() / 2 - 2);
    p.setBrush(on ? QColor(30, 30, 30) : QColor(110, 110, 110));
    p.drawRect(leva);
    p.setPen(Qt::black);
    p.setFont(font);
    p.drawText(QRectF(x, corpo.bottom(), larghezzaCella, didascalia), Qt::AlignCenter,
               QString::number(b.numero[U(j)]));
  }
  p.restore();
}

bool ScriviSchedaSwitch(const std::string& path, const SchedaSwitch& k, const std::array<BancoDip, 3>& banchi,
                        std::string& errore, int lingua) {
  return ScriviPdf(
      path, Q(k.Titolo),
      [&](QPdfWriter& pdf) {
        pdf.setResolution(300);
        QPainter p(&pdf);
        const double w = pdf.width();
        double y = 0;
        QFont f = p.font();
        f.setPointSize(20);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(0, y, w, 120), Qt::AlignLeft | Qt::AlignVCenter, Q(k.Titolo));
        y += 160;
        f.setPointSize(11);
        f.setBold(false);
        p.setFont(f);
        for (const auto& [didascalia, valore] : k.Righe) {
          const QRectF r(300, y, w - 300, 600);
          const QRectF occupato = p.boundingRect(r, Qt::TextWordWrap, Q(valore));
          QFont b = f;
          b.setBold(true);
          p.setFont(b);
          p.drawText(QRectF(0, y, 300, 60), Qt::AlignLeft, Q(didascalia));
          p.setFont(f);
          p.drawText(r, Qt::TextWordWrap, Q(valore));
          y += std::max(70.0, occupato.height() + 10);
        }
        y += 40;
        for (const auto& b : banchi) {
          if (!b.Visible) continue;
          DisegnaBancoDip(p, QRectF(0, y, w * 0.7, 420), b);
          y += 460;
        }
      },
      errore, lingua);
}

bool ScriviCertificato(const std::string& path, const Certificato& c, std::string& errore, int lingua) {
  return ScriviPdf(
      path, "Calibration certificate " + Q(c.modello),
      [&](QPdfWriter& pdf) {
        pdf.setResolution(300);
        QPainter p(&pdf);
        const int w = pdf.width();
        int y = 0;
        auto riga = [&](const QString& testo, int pt, bool grassetto = false) {
          QFont f("Helvetica", pt);
          f.setBold(grassetto);
          p.setFont(f);
          const int h = QFontMetrics(f, &pdf).height();
          y += h;
          p.drawText(0, y, testo);
          y += h / 4;
        };
        riga("Calibration certificate", 18, true);
        riga("Model " + Q(c.modello) + "    " + Q(c.identificazione), 10);
        riga("Date " + Q(c.dataOra), 10);
        QString strumenti;
        for (const auto& s : c.strumenti) strumenti += Q(s) + "   ";
        riga("Bench: " + strumenti, 9);
        for (const auto& m : c.correnti)
          riga(QString("Supply current at %1 V: %2 mA (limit %3 ± 5 mA)")
                   .arg(Q(m.volt))
                   .arg(m.mA, 0, 'f', 2)
                   .arg(m.limite, 0, 'f', 0),
               9);
        y += 30;
        const QStringList colonne = {"Step", "Constant", "Nominal", "Tol.", "Zero", "Half", "Full", "Tol.", "Result"};
        const std::array<double, 9> larghezze = {0.11, 0.16, 0.09, 0.08, 0.12, 0.12, 0.12, 0.09, 0.08};
        auto tabella = [&](const QStringList& celle, bool grassetto) {
          QFont f("Helvetica", 8);
          f.setBold(grassetto);
          p.setFont(f);
          const int h = QFontMetrics(f, &pdf).height();
          y += h;
          double x = 0;
          for (int i = 0; i < celle.size(); ++i) {
            p.drawText(static_cast<int>(x), y, celle[i]);
            x += larghezze[U(i)] * w;
          }
          y += h / 3;
        };
        tabella(colonne, true);
        for (const auto& r : c.righe)
          tabella({Q(r.passo), Q(r.costante), Q(r.nominale), Q(r.tolleranza), Q(r.letture[0]), Q(r.letture[1]),
                   Q(r.letture[2]), Q(r.tolleranzaLetture), Q(r.esito)},
                  false);
        y += 40;
        riga("Verdict: " + Q(c.verdetto), 14, true);
      },
      errore, lingua);
}

bool ScriviTestoPdf(const std::string& path, const std::string& titolo, const std::string& testo,
                    std::string& errore, int lingua) {
  return ScriviPdf(
      path, Q(titolo),
      [&](QPdfWriter& pdf) {
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        QTextDocument doc;
        QFont f("Monospace");
        f.setStyleHint(QFont::TypeWriter);
        f.setPointSizeF(9);
        doc.setDefaultFont(f);
        doc.setPlainText(Q(testo).remove('\r'));
        doc.print(&pdf);
      },
      errore, lingua);
}

std::unique_ptr<QGuiApplication> GuiApplicationForPdf(int& argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace korventa::qt
