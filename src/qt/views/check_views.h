// The calibration check's two windows (frm_verifica and
// interfaccia_strum_ver) and the bench-test window (frm_test), each
// rendering its presentation model and sending the clicks to its handlers.
#pragma once

#include <array>
#include <string>

#include <QtWidgets/QWidget>

#include "qt/views/render.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace korventa {
struct Verifica;
}

namespace korventa::qt {

class Desktop;
class GraficoScarti;

class VerificaView final : public QWidget {
 public:
  explicit VerificaView(Desktop& d);
  void Rendi();
  QPushButton* Pulsante(const char* nome) const;
  QPlainTextEdit* report_ver() const { return report_; }
  // Prints the report into a PDF file (Qt's own PDF writer), replaced
  // atomically; false with the reason otherwise.
  static bool StampaPdf(const QString& testo, const QString& file, std::string& errore, int lingua = 1);

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  Desktop& d_;
  QPushButton *comm_strum_, *Send_prog_, *prog_def_, *prog_man_, *salva_, *pdf_;
  QLabel* spia_;
  QPlainTextEdit* report_;
  StatoFinestra stato_;
};

class StrumentiVerView final : public QWidget {
 public:
  explicit StrumentiVerView(Desktop& d);
  void Rendi();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  Desktop& d_;
  QGroupBox *alimentatore_, *multimetro_, *calibratore_, *un_switch_;
  QLineEdit *val_alim_ver_, *minimo_, *massimo_, *mezzo_scala_;
  QCheckBox *Check_alim_ver_, *Check_mult_ver_, *Check_cal_ver_, *Check_un_sw_;
  QComboBox *outvi_, *calibratore_in_, *disp_un_sw_, *sel_can_usw_, *mode_aut_man_;
  QLabel *lbl_can_usw_, *Label2_;
  QPushButton *set_al_, *set_mult_, *set_cali_, *set_usw_, *imp_strum_, *stop_ver_;
  StatoFinestra stato_;
};

class TestView final : public QWidget {
 public:
  explicit TestView(Desktop& d);
  void Rendi();
  QPushButton* Pulsante(const char* nome) const;
  QListWidget* List1() const { return list1_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  Desktop& d_;
  std::array<QLineEdit*, 3> Text1_{};
  QLineEdit *Text2_, *Text3_, *Text4_, *Text5_, *Text6_, *Text7_, *Text8_, *Text9_, *Text10_;
  std::array<QRadioButton*, 3> opt_fgen_{};
  QListWidget* list1_;
  GraficoScarti* grafico_;
  StatoFinestra stato_;
};

}  // namespace korventa::qt
