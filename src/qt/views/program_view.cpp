#include "qt/views/program_view.h"

#include <QtGui/QCloseEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QScrollArea>
#include <QtWidgets/QStyle>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "app/main_window.h"
#include "app/texts.h"
#include "qt/app/desktop.h"

namespace korventa::qt {

namespace {

constexpr int kTestoCanale = 72;     // "Canale" / "Channel"
constexpr int kTestoProgramma = 35;  // "Programma" / "Program"

QLabel* Fissa(QWidget* p, const char* testo) { return new QLabel(QString::fromUtf8(testo), p); }

QGridLayout* Griglia(QWidget* w) {
  auto* g = new QGridLayout(w);
  g->setContentsMargins(6, 4, 6, 4);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(2);
  return g;
}

}  // namespace

QGroupBox* ProgramView::Cornice(QWidget* p, Accesso<Frame> a) {
  auto* w = new QGroupBox(p);
  cornici_.push_back(w);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, a(f)); });
  return w;
}

QWidget* ProgramView::Pagina(QWidget* p, Accesso<Frame> a) {
  auto* w = new QWidget(p);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, static_cast<const Control&>(a(f))); });
  return w;
}

QLabel* ProgramView::Testuale(QWidget* p, int testo) {
  auto* w = new QLabel(p);
  testi_.emplace_back(w, testo);
  return w;
}

QLabel* ProgramView::Etichetta(QWidget* p, Accesso<Label> a) {
  auto* w = new QLabel(p);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, a(f)); });
  return w;
}

QLineEdit* ProgramView::Casella(QWidget* p, Accesso<TextBox> a, bool solaLettura) {
  auto* w = new QLineEdit(p);
  // Wide enough for the longest value a box holds (a signed five-digit
  // number with three decimals and more), never scrolled.
  const int larghezza = w->fontMetrics().horizontalAdvance(QStringLiteral("-00000.0000")) + 14;
  w->setMinimumWidth(larghezza);
  w->setMaximumWidth(larghezza + 30);
  w->setReadOnly(solaLettura);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, a(f)); });
  // What is typed is the box's content; nothing runs on it (the values are
  // read when writing or saving). The title shows at once that it is unsaved.
  connect(w, &QLineEdit::textEdited, this, [this, a](const QString& t) {
    Context& c = d_.Ctx();
    a(c.w.frm_program).Text = S(t);
    if (!c.w.communication.Modificato) {
      ModificaUtente(c);
      d_.Aggiorna();
    }
  });
  return w;
}

QComboBox* ProgramView::Elenco(QWidget* p, Accesso<ComboBox> a, Gestore dopo) {
  auto* w = new QComboBox(p);
  w->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, a(f)); });
  connect(w, &QComboBox::activated, this, [this, a, dopo](int i) {
    d_.Esegui([a, dopo, i](Context& c) {
      a(c.w.frm_program).Select(i);
      ModificaUtente(c);
      if (dopo) dopo(c);
    });
  });
  return w;
}

QRadioButton* ProgramView::Opzione(QWidget* p, std::function<std::span<OptionButton>(FrmProgram&)> gruppo,
                                   int posizione, Gestore dopo) {
  auto* w = new QRadioButton(p);
  // The model decides which button of a group is selected.
  w->setAutoExclusive(false);
  rendi_.push_back([w, gruppo, posizione](FrmProgram& f) {
    korventa::qt::Rendi(w, gruppo(f)[static_cast<std::size_t>(posizione)]);
  });
  connect(w, &QRadioButton::clicked, this, [this, gruppo, posizione, dopo] {
    d_.Esegui([gruppo, posizione, dopo](Context& c) {
      SelezionaOpzione(gruppo(c.w.frm_program), posizione);
      ModificaUtente(c);
      if (dopo) dopo(c);
    });
  });
  return w;
}

