#include "qt/views/check_views.h"

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QCloseEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "calibration/verifica.h"
#include "factory/frm_test.h"
#include "measure/frm_misura.h"
#include "qt/app/desktop.h"
#include "qt/print/pdf.h"

namespace korventa::qt {

// The readings of the running stability or linearity test against their
// reference or frequency, with the ideal line.
class GraficoScarti final : public QChartView {
 public:
  explicit GraficoScarti(QWidget* parent) : QChartView(new QChart(), parent) {
    letture_ = new QLineSeries(chart());
    letture_->setName("Misura");
    ideale_ = new QLineSeries(chart());
    ideale_->setName("Rif.");
    chart()->addSeries(ideale_);
    chart()->addSeries(letture_);
    chart()->addAxis(x_ = new QValueAxis(chart()), Qt::AlignBottom);
    chart()->addAxis(y_ = new QValueAxis(chart()), Qt::AlignLeft);
    for (QLineSeries* s : {letture_, ideale_}) {
      s->attachAxis(x_);
      s->attachAxis(y_);
    }
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(180);
  }
  void Mostra(const std::vector<std::pair<double, double>>& punti) {
    if (punti.size() == mostrati_) return;
    mostrati_ = punti.size();
    QList<QPointF> l, id;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    for (std::size_t i = 0; i < punti.size(); ++i) {
      const auto [x, y] = punti[i];
      // Stability keeps one reference: plot the readings in order instead.
      const bool stabile = !punti.empty() && punti.front().first == punti.back().first && punti.size() > 1;
      const double px = stabile ? static_cast<double>(i) : x;
      l.append({px, y});
      id.append({px, x});
      if (i == 0) x0 = x1 = px, y0 = y1 = y;
      x0 = std::min(x0, px), x1 = std::max(x1, px);
      y0 = std::min({y0, y, x}), y1 = std::max({y1, y, x});
    }
    letture_->replace(l);
    ideale_->replace(id);
    x_->setRange(x0, x1 > x0 ? x1 : x0 + 1);
    const double margine = (y1 - y0) * 0.05 + 1e-3;
    y_->setRange(y0 - margine, y1 + margine);
  }

