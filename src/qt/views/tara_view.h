// The calibration window frm_tara and the PLV3100's two-device window
// Frm_3100: the step table with its colours, the run settings, the
// instrument selectors and the status label. The production run runs inside
// a handler; every wait of the link and of the instruments turns the event
// loop, so the rows repaint as they change and STOP can be pressed.
#pragma once

#include <array>

#include <QtWidgets/QWidget>

#include "factory/collaudo.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace korventa::qt {

class Desktop;

class Frm3100View final : public QWidget {
 public:
  explicit Frm3100View(Desktop& d);
  void Rendi();
  QPushButton* Pulsante(int comando) const;

 private:
  Desktop& d_;
  std::array<QPushButton*, 11> cmd_{};  // by the button's number; 0, 6 unused
  std::array<QCheckBox*, 2> check1_{}, check2_{};
};

class TaraView final : public QWidget {
 public:
  explicit TaraView(Desktop& d);
  void Rendi();
  // START (resume false) and Riprendi.
  void Corri(bool ripresa);

  QRadioButton* opt_modello(int i) const { return opt_modello_[static_cast<std::size_t>(i)]; }
  QTableWidget* Tabella() const { return tabella_; }
  QLabel* lbl_collaudo() const { return lbl_collaudo_; }
  QPushButton* Command5() const { return stop_; }
  QPushButton* Command2() const { return start_; }
  QPushButton* Command6() const { return riprendi_; }
  QPushButton* Command7() const { return prog_; }
  Frm3100View& Vista3100() { return *f3100_; }
  // Where the certificates and the log go.
  QString CartellaRapporti() const;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  // The certificate and the log line; a box says what could not be written.
  void Rapporto(const EsitoCollaudo& e, const std::string& erroreTabella);

  Desktop& d_;
  std::array<QRadioButton*, kNumModelliTara> opt_modello_{};
  QCheckBox *chk_default_, *chk_switch_, *chk_controllo_, *chk_Consumo_, *chk_programma_;
  std::array<QCheckBox*, 2> chk_Canale_{};
  std::array<QComboBox*, 6> selettori_{};
  QTableWidget* tabella_;
  QLineEdit *Text2_, *Text3_, *Text4_, *Text5_, *cartellaModelli_;
  QLabel* lbl_collaudo_;
  QPushButton *start_, *riprendi_, *stop_, *prog_, *on_, *off_, *taraA_, *taraB_;
  QPushButton *lettMult_, *dueCanali_, *fermaSweep_;
  std::unique_ptr<Frm3100View> f3100_;
  bool corre_ = false;
};

}  // namespace korventa::qt