QCheckBox* ProgramView::Spunta(QWidget* p, Accesso<CheckBox> a, const QString& predefinito, Gestore dopo) {
  auto* w = new QCheckBox(predefinito, p);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, a(f)); });
  connect(w, &QCheckBox::clicked, this, [this, a, dopo](bool spuntato) {
    d_.Esegui([a, dopo, spuntato](Context& c) {
      a(c.w.frm_program).Value = spuntato;
      ModificaUtente(c);
      if (dopo) dopo(c);
    });
  });
  return w;
}

QPushButton* ProgramView::Pulsante(QWidget* p, Accesso<CommandButton> a, const QString& predefinito, Gestore dopo) {
  auto* w = new QPushButton(predefinito, p);
  rendi_.push_back([w, a](FrmProgram& f) { korventa::qt::Rendi(w, a(f)); });
  connect(w, &QPushButton::clicked, this, [this, dopo] { d_.Esegui(dopo); });
  return w;
}

QWidget* ProgramView::Colonna(QWidget* p, int ch) {
  using F = FrmProgram;
  const std::size_t c = U(ch);
  auto* col = new QWidget(p);
  auto* v = new QVBoxLayout(col);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(4);

  auto* titolo = new QLabel(col);
  QFont grassetto = titolo->font();
  grassetto.setBold(true);
  titolo->setFont(grassetto);
  canali_.emplace_back(titolo, ch);
  v->addWidget(titolo);
  // Two columns per channel, input and output beside options and trips, so
  // that the window fits a laptop screen's height.
  auto* affiancate = new QHBoxLayout();
  affiancate->setSpacing(4);
  auto* sinistra = new QVBoxLayout();
  auto* destra = new QVBoxLayout();
  affiancate->addLayout(sinistra);
  affiancate->addLayout(destra);
  v->addLayout(affiancate);

  // Input.
  QGroupBox* in = Cornice(col, [c](F& f) -> Frame& { return f.frm_input[c]; });
  frm_input_[c] = in;
  {
    QGridLayout* g = Griglia(in);
    cmb_Prog_In_[c] = Elenco(in, [c](F& f) -> ComboBox& { return f.cmb_Prog_In[c]; },
                             // Choosing an input type updates the option frames at once.
                             [ch](Context& x) { cmb_Prog_In_Change(x.s, x.w.frm_program, ch); });
    g->addWidget(cmb_Prog_In_[c], 0, 0, 1, 3);
    g->addWidget(Fissa(in, "Max"), 1, 0);
    txt_Input_max_[c] = Casella(in, [c](F& f) -> TextBox& { return f.txt_Input_max[c]; });
    g->addWidget(txt_Input_max_[c], 1, 1);
    g->addWidget(Etichetta(in, [c](F& f) -> Label& { return f.lbl_uMisIn[2 * c]; }), 1, 2);
    g->addWidget(Fissa(in, "Min"), 2, 0);
    txt_Input_min_[c] = Casella(in, [c](F& f) -> TextBox& { return f.txt_Input_min[c]; });
    g->addWidget(txt_Input_min_[c], 2, 1);
    g->addWidget(Etichetta(in, [c](F& f) -> Label& { return f.lbl_uMisIn[2 * c + 1]; }), 2, 2);
    auto* scala = new QHBoxLayout();
    // Celsius and Fahrenheit are two control arrays but one choice.
    opt_gradi_[c] = Opzione(in, [c](F& f) { return Gruppo(f.opt_gradi, c, 1); }, 0, [ch](Context& x) {
      x.w.frm_program.opt_gradi_far[U(ch)].Value = false;
      opt_gradi_Click(x.s, x.w.frm_program, ch);
    });
    opt_gradi_far_[c] = Opzione(in, [c](F& f) { return Gruppo(f.opt_gradi_far, c, 1); }, 0, [ch](Context& x) {
      x.w.frm_program.opt_gradi[U(ch)].Value = false;
      opt_gradi_far_Click(x.s, x.w.frm_program, ch);
    });
    scala->addWidget(opt_gradi_[c]);
    scala->addWidget(opt_gradi_far_[c]);
    scala->addStretch(1);
    g->addLayout(scala, 3, 0, 1, 3);
    g->addWidget(Etichetta(in, [c](F& f) -> Label& { return f.lbl_limite_in[c]; }), 4, 0, 1, 3);
    g->addWidget(Etichetta(in, [c](F& f) -> Label& { return f.lbl_spanmin_in[c]; }), 5, 0, 1, 3);
    g->addWidget(Etichetta(in, [c](F& f) -> Label& { return f.Label6[c]; }), 6, 0, 1, 3);
  }
  sinistra->addWidget(in);

  // Output.
  QGroupBox* out = Cornice(col, [c](F& f) -> Frame& { return f.frm_output[c]; });
  frm_output_[c] = out;
  {
    QGridLayout* g = Griglia(out);
    cmb_Prog_Out_[c] = Elenco(out, [c](F& f) -> ComboBox& { return f.cmb_Prog_Out[c]; },
                              [ch](Context& x) { cmb_Prog_Out_Click(x.s, x.w.frm_program, ch); });
    g->addWidget(cmb_Prog_Out_[c], 0, 0, 1, 3);
    g->addWidget(Fissa(out, "Max"), 1, 0);
    g->addWidget(Casella(out, [c](F& f) -> TextBox& { return f.txt_Output_max[c]; }), 1, 1);
    g->addWidget(Etichetta(out, [c](F& f) -> Label& { return f.lbl_uMisOut[2 * c]; }), 1, 2);
    g->addWidget(Fissa(out, "Min"), 2, 0);
    g->addWidget(Casella(out, [c](F& f) -> TextBox& { return f.txt_Output_min[c]; }), 2, 1);
    g->addWidget(Etichetta(out, [c](F& f) -> Label& { return f.lbl_uMisOut[2 * c + 1]; }), 2, 2);
    g->addWidget(Etichetta(out, [c](F& f) -> Label& { return f.lbl_limite_out[c]; }), 3, 0, 1, 3);
    g->addWidget(Etichetta(out, [c](F& f) -> Label& { return f.lbl_spanmin_out[c]; }), 4, 0, 1, 3);
  }
  sinistra->addWidget(out);
  sinistra->addStretch(1);

  // Options: cold junction, function, wiring, burn-out and over-range.
  QGroupBox* opz = Cornice(col, [c](F& f) -> Frame& { return f.frm_options[c]; });
  {
    // Stacked, so that the frames the input type does not use leave no gap.
    auto* g = new QVBoxLayout(opz);
    g->setContentsMargins(4, 4, 4, 4);
    g->setSpacing(4);

    QGroupBox* cjc = Cornice(opz, [c](F& f) -> Frame& { return f.frm_cjc[c]; });
    {
      QGridLayout* gg = Griglia(cjc);
      auto gruppo = [c](F& f) { return Gruppo(f.opt_CJC, 2 * c, 2); };
      gg->addWidget(Opzione(cjc, gruppo, 0, nullptr), 0, 0, 1, 2);
      gg->addWidget(Opzione(cjc, gruppo, 1, nullptr), 1, 0, 1, 2);
      gg->addWidget(Fissa(cjc, "Offset"), 2, 0);
      gg->addWidget(Casella(cjc, [c](F& f) -> TextBox& { return f.txt_offset[c]; }), 2, 1);
    }
    g->addWidget(cjc);

    QGroupBox* funz = Cornice(opz, [c](F& f) -> Frame& { return f.frm_funz[c]; });
    {
      auto* vv = new QVBoxLayout(funz);
      vv->setContentsMargins(6, 4, 6, 4);
      auto gruppo = [c](F& f) { return Gruppo(f.opt_funz, 3 * c, 3); };
      for (int i = 0; i < 3; ++i) vv->addWidget(Opzione(funz, gruppo, i, nullptr));
    }
    g->addWidget(funz);

    QGroupBox* fili = Cornice(opz, [c](F& f) -> Frame& { return f.frm_fili[c]; });
    {
      auto* vv = new QVBoxLayout(fili);
      vv->setContentsMargins(6, 4, 6, 4);
      auto gruppo = [c](F& f) { return Gruppo(f.opt_Fili, 3 * c, 3); };
      // The buttons stand in the order "2", "3", "4": the middle one is the
      // group's third.
      for (int i : {0, 2, 1}) vv->addWidget(Opzione(fili, gruppo, i, nullptr));
    }
    g->addWidget(fili);

    QGroupBox* rottura = Cornice(opz, [c](F& f) -> Frame& { return f.frm_break[c]; });
    {
      auto* vv = new QVBoxLayout(rottura);
      vv->setContentsMargins(6, 4, 6, 4);
      auto gruppo = [c](F& f) { return Gruppo(f.opt_Break, 2 * c, 2); };
      vv->addWidget(Opzione(rottura, gruppo, 0, nullptr));
      vv->addWidget(Opzione(rottura, gruppo, 1, nullptr));
      vv->addWidget(Testuale(rottura, kTxtFuoriScala));
      vv->addWidget(Elenco(rottura, [c](F& f) -> ComboBox& { return f.cmb_OverRange[c]; }, nullptr));
    }
    g->addWidget(rottura);
  }
  destra->addWidget(opz);

  // Trips.
  QGroupBox* soglia = Cornice(col, [c](F& f) -> Frame& { return f.frm_soglia[c]; });
  frm_soglia_[c] = soglia;
  {
    QGridLayout* g = Griglia(soglia);
    auto trip = [c](F& f) { return Gruppo(f.optTrip, 2 * c, 2); };
    auto rele = [c](F& f) { return Gruppo(f.optRele, 2 * c, 2); };
    g->addWidget(Opzione(soglia, trip, 0, nullptr), 0, 0);
    g->addWidget(Opzione(soglia, trip, 1, nullptr), 0, 1);
    g->addWidget(Opzione(soglia, rele, 0, nullptr), 0, 2);
    g->addWidget(Opzione(soglia, rele, 1, nullptr), 0, 3);
    g->addWidget(Fissa(soglia, "H"), 1, 0);
    g->addWidget(Casella(soglia, [c](F& f) -> TextBox& { return f.txt_soglia_H[c]; }), 1, 1, 1, 2);
    g->addWidget(Etichetta(soglia, [c](F& f) -> Label& { return f.lbl_uMisS[c]; }), 1, 3);
    g->addWidget(Fissa(soglia, "L"), 2, 0);
    g->addWidget(Casella(soglia, [c](F& f) -> TextBox& { return f.txt_soglia_L[c]; }), 2, 1, 1, 2);
    g->addWidget(Testuale(soglia, kTxtRitardo), 3, 0);
    g->addWidget(Casella(soglia, [c](F& f) -> TextBox& { return f.txt_soglia_Delay[c]; }), 3, 1, 1, 2);
  }
  destra->addWidget(soglia);
  destra->addStretch(1);
  v->addStretch(1);
  intestazioni_.emplace_back(titolo, std::vector<QGroupBox*>{in, out, opz, soglia});
  return col;
}

