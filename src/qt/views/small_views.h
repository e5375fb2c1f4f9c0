// The small windows: language choice, operator of the two-input model,
// about, and the measurement and switch windows' places.
#pragma once

#include <array>
#include <functional>

#include <QtWidgets/QLabel>
#include <QtWidgets/QWidget>

#include "qt/views/render.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace korventa::qt {

class Desktop;

// A label that runs `click` when it is clicked (links and pictures).
class Cliccabile final : public QLabel {
 public:
  explicit Cliccabile(QWidget* parent = nullptr);
  std::function<void()> click;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override;
};

// The language window frm_Lang: two flag buttons.
class LangView final : public QWidget {
 public:
  explicit LangView(Desktop& d);
  void Rendi();
  QToolButton* opt_Lang(int i) const { return opt_Lang_[static_cast<std::size_t>(i)]; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  Desktop& d_;
  std::array<QToolButton*, 2> opt_Lang_{};
  StatoFinestra stato_;
};

// The operator window frm_Oper.
class OperView final : public QWidget {
 public:
  explicit OperView(Desktop& d);
  void Rendi();
  QRadioButton* opt_Oper(int i) const { return opt_Oper_[static_cast<std::size_t>(i)]; }
  QGroupBox* Frame1() const { return frame1_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  Desktop& d_;
  std::array<QRadioButton*, 8> opt_Oper_{};
  QGroupBox *frame1_, *frame2_;
  QLineEdit* txt_Opzione_;
  QPushButton* cmd_ok_;
  StatoFinestra stato_;
};

// The about window frm_About.
class AboutView final : public QWidget {
 public:
  explicit AboutView(Desktop& d);
  void Rendi();
  QLabel* lblTitle() const { return lblTitle_; }
  QLabel* lbl_Link(int i) const { return lbl_Link_[static_cast<std::size_t>(i)]; }
  QLabel* picIcon() const { return picIcon_; }
  QLabel* picPDF() const { return picPDF_; }
  QPushButton* cmdSysInfo() const { return cmdSysInfo_; }
  QPushButton* cmdOK() const { return cmdOK_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void ApriWeb();
  void ApriManuale();
  void InfoSistema();

  Desktop& d_;
  Cliccabile *picIcon_, *picPDF_;
  QLabel* lblTitle_;
  std::array<Cliccabile*, 2> lbl_Link_{};
  QPushButton *cmdOK_, *cmdSysInfo_;
  StatoFinestra stato_;
};

// The measurement and switch windows until their own views exist: the
// window with its title, shown and hidden by the view buttons.
class SegnapostoView final : public QWidget {
 public:
  SegnapostoView(Desktop& d, Schermo schermo, int testoTitolo);
  void Rendi();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  Desktop& d_;
  Schermo schermo_;
  int testoTitolo_;
  QLabel* etichetta_;
  StatoFinestra stato_;
};

}  // namespace korventa::qt
