#include "qt/views/tara_view.h"

#include <QtCore/QDateTime>
#include <QtCore/QDir>
#include <QtCore/QSettings>
#include <QtGui/QCloseEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

#include "app/main_window.h"
#include "calibration/linearita.h"
#include "config/write_config.h"
#include "factory/rapporto.h"
#include "factory/ripresa.h"
#include "qt/app/desktop.h"
#include "qt/print/pdf.h"
#include "qt/views/render.h"

namespace korventa::qt {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

QColor ColoreQt(korventa::Colore c, const QColor& normale) {
  if (c == korventa::Colore::Normale) return normale;
  const unsigned rgb = RgbColore(c);
  return QColor(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
}

// The rows in the order the table shows them: channel A's inputs and
// outputs, then channel B's.
const std::array<int, kRigheTara>& OrdineRighe() {
  static const std::array<int, kRigheTara> kOrdine = {0, 1, 2, 3, 4, 5, 20, 6, 7, 8, 9,
                                                      12, 13, 14, 15, 16, 17, 21, 18, 19, 10, 11};
  return kOrdine;
}

}  // namespace

Frm3100View::Frm3100View(Desktop& d) : d_(d) {
  setObjectName("Frm_3100");
  setWindowFlag(Qt::Tool);
  auto* v = new QVBoxLayout(this);
  Frm3100& m = d_.Ctx().w.Frm_3100;
  auto frame = [&](const std::string& titolo, bool programma, int primo) {
    auto* g = new QGroupBox(Q(titolo), this);
    auto* l = new QGridLayout(g);
    for (int dispositivo = 0; dispositivo < 2; ++dispositivo) {
      const int abilita = primo + 2 * dispositivo, disabilita = abilita + 1;
      cmd_[U(abilita)] = new QPushButton(g);
      cmd_[U(disabilita)] = new QPushButton(g);
      auto* box = new QCheckBox(g);
      box->setEnabled(false);
      (programma ? check2_ : check1_)[U(dispositivo)] = box;
      l->addWidget(box, dispositivo, 0);
      l->addWidget(cmd_[U(abilita)], dispositivo, 1);
      l->addWidget(cmd_[U(disabilita)], dispositivo, 2);
      connect(cmd_[U(abilita)], &QPushButton::clicked, this, [this, programma, dispositivo] {
        d_.Esegui([programma, dispositivo](Context& c) { AbilitaDispositivo(c.w.Frm_3100, programma, dispositivo); });
      });
      connect(cmd_[U(disabilita)], &QPushButton::clicked, this, [this, programma, dispositivo] {
        d_.Esegui([programma, dispositivo](Context& c) { DisabilitaDispositivo(c.w.Frm_3100, programma, dispositivo); });
      });
    }
    v->addWidget(g);
  };
  frame(m.Frame1.Caption, false, 1);
  frame(m.Frame2.Caption, true, 7);
  cmd_[5] = new QPushButton(this);
  v->addWidget(cmd_[5]);
  connect(cmd_[5], &QPushButton::clicked, this, [this] {
    d_.Esegui([](Context& c) { Frm3100_Command5_Click(c); });
  });
}

QPushButton* Frm3100View::Pulsante(int comando) const { return cmd_[U(comando)]; }

void Frm3100View::Rendi() {
  const Frm3100& m = d_.Ctx().w.Frm_3100;
  setWindowTitle("PLV3100");
  const std::array<const PulsanteDispositivo*, 11> modelli = {nullptr, &m.Command1, &m.Command2, &m.Command3,
                                                              &m.Command4, nullptr, nullptr, &m.Command7,
                                                              &m.Command8, &m.Command9, &m.Command10};
  for (std::size_t i = 0; i < modelli.size(); ++i) {
    if (!modelli[i]) continue;
    korventa::qt::Rendi(cmd_[i], *modelli[i]);
    const QColor c = ColoreQt(modelli[i]->colore, palette().color(QPalette::Button));
    cmd_[i]->setStyleSheet(modelli[i]->colore == korventa::Colore::Normale ? QString() : "background-color: " + c.name());
  }
  korventa::qt::Rendi(cmd_[5], m.Command5);
  for (int i = 0; i < 2; ++i) {
    korventa::qt::Rendi(check1_[U(i)], m.Check1[U(i)]);
    korventa::qt::Rendi(check2_[U(i)], m.Check2[U(i)]);
  }
  setVisible(m.Visible);
}

TaraView::TaraView(Desktop& d) : d_(d) {
  setObjectName("frm_tara");
  setWindowTitle("Taratura");
  FrmTara& m = d_.Ctx().w.frm_tara;
  auto* top = new QHBoxLayout(this);
  auto* sinistra = new QVBoxLayout;
  top->addLayout(sinistra);

  auto* modelli = new QGroupBox("Modello", this);
  auto* gm = new QGridLayout(modelli);
  for (int i = 0; i < kNumModelliTara; ++i) {
    auto* b = new QRadioButton(ModelliTara()[U(i)].codice, modelli);
    b->setAutoExclusive(false);
    opt_modello_[U(i)] = b;
    gm->addWidget(b, i % 9, i / 9);
    connect(b, &QRadioButton::clicked, this, [this, i] {
      if (corre_) return;
      d_.Esegui([i](Context& c) { opt_modello_Click(c.w.frm_tara, c.w.Frm_3100, c.s, i); });
    });
  }
  sinistra->addWidget(modelli);

  auto* impostazioni = new QGroupBox("Impostazioni", this);
  auto* gi = new QGridLayout(impostazioni);
  auto casella = [&](CheckBox FrmTara::*membro, int r, int c) {
    auto* b = new QCheckBox(Q((m.*membro).Caption), impostazioni);
    gi->addWidget(b, r, c);
    connect(b, &QCheckBox::toggled, this, [this, membro](bool v) { (d_.Ctx().w.frm_tara.*membro).Value = v; });
    return b;
  };
  chk_Consumo_ = casella(&FrmTara::chk_Consumo, 0, 0);
  chk_default_ = casella(&FrmTara::chk_default, 0, 1);
  chk_switch_ = casella(&FrmTara::chk_switch, 1, 0);
  chk_controllo_ = casella(&FrmTara::chk_controllo, 1, 1);
  chk_programma_ = casella(&FrmTara::chk_programma, 2, 0);
  for (int i = 0; i < 2; ++i) {
    chk_Canale_[U(i)] = new QCheckBox(Q(m.chk_Canale[U(i)].Caption), impostazioni);
    gi->addWidget(chk_Canale_[U(i)], 3, i);
    connect(chk_Canale_[U(i)], &QCheckBox::toggled, this,
            [this, i](bool v) { d_.Ctx().w.frm_tara.chk_Canale[U(i)].Value = v; });
  }
  gi->addWidget(new QLabel("File modello", impostazioni), 4, 0);
  cartellaModelli_ = new QLineEdit(impostazioni);
  gi->addWidget(cartellaModelli_, 4, 1);
  connect(cartellaModelli_, &QLineEdit::textEdited, this, [this](const QString& t) {
    d_.Ctx().w.frm_tara.cartellaModelli = S(t);
    QSettings("KORVENTA", "korventa").setValue("collaudo/modelli", t);
  });
  m.cartellaModelli = S(QSettings("KORVENTA", "korventa").value("collaudo/modelli", QDir::currentPath()).toString());
  sinistra->addWidget(impostazioni);

  auto* strumenti = new QGroupBox("Strumenti", this);
  auto* gs = new QGridLayout(strumenti);
  SelettoriStrumenti& sel = d_.Banco().Selettori();
  for (std::size_t i = 0; i < Ruoli().size() && i < selettori_.size(); ++i) {
    const RuoloInfo& r = Ruoli()[i];
    auto* cb = new QComboBox(strumenti);
    cb->setEditable(true);
    for (const auto& voce : VociSelettore()) cb->addItem(Q(voce));
    cb->setCurrentText(Q(sel.Testo(r.ruolo)));
    selettori_[i] = cb;
    gs->addWidget(new QLabel(r.etichetta, strumenti), static_cast<int>(i / 2), static_cast<int>(i % 2) * 2);
    gs->addWidget(cb, static_cast<int>(i / 2), static_cast<int>(i % 2) * 2 + 1);
    const Ruolo ruolo = r.ruolo;
    connect(cb, &QComboBox::currentTextChanged, this, [this, ruolo](const QString& t) {
      d_.Banco().Selettori().Testo(ruolo) = S(t);
      d_.SalvaSelettori();
    });
  }
  sinistra->addWidget(strumenti);

  auto* ptc = new QGroupBox(Q(m.fra_ptc.Caption), this);
  auto* gp = new QGridLayout(ptc);
  Text2_ = new QLineEdit(ptc);
  Text3_ = new QLineEdit(ptc);
  Text4_ = new QLineEdit(ptc);
  Text5_ = new QLineEdit(ptc);
  Text4_->setReadOnly(true);
  Text5_->setReadOnly(true);
  gp->addWidget(Text2_, 0, 0);
  gp->addWidget(Text3_, 0, 1);
  gp->addWidget(Text4_, 1, 0);
  gp->addWidget(Text5_, 1, 1);
  connect(Text2_, &QLineEdit::textEdited, this, [this](const QString& t) { d_.Ctx().w.frm_tara.Text2.Text = S(t); });
  connect(Text3_, &QLineEdit::textEdited, this, [this](const QString& t) { d_.Ctx().w.frm_tara.Text3.Text = S(t); });
  taraA_ = new QPushButton(Q(m.Command1_A.Caption), ptc);
  taraB_ = new QPushButton(Q(m.Command1_B.Caption), ptc);
  gp->addWidget(taraA_, 2, 0);
  gp->addWidget(taraB_, 2, 1);
  for (int canale = 0; canale < 2; ++canale)
    connect(canale == 0 ? taraA_ : taraB_, &QPushButton::clicked, this, [this, canale] {
      if (corre_) return;
      d_.Esegui([this, canale](Context& c) {
        BancoTara b{c.s, c.link, d_.Banco(), c.dialogs, c.w.frm_tara, c.w.Frm_3100};
        Tara t(b);
        if (!t.Command1_Click(canale)) c.dialogs.MsgBox(t.Errore(), Buttons::Ok, Icon::Error, "PLV 7100");
      });
    });
  sinistra->addWidget(ptc);
  sinistra->addStretch(1);

  auto* destra = new QVBoxLayout;
  top->addLayout(destra, 1);
  lbl_collaudo_ = new QLabel(this);
  lbl_collaudo_->setAlignment(Qt::AlignCenter);
  lbl_collaudo_->setMinimumHeight(36);
  QFont grande = lbl_collaudo_->font();
  grande.setPointSize(grande.pointSize() + 6);
  grande.setBold(true);
  lbl_collaudo_->setFont(grande);
  lbl_collaudo_->setAutoFillBackground(true);
  destra->addWidget(lbl_collaudo_);

  tabella_ = new QTableWidget(kRigheTara, 5, this);
  tabella_->setHorizontalHeaderLabels({"Passo", "K", "Zero", "Metà", "Fondo"});
  tabella_->verticalHeader()->setVisible(false);
  tabella_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tabella_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  for (int i = 0; i < kRigheTara; ++i) {
    const int riga = OrdineRighe()[U(i)];
    auto* passo = new QTableWidgetItem(Q(DidascaliaRiga(riga)));
    passo->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    tabella_->setItem(i, 0, passo);
    for (int c = 1; c < 5; ++c) tabella_->setItem(i, c, new QTableWidgetItem);
  }
  connect(tabella_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* it) {
    if (it->column() != 0) return;
    const int riga = OrdineRighe()[U(it->row())];
    d_.Ctx().w.frm_tara.righe[U(riga)].chk_tara.Value = it->checkState() == Qt::Checked;
  });
  destra->addWidget(tabella_, 1);