QWidget* ProgramView::Comuni(QWidget* p) {
  using F = FrmProgram;
  auto* box = new QWidget(p);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);

  // Response delay, doubler, high speed.
  QGroupBox* opt = Cornice(box, [](F& f) -> Frame& { return f.frm_opt; });
  frm_opt_ = opt;
  {
    QGridLayout* g = Griglia(opt);
    g->addWidget(Etichetta(opt, [](F& f) -> Label& { return f.lbl_opzioni; }), 0, 0, 1, 3);
    g->addWidget(Etichetta(opt, [](F& f) -> Label& { return f.Label21[0]; }), 1, 0);
    g->addWidget(Casella(opt, [](F& f) -> TextBox& { return f.txt_Delay; }), 1, 1);
    // Label21(2) is the delay's unit; it shows and hides with the box.
    g->addWidget(Etichetta(opt, [](F& f) -> Label& { return f.Label21[2]; }), 1, 2);
    g->addWidget(Etichetta(opt, [](F& f) -> Label& { return f.Label21[1]; }), 2, 0, 1, 3);
    g->addWidget(Spunta(opt, [](F& f) -> CheckBox& { return f.chk_Doubler; }, QString(),
                        [](Context& x) { chk_Doubler_Click(x.s, x.w.frm_program); }),
                 3, 0, 1, 3);
    g->addWidget(Spunta(opt, [](F& f) -> CheckBox& { return f.chk_HS; }, QString(), nullptr), 4, 0, 1, 3);
  }
  v->addWidget(opt);

  // Frequency input.
  QGroupBox* freq = Cornice(box, [](F& f) -> Frame& { return f.frm_freq; });
  frm_freq_ = freq;
  {
    QGridLayout* g = Griglia(freq);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_freq_analog; }), 0, 0);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_freq_digital; }), 0, 1, 1, 2);
    g->addWidget(Elenco(freq, [](F& f) -> ComboBox& { return f.cmb_Freq_Type; },
                        [](Context& x) { cmb_Freq_Type_Click(x.s, x.w.frm_program); }),
                 1, 0, 1, 3);
    g->addWidget(Spunta(freq, [](F& f) -> CheckBox& { return f.chk_50hz; }, QString(), nullptr), 2, 0, 1, 3);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_filter; }), 3, 0);
    g->addWidget(Casella(freq, [](F& f) -> TextBox& { return f.txt_filter; }), 3, 1);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_aux; }), 4, 0);
    g->addWidget(Casella(freq, [](F& f) -> TextBox& { return f.txt_aux_freq; }), 4, 1);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_uMisAux; }), 4, 2);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_trig; }), 5, 0);
    g->addWidget(Casella(freq, [](F& f) -> TextBox& { return f.txt_Trig; }), 5, 1);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_uMisTrig[0]; }), 5, 2);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_mult; }), 6, 0);
    g->addWidget(Etichetta(freq, [](F& f) -> Label& { return f.lbl_uMisTrig[1]; }), 6, 2);
  }
  v->addWidget(freq);

  // The two-input model's algebraic page.
  cmd_math_ = Pulsante(box, [](F& f) -> CommandButton& { return f.cmd_math; }, "f(A, B)",
                       [](Context& x) { cmd_math_Click(x.s, x.w.frm_program); });
  v->addWidget(cmd_math_);
  v->addStretch(1);
  return box;
}

