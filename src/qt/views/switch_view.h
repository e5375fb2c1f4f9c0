// The switch window frm_switch: the DIP banks drawn as real switch blocks,
// per channel the input, output and option, the span and zero lists, the
// divider, the configuration check lamp, the wizard's model list and range
// line, and "Print / Export" of a one-page PDF switch card.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QtWidgets/QWidget>

#include "qt/views/render.h"
#include "switches/frm_switch.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace korventa::qt {

class Desktop;

// One DIP switch block: a body with eight (or four) slide switches, the
// "ON" marking, the bank's caption and the switch numbers.
class BloccoDip final : public QWidget {
 public:
  explicit BloccoDip(QWidget* parent = nullptr);
  void Imposta(const BancoDip& b);
  const BancoDip& Banco() const { return banco_; }
  QSize sizeHint() const override { return {300, 132}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  BancoDip banco_;
};

// The check lamp: a round green or red light.
class LampadaCheck final : public QWidget {
 public:
  explicit LampadaCheck(QWidget* parent = nullptr);
  void Imposta(bool ok);
  bool Ok() const { return ok_; }
  QSize sizeHint() const override { return {22, 22}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  bool ok_ = true;
};

class SwitchView final : public QWidget {
 public:
  explicit SwitchView(Desktop& d);
  void Rendi();
  // Writes the switch card to `path` (atomically); false and a reason when
  // it could not be saved.
  bool SalvaScheda(const std::string& path, std::string& errore);

  // For tests.
  BloccoDip* Blocco(int i) { return blocchi_[static_cast<std::size_t>(i)]; }
  LampadaCheck* Lampada() { return lampada_; }
  QComboBox* Modelli() { return modelli_; }
  QPushButton* Indietro() { return indietro_; }
  QPushButton* Wizard() { return wizard_; }
  QListWidget* ListaSpan() { return span_; }
  QComboBox* Ingresso(int ch) { return ingresso_[static_cast<std::size_t>(ch)]; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Stampa();

  Desktop& d_;
  std::array<QLabel*, 2> canale_{};
  std::array<QGroupBox*, 2> gruppoIngresso_{}, gruppoUscita_{}, gruppoOpzione_{};
  std::array<QComboBox*, 2> ingresso_{}, uscita_{};
  std::array<QRadioButton*, 4> opzione_{};
  QGroupBox* gruppoFar_ = nullptr;
  std::array<QRadioButton*, 2> far_{};
  QLabel* etichettaSpan_ = nullptr;
  QLabel* etichettaZero_ = nullptr;
  QListWidget* span_ = nullptr;
  QListWidget* zero_ = nullptr;
  QGroupBox* gruppoDivisore_ = nullptr;
  QComboBox* divisore_ = nullptr;
  QLineEdit* sw2_ = nullptr;
  QGroupBox* gruppoCheck_ = nullptr;
  LampadaCheck* lampada_ = nullptr;
  QLabel* esito_ = nullptr;
  std::array<BloccoDip*, 3> blocchi_{};
  QPushButton* wizard_ = nullptr;
  QPushButton* indietro_ = nullptr;
  QPushButton* stampa_ = nullptr;
  QComboBox* modelli_ = nullptr;
  QLabel* limiti_ = nullptr;
  StatoFinestra stato_;
};

}  // namespace korventa::qt