  auto* pulsanti = new QHBoxLayout;
  start_ = new QPushButton(Q(m.Command2.Caption), this);
  riprendi_ = new QPushButton(Q(m.Command6.Caption), this);
  stop_ = new QPushButton(Q(m.Command5.Caption), this);
  prog_ = new QPushButton(Q(m.Command7.Caption), this);
  on_ = new QPushButton(Q(m.cmd_On.Caption), this);
  off_ = new QPushButton(Q(m.cmd_Off.Caption), this);
  for (auto* b : {start_, riprendi_, stop_, prog_, on_, off_}) pulsanti->addWidget(b);
  destra->addLayout(pulsanti);
  auto* sweep = new QHBoxLayout;
  lettMult_ = new QPushButton(Q(m.Command9.Caption), this);
  dueCanali_ = new QPushButton(Q(m.Command3.Caption), this);
  fermaSweep_ = new QPushButton(Q(m.Command4.Caption), this);
  for (auto* b : {lettMult_, dueCanali_, fermaSweep_}) sweep->addWidget(b);
  sweep->addStretch(1);
  destra->addLayout(sweep);
  for (int quale = 0; quale < 2; ++quale)
    connect(quale == 0 ? lettMult_ : dueCanali_, &QPushButton::clicked, this, [this, quale] {
      if (corre_) return;
      corre_ = true;
      d_.Esegui([this, quale](Context& c) {
        BancoTara b{c.s, c.link, d_.Banco(), c.dialogs, c.w.frm_tara, c.w.Frm_3100};
        b.aggiorna = [this] { Rendi(); };
        std::string errore;
        if (!(quale == 0 ? Command9_Click(b, errore) : Command3_Click(b, errore)))
          c.dialogs.MsgBox(errore, Buttons::Ok, Icon::Error, "PLV 7100");
      });
      corre_ = false;
      Rendi();
    });
  connect(fermaSweep_, &QPushButton::clicked, this, [this] { Command4_Click(d_.Ctx().w.frm_tara); });
  connect(start_, &QPushButton::clicked, this, [this] { Corri(false); });
  connect(riprendi_, &QPushButton::clicked, this, [this] { Corri(true); });
  // STOP only raises the request; the run honours it between steps.
  connect(stop_, &QPushButton::clicked, this, [this] { Command5_Click(d_.Ctx().w.frm_tara); });
  connect(on_, &QPushButton::clicked, this, [this] {
    if (!corre_) d_.Esegui([this](Context&) { d_.Banco().cmd_On(); });
  });
  connect(off_, &QPushButton::clicked, this, [this] {
    if (!corre_) d_.Esegui([this](Context&) { d_.Banco().cmd_Off(); });
  });
  // Prog opens the calibration check, ready for a new programming.
  connect(prog_, &QPushButton::clicked, this, [this] {
    if (!corre_) d_.Esegui([](Context& c) { Command7_Click(c.w.frm_verifica); });
  });