QWidget* ProgramView::PaginaAlgebrica(QWidget* p) {
  using F = FrmProgram;
  QWidget* pagina = Pagina(p, [](F& f) -> Frame& { return f.frm_modo[3]; });
  auto* v = new QVBoxLayout(pagina);
  v->setContentsMargins(0, 0, 0, 0);

  auto* operatori = new QHBoxLayout();
  for (int ch = 0; ch < 2; ++ch) {
    const std::size_t c = U(ch);
    auto* titolo = new QLabel(pagina);
    canali_.emplace_back(titolo, ch);
    operatori->addWidget(titolo);
    cmd_Operatore_[c] =
        Pulsante(pagina, [c](F& f) -> CommandButton& { return f.cmd_Operatore[c]; }, QString(),
                 [ch](Context& x) {
                   cmd_Operatore_Click(x.s, x.w.frm_program, x.w.frm_Oper, ch);
                   ++x.w.communication.finestre[Schermo::frm_Oper].PrimoPiano;
                 });
    cmd_Operatore_[c]->setMinimumWidth(60);
    operatori->addWidget(cmd_Operatore_[c]);
    operatori->addSpacing(12);
  }
  operatori->addStretch(1);
  cmd_OperOk_ = Pulsante(pagina, [](F& f) -> CommandButton& { return f.cmd_OperOk; }, "<--",
                         [](Context& x) { cmd_OperOk_Click(x.w.frm_program); });
  operatori->addWidget(cmd_OperOk_);
  v->addLayout(operatori);

  // The algebraic-function frame: each channel's input and output range
  // beside the physical values they stand for.
  QGroupBox* algebrica = Cornice(pagina, [](F& f) -> Frame& { return f.frm_input[3]; });
  frm_input_[3] = algebrica;
  auto* h = new QHBoxLayout(algebrica);
  for (int ch = 0; ch < 2; ++ch) {
    const std::size_t c = U(ch);
    auto* col = new QVBoxLayout();
    QGroupBox* fin = Cornice(algebrica, [c](F& f) -> Frame& { return f.frm_fisico[c]; });
    {
      QGridLayout* g = Griglia(fin);
      g->addWidget(Fissa(fin, "Max"), 0, 0);
      txt_Input_max_[c + 2] = Casella(fin, [c](F& f) -> TextBox& { return f.txt_Input_max[c + 2]; }, true);
      g->addWidget(txt_Input_max_[c + 2], 0, 1);
      g->addWidget(Etichetta(fin, [c](F& f) -> Label& { return f.lbl_uMisIn[4 + 2 * c]; }), 0, 2);
      g->addWidget(Fissa(fin, "→"), 0, 3);
      g->addWidget(Casella(fin, [c](F& f) -> TextBox& { return f.txt_Fisico_max[c + 2]; }), 0, 4);
      g->addWidget(Fissa(fin, "Min"), 1, 0);
      txt_Input_min_[c + 2] = Casella(fin, [c](F& f) -> TextBox& { return f.txt_Input_min[c + 2]; }, true);
      g->addWidget(txt_Input_min_[c + 2], 1, 1);
      g->addWidget(Etichetta(fin, [c](F& f) -> Label& { return f.lbl_uMisIn[5 + 2 * c]; }), 1, 2);
      g->addWidget(Fissa(fin, "→"), 1, 3);
      g->addWidget(Casella(fin, [c](F& f) -> TextBox& { return f.txt_Fisico_min[c + 2]; }), 1, 4);
      g->addWidget(Etichetta(fin, [c](F& f) -> Label& { return f.Label6[c + 2]; }), 2, 0, 1, 5);
    }
    col->addWidget(fin);
    QGroupBox* fout = Cornice(algebrica, [c](F& f) -> Frame& { return f.frm_fisico[c + 2]; });
    {
      QGridLayout* g = Griglia(fout);
      g->addWidget(Fissa(fout, "Max"), 0, 0);
      g->addWidget(Casella(fout, [c](F& f) -> TextBox& { return f.txt_Output_max[c + 2]; }, true), 0, 1);
      g->addWidget(Etichetta(fout, [c](F& f) -> Label& { return f.lbl_uMisOut[4 + 2 * c]; }), 0, 2);
      g->addWidget(Fissa(fout, "→"), 0, 3);
      g->addWidget(Casella(fout, [c](F& f) -> TextBox& { return f.txt_FisicoOut_max[c]; }), 0, 4);
      g->addWidget(Fissa(fout, "Min"), 1, 0);
      g->addWidget(Casella(fout, [c](F& f) -> TextBox& { return f.txt_Output_min[c + 2]; }, true), 1, 1);
      g->addWidget(Etichetta(fout, [c](F& f) -> Label& { return f.lbl_uMisOut[5 + 2 * c]; }), 1, 2);
      g->addWidget(Fissa(fout, "→"), 1, 3);
      g->addWidget(Casella(fout, [c](F& f) -> TextBox& { return f.txt_FisicoOut_min[c]; }), 1, 4);
    }
    col->addWidget(fout);
    h->addLayout(col);
  }
  v->addWidget(algebrica);
  v->addStretch(1);
  return pagina;
}

