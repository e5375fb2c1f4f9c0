#include "qt/views/eeprom_view.h"

#include <QtGui/QCloseEvent>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "factory/frm_eeprom.h"
#include "qt/app/desktop.h"

namespace korventa::qt {

namespace {

QTreeWidget* Lista(QWidget* parent) {
  auto* t = new QTreeWidget(parent);
  t->setColumnCount(2);
  t->setHeaderLabels({"#", "Val"});
  t->setRootIsDecorated(false);
  t->setUniformRowHeights(true);  // 256 rows laid out without measuring each
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->header()->setSectionResizeMode(QHeaderView::Stretch);
  t->setMinimumWidth(130);
  t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return t;
}

}  // namespace

EepromView::EepromView(Desktop& d) : d_(d) {
  setObjectName("frm_eeprom");
  auto* h = new QHBoxLayout(this);
  list1_ = Lista(this);
  list1_->setObjectName("List1");
  list2_ = Lista(this);
  list2_->setObjectName("List2");
  h->addWidget(list1_, 1);
  h->addWidget(list2_, 1);

  auto* destra = new QVBoxLayout;
  h->addLayout(destra);
  auto pulsante = [&](const char* nome, const std::function<void(Context&)>& handler) {
    auto* b = new QPushButton(this);
    b->setObjectName(nome);
    connect(b, &QPushButton::clicked, this, [this, handler] { d_.Esegui(handler); });
    return b;
  };
  cmd3_ = pulsante("Command3", [](Context& c) { Command3_Click(c); });
  cmd5_ = pulsante("Command5", [](Context& c) { Command5_Click(c); });
  cmd6_ = pulsante("Command6", [](Context& c) { Command6_Click(c); });
  cmd2_ = pulsante("Command2", [](Context& c) { Command2_Click(c); });
  cmd7_ = pulsante("Command7", [](Context& c) { Command7_Click(c); });
  for (QPushButton* b : {cmd3_, cmd5_, cmd6_, cmd2_, cmd7_}) destra->addWidget(b);

  registro_ = new QGroupBox(this);
  auto* g = new QGridLayout(registro_);
  banco_ = new QLineEdit(registro_);
  start_ = new QLineEdit(registro_);
  valore_ = new QLineEdit(registro_);
  valoreA_ = new QLineEdit(registro_);
  valoreB_ = new QLineEdit(registro_);
  valoreC_ = new QLineEdit(registro_);
  const std::pair<QLineEdit*, TextBox FrmEeprom::*> caselle[] = {
      {banco_, &FrmEeprom::txt_banco},     {start_, &FrmEeprom::txt_start},     {valore_, &FrmEeprom::txt_valore},
      {valoreA_, &FrmEeprom::txt_valoreA}, {valoreB_, &FrmEeprom::txt_valoreB}, {valoreC_, &FrmEeprom::txt_valoreC},
  };
  const char* nomi[] = {"txt_banco", "txt_start", "txt_valore", "txt_valoreA", "txt_valoreB", "txt_valoreC"};
  for (std::size_t i = 0; i < std::size(caselle); ++i) {
    auto [e, campo] = caselle[i];
    e->setObjectName(nomi[i]);
    e->setMaximumWidth(100);
    connect(e, &QLineEdit::textEdited, this,
            [this, campo = campo](const QString& t) { (d_.Ctx().w.frm_eeprom.*campo).Text = S(t); });
  }
  lblBanco_ = new QLabel(registro_);
  lblStart_ = new QLabel(registro_);
  lblFormato_ = new QLabel(registro_);
  lblValore_ = new QLabel(registro_);
  lblExp_ = new QLabel(registro_);
  g->addWidget(lblBanco_, 0, 0);
  g->addWidget(banco_, 0, 1);
  g->addWidget(lblStart_, 1, 0);
  g->addWidget(start_, 1, 1);
  // Two button groups, each in a parent of its own so they exclude only
  // among themselves.
  auto* formato = new QWidget(registro_);
  auto* fv = new QHBoxLayout(formato);
  fv->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 3; ++i) {
    auto* r = new QRadioButton(formato);
    r->setObjectName(QString("Option2_%1").arg(i));
    fv->addWidget(r);
    connect(r, &QRadioButton::clicked, this, [this, i] { d_.Esegui([i](Context& c) { Option2_Click(c, i); }); });
    option2_[static_cast<std::size_t>(i)] = r;
  }
  g->addWidget(lblFormato_, 2, 0);
  g->addWidget(formato, 2, 1, 1, 3);
  auto* modo = new QWidget(registro_);
  auto* mv = new QHBoxLayout(modo);
  mv->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 2; ++i) {
    auto* r = new QRadioButton(modo);
    r->setObjectName(QString("Option1_%1").arg(i));
    mv->addWidget(r);
    connect(r, &QRadioButton::clicked, this, [this, i] { d_.Esegui([i](Context& c) { Option1_Click(c, i); }); });
    option1_[static_cast<std::size_t>(i)] = r;
  }
  g->addWidget(modo, 3, 1, 1, 3);
  g->addWidget(lblValore_, 4, 0);
  g->addWidget(valore_, 4, 1);
  auto* grezzi = new QHBoxLayout;
  grezzi->addWidget(valoreA_);
  grezzi->addWidget(valoreB_);
  grezzi->addWidget(lblExp_);
  grezzi->addWidget(valoreC_);
  g->addLayout(grezzi, 5, 0, 1, 4);
  auto* comandi = new QHBoxLayout;
  cmd1_ = new QPushButton(registro_);
  cmd1_->setObjectName("Command1");
  cmd4_ = new QPushButton(registro_);
  cmd4_->setObjectName("Command4");
  connect(cmd1_, &QPushButton::clicked, this, [this] { d_.Esegui([](Context& c) { Command1_Click(c); }); });
  connect(cmd4_, &QPushButton::clicked, this, [this] { d_.Esegui([](Context& c) { Command4_Click(c); }); });
  comandi->addWidget(cmd1_);
  comandi->addWidget(cmd4_);
  g->addLayout(comandi, 6, 0, 1, 4);
  destra->addWidget(registro_);
  destra->addStretch(1);
}

