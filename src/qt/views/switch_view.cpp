#include "qt/views/switch_view.h"

#include <QtCore/QDate>
#include <QtGui/QCloseEvent>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "app/texts.h"
#include "files/safe_file.h"
#include "qt/app/desktop.h"
#include "qt/app/pictures.h"
#include "qt/print/pdf.h"

namespace korventa::qt {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

constexpr int kTestoSwitch = 37;
constexpr int kTestoStampa = 252;
constexpr int kTestoNonSalvato = 260;

// The list's entries and selection, rebuilt only when they changed.
void RendiLista(QListWidget* w, const ListBox& l) {
  QSignalBlocker blocca(w);
  bool uguale = w->count() == static_cast<int>(l.List.size());
  for (int i = 0; uguale && i < w->count(); ++i) uguale = w->item(i)->text() == Q(l.List[U(i)]);
  if (!uguale) {
    w->clear();
    for (const auto& t : l.List) w->addItem(Q(t));
  }
  if (w->currentRow() != l.ListIndex) w->setCurrentRow(l.ListIndex);
  if (l.ListIndex >= 0 && w->item(l.ListIndex)) w->scrollToItem(w->item(l.ListIndex));
  Rendi(static_cast<QWidget*>(w), static_cast<const Control&>(l));
}

}  // namespace

BloccoDip::BloccoDip(QWidget* parent) : QWidget(parent) { setMinimumSize(240, 110); }

void BloccoDip::Imposta(const BancoDip& b) {
  banco_ = b;
  update();
}

void BloccoDip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  DisegnaBancoDip(p, QRectF(rect()).adjusted(2, 2, -2, -2), banco_);
}

LampadaCheck::LampadaCheck(QWidget* parent) : QWidget(parent) { setFixedSize(22, 22); }

void LampadaCheck::Imposta(bool ok) {
  if (ok_ == ok) return;
  ok_ = ok;
  update();
}

void LampadaCheck::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QRadialGradient g(QPointF(8, 8), 12);
  const QColor colore = ok_ ? QColor(0, 200, 0) : QColor(220, 0, 0);
  g.setColorAt(0, colore.lighter(170));
  g.setColorAt(1, colore);
  p.setBrush(g);
  p.setPen(QPen(Qt::black, 1));
  p.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
}