ProgramView::ProgramView(Desktop& d) : d_(d) {
  using F = FrmProgram;
  setObjectName("frm_program");
  // The pages scroll when the screen is smaller than the window's content.
  auto* esterno = new QVBoxLayout(this);
  esterno->setContentsMargins(0, 0, 0, 0);
  scorrimento_ = new QScrollArea(this);
  scorrimento_->setWidgetResizable(true);
  scorrimento_->setFrameShape(QFrame::NoFrame);
  esterno->addWidget(scorrimento_);
  contenuto_ = new QWidget(scorrimento_);
  auto* v = new QVBoxLayout(contenuto_);
  v->setContentsMargins(6, 6, 6, 6);
  QWidget* radice = contenuto_;

  // Page 1 stays empty until the live readings join this window.
  v->addWidget(Pagina(radice, [](F& f) -> Frame& { return f.frm_modo[1]; }));

  QWidget* principale = Pagina(radice, [](F& f) -> Frame& { return f.frm_modo[2]; });
  auto* h = new QHBoxLayout(principale);
  h->setContentsMargins(0, 0, 0, 0);
  h->addWidget(Colonna(principale, 0), 0, Qt::AlignTop);
  h->addWidget(Colonna(principale, 1), 0, Qt::AlignTop);
  h->addWidget(Comuni(principale), 0, Qt::AlignTop);
  v->addWidget(principale);

  v->addWidget(PaginaAlgebrica(radice));
  // A window taller than its page keeps the spare room below the controls.
  v->addStretch(1);
  scorrimento_->setWidget(contenuto_);
}

