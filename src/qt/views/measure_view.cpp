#include "qt/views/measure_view.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QCloseEvent>
#include <QtGui/QPainter>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "app/format.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/catalog.h"
#include "qt/app/desktop.h"
#include "qt/views/communication_view.h"

namespace korventa::qt {

namespace {

constexpr const char* kCanali[] = {"A", "B"};

QColor ColoreModello(int valore) { return Colore(valore, QColor(128, 128, 128)); }

QLabel* Valore(QWidget* p) {
  auto* l = new QLabel(p);
  QFont f = l->font();
  f.setPointSizeF(f.pointSizeF() * 1.6);
  f.setBold(true);
  l->setFont(f);
  l->setMinimumWidth(170);
  l->setFrameShape(QFrame::StyledPanel);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return l;
}

}  // namespace

// --- Marks ------------------------------------------------------------------

Segnale::Segnale(QWidget* parent) : QWidget(parent), colore_(128, 128, 128) { setFixedSize(12, 12); }

void Segnale::Imposta(const QColor& c) {
  if (c == colore_) return;
  colore_ = c;
  update();
}

void Segnale::paintEvent(QPaintEvent*) {
  QPainter g(this);
  g.setPen(colore_.darker(160));
  g.setBrush(colore_);
  g.drawRect(rect().adjusted(1, 1, -2, -2));
}

// --- Trend ------------------------------------------------------------------

// The chart is handed to the view as it is built: a view made without one
// creates its own, and replacing that later would leave it behind.
Andamento::Andamento(QWidget* parent) : QChartView(new QChart(), parent) {
  QChart* chart = this->chart();
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->setMargins(QMargins(4, 4, 4, 4));
  serieIngresso_ = new QLineSeries(chart);
  serieUscita_ = new QLineSeries(chart);
  chart->addSeries(serieIngresso_);
  chart->addSeries(serieUscita_);
  asseTempo_ = new QValueAxis(chart);
  asseTempo_->setTitleText("s");
  asseTempo_->setLabelFormat("%.0f");
  asseIngresso_ = new QValueAxis(chart);
  asseUscita_ = new QValueAxis(chart);
  chart->addAxis(asseTempo_, Qt::AlignBottom);
  chart->addAxis(asseIngresso_, Qt::AlignLeft);
  chart->addAxis(asseUscita_, Qt::AlignRight);
  serieIngresso_->attachAxis(asseTempo_);
  serieIngresso_->attachAxis(asseIngresso_);
  serieUscita_->attachAxis(asseTempo_);
  serieUscita_->attachAxis(asseUscita_);
  // Every series has a colour of its own, so the legend tells them apart.
  QPen penna(QColor(0, 90, 200), 2);
  serieIngresso_->setPen(penna);
  penna.setColor(QColor(230, 120, 0));
  penna.setStyle(Qt::DashLine);
  serieUscita_->setPen(penna);
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(360, 200);
  Ridisegna();
}

void Andamento::Nomi(const QString& titolo, const QString& ingresso, const QString& uscita) {
  nomeIngresso_ = ingresso;
  nomeUscita_ = uscita;
  if (chart()->title() != titolo) chart()->setTitle(titolo);
  auto nome = [](const QString& n, const QString& u) { return u.isEmpty() ? n : n + " " + u; };
  if (serieIngresso_->name() != nome(ingresso, unitaIngresso_)) serieIngresso_->setName(nome(ingresso, unitaIngresso_));
  if (serieUscita_->name() != nome(uscita, unitaUscita_)) serieUscita_->setName(nome(uscita, unitaUscita_));
}

void Andamento::Azzera() {
  ingresso_.clear();
  uscita_.clear();
  ultimo_ = 0;
  Ridisegna();
}

void Andamento::Aggiungi(double t, std::optional<double> ingresso, std::optional<double> uscita) {
  ultimo_ = t;
  if (ingresso) ingresso_.emplace_back(t, *ingresso);
  if (uscita) uscita_.emplace_back(t, *uscita);
  for (auto* d : {&ingresso_, &uscita_})
    while (!d->empty() && d->front().x() < t - kFinestra) d->pop_front();
  if (!pausa_) Ridisegna();
}

void Andamento::Imposta(const QString& titolo, const QString& unitaIngresso, const QString& unitaUscita,
                        const std::vector<Linea>& linee) {
  unitaIngresso_ = unitaIngresso;
  unitaUscita_ = unitaUscita;
  Nomi(titolo, nomeIngresso_, nomeUscita_);
  asseIngresso_->setTitleText(unitaIngresso);
  asseUscita_->setTitleText(unitaUscita);
  linee_ = linee;
  // One dotted series per line, built again when the set changes.
  while (serieLinee_.size() > linee_.size()) {
    chart()->removeSeries(serieLinee_.back());
    delete serieLinee_.back();
    serieLinee_.pop_back();
  }
  while (serieLinee_.size() < linee_.size()) {
    auto* s = new QLineSeries(chart());
    chart()->addSeries(s);
    s->attachAxis(asseTempo_);
    s->attachAxis(asseIngresso_);
    serieLinee_.push_back(s);
  }
  // The range ends in greys, the trips in reds and purples.
  static const QColor kColoriLinee[] = {QColor(110, 110, 110), QColor(60, 60, 60),  QColor(200, 0, 0),
                                        QColor(255, 110, 110), QColor(130, 0, 160), QColor(200, 120, 230)};
  for (std::size_t i = 0; i < serieLinee_.size(); ++i) {
    QPen p(kColoriLinee[i % std::size(kColoriLinee)], 1.0, Qt::DotLine);
    serieLinee_[i]->setPen(p);
  }
  for (std::size_t i = 0; i < linee_.size(); ++i) serieLinee_[i]->setName(linee_[i].nome);
  Ridisegna();
}

void Andamento::Pausa(bool pausa) {
  pausa_ = pausa;
  if (!pausa_) Ridisegna();
}

int Andamento::PuntiMostrati() const { return static_cast<int>(serieIngresso_->count()); }

void Andamento::Ridisegna() {
  const double fine = std::max(ultimo_, 60.0);
  const double inizio = std::max(0.0, fine - kFinestra);
  serieIngresso_->replace(QList<QPointF>(ingresso_.begin(), ingresso_.end()));
  serieUscita_->replace(QList<QPointF>(uscita_.begin(), uscita_.end()));
  asseTempo_->setRange(inizio, fine);

  // The input axis holds the readings and every line; the output axis its
  // readings.
  auto estremi = [](const std::deque<QPointF>& punti, std::vector<double> extra) {
    double lo = INFINITY, hi = -INFINITY;
    for (const auto& p : punti) {
      lo = std::min(lo, p.y());
      hi = std::max(hi, p.y());
    }
    for (double v : extra) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    if (!std::isfinite(lo)) return std::pair{0.0, 1.0};
    const double margine = hi > lo ? (hi - lo) * 0.05 : std::max(1.0, std::fabs(hi) * 0.05);
    return std::pair{lo - margine, hi + margine};
  };
  std::vector<double> valori;
  for (std::size_t i = 0; i < linee_.size(); ++i) {
    valori.push_back(linee_[i].valore);
    serieLinee_[i]->replace(QList<QPointF>{{inizio, linee_[i].valore}, {fine, linee_[i].valore}});
  }
  const auto [inLo, inHi] = estremi(ingresso_, valori);
  asseIngresso_->setRange(inLo, inHi);
  const auto [outLo, outHi] = estremi(uscita_, {});
  asseUscita_->setRange(outLo, outHi);
}

// --- Window -----------------------------------------------------------------

MisuraView::MisuraView(Desktop& d) : d_(d) {
  setObjectName("frm_misura");
  auto* v = new QVBoxLayout(this);

  frm_modo_ = new QGroupBox(this);
  auto* modo = new QHBoxLayout(frm_modo_);
  start_ = new QPushButton("Start", frm_modo_);
  stop_ = new QPushButton("Stop", frm_modo_);
  registra_ = new QPushButton(frm_modo_);
  pausa_ = new QCheckBox(frm_modo_);
  fileRegistro_ = new QLabel(frm_modo_);
  for (QWidget* w : {static_cast<QWidget*>(start_), static_cast<QWidget*>(stop_)}) modo->addWidget(w);
  modo->addSpacing(16);
  modo->addWidget(registra_);
  modo->addWidget(fileRegistro_, 1);
  modo->addWidget(pausa_);
  v->addWidget(frm_modo_);
  // Start returns when measuring has ended; the clicks meanwhile are
  // handled by the link's waits.
  connect(start_, &QPushButton::clicked, this, [this] { d_.Esegui([](Context& c) { Cmd_StartRead_Click(c); }); });
  connect(stop_, &QPushButton::clicked, this, [this] { d_.Esegui(Cmd_StopRead_Click); });
  connect(registra_, &QPushButton::clicked, this, [this] { d_.Esegui(cmd_Registra_Click); });
  connect(pausa_, &QCheckBox::toggled, this, [this](bool p) {
    for (auto* g : grafico_) g->Pausa(p);
  });

  auto* canali = new QHBoxLayout();
  for (int ch = 0; ch < 2; ++ch) canali->addWidget(PannelloCanale(ch));
  v->addLayout(canali);

  soglie_ = new QGroupBox(this);
  auto* righe = new QHBoxLayout(soglie_);
  for (std::size_t t = 0; t < soglia_.size(); ++t) {
    auto* box = new QGroupBox(soglie_);
    soglia_[t] = box;
    auto* g = new QGridLayout(box);
    led_[t] = new Lampada(box);
    g->addWidget(led_[t], 0, 1, Qt::AlignRight | Qt::AlignTop);
    const std::size_t primo = 4 * t;
    const std::size_t campi = t < 2 ? 4 : 1;
    for (std::size_t k = 0; k < campi; ++k) {
      auto* e = new QLineEdit(box);
      e->setReadOnly(true);
      e->setMinimumWidth(130);
      trip_[primo + k] = e;
      g->addWidget(e, static_cast<int>(k), 0);
    }
    box->setMaximumWidth(280);
    righe->addWidget(box);
  }
  righe->addStretch(1);
  v->addWidget(soglie_);

  auto* grafici = new QHBoxLayout();
  for (std::size_t ch = 0; ch < grafico_.size(); ++ch) {
    grafico_[ch] = new Andamento(this);
    grafici->addWidget(grafico_[ch]);
  }
  v->addLayout(grafici, 1);
}

QGroupBox* MisuraView::PannelloCanale(int ch) {
  const std::size_t c = U(ch);
  auto* box = new QGroupBox(this);
  canale_[c] = box;
  auto* g = new QGridLayout(box);
  lblUscita_[c] = new QLabel(box);
  lblIngresso_[c] = new QLabel(box);
  out_[c] = Valore(box);
  in_[c] = Valore(box);
  progOut_[c] = new QLabel(box);
  progIn_[c] = new QLabel(box);
  progress_[c] = new Barra(box);
  breakL_[c] = new Segnale(box);
  breakH_[c] = new Segnale(box);

  g->addWidget(lblUscita_[c], 0, 0);
  g->addWidget(out_[c], 1, 0);
  g->addWidget(progOut_[c], 2, 0);
  auto* freccia = new QLabel(QString::fromUtf8("\u2190"), box);  // the output follows the input
  freccia->setAlignment(Qt::AlignCenter);
  g->addWidget(freccia, 1, 1);
  g->addWidget(lblIngresso_[c], 0, 2, 1, 3);
  g->addWidget(in_[c], 1, 2, 1, 3);
  // The bar spans exactly the input field's width: its full scale.
  g->addWidget(breakL_[c], 2, 2, Qt::AlignLeft);
  g->addWidget(progress_[c], 2, 3);
  g->addWidget(breakH_[c], 2, 4, Qt::AlignRight);
  g->addWidget(progIn_[c], 3, 2, 1, 3);
  g->setColumnStretch(3, 1);
  return box;
}

void MisuraView::ImpostaAndamenti() {
  const Context& c = d_.Ctx();
  const FrmMisura& f = c.w.frm_misura;
  const MisuraPreparata& p = f.Preparata;
  for (int ch = 0; ch < 2; ++ch) {
    const CanalePreparato& k = p.Canali[U(ch)];
    // The plot is in the units the window shows.
    const bool far = k.Fahrenheit && k.Funzione == 0;
    auto mostrato = [far](double x) { return far ? CtoFValue(x) : x; };
    std::vector<Andamento::Linea> linee{{Q(Testo(c.s, kTxtInizioScala)), mostrato(k.InMin)},
                                        {Q(Testo(c.s, kTxtFineScala)), mostrato(k.InMax)}};
    // Both trips act on the first channel's input.
    if (ch == 0) {
      const bool tripFar = far && p.CodVariante == 0;
      auto soglia = [tripFar](double x) { return tripFar ? CtoFValue(x) : x; };
      for (int t = 0; t < 2; ++t) {
        if (!f.frm_soglia[U(t)].Visible) continue;
        const DatiSoglia& s = c.s.Soglie[U(t)];
        linee.push_back({QString("%1 H").arg(kCanali[t]), soglia(s.SogliaH)});
        linee.push_back({QString("%1 L").arg(kCanali[t]), soglia(s.SogliaL)});
      }
    }
    QString unita = Q(far ? k.UMisF : k.UMis);
    if (k.Funzione == 1 || k.Funzione == 2) unita = "%";
    grafico_[U(ch)]->Imposta(Q(Testo(c.s, 72)) + " " + kCanali[ch], unita, Q(k.UnitaUscita), linee);
  }
}

void MisuraView::NuovaLettura() {
  const FrmMisura& f = d_.Ctx().w.frm_misura;
  if (f.InCorso && f.Letture == 0) {
    // Prepared: a new run starts its trend.
    for (auto* g : grafico_) g->Azzera();
    ImpostaAndamenti();
    tempo_.start();
    lettureViste_ = 0;
  }
  if (f.Letture > lettureViste_ && f.UltimaLettura) {
    lettureViste_ = f.Letture;
    if (!tempo_.isValid()) tempo_.start();
    const double t = static_cast<double>(tempo_.elapsed()) / 1000.0;
    for (int ch = 0; ch < 2; ++ch) {
      const LetturaCanale& r = f.UltimaLettura->Canali[U(ch)];
      std::optional<double> x;
      if (r.Ingresso) x = Val(r.Numero);
      grafico_[U(ch)]->Aggiungi(t, x, r.Uscita);
    }
  }
  Rendi();
}

void MisuraView::Rendi() {
  const Context& c = d_.Ctx();
  const FrmMisura& f = c.w.frm_misura;
  const QString titolo = Q(f.Caption);
  if (windowTitle() != titolo) setWindowTitle(titolo);
  setWindowIcon(d_.Immagini_().Icona(c.w.communication.Icon));

  korventa::qt::Rendi(frm_modo_, f.frm_modo);
  korventa::qt::Rendi(start_, f.Cmd_StartRead);
  korventa::qt::Rendi(stop_, f.Cmd_StopRead);
  korventa::qt::Rendi(registra_, f.cmd_Registra);
  const QString pausa = Q(Testo(c.s, kTxtPausaTrend));
  if (pausa_->text() != pausa) pausa_->setText(pausa);
  // One run at a time: Start waits for the running one to end.
  start_->setEnabled(f.Cmd_StartRead.Enabled && !f.InCorso);
  stop_->setEnabled(f.Cmd_StopRead.Enabled && c.s.InMisura);
  const QString file = f.Registro && f.Registro->Aperto() ? Q(f.Registro->Percorso()) : QString();
  if (fileRegistro_->text() != file) fileRegistro_->setText(file);

  for (int ch = 0; ch < 2; ++ch) {
    const std::size_t i = U(ch);
    korventa::qt::Rendi(canale_[i], f.frm_canale[i]);
    korventa::qt::Rendi(lblUscita_[i], f.lbl_uscita[i]);
    korventa::qt::Rendi(lblIngresso_[i], f.lbl_ingresso[i]);
    korventa::qt::Rendi(out_[i], f.txt_misura_out[i]);
    korventa::qt::Rendi(in_[i], f.txt_misura_in[i]);
    korventa::qt::Rendi(progOut_[i], f.lbl_progOut[i]);
    korventa::qt::Rendi(progIn_[i], f.lbl_progIn[i]);
    korventa::qt::Rendi(static_cast<QWidget*>(progress_[i]), f.progress[i]);
    progress_[i]->Imposta(std::clamp(f.progress[i].Quota, 0.0, 1.0));
    breakL_[i]->setToolTip(Q(Testo(c.s, kTxtSottoScala)));
    breakH_[i]->setToolTip(Q(Testo(c.s, kTxtSopraScala)));
    breakL_[i]->Imposta(ColoreModello(f.lbl_Break_L[i].BackColor));
    breakH_[i]->Imposta(ColoreModello(f.lbl_Break_H[i].BackColor));
    grafico_[i]->setVisible(f.frm_canale[i].Visible);
    grafico_[i]->Nomi(Q(Testo(c.s, 72)) + " " + kCanali[ch], Q(Testo(c.s, 48)), Q(Testo(c.s, 49)));
  }
  korventa::qt::Rendi(soglie_, f.lbl_soglie);
  for (std::size_t t = 0; t < soglia_.size(); ++t) {
    korventa::qt::Rendi(soglia_[t], f.frm_soglia[t]);
    led_[t]->Imposta(ColoreModello(f.Led[t].FillColor));
  }
  for (std::size_t k = 0; k < trip_.size(); ++k)
    if (trip_[k]) korventa::qt::Rendi(trip_[k], f.lbl_progTrip[k]);

  RendiFinestra(this, c.w.communication.finestre[Schermo::frm_misura], stato_);
}

void MisuraView::closeEvent(QCloseEvent* e) {
  if (d_.Chiudi(Schermo::frm_misura))
    e->accept();
  else
    e->ignore();
}

}  // namespace korventa::qt