SwitchView::SwitchView(Desktop& d) : d_(d) {
  auto* radice = new QVBoxLayout(this);
  auto* alto = new QHBoxLayout;
  wizard_ = new QPushButton(this);
  indietro_ = new QPushButton(this);
  modelli_ = new QComboBox(this);
  modelli_->setMinimumWidth(140);
  stampa_ = new QPushButton(this);
  alto->addWidget(indietro_);
  alto->addWidget(modelli_);
  alto->addStretch();
  alto->addWidget(stampa_);
  alto->addWidget(wizard_);
  radice->addLayout(alto);

  auto* corpo = new QHBoxLayout;
  radice->addLayout(corpo);
  auto* colonne = new QGridLayout;
  corpo->addLayout(colonne);
  for (int ch = 0; ch < 2; ++ch) {
    canale_[U(ch)] = new QLabel(this);
    colonne->addWidget(canale_[U(ch)], 0, ch);
    gruppoIngresso_[U(ch)] = new QGroupBox(this);
    ingresso_[U(ch)] = new QComboBox(gruppoIngresso_[U(ch)]);
    (new QVBoxLayout(gruppoIngresso_[U(ch)]))->addWidget(ingresso_[U(ch)]);
    colonne->addWidget(gruppoIngresso_[U(ch)], 1, ch);
    gruppoUscita_[U(ch)] = new QGroupBox(this);
    uscita_[U(ch)] = new QComboBox(gruppoUscita_[U(ch)]);
    (new QVBoxLayout(gruppoUscita_[U(ch)]))->addWidget(uscita_[U(ch)]);
    colonne->addWidget(gruppoUscita_[U(ch)], 2, ch);
    gruppoOpzione_[U(ch)] = new QGroupBox(this);
    gruppoOpzione_[U(ch)]->setMinimumWidth(170);
    auto* o = new QHBoxLayout(gruppoOpzione_[U(ch)]);
    for (int k = 0; k < 2; ++k) {
      opzione_[U(2 * ch + k)] = new QRadioButton(gruppoOpzione_[U(ch)]);
      o->addWidget(opzione_[U(2 * ch + k)]);
    }
    colonne->addWidget(gruppoOpzione_[U(ch)], 3, ch);
    connect(ingresso_[U(ch)], &QComboBox::activated, this, [this, ch](int i) {
      d_.Esegui([ch, i](Context& c) {
        c.w.frm_switch.cmb_SW_in[U(ch)].Select(i);
        cmb_SW_in_Click(c, ch);
      });
    });
    connect(uscita_[U(ch)], &QComboBox::activated, this, [this, ch](int i) {
      d_.Esegui([ch, i](Context& c) {
        c.w.frm_switch.cmb_sw_Out[U(ch)].Select(i);
        cmb_sw_Out_Click(c, ch);
      });
    });
  }
  for (int i = 0; i < 4; ++i)
    connect(opzione_[U(i)], &QRadioButton::clicked, this, [this, i] { d_.Esegui([i](Context& c) { Opzione_Click(c, i); }); });
  gruppoFar_ = new QGroupBox(this);
  auto* f = new QHBoxLayout(gruppoFar_);
  for (int i = 0; i < 2; ++i) {
    far_[U(i)] = new QRadioButton(gruppoFar_);
    f->addWidget(far_[U(i)]);
    connect(far_[U(i)], &QRadioButton::clicked, this, [this, i] { d_.Esegui([i](Context& c) { opt_far_Click(c, i); }); });
  }
  colonne->addWidget(gruppoFar_, 4, 0);
  gruppoDivisore_ = new QGroupBox(this);
  divisore_ = new QComboBox(gruppoDivisore_);
  (new QVBoxLayout(gruppoDivisore_))->addWidget(divisore_);
  colonne->addWidget(gruppoDivisore_, 4, 1);
  connect(divisore_, &QComboBox::activated, this, [this](int i) {
    d_.Esegui([i](Context& c) {
      c.w.frm_switch.cmb_divider.Select(i);
      cmb_divider_Click(c);
    });
  });
  colonne->setRowStretch(5, 1);

  auto* liste = new QGridLayout;
  corpo->addLayout(liste);
  etichettaSpan_ = new QLabel(this);
  etichettaZero_ = new QLabel(this);
  span_ = new QListWidget(this);
  zero_ = new QListWidget(this);
  for (auto* l : {span_, zero_}) l->setMinimumWidth(110);
  liste->addWidget(etichettaSpan_, 0, 0);
  liste->addWidget(etichettaZero_, 0, 1);
  liste->addWidget(span_, 1, 0);
  liste->addWidget(zero_, 1, 1);
  sw2_ = new QLineEdit(this);
  sw2_->setReadOnly(true);
  sw2_->setMaximumWidth(50);
  liste->addWidget(sw2_, 2, 0);
  connect(span_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* it) { d_.Esegui([k = span_->row(it)](Context& c) { lst_span_Click(c, k); }); });
  connect(zero_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* it) { d_.Esegui([k = zero_->row(it)](Context& c) { lst_zero_Click(c, k); }); });
  connect(span_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* it) { d_.Esegui([k = span_->row(it)](Context& c) { lst_span_DblClick(c, k); }); });
  connect(zero_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* it) { d_.Esegui([k = zero_->row(it)](Context& c) { lst_zero_DblClick(c, k); }); });

  auto* destra = new QVBoxLayout;
  corpo->addLayout(destra);
  for (int i = 0; i < 3; ++i) {
    blocchi_[U(i)] = new BloccoDip(this);
    destra->addWidget(blocchi_[U(i)]);
  }
  gruppoCheck_ = new QGroupBox(this);
  auto* ck = new QHBoxLayout(gruppoCheck_);
  lampada_ = new LampadaCheck(gruppoCheck_);
  esito_ = new QLabel(gruppoCheck_);
  QFont grassetto = esito_->font();
  grassetto.setBold(true);
  esito_->setFont(grassetto);
  esito_->setMinimumWidth(48);
  ck->addWidget(lampada_);
  ck->addWidget(esito_);
  ck->addStretch();
  destra->addWidget(gruppoCheck_);
  limiti_ = new QLabel(this);
  limiti_->setWordWrap(true);
  limiti_->setFrameShape(QFrame::StyledPanel);
  limiti_->setMinimumHeight(40);
  destra->addWidget(limiti_);
  destra->addStretch();

  connect(wizard_, &QPushButton::clicked, this, [this] { d_.Esegui([](Context& c) { aiuto_switch_Click(c); }); });
  connect(indietro_, &QPushButton::clicked, this,
          [this] { d_.Esegui([](Context& c) { close_aiuto_switch_Click(c); }); });
  connect(modelli_, &QComboBox::activated, this,
          [this](int i) { d_.Esegui([i](Context& c) { aiuto_modello_Click(c, i); }); });
  connect(stampa_, &QPushButton::clicked, this, [this] { Stampa(); });
}

