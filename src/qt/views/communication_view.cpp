#include "qt/views/communication_view.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QKeySequence>
#include <QtSerialPort/QSerialPortInfo>
#include <QtGui/QPainter>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "factory/frm_eeprom.h"
#include "files/backup.h"
#include "qt/app/desktop.h"
#include "qt/views/tara_view.h"

namespace korventa::qt {

namespace {

// The selector of ports: the list is brought up to date with the ports the
// machine really has each time it is opened.
class ElencoPorte final : public QComboBox {
 public:
  ElencoPorte(QWidget* parent, std::function<void()> aggiorna) : QComboBox(parent), aggiorna_(std::move(aggiorna)) {}
  void showPopup() override {
    aggiorna_();
    QComboBox::showPopup();
  }

 private:
  std::function<void()> aggiorna_;
};

}  // namespace

std::vector<std::pair<std::string, std::string>> PorteSeriali() {
  std::vector<std::pair<std::string, std::string>> porte;
  for (const QSerialPortInfo& p : QSerialPortInfo::availablePorts()) {
    QString descrizione = p.description();
    if (!p.manufacturer().isEmpty() && !descrizione.contains(p.manufacturer()))
      descrizione += (descrizione.isEmpty() ? "" : ", ") + p.manufacturer();
    porte.emplace_back(S(p.systemLocation()), S(descrizione));
  }
  return porte;
}

Lampada::Lampada(QWidget* parent) : QWidget(parent), colore_(Qt::green) { setFixedSize(18, 18); }

void Lampada::Imposta(const QColor& c) {
  if (c == colore_) return;
  colore_ = c;
  update();
}

void Lampada::paintEvent(QPaintEvent*) {
  QPainter g(this);
  g.setRenderHint(QPainter::Antialiasing);
  QRadialGradient luce(QPointF(width() * 0.35, height() * 0.35), width() * 0.6);
  luce.setColorAt(0, colore_.lighter(160));
  luce.setColorAt(1, colore_);
  g.setBrush(luce);
  g.setPen(QPen(colore_.darker(170), 1));
  g.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
}

Barra::Barra(QWidget* parent) : QWidget(parent) {
  setMinimumSize(80, 10);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Barra::Imposta(double quota) {
  if (quota == quota_) return;
  quota_ = quota;
  repaint();  // a transaction is running: show each step as it is done
}

void Barra::paintEvent(QPaintEvent*) {
  QPainter g(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  g.setPen(palette().color(QPalette::Mid));
  g.setBrush(palette().color(QPalette::Base));
  g.drawRect(r);
  const int w = static_cast<int>(quota_ * (r.width() - 1) + 0.5);
  if (w > 0) g.fillRect(QRect(r.left() + 1, r.top() + 1, w, r.height() - 1), palette().color(QPalette::Highlight));
}

QToolButton* CommunicationView::Pulsante(QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setIconSize(QSize(Immagini::kLato, Immagini::kLato));
  b->setAutoRaise(false);
  b->setFixedSize(Immagini::kLato + 10, Immagini::kLato + 10);
  return b;
}

QAction* CommunicationView::Voce(QMenu* menu, MenuItem Communication::*voce, void (*handler)(Context&)) {
  QAction* a = menu->addAction(QString());
  voci_.emplace_back(voce, a);
  // The commands used every day have keys of their own, shown in the menu.
  using C = Communication;
  static const std::pair<MenuItem C::*, QKeySequence> kTasti[] = {
      {&C::mnu_File_Open, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {&C::mnu_File_Save, QKeySequence(Qt::CTRL | Qt::Key_S)},
      {&C::mnu_File_SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
      {&C::mnu_Action_Program_Read, QKeySequence(Qt::Key_F5)},
      {&C::mnu_Action_Program_Write, QKeySequence(Qt::Key_F6)},
  };
  for (const auto& [v, tasto] : kTasti)
    if (v == voce) a->setShortcut(tasto);
  if (handler) connect(a, &QAction::triggered, this, [this, handler] { d_.Esegui(handler); });
  return a;
}

QAction* CommunicationView::Azione(const MenuItem& m) const {
  const Communication& c = d_.Ctx().w.communication;
  for (const auto& [voce, a] : voci_)
    if (&(c.*voce) == &m) return a;
  return nullptr;
}

CommunicationView::CommunicationView(Desktop& d) : d_(d) {
  setObjectName("communication");
  auto* centro = new QWidget(this);
  auto* v = new QVBoxLayout(centro);
  v->setContentsMargins(6, 6, 6, 6);
  v->setSpacing(4);

  frame2_ = new QGroupBox(centro);
  auto* h = new QHBoxLayout(frame2_);
  h->setContentsMargins(6, 4, 6, 4);
  check1_ = new QCheckBox(frame2_);
  porta_ = new ElencoPorte(frame2_, [this] {
    d_.Esegui([porte = PorteSeriali()](Context& c) { AggiornaPorte(c.w.communication, porte); });
  });
  // A device path that is not in the list (/dev/ttyUSB0) may be typed in.
  porta_->setEditable(true);
  porta_->setInsertPolicy(QComboBox::NoInsert);
  porta_->setMinimumContentsLength(10);
  h->addWidget(check1_);
  h->addWidget(porta_, 1);
  v->addWidget(frame2_);

  auto* stato = new QHBoxLayout();
  spia_ = new Lampada(centro);
  barra_ = new Barra(centro);
  stato->addWidget(spia_);
  stato->addWidget(barra_, 1);
  v->addLayout(stato);

  auto* modello = new QHBoxLayout();
  for (std::size_t i = 0; i < device_.size(); ++i) {
    device_[i] = new QLabel(centro);
    device_[i]->setObjectName(QString("lbl_device_%1").arg(i));
    modello->addWidget(device_[i], i == 0 ? 1 : 0);
  }
  QFont grassetto = device_[0]->font();
  grassetto.setBold(true);
  device_[0]->setFont(grassetto);
  v->addLayout(modello);
  verifica_ = new QLabel(centro);
  verifica_->setObjectName("lbl_verifica");
  v->addWidget(verifica_);

  auto* pulsanti = new QHBoxLayout();
  pulsanti->setSpacing(2);
  for (std::size_t i = 0; i < modo_.size(); ++i) {
    modo_[i] = Pulsante(centro);
    modo_[i]->setAutoFillBackground(true);
    pulsanti->addWidget(modo_[i]);
    const int n = static_cast<int>(i);
    connect(modo_[i], &QToolButton::clicked, this, [this, n] { d_.Esegui([n](Context& c) { cmd_modo_Click(c, n); }); });
  }
  pulsanti->addSpacing(8);
  read_ = Pulsante(centro);
  write_ = Pulsante(centro);
  start_ = Pulsante(centro);
  lang_ = Pulsante(centro);
  for (QToolButton* b : {read_, write_, start_}) pulsanti->addWidget(b);
  pulsanti->addStretch(1);
  pulsanti->addWidget(lang_);
  v->addLayout(pulsanti);
  setCentralWidget(centro);

  connect(read_, &QToolButton::clicked, this, [this] { d_.Esegui(cmd_read_Click); });
  connect(write_, &QToolButton::clicked, this, [this] { d_.Esegui(cmd_write_Click); });
  connect(start_, &QToolButton::clicked, this, [this] { d_.Esegui(cmd_start_Click); });
  connect(lang_, &QToolButton::clicked, this, [this] { d_.Esegui(cmd_Lang_Click); });
  connect(check1_, &QCheckBox::clicked, this, [this](bool spuntato) {
    d_.Esegui([spuntato](Context& c) {
      c.w.communication.Check1.Value = spuntato;
      Check1_Click(c);
    });
  });
  // Choosing or typing a port only changes the selection; it is used when
  // the port is next opened.
  connect(porta_, &QComboBox::editTextChanged, this,
          [this](const QString& t) { d_.Ctx().w.communication.cmb_Porta.SetText(S(t)); });

  using C = Communication;
  QMenuBar* barra = menuBar();
  auto menu = [&](MenuItem C::*voce) {
    QMenu* m = barra->addMenu(QString());
    menu_.emplace_back(voce, m);
    return m;
  };
  auto sottomenu = [&](QMenu* padre, MenuItem C::*voce) {
    QMenu* m = padre->addMenu(QString());
    menu_.emplace_back(voce, m);
    return m;
  };
  QMenu* file = menu(&C::mnu_file);
  Voce(file, &C::mnu_File_Open, mnu_File_Open_Click);
  Voce(file, &C::mnu_File_Save, mnu_File_Save_Click);
  Voce(file, &C::mnu_File_SaveAs, mnu_File_SaveAs_Click);
  file->addSeparator();
  connect(Voce(file, &C::mnu_File_Undo, nullptr), &QAction::triggered, this, [this] {
    d_.Esegui([this](Context& c) { mnu_File_Undo_Click(c, d_.Backup().Opzioni()); });
  });
  QMenu* vista = menu(&C::mnu_View);
  Voce(vista, &C::mnu_View_Program, [](Context& c) { cmd_modo_Click(c, 0); });
  Voce(vista, &C::mnu_View_Measure, [](Context& c) { cmd_modo_Click(c, 1); });
  Voce(vista, &C::mnu_View_Switch, [](Context& c) { cmd_modo_Click(c, 2); });
  QMenu* azione = menu(&C::mnu_Action);
  QMenu* programma = sottomenu(azione, &C::mnu_Action_Program);
  Voce(programma, &C::mnu_Action_Program_Read, cmd_read_Click);
  Voce(programma, &C::mnu_Action_Program_Write, mnu_Action_Program_Write_Click);
  QMenu* misura = sottomenu(azione, &C::mnu_Action_Measure);
  Voce(misura, &C::mnu_Action_Measure_Start, mnu_Action_Measure_Start_Click);
  Voce(misura, &C::mnu_Action_Measure_Stop, mnu_Action_Measure_Stop_Click);
  // The factory menu, hidden unless asked for.
  QMenu* collaudo = menu(&C::mnu_Collaudo);
  Voce(collaudo, &C::mnu_Collaudo_EEprom, mnu_Collaudo_EEprom_Click);
  Voce(collaudo, &C::mnu_Collaudo_Taratura, nullptr);
  connect(voci_.back().second, &QAction::triggered, this, [this] {
    d_.Taratura();
    d_.Esegui([](Context& c) { c.w.frm_tara.Visible = true; });
  });
  Voce(collaudo, &C::mnu_test, [](Context& c) { c.w.frm_test.Visible = true; });
  // The check is also reached from the calibration window's Prog.
  Voce(collaudo, &C::mnu_verifica, [](Context& c) { c.w.frm_verifica.Visible = true; })->setObjectName("mnu_verifica");
  QMenu* aiuto = menu(&C::mnu_Help);
  Voce(aiuto, &C::mnu_Help_About, mnu_Help_About_Click);
  // Exit is an item of the menu bar itself.
  QAction* esci = barra->addAction(QString());
  voci_.emplace_back(&C::mnu_Exit, esci);
  connect(esci, &QAction::triggered, this, [this] { d_.Esegui(mnu_Exit_Click); });
}

void CommunicationView::RendiSpia() {
  AggiornaComandi(d_.Ctx());
  const Communication& m = d_.Ctx().w.communication;
  spia_->Imposta(korventa::qt::Colore(m.SpiaColor, palette().color(QPalette::Button)));
  barra_->Imposta(m.progress);
  // Commands wait while the lamp is red: their buttons say so.
  korventa::qt::Rendi(read_, m.cmd_read);
  korventa::qt::Rendi(write_, m.cmd_write);
  korventa::qt::Rendi(start_, m.cmd_start);
  for (const auto& [voce, a] : voci_) korventa::qt::Rendi(a, m.*voce);
  // F9 starts, and stops while measuring: it sits on the item that does it.
  QAction* avvia = Azione(m.mnu_Action_Measure_Start);
  QAction* ferma = Azione(m.mnu_Action_Measure_Stop);
  const QKeySequence f9(Qt::Key_F9);
  if (avvia && ferma && (d_.Ctx().s.InMisura ? ferma : avvia)->shortcut() != f9) {
    (d_.Ctx().s.InMisura ? avvia : ferma)->setShortcut(QKeySequence());
    (d_.Ctx().s.InMisura ? ferma : avvia)->setShortcut(f9);
  }
  if (windowTitle() != Q(m.TitoloMostrato)) setWindowTitle(Q(m.TitoloMostrato));
  const bool abilitata = m.finestre[Schermo::communication].Enabled;
  if (isEnabled() != abilitata) setEnabled(abilitata);
}

void CommunicationView::Rendi() {
  AggiornaComandi(d_.Ctx());
  const Communication& m = d_.Ctx().w.communication;
  const Immagini& img = d_.Immagini_();
  setWindowIcon(img.Icona(m.Icon));

  korventa::qt::Rendi(check1_, m.Check1);
  korventa::qt::Rendi(porta_, m.cmb_Porta);
  for (std::size_t i = 0; i < device_.size(); ++i) korventa::qt::Rendi(device_[i], m.lbl_device[i]);
  korventa::qt::Rendi(verifica_, m.lbl_verifica);
  for (std::size_t i = 0; i < modo_.size(); ++i) {
    korventa::qt::Rendi(modo_[i], m.cmd_modo[i]);
    modo_[i]->setIcon(img.Icona(m.cmd_modo_Picture[i]));
  }
  // The switch view button is green where the model has DIP switches.
  QPalette p = modo_[2]->palette();
  p.setColor(QPalette::Button, korventa::qt::Colore(m.cmd_modo2_BackColor, palette().color(QPalette::Button)));
  modo_[2]->setPalette(p);
  korventa::qt::Rendi(read_, m.cmd_read);
  read_->setIcon(img.Icona(m.cmd_read_Picture));
  korventa::qt::Rendi(write_, m.cmd_write);
  write_->setIcon(img.Icona(m.cmd_write_Picture));
  korventa::qt::Rendi(start_, m.cmd_start);
  start_->setIcon(img.Icona(m.cmd_start_Picture));
  korventa::qt::Rendi(lang_, m.cmd_Lang);
  lang_->setIcon(img.Icona(m.cmd_Lang_Picture));

  for (const auto& [voce, a] : voci_) korventa::qt::Rendi(a, m.*voce);
  for (const auto& [voce, menu] : menu_) korventa::qt::Rendi(menu->menuAction(), m.*voce);

  RendiSpia();
  RendiFinestra(this, m.finestre[Schermo::communication], stato_);
}

void CommunicationView::closeEvent(QCloseEvent* e) {
  if (d_.Chiudi(Schermo::communication))
    e->accept();
  else
    e->ignore();
}

}  // namespace korventa::qt
