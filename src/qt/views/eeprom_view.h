// The memory editor window `frm_eeprom`: the 256-line image and the
// differences found by a verification as two-column lists, the image
// buttons, and the register frame.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <QtWidgets/QWidget>

#include "qt/views/render.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace korventa::qt {

class Desktop;

class EepromView final : public QWidget {
 public:
  explicit EepromView(Desktop& d);
  void Rendi();

  QTreeWidget* List1() const { return list1_; }
  QTreeWidget* List2() const { return list2_; }
  QPushButton* Pulsante(const std::string& nome) const;
  QLineEdit* Casella(const std::string& nome) const;
  QRadioButton* Option2(int i) const { return option2_[static_cast<std::size_t>(i)]; }
  QRadioButton* Option1(int i) const { return option1_[static_cast<std::size_t>(i)]; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  static void RendiLista(QTreeWidget* w, const ListBox& l, std::vector<std::string>& mostrata);

  Desktop& d_;
  QTreeWidget *list1_, *list2_;
  std::vector<std::string> mostrata1_, mostrata2_;
  QPushButton *cmd3_, *cmd5_, *cmd6_, *cmd2_, *cmd7_, *cmd1_, *cmd4_;
  QLabel *lblBanco_, *lblStart_, *lblFormato_, *lblValore_, *lblExp_;
  QLineEdit *banco_, *start_, *valore_, *valoreA_, *valoreB_, *valoreC_;
  std::array<QRadioButton*, 3> option2_{};
  std::array<QRadioButton*, 2> option1_{};
  QGroupBox* registro_;
  StatoFinestra stato_;
};

}  // namespace korventa::qt
