// The PDF documents of the desktop program and the command-line tool: the
// switch card, the calibration certificate and the calibration check's
// report. Each is drawn with Qt's PDF writer into memory and then written
// atomically, so a failed write leaves a file already there as it was.
//
// A failed write is said in the language `lingua` (0 Italian, 1 English).
// Drawing text needs a QGuiApplication; GuiApplicationForPdf makes one for a
// program that has no display.
#pragma once

#include <array>
#include <memory>
#include <string>

class QGuiApplication;
class QPainter;
class QRectF;

namespace korventa {
struct BancoDip;
struct Certificato;
struct SchedaSwitch;
}  // namespace korventa

namespace korventa::qt {

// One DIP switch block into any painter (the window and the card): the
// bank's caption, the body with its slides up (ON) or down, "ON" on the top
// edge and the switch numbers underneath.
void DisegnaBancoDip(QPainter& p, const QRectF& r, const BancoDip& b);

// The one-page switch card: title, caption/value rows, the visible banks.
bool ScriviSchedaSwitch(const std::string& path, const SchedaSwitch& scheda, const std::array<BancoDip, 3>& banchi,
                        std::string& errore, int lingua = 1);

// The calibration certificate of one run, one page.
bool ScriviCertificato(const std::string& path, const Certificato& c, std::string& errore, int lingua = 1);

// A plain-text report on A4 pages in a fixed-pitch font.
bool ScriviTestoPdf(const std::string& path, const std::string& titolo, const std::string& testo, std::string& errore,
                    int lingua = 1);

// The application object for a program that only draws PDF files: on the
// "offscreen" platform unless QT_QPA_PLATFORM names another. argc and argv
// must outlive it.
std::unique_ptr<QGuiApplication> GuiApplicationForPdf(int& argc, char** argv);

}  // namespace korventa::qt
