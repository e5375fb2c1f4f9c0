// The programming window `frm_program`: every frame and control of the
// FrmProgram model, one column per channel, the pages of frm_modo with the
// algebraic page of the two-input model. Edits go to the model (and to its
// change handlers, which do nothing while lists are being filled).
#pragma once

#include <array>
#include <functional>
#include <span>
#include <vector>

#include <QtWidgets/QWidget>

#include "config/program_window.h"
#include "qt/views/render.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;

namespace korventa {
struct Context;
}

namespace korventa::qt {

class Desktop;

class ProgramView final : public QWidget {
 public:
  explicit ProgramView(Desktop& d);
  void Rendi();

  // Some widgets by control name and index, for tests.
  QComboBox* cmb_Prog_In(int ch) const { return cmb_Prog_In_[U(ch)]; }
  QComboBox* cmb_Prog_Out(int ch) const { return cmb_Prog_Out_[U(ch)]; }
  QLineEdit* txt_Input_max(int ch) const { return txt_Input_max_[U(ch)]; }
  QLineEdit* txt_Input_min(int ch) const { return txt_Input_min_[U(ch)]; }
  QRadioButton* opt_gradi(int ch) const { return opt_gradi_[U(ch)]; }
  QRadioButton* opt_gradi_far(int ch) const { return opt_gradi_far_[U(ch)]; }
  QGroupBox* frm_input(int i) const { return frm_input_[U(i)]; }
  QGroupBox* frm_output(int ch) const { return frm_output_[U(ch)]; }
  QGroupBox* frm_soglia(int ch) const { return frm_soglia_[U(ch)]; }
  QGroupBox* frm_opt() const { return frm_opt_; }
  QGroupBox* frm_freq() const { return frm_freq_; }
  QPushButton* cmd_Operatore(int ch) const { return cmd_Operatore_[U(ch)]; }
  QPushButton* cmd_math() const { return cmd_math_; }
  QPushButton* cmd_OperOk() const { return cmd_OperOk_; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  template <class T>
  using Accesso = std::function<T&(FrmProgram&)>;
  using Gestore = std::function<void(Context&)>;

  static std::size_t U(int i) { return static_cast<std::size_t>(i); }

  // Each maker builds a widget for one control, paints it from the model on
  // every Rendi and writes the user's edits back (then runs `dopo`, the
  // control's handler, where it has one).
  QGroupBox* Cornice(QWidget* p, Accesso<Frame> a);
  QWidget* Pagina(QWidget* p, Accesso<Frame> a);
  QLabel* Etichetta(QWidget* p, Accesso<Label> a);
  // A fixed caption from the text table, in the current language.
  QLabel* Testuale(QWidget* p, int testo);
  // A frame the model shows with nothing visible inside it is not drawn,
  // nor a channel heading with nothing under it.
  void NascondiVuoti();
  QLineEdit* Casella(QWidget* p, Accesso<TextBox> a, bool solaLettura = false);
  QComboBox* Elenco(QWidget* p, Accesso<ComboBox> a, Gestore dopo);
  QRadioButton* Opzione(QWidget* p, std::function<std::span<OptionButton>(FrmProgram&)> gruppo, int posizione,
                        Gestore dopo);
  QCheckBox* Spunta(QWidget* p, Accesso<CheckBox> a, const QString& predefinito, Gestore dopo);
  QPushButton* Pulsante(QWidget* p, Accesso<CommandButton> a, const QString& predefinito, Gestore dopo);

  QWidget* Colonna(QWidget* p, int ch);
  QWidget* Comuni(QWidget* p);
  QWidget* PaginaAlgebrica(QWidget* p);

  Desktop& d_;
  std::vector<std::function<void(FrmProgram&)>> rendi_;

  std::array<QGroupBox*, 4> frm_input_{};
  std::array<QGroupBox*, 2> frm_output_{}, frm_soglia_{};
  QGroupBox *frm_opt_ = nullptr, *frm_freq_ = nullptr;
  std::array<QComboBox*, 2> cmb_Prog_In_{}, cmb_Prog_Out_{};
  std::array<QLineEdit*, 4> txt_Input_max_{}, txt_Input_min_{};
  std::array<QRadioButton*, 2> opt_gradi_{}, opt_gradi_far_{};
  std::array<QPushButton*, 2> cmd_Operatore_{};
  QPushButton *cmd_math_ = nullptr, *cmd_OperOk_ = nullptr;
  // Captions of the window's own (channel headings) in the current language.
  std::vector<std::pair<QLabel*, int>> canali_;
  std::vector<std::pair<QLabel*, int>> testi_;
  // Every frame, in the order built (outer before inner), and the channel
  // columns with their headings.
  std::vector<QGroupBox*> cornici_;
  std::vector<std::pair<QLabel*, std::vector<QGroupBox*>>> intestazioni_;

  void Adatta();
  QScrollArea* scorrimento_ = nullptr;
  QWidget* contenuto_ = nullptr;
  QSize dimensione_;  // the content's size the window was last fitted to
  StatoFinestra stato_;
};

}  // namespace korventa::qt