QPushButton* EepromView::Pulsante(const std::string& nome) const { return findChild<QPushButton*>(Q(nome)); }
QLineEdit* EepromView::Casella(const std::string& nome) const { return findChild<QLineEdit*>(Q(nome)); }

void EepromView::RendiLista(QTreeWidget* w, const ListBox& l, std::vector<std::string>& mostrata) {
  korventa::qt::Rendi(static_cast<QWidget*>(w), l);
  if (mostrata == l.List) return;
  mostrata = l.List;
  QList<QTreeWidgetItem*> righe;
  righe.reserve(static_cast<qsizetype>(l.List.size()));
  for (const std::string& riga : l.List) {
    const auto tab = riga.rfind('\t');
    const QString a = Q(tab == std::string::npos ? std::string() : riga.substr(0, tab));
    const QString v = Q(tab == std::string::npos ? riga : riga.substr(tab + 1));
    righe.append(new QTreeWidgetItem(QStringList{a, v}));
  }
  w->setUpdatesEnabled(false);
  w->clear();
  w->addTopLevelItems(righe);
  w->setUpdatesEnabled(true);
}

void EepromView::Rendi() {
  const Context& c = d_.Ctx();
  const FrmEeprom& f = c.w.frm_eeprom;
  if (windowTitle() != Q(f.Caption)) setWindowTitle(Q(f.Caption));
  setWindowIcon(d_.Immagini_().Icona(c.w.communication.Icon));
  RendiLista(list1_, f.List1, mostrata1_);
  RendiLista(list2_, f.List2, mostrata2_);
  korventa::qt::Rendi(cmd3_, f.Command3);
  korventa::qt::Rendi(cmd5_, f.Command5);
  korventa::qt::Rendi(cmd6_, f.Command6);
  korventa::qt::Rendi(cmd2_, f.Command2);
  korventa::qt::Rendi(cmd7_, f.Command7);
  korventa::qt::Rendi(cmd1_, f.Command1);
  korventa::qt::Rendi(cmd4_, f.Command4);
  korventa::qt::Rendi(lblBanco_, f.lbl_banco);
  korventa::qt::Rendi(lblStart_, f.lbl_start);
  korventa::qt::Rendi(lblFormato_, f.lbl_formato);
  korventa::qt::Rendi(lblValore_, f.lbl_valore);
  korventa::qt::Rendi(lblExp_, f.lbl_exp);
  korventa::qt::Rendi(banco_, f.txt_banco);
  korventa::qt::Rendi(start_, f.txt_start);
  korventa::qt::Rendi(valore_, f.txt_valore);
  korventa::qt::Rendi(valoreA_, f.txt_valoreA);
  korventa::qt::Rendi(valoreB_, f.txt_valoreB);
  korventa::qt::Rendi(valoreC_, f.txt_valoreC);
  for (std::size_t i = 0; i < option2_.size(); ++i) korventa::qt::Rendi(option2_[i], f.Option2[i]);
  for (std::size_t i = 0; i < option1_.size(); ++i) korventa::qt::Rendi(option1_[i], f.Option1[i]);
  RendiFinestra(this, c.w.communication.finestre[Schermo::frm_EEprom], stato_, false);
}

void EepromView::closeEvent(QCloseEvent* e) {
  if (d_.Chiudi(Schermo::frm_EEprom))
    e->accept();
  else
    e->ignore();
}

}  // namespace korventa::qt