  f3100_ = std::make_unique<Frm3100View>(d_);
  // The layout's minimum wins where the fonts need more room.
  resize(FrmTara::Width / kTwipsPerPixel, FrmTara::Height / kTwipsPerPixel);
}

void TaraView::closeEvent(QCloseEvent* e) {
  d_.Esegui([](Context& c) { c.w.frm_tara.Visible = false; });
  e->accept();
}

QString TaraView::CartellaRapporti() const {
  return QSettings("KORVENTA", "korventa").value("collaudo/rapporti", QDir::current().filePath("reports")).toString();
}

void TaraView::Corri(bool ripresa) {
  if (corre_) return;
  corre_ = true;
  d_.Esegui([this, ripresa](Context& c) {
    FrmTara& f = c.w.frm_tara;
    const std::string cartella = S(CartellaRapporti());
    Ripresa da{"", S(QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss"))};
    if (ripresa && TabellaVuota(f) && !OffriRipresa(f, cartella, c.dialogs, da)) return;
    TabellaSalvata tabella(f, cartella, da);
    BancoTara b{c.s, c.link, d_.Banco(), c.dialogs, f, c.w.Frm_3100};
    b.aggiorna = [this, &tabella] {
      Rendi();
      tabella.Aggiorna();
    };
    Collaudo collaudo(b);
    collaudo.programmaConfigurazione = [&c] { WriteEprom(c); };
    const EsitoCollaudo e = ripresa ? collaudo.Command6_Click() : collaudo.Command2_Click();
    tabella.Fine(e.identificazione);
    Rapporto(e, tabella.Errore());
  });
  corre_ = false;
  Rendi();
}

void TaraView::Rapporto(const EsitoCollaudo& e, const std::string& erroreTabella) {
  const FrmTara& f = d_.Ctx().w.frm_tara;
  const QDateTime ora = QDateTime::currentDateTime();
  const Certificato c = CompilaCertificato(f, d_.Banco().Selettori(), e, S(ora.toString("yyyy-MM-dd HH:mm:ss")));
  const QString cartella = CartellaRapporti();
  QDir().mkpath(cartella);
  const QString nome = QDir(cartella).filePath(Q(f.modello) + "_" + ora.toString("yyyyMMdd_HHmmss") + ".pdf");
  std::string errore, erroreLog;
  const bool certificato = ScriviCertificato(S(nome), c, errore, d_.Ctx().s.Lingua);
  const bool registro = AggiungiRegistro(S(cartella), RigaRegistro(c, e), erroreLog);
  std::string testo;
  if (!certificato || !registro) testo = "Rapporto non scritto: " + errore + erroreLog;
  if (!erroreTabella.empty())
    testo += std::string(testo.empty() ? "" : "\n") + "Tabella per Riprendi non salvata: " + erroreTabella;
  if (!testo.empty()) d_.Ctx().dialogs.MsgBox(testo, Buttons::Ok, Icon::Warning, f.modello);
}

void TaraView::Rendi() {
  const FrmTara& m = d_.Ctx().w.frm_tara;
  for (int i = 0; i < kNumModelliTara; ++i) {
    QSignalBlocker b(opt_modello_[U(i)]);
    opt_modello_[U(i)]->setChecked(m.opt_modello == i);
    opt_modello_[U(i)]->setEnabled(!corre_);
  }
  korventa::qt::Rendi(chk_default_, m.chk_default);
  korventa::qt::Rendi(chk_switch_, m.chk_switch);
  korventa::qt::Rendi(chk_controllo_, m.chk_controllo);
  korventa::qt::Rendi(chk_Consumo_, m.chk_Consumo);
  korventa::qt::Rendi(chk_programma_, m.chk_programma);
  for (int i = 0; i < 2; ++i) korventa::qt::Rendi(chk_Canale_[U(i)], m.chk_Canale[U(i)]);
  if (cartellaModelli_->text() != Q(m.cartellaModelli)) cartellaModelli_->setText(Q(m.cartellaModelli));
  korventa::qt::Rendi(Text2_, m.Text2);
  korventa::qt::Rendi(Text3_, m.Text3);
  korventa::qt::Rendi(Text4_, m.Text4);
  korventa::qt::Rendi(Text5_, m.Text5);
  for (auto [w, t] : {std::pair{Text2_, &m.Text2}, {Text3_, &m.Text3}})
    w->setStyleSheet(t->colore == korventa::Colore::Rosso ? "background-color: #FF0000" : QString());

  const QColor normale = palette().color(QPalette::Button);
  QSignalBlocker blocco(tabella_);
  for (int i = 0; i < kRigheTara; ++i) {
    const RigaTara& r = m.righe[U(OrdineRighe()[U(i)])];
    QTableWidgetItem* passo = tabella_->item(i, 0);
    passo->setCheckState(r.chk_tara.Value ? Qt::Checked : Qt::Unchecked);
    passo->setBackground(ColoreQt(r.chk_tara.colore, normale));
    const std::array<const TestoRisultato*, 4> testi = {&r.txt_k1, &r.txt_zero, &r.txt_half, &r.txt_span};
    for (int c = 0; c < 4; ++c) {
      QTableWidgetItem* it = tabella_->item(i, c + 1);
      if (it->text() != Q(testi[U(c)]->Text)) it->setText(Q(testi[U(c)]->Text));
      it->setBackground(ColoreQt(testi[U(c)]->colore, normale));
      it->setForeground(Qt::black);
    }
  }
  lbl_collaudo_->setText(Q(m.lbl_collaudo.Caption));
  QPalette p = lbl_collaudo_->palette();
  p.setColor(QPalette::Window, ColoreQt(m.coloreCollaudo, palette().color(QPalette::Window)));
  p.setColor(QPalette::WindowText, Qt::black);
  lbl_collaudo_->setPalette(p);
  for (auto* b : {start_, riprendi_, on_, off_, taraA_, taraB_, lettMult_, dueCanali_}) b->setEnabled(!corre_);
  f3100_->Rendi();
  if (isVisible() != m.Visible) {
    setVisible(m.Visible);
    if (m.Visible) {
      raise();
      activateWindow();
    }
  }
}

}  // namespace korventa::qt