void SwitchView::Rendi() {
  const Context& c = d_.Ctx();
  const FrmSwitch& m = c.w.frm_switch;
  const QString titolo = Q(m.Caption) + " - " + Q(korventa::Testo(c.s, kTestoSwitch));
  if (windowTitle() != titolo) setWindowTitle(titolo);
  setWindowIcon(d_.Immagini_().Icona(c.w.communication.Icon));
  for (int ch = 0; ch < 2; ++ch) {
    korventa::qt::Rendi(canale_[U(ch)], m.lbl_canale[U(ch)]);
    korventa::qt::Rendi(gruppoIngresso_[U(ch)], m.frm_input[U(ch)]);
    korventa::qt::Rendi(gruppoUscita_[U(ch)], m.frm_output[U(ch)]);
    korventa::qt::Rendi(ingresso_[U(ch)], m.cmb_SW_in[U(ch)]);
    korventa::qt::Rendi(uscita_[U(ch)], m.cmb_sw_Out[U(ch)]);
    gruppoIngresso_[U(ch)]->setVisible(m.frm_input[U(ch)].Visible && m.cmb_SW_in[U(ch)].Visible);
    gruppoUscita_[U(ch)]->setVisible(m.frm_output[U(ch)].Visible && m.cmb_sw_Out[U(ch)].Visible);
    // A list shows its prompt ("Select:") while nothing is chosen.
    for (auto [w, cmb] : {std::pair{ingresso_[U(ch)], &m.cmb_SW_in[U(ch)]}, {uscita_[U(ch)], &m.cmb_sw_Out[U(ch)]}})
      if (cmb->ListIndex < 0) w->setPlaceholderText(Q(cmb->Text));
    korventa::qt::Rendi(gruppoOpzione_[U(ch)], m.frm_optionSw[U(ch)]);
  }
  for (int i = 0; i < 4; ++i) korventa::qt::Rendi(opzione_[U(i)], m.Opzione[U(i)]);
  korventa::qt::Rendi(static_cast<QWidget*>(gruppoFar_), m.frm_far);
  for (int i = 0; i < 2; ++i) korventa::qt::Rendi(far_[U(i)], m.opt_far[U(i)]);
  korventa::qt::Rendi(etichettaSpan_, m.lbl_span);
  korventa::qt::Rendi(etichettaZero_, m.lbl_zero);
  RendiLista(span_, m.lst_span);
  RendiLista(zero_, m.lst_zero);
  korventa::qt::Rendi(gruppoDivisore_, m.frm_divider);
  korventa::qt::Rendi(divisore_, m.cmb_divider);
  korventa::qt::Rendi(sw2_, m.txt_sw2);
  sw2_->setVisible(m.lst_span.Visible);
  korventa::qt::Rendi(gruppoCheck_, m.frm_check);
  lampada_->Imposta(m.CheckOk);
  esito_->setText(Q(m.Label4_20.Caption));
  esito_->setStyleSheet(m.CheckOk ? "color: #008000" : "color: #c00000");
  for (int i = 0; i < 3; ++i) {
    blocchi_[U(i)]->Imposta(m.banchi[U(i)]);
    blocchi_[U(i)]->setVisible(m.banchi[U(i)].Visible);
  }
  korventa::qt::Rendi(wizard_, m.aiuto_switch);
  korventa::qt::Rendi(indietro_, m.close_aiuto_switch);
  korventa::qt::Rendi(modelli_, m.aiuto_modello);
  if (m.aiuto_modello.ListIndex < 0) modelli_->setPlaceholderText(Q(m.aiuto_modello.Text));
  limiti_->setVisible(m.visualizza_limiti.Visible);
  limiti_->setText(Q(m.visualizza_limiti.Text));
  stampa_->setText(Q(korventa::Testo(c.s, kTestoStampa)));
  RendiFinestra(this, c.w.communication.finestre[Schermo::frm_switch], stato_, false);
}

bool SwitchView::SalvaScheda(const std::string& path, std::string& errore) {
  const Context& c = d_.Ctx();
  return ScriviSchedaSwitch(path, Scheda(c, S(QDate::currentDate().toString(Qt::ISODate))), c.w.frm_switch.banchi,
                            errore, c.s.Lingua);
}

void SwitchView::Stampa() {
  Context& c = d_.Ctx();
  FileDialogRequest q;
  q.title = korventa::Testo(c.s, kTestoStampa);
  q.defaultExtension = "pdf";
  q.filters = {{"PDF (*.pdf)", "*.pdf"}};
  q.fileName = "switch.pdf";
  q.overwritePrompt = true;
  const auto nome = c.dialogs.SaveFileName(q);
  if (!nome || nome->empty()) return;
  std::string errore;
  if (!SalvaScheda(*nome, errore))
    c.dialogs.MsgBox(korventa::Testo(c.s, kTestoNonSalvato) + ": " + errore, Buttons::Ok, Icon::Error,
                     TitoloApplicazione(c.s));
}

void SwitchView::closeEvent(QCloseEvent* e) {
  if (d_.Chiudi(Schermo::frm_switch))
    e->accept();
  else
    e->ignore();
}

}  // namespace korventa::qt