void ProgramView::Adatta() {
  const QSize voluta = contenuto_->sizeHint();
  if (voluta == dimensione_) return;
  dimensione_ = voluta;
  // As large as the content, but never past the screen's free area below
  // and right of where the window stands (its frame included).
  const QScreen* schermo = screen() ? screen() : QGuiApplication::primaryScreen();
  QSize massima(voluta.width() + 24, voluta.height() + 24);
  if (schermo) {
    const QRect libero = schermo->availableGeometry();
    const int cornice = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    massima = massima.boundedTo(QSize(libero.right() - std::max(x(), libero.left()),
                                      libero.bottom() - std::max(y(), libero.top()) - cornice));
  }
  resize(massima.expandedTo(QSize(320, 200)));
}

void ProgramView::Rendi() {
  Context& c = d_.Ctx();
  FrmProgram& f = c.w.frm_program;
  const QString titolo = Q(korventa::Testo(c.s, kTestoProgramma));
  if (windowTitle() != titolo) setWindowTitle(titolo);
  setWindowIcon(d_.Immagini_().Icona(c.w.communication.Icon));
  for (auto& r : rendi_) r(f);
  // Going to and from the algebraic page changes what the window holds: it
  // takes the size of the page shown.

  for (auto& [etichetta, ch] : canali_) {
    const QString t = Q(korventa::Testo(c.s, kTestoCanale)) + (ch == 0 ? " A" : " B");
    if (etichetta->text() != t) etichetta->setText(t);
  }
  for (auto& [etichetta, testo] : testi_) {
    const QString t = Q(korventa::Testo(c.s, testo));
    if (etichetta->text() != t) etichetta->setText(t);
  }
  NascondiVuoti();
  RendiFinestra(this, c.w.communication.finestre[Schermo::frm_program], stato_);
  // What the window holds changes with the model and the page shown: it
  // takes the size of its content, as far as the screen allows.
  Adatta();
}

void ProgramView::NascondiVuoti() {
  // Inner frames first, so that a frame holding only empty frames hides too.
  for (auto it = cornici_.rbegin(); it != cornici_.rend(); ++it) {
    QGroupBox* g = *it;
    if (g->isHidden()) continue;
    bool pieno = false;
    for (QWidget* figlio : g->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const auto* etichetta = qobject_cast<QLabel*>(figlio);
      // An empty caption shows nothing.
      if (!figlio->isHidden() && !(etichetta && etichetta->text().isEmpty())) {
        pieno = true;
        break;
      }
    }
    if (!pieno) g->hide();
  }
  for (auto& [titolo, cornici] : intestazioni_) {
    bool qualcosa = false;
    for (QGroupBox* g : cornici) qualcosa = qualcosa || !g->isHidden();
    if (titolo->isHidden() == qualcosa) titolo->setVisible(qualcosa);
  }
}

void ProgramView::closeEvent(QCloseEvent* e) {
  if (d_.Chiudi(Schermo::frm_program))
    e->accept();
  else
    e->ignore();
}

}  // namespace korventa::qt