 private:
  QLineSeries *letture_, *ideale_;
  QValueAxis *x_, *y_;
  std::size_t mostrati_ = static_cast<std::size_t>(-1);
};

namespace {

QPushButton* Bottone(QWidget* parent, const CommandButton& b, const char* nome) {
  auto* p = new QPushButton(Q(b.Caption), parent);
  p->setObjectName(nome);
  return p;
}

// The procedures of the check with the bench's instruments.
template <typename F>
void ConVerifica(Desktop& d, F f) {
  d.Esegui([&d, f](Context& c) {
    Verifica v{c, d.Banco(), c.w.frm_verifica, c.w.interfaccia_strum_ver, c.w.Taratura};
    f(v);
  });
}

void Mostra(QWidget* w, bool visibile, StatoFinestra& stato) {
  Finestra f;
  f.Visible = visibile;
  RendiFinestra(w, f, stato, false);
}

void RendiTesto(QPlainTextEdit* e, const std::string& testo) {
  QString t = Q(testo);
  t.remove('\r');
  if (e->toPlainText() == t) return;
  e->setPlainText(t);
  e->moveCursor(QTextCursor::End);
  e->ensureCursorVisible();
}

}  // namespace

// --- frm_verifica ------------------------------------------------------------

VerificaView::VerificaView(Desktop& d) : d_(d) {
  setObjectName("frm_verifica");
  const FrmVerifica& f = d.Ctx().w.frm_verifica;
  setWindowTitle(Q(f.Caption));
  auto* v = new QVBoxLayout(this);
  auto* riga = new QHBoxLayout;
  comm_strum_ = Bottone(this, f.comm_strum, "comm_strum");
  Send_prog_ = Bottone(this, f.Send_prog, "Send_prog");
  prog_def_ = Bottone(this, f.prog_def, "prog_def");
  prog_man_ = Bottone(this, f.prog_man, "prog_man");
  for (QPushButton* b : {comm_strum_, Send_prog_, prog_def_, prog_man_}) riga->addWidget(b);
  spia_ = new QLabel(this);
  spia_->setObjectName("Spia_verifica");
  spia_->setAlignment(Qt::AlignCenter);
  spia_->setMinimumWidth(90);
  spia_->setAutoFillBackground(true);
  riga->addWidget(spia_);
  v->addLayout(riga);
  report_ = new QPlainTextEdit(this);
  report_->setObjectName("report_ver");
  report_->setReadOnly(true);
  report_->setMinimumSize(520, 260);
  v->addWidget(report_, 1);
  auto* sotto = new QHBoxLayout;
  salva_ = new QPushButton("Salva report...", this);
  salva_->setObjectName("salva_report");
  pdf_ = new QPushButton("Stampa PDF...", this);
  pdf_->setObjectName("stampa_pdf");
  sotto->addStretch(1);
  sotto->addWidget(salva_);
  sotto->addWidget(pdf_);
  v->addLayout(sotto);

  connect(comm_strum_, &QPushButton::clicked, this, [this] { ConVerifica(d_, [](Verifica& v) { comm_strum_Click(v); }); });
  connect(Send_prog_, &QPushButton::clicked, this, [this] { ConVerifica(d_, [](Verifica& v) { Send_prog_Click(v); }); });
  connect(prog_def_, &QPushButton::clicked, this, [this] { ConVerifica(d_, [](Verifica& v) { prog_def_Click(v); }); });
  connect(prog_man_, &QPushButton::clicked, this, [this] { ConVerifica(d_, [](Verifica& v) { prog_man_Click(v); }); });
  connect(salva_, &QPushButton::clicked, this, [this] {
    d_.Esegui([](Context& c) { SalvaReport(c, c.w.frm_verifica); });
  });
  connect(pdf_, &QPushButton::clicked, this, [this] {
    d_.Esegui([](Context& c) {
      FileDialogRequest r;
      r.title = c.w.frm_verifica.Caption;
      r.defaultExtension = "pdf";
      r.filters = {{"(*.pdf)", "*.pdf"}};
      r.fileName = "verifica.pdf";
      r.overwritePrompt = true;
      const auto nome = c.dialogs.SaveFileName(r);
      if (!nome || nome->empty()) return;
      std::string errore;
      if (!StampaPdf(Q(c.w.frm_verifica.report_ver.Text), Q(*nome), errore, c.s.Lingua))
        c.dialogs.MsgBox("PDF: " + errore, Buttons::Ok, Icon::Error, c.w.frm_verifica.Caption);
    });
  });
}

bool VerificaView::StampaPdf(const QString& testo, const QString& file, std::string& errore, int lingua) {
  return ScriviTestoPdf(S(file), "Verifica taratura", S(testo), errore, lingua);
}

void VerificaView::closeEvent(QCloseEvent* e) {
  d_.Esegui([](Context& c) { c.w.frm_verifica.Visible = false; });
  e->accept();
}

QPushButton* VerificaView::Pulsante(const char* nome) const { return findChild<QPushButton*>(nome); }

void VerificaView::Rendi() {
  const FrmVerifica& f = d_.Ctx().w.frm_verifica;
  spia_->setText(Q(f.Spia_verifica.Caption));
  QPalette p = spia_->palette();
  p.setColor(QPalette::Window, Colore(f.Spia_verificaColor, palette().color(QPalette::Window)));
  spia_->setPalette(p);
  RendiTesto(report_, f.report_ver.Text);
  Mostra(this, f.Visible, stato_);
}

// --- interfaccia_strum_ver ---------------------------------------------------

StrumentiVerView::StrumentiVerView(Desktop& d) : d_(d) {
  setObjectName("interfaccia_strum_ver");
  const InterfacciaStrumVer& i = d.Ctx().w.interfaccia_strum_ver;
  setWindowTitle(Q(i.Caption));
  auto* g = new QGridLayout(this);
  auto testo = [this](const char* nome, TextBox InterfacciaStrumVer::*box) {
    auto* e = new QLineEdit(this);
    e->setObjectName(nome);
    connect(e, &QLineEdit::textEdited, this, [this, box](const QString& t) { (d_.Ctx().w.interfaccia_strum_ver.*box).Text = S(t); });
    return e;
  };
  auto spunta = [this](const char* nome, CheckBox InterfacciaStrumVer::*cb) {
    auto* c = new QCheckBox(this);
    c->setObjectName(nome);
    connect(c, &QCheckBox::clicked, this, [this, cb](bool on) { (d_.Ctx().w.interfaccia_strum_ver.*cb).Value = on; });
    return c;
  };
  auto lista = [this](const char* nome) {
    auto* c = new QComboBox(this);
    c->setObjectName(nome);
    return c;
  };
  auto cornice = [&](QGroupBox*& box, const Frame& fr, int riga, int col) {
    box = new QGroupBox(Q(fr.Caption), this);
    g->addWidget(box, riga, col);
    return new QFormLayout(box);
  };

  QFormLayout* a = cornice(alimentatore_, i.alimentatore, 1, 0);
  val_alim_ver_ = testo("val_alim_ver", &InterfacciaStrumVer::val_alim_ver);
  Check_alim_ver_ = spunta("Check_alim_ver", &InterfacciaStrumVer::Check_alim_ver);
  set_al_ = Bottone(this, i.set_al, "set_al");
  a->addRow(Q(i.lbl_alim.Caption), val_alim_ver_);
  a->addRow(Check_alim_ver_, set_al_);

  QFormLayout* m = cornice(multimetro_, i.multimetro, 1, 1);
  outvi_ = lista("outvi");
  Check_mult_ver_ = spunta("Check_mult_ver", &InterfacciaStrumVer::Check_mult_ver);
  set_mult_ = Bottone(this, i.set_mult, "set_mult");
  m->addRow(Q(i.lbl_outvi.Caption), outvi_);
  m->addRow(Check_mult_ver_, set_mult_);

  QFormLayout* c = cornice(calibratore_, i.Calibratore, 2, 0);
  calibratore_in_ = lista("calibratore_in");
  minimo_ = testo("minimo", &InterfacciaStrumVer::minimo);
  massimo_ = testo("massimo", &InterfacciaStrumVer::massimo);
  mezzo_scala_ = testo("mezzo_scala", &InterfacciaStrumVer::mezzo_scala);
  mezzo_scala_->setReadOnly(true);
  Check_cal_ver_ = spunta("Check_cal_ver", &InterfacciaStrumVer::Check_cal_ver);
  set_cali_ = Bottone(this, i.set_cali, "set_cali");
  c->addRow(Q(i.lbl_cal.Caption), calibratore_in_);
  c->addRow(Q(i.lbl_min.Caption), minimo_);
  c->addRow(Q(i.lbl_max.Caption), massimo_);
  c->addRow(Q(i.lbl_mezzo.Caption), mezzo_scala_);
  c->addRow(Check_cal_ver_, set_cali_);

  QFormLayout* u = cornice(un_switch_, i.un_switch, 2, 1);
  disp_un_sw_ = lista("disp_un_sw");
  sel_can_usw_ = lista("sel_can_usw");
  lbl_can_usw_ = new QLabel(this);
  Check_un_sw_ = spunta("Check_un_sw", &InterfacciaStrumVer::Check_un_sw);
  set_usw_ = Bottone(this, i.set_usw, "set_usw");
  u->addRow(Q(i.lbl_disp.Caption), disp_un_sw_);
  u->addRow(lbl_can_usw_, sel_can_usw_);
  u->addRow(Check_un_sw_, set_usw_);

  auto* alto = new QHBoxLayout;
  alto->addWidget(new QLabel(Q(i.lbl_modo.Caption), this));
  mode_aut_man_ = lista("mode_aut_man");
  alto->addWidget(mode_aut_man_);
  Label2_ = new QLabel(this);
  alto->addWidget(Label2_, 1);
  g->addLayout(alto, 0, 0, 1, 2);
  auto* basso = new QHBoxLayout;
  stop_ver_ = Bottone(this, i.stop_ver, "stop_ver");
  imp_strum_ = Bottone(this, i.imp_strum, "imp_strum");
  basso->addWidget(stop_ver_);
  basso->addStretch(1);
  basso->addWidget(imp_strum_);
  g->addLayout(basso, 3, 0, 1, 2);

  auto scelta = [this](QComboBox* box, void (*h)(Verifica&, int)) {
    connect(box, &QComboBox::activated, this, [this, h](int n) { ConVerifica(d_, [h, n](Verifica& v) { h(v, n); }); });
  };
  scelta(mode_aut_man_, &mode_aut_man_Click);
  scelta(disp_un_sw_, &disp_un_sw_Click);
  scelta(calibratore_in_, &calibratore_in_Click);
  scelta(outvi_, [](Verifica& v, int n) { v.i.outvi.Select(n); });
  scelta(sel_can_usw_, [](Verifica& v, int n) { v.i.sel_can_usw.Select(n); });
  auto bottone = [this](QPushButton* b, void (*h)(Verifica&)) {
    connect(b, &QPushButton::clicked, this, [this, h] { ConVerifica(d_, h); });
  };
  bottone(set_al_, [](Verifica& v) { set_al_Click(v); });
  bottone(set_mult_, [](Verifica& v) { set_mult_Click(v); });
  bottone(set_cali_, [](Verifica& v) { set_cali_Click(v); });
  bottone(set_usw_, [](Verifica& v) { set_usw_Click(v); });
  bottone(stop_ver_, &stop_ver_Click);
  bottone(imp_strum_, [](Verifica& v) {
    if (!imp_strum_Click(v)) return;
    // The device's own measurement follows the check.
    cmd_modo_Click(v.c, 1);
    Cmd_StartRead_Click(v.c);
  });
}

void StrumentiVerView::closeEvent(QCloseEvent* e) {
  d_.Esegui([](Context& c) { c.w.interfaccia_strum_ver.Visible = false; });
  e->accept();
}

void StrumentiVerView::Rendi() {
  const InterfacciaStrumVer& i = d_.Ctx().w.interfaccia_strum_ver;
  korventa::qt::Rendi(alimentatore_, i.alimentatore);
  korventa::qt::Rendi(multimetro_, i.multimetro);
  korventa::qt::Rendi(calibratore_, i.Calibratore);
  korventa::qt::Rendi(un_switch_, i.un_switch);
  korventa::qt::Rendi(val_alim_ver_, i.val_alim_ver);
  korventa::qt::Rendi(minimo_, i.minimo);
  korventa::qt::Rendi(massimo_, i.massimo);
  korventa::qt::Rendi(mezzo_scala_, i.mezzo_scala);
  korventa::qt::Rendi(Check_alim_ver_, i.Check_alim_ver);
  korventa::qt::Rendi(Check_mult_ver_, i.Check_mult_ver);
  korventa::qt::Rendi(Check_cal_ver_, i.Check_cal_ver);
  korventa::qt::Rendi(Check_un_sw_, i.Check_un_sw);
  korventa::qt::Rendi(outvi_, i.outvi);
  korventa::qt::Rendi(calibratore_in_, i.calibratore_in);
  korventa::qt::Rendi(disp_un_sw_, i.disp_un_sw);
  korventa::qt::Rendi(sel_can_usw_, i.sel_can_usw);
  korventa::qt::Rendi(mode_aut_man_, i.mode_aut_man);
  korventa::qt::Rendi(lbl_can_usw_, i.lbl_can_usw);
  korventa::qt::Rendi(Label2_, i.Label2);
  Mostra(this, i.Visible, stato_);
}

// --- frm_test ------------------------------------------------------------------

TestView::TestView(Desktop& d) : d_(d) {
  setObjectName("frm_test");
  FrmTest& f = d.Ctx().w.frm_test;
  setWindowTitle(Q(f.Caption));
  auto* g = new QGridLayout(this);
  auto testo = [this](QWidget* parent, TextBox FrmTest::*box) {
    auto* e = new QLineEdit(parent);
    e->setMaximumWidth(90);
    connect(e, &QLineEdit::textEdited, this, [this, box](const QString& t) { (d_.Ctx().w.frm_test.*box).Text = S(t); });
    return e;
  };
  auto casella = [this](QWidget* parent, std::size_t n) {
    auto* e = new QLineEdit(parent);
    e->setMaximumWidth(90);
    e->setObjectName(QString("Text1_%1").arg(n));
    connect(e, &QLineEdit::textEdited, this, [this, n](const QString& t) { d_.Ctx().w.frm_test.Text1[n].Text = S(t); });
    return e;
  };
  auto bottone = [this](QWidget* parent, const CommandButton& b, const char* nome, std::function<void(Context&)> h) {
    QPushButton* p = Bottone(parent, b, nome);
    connect(p, &QPushButton::clicked, this, [this, h] { d_.Esegui(h); });
    return p;
  };

  auto* stab = new QGroupBox(Q(f.Frame1.Caption), this);
  auto* fs = new QFormLayout(stab);
  Text1_[0] = casella(stab, 0);
  Text2_ = testo(stab, &FrmTest::Text2);
  fs->addRow("Ref", Text1_[0]);
  fs->addRow("toll", Text2_);
  fs->addRow(bottone(stab, f.Command1, "Command1", [](Context& c) { Command1_Click(c, c.w.frm_test); }),
             bottone(stab, f.Command3, "Command3", [](Context& c) { Command3_Click(c, c.w.frm_test); }));
  fs->addRow(bottone(stab, f.Command2, "Command2", [](Context& c) { Command2_Click(c.w.frm_test); }));
  g->addWidget(stab, 0, 0);

  auto* freq = new QGroupBox(Q(f.Frame2.Caption), this);
  auto* ff = new QFormLayout(freq);
  Text3_ = testo(freq, &FrmTest::Text3);
  Text4_ = testo(freq, &FrmTest::Text4);
  Text5_ = testo(freq, &FrmTest::Text5);
  Text6_ = testo(freq, &FrmTest::Text6);
  Text9_ = testo(freq, &FrmTest::Text9);
  Text7_ = testo(freq, &FrmTest::Text7);
  Text8_ = testo(freq, &FrmTest::Text8);
  Text8_->setReadOnly(true);
  ff->addRow("Start", Text3_);
  ff->addRow("Fine", Text4_);
  ff->addRow("Step", Text5_);
  ff->addRow("Delay step", Text6_);
  ff->addRow("Delay mis", Text9_);
  ff->addRow("Toll", Text7_);
  ff->addRow("Misura", Text8_);
  ff->addRow(bottone(freq, f.Command4, "Command4", [&d](Context& c) { Command4_Click(c, c.w.frm_test, d.Banco()); }));
  g->addWidget(freq, 0, 1);

  auto* usc = new QGroupBox(Q(f.Frame3.Caption), this);
  auto* fu = new QGridLayout(usc);
  Text1_[2] = casella(usc, 2);
  Text1_[1] = casella(usc, 1);
  fu->addWidget(new QLabel("A", usc), 0, 0);
  fu->addWidget(Text1_[2], 0, 1);
  fu->addWidget(bottone(usc, f.Command7, "Command7", [](Context& c) { Command7_Click(c, c.w.frm_test); }), 0, 2);
  fu->addWidget(new QLabel("B", usc), 1, 0);
  fu->addWidget(Text1_[1], 1, 1);
  fu->addWidget(bottone(usc, f.Command10, "Command10", [](Context& c) { Command10_Click(c, c.w.frm_test); }), 1, 2);
  fu->addWidget(bottone(usc, f.Command11, "Command11", [](Context& c) { Command11_Click(c, c.w.frm_test); }), 2, 1);
  fu->addWidget(bottone(usc, f.Command8, "Command8", [](Context& c) { Command8_Click(c.w.frm_test); }), 2, 2);
  g->addWidget(usc, 1, 0);

  auto* gen = new QGroupBox(Q(f.Frame4.Caption), this);
  auto* fg = new QGridLayout(gen);
  for (std::size_t n = 0; n < 3; ++n) {
    opt_fgen_[n] = new QRadioButton(Q(f.opt_fgen[n].Caption), gen);
    opt_fgen_[n]->setAutoExclusive(false);
    fg->addWidget(opt_fgen_[n], static_cast<int>(n), 0);
    connect(opt_fgen_[n], &QRadioButton::clicked, this, [this, n] {
      d_.Esegui([n](Context& c) {
        for (std::size_t k = 0; k < 3; ++k) c.w.frm_test.opt_fgen[k].Value = k == n;
      });
    });
  }
  Text10_ = testo(gen, &FrmTest::Text10);
  fg->addWidget(new QLabel("Hz", gen), 0, 1);
  fg->addWidget(Text10_, 0, 2);
  fg->addWidget(bottone(gen, f.Command5, "Command5", [&d](Context& c) { Command5_Click(c, c.w.frm_test, d.Banco()); }), 1, 2);
  for (int n = 0; n < 3; ++n)
    fg->addWidget(bottone(gen, f.Command6[static_cast<std::size_t>(n)], n == 0 ? "Command6_0" : n == 1 ? "Command6_1" : "Command6_2",
                          [&d, n](Context& c) { Command6_Click(c, c.w.frm_test, d.Banco(), n); }),
                  3, n);
  g->addWidget(gen, 1, 1);

  list1_ = new QListWidget(this);
  list1_->setObjectName("List1");
  list1_->setMinimumWidth(150);
  g->addWidget(list1_, 0, 2, 2, 1);
  grafico_ = new GraficoScarti(this);
  g->addWidget(grafico_, 2, 0, 1, 3);
}

QPushButton* TestView::Pulsante(const char* nome) const { return findChild<QPushButton*>(nome); }

void TestView::Rendi() {
  const FrmTest& f = d_.Ctx().w.frm_test;
  for (std::size_t n = 0; n < 3; ++n) {
    korventa::qt::Rendi(Text1_[n], f.Text1[n]);
    korventa::qt::Rendi(opt_fgen_[n], f.opt_fgen[n]);
  }
  const std::pair<QLineEdit*, const TextBox*> caselle[] = {{Text2_, &f.Text2}, {Text3_, &f.Text3}, {Text4_, &f.Text4},
                                                          {Text5_, &f.Text5}, {Text6_, &f.Text6}, {Text7_, &f.Text7},
                                                          {Text8_, &f.Text8}, {Text9_, &f.Text9}, {Text10_, &f.Text10}};
  for (const auto& [e, t] : caselle) korventa::qt::Rendi(e, *t);
  if (list1_->count() != static_cast<int>(f.List1.size())) {
    if (list1_->count() > static_cast<int>(f.List1.size())) list1_->clear();
    for (std::size_t n = static_cast<std::size_t>(list1_->count()); n < f.List1.size(); ++n) list1_->addItem(Q(f.List1[n]));
    list1_->scrollToBottom();
  }
  grafico_->Mostra(f.Punti);
  Mostra(this, f.Visible, stato_);
}

void TestView::closeEvent(QCloseEvent* e) {
  // Closing hides the window and ends what it runs; forcing is left at once.
  d_.Esegui([](Context& c) { FrmTest_Unload(c, c.w.frm_test); });
  e->accept();
}

}  // namespace korventa::qt
