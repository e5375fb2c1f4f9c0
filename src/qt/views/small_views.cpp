#include "qt/views/small_views.h"

#include <QtCore/QDir>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtCore/QUrl>
#include <QtGui/QCloseEvent>
#include <QtGui/QDesktopServices>
#include <QtGui/QMouseEvent>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QVBoxLayout>

#include "app/context.h"
#include "app/texts.h"
#include "qt/app/desktop.h"

namespace korventa::qt {

namespace {

void Chiusura(Desktop& d, Schermo s, QCloseEvent* e) {
  if (d.Chiudi(s))
    e->accept();
  else
    e->ignore();
}

// The platform's system-information tool, if one is installed.
QString StrumentoInfoSistema() {
#if defined(Q_OS_WIN)
  const char* candidati[] = {"msinfo32"};
#else
  const char* candidati[] = {"hardinfo2", "hardinfo"};
#endif
  for (const char* c : candidati) {
    const QString p = QStandardPaths::findExecutable(c);
    if (!p.isEmpty()) return p;
  }
  return {};
}

}  // namespace

Cliccabile::Cliccabile(QWidget* parent) : QLabel(parent) { setCursor(Qt::PointingHandCursor); }

void Cliccabile::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && click) click();
  QLabel::mouseReleaseEvent(e);
}

// --- Language -------------------------------------------------------------

LangView::LangView(Desktop& d) : d_(d) {
  setObjectName("frm_Lang");
  setWindowFlag(Qt::Tool);
  auto* h = new QHBoxLayout(this);
  for (std::size_t i = 0; i < opt_Lang_.size(); ++i) {
    auto* b = new QToolButton(this);
    b->setCheckable(true);
    b->setIconSize(QSize(Immagini::kLato * 2, Immagini::kLato * 2));
    b->setToolTip(i == 0 ? "Italiano" : "English");
    opt_Lang_[i] = b;
    h->addWidget(b);
    const int n = static_cast<int>(i);
    connect(b, &QToolButton::clicked, this, [this, n] { d_.Esegui([n](Context& c) { opt_Lang_Click(c, n); }); });
  }
}

void LangView::Rendi() {
  const Context& c = d_.Ctx();
  const FrmLang& l = c.w.frm_Lang;
  setWindowTitle("Lingua / Language");
  for (std::size_t i = 0; i < opt_Lang_.size(); ++i) {
    opt_Lang_[i]->setIcon(d_.Immagini_().Icona(l.opt_Lang_Picture[i]));
    if (opt_Lang_[i]->isChecked() != l.opt_Lang[i].Value) opt_Lang_[i]->setChecked(l.opt_Lang[i].Value);
  }
  RendiFinestra(this, c.w.communication.finestre[Schermo::frm_Lang], stato_);
}

void LangView::closeEvent(QCloseEvent* e) { Chiusura(d_, Schermo::frm_Lang, e); }

// --- Operator -------------------------------------------------------------

OperView::OperView(Desktop& d) : d_(d) {
  setObjectName("frm_Oper");
  setWindowFlag(Qt::Tool);
  auto* v = new QVBoxLayout(this);
  frame2_ = new QGroupBox(this);
  auto* g = new QGridLayout(frame2_);
  for (std::size_t i = 0; i < opt_Oper_.size(); ++i) {
    auto* b = new QRadioButton(frame2_);
    b->setAutoExclusive(false);
    opt_Oper_[i] = b;
    g->addWidget(b, static_cast<int>(i % 4), static_cast<int>(i / 4));
    const int n = static_cast<int>(i);
    connect(b, &QRadioButton::clicked, this, [this, n] {
      d_.Esegui([n](Context& c) { opt_Oper_Click(c.s, c.w.frm_program, c.w.frm_Oper, n); });
    });
  }
  v->addWidget(frame2_);

  frame1_ = new QGroupBox(this);
  auto* h = new QHBoxLayout(frame1_);
  h->addWidget(new QLabel("Delay", frame1_));
  txt_Opzione_ = new QLineEdit(frame1_);
  txt_Opzione_->setMaximumWidth(70);
  h->addWidget(txt_Opzione_);
  h->addWidget(new QLabel("sec.", frame1_));
  h->addStretch(1);
  v->addWidget(frame1_);
  connect(txt_Opzione_, &QLineEdit::textEdited, this,
          [this](const QString& t) { d_.Ctx().w.frm_Oper.txt_Opzione.Text = S(t); });

  cmd_ok_ = new QPushButton("OK", this);
  v->addWidget(cmd_ok_, 0, Qt::AlignRight);
  connect(cmd_ok_, &QPushButton::clicked, this, [this] { d_.Esegui([](Context& c) { Cmd_ok_Click(c.w.frm_Oper); }); });
}

void OperView::Rendi() {
  const Context& c = d_.Ctx();
  const FrmOper& o = c.w.frm_Oper;
  const QString titolo = Q(korventa::Testo(c.s, 84));
  if (windowTitle() != titolo) setWindowTitle(titolo);
  for (std::size_t i = 0; i < opt_Oper_.size(); ++i) korventa::qt::Rendi(opt_Oper_[i], o.opt_Oper[i]);
  korventa::qt::Rendi(frame1_, o.Frame1);
  korventa::qt::Rendi(frame2_, o.Frame2);
  korventa::qt::Rendi(txt_Opzione_, o.txt_Opzione);
  // The operator window keeps its visibility in its own model.
  Finestra f = c.w.communication.finestre[Schermo::frm_Oper];
  f.Visible = o.Visible;
  RendiFinestra(this, f, stato_);
}

void OperView::closeEvent(QCloseEvent* e) { Chiusura(d_, Schermo::frm_Oper, e); }

// --- About ----------------------------------------------------------------

AboutView::AboutView(Desktop& d) : d_(d) {
  setObjectName("frm_About");
  auto* g = new QGridLayout(this);
  picIcon_ = new Cliccabile(this);
  picIcon_->click = [this] { ApriWeb(); };
  g->addWidget(picIcon_, 0, 0, 2, 1, Qt::AlignTop);
  lblTitle_ = new QLabel(this);
  QFont f = lblTitle_->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.4);
  lblTitle_->setFont(f);
  g->addWidget(lblTitle_, 0, 1, 1, 2);
  for (std::size_t i = 0; i < lbl_Link_.size(); ++i) {
    auto* l = new Cliccabile(this);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    l->setPalette(p);
    QFont lf = l->font();
    lf.setUnderline(true);
    l->setFont(lf);
    lbl_Link_[i] = l;
  }
  lbl_Link_[0]->click = [this] { ApriWeb(); };
  lbl_Link_[1]->click = [this] { ApriManuale(); };
  g->addWidget(lbl_Link_[0], 1, 1, 1, 2);
  picPDF_ = new Cliccabile(this);
  picPDF_->click = [this] { ApriManuale(); };
  g->addWidget(picPDF_, 2, 0);
  g->addWidget(lbl_Link_[1], 2, 1, 1, 2);
  cmdOK_ = new QPushButton(this);
  cmdSysInfo_ = new QPushButton(this);
  g->setRowMinimumHeight(3, 12);
  g->addWidget(cmdSysInfo_, 4, 1, Qt::AlignRight);
  g->addWidget(cmdOK_, 4, 2);
  g->setColumnStretch(1, 1);
  connect(cmdOK_, &QPushButton::clicked, this, [this] { d_.Esegui(cmdOK_Click); });
  connect(cmdSysInfo_, &QPushButton::clicked, this, [this] { InfoSistema(); });
}

void AboutView::ApriWeb() {
  const QString web = Q(d_.Ctx().w.frm_About.IndirizzoWeb).trimmed();
  // A failure of the platform's handler is not reported.
  if (!web.isEmpty()) QDesktopServices::openUrl(QUrl::fromUserInput(web));
}

void AboutView::ApriManuale() {
  const QString manuale = Q(d_.Ctx().w.frm_About.Manuale).trimmed();
  // The manual's name is relative to the current folder.
  if (!manuale.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(manuale)));
}

void AboutView::InfoSistema() {
  const QString strumento = StrumentoInfoSistema();
  if (!strumento.isEmpty() && QProcess::startDetached(strumento, {})) return;
  d_.Esegui(InfoSistemaNonDisponibile);
}

void AboutView::Rendi() {
  const Context& c = d_.Ctx();
  const FrmAbout& a = c.w.frm_About;
  const Immagini& img = d_.Immagini_();
  if (windowTitle() != Q(a.Caption)) setWindowTitle(Q(a.Caption));
  setWindowIcon(img.Icona(a.Icon));
  picIcon_->setPixmap(img.Bitmap(a.Icon));
  korventa::qt::Rendi(picIcon_, a.picIcon);
  picPDF_->setPixmap(img.Bitmap(a.picPDF_Picture));
  korventa::qt::Rendi(picPDF_, a.picPDF);
  korventa::qt::Rendi(lblTitle_, a.lblTitle);
  for (std::size_t i = 0; i < lbl_Link_.size(); ++i) korventa::qt::Rendi(lbl_Link_[i], a.lbl_Link[i]);
  korventa::qt::Rendi(cmdOK_, a.cmdOK);
  korventa::qt::Rendi(cmdSysInfo_, a.cmdSysInfo);
  RendiFinestra(this, c.w.communication.finestre[Schermo::frm_About], stato_);
}

void AboutView::closeEvent(QCloseEvent* e) { Chiusura(d_, Schermo::frm_About, e); }

// --- Measurement and switch places ----------------------------------------

SegnapostoView::SegnapostoView(Desktop& d, Schermo schermo, int testoTitolo)
    : d_(d), schermo_(schermo), testoTitolo_(testoTitolo) {
  auto* v = new QVBoxLayout(this);
  etichetta_ = new QLabel(this);
  etichetta_->setAlignment(Qt::AlignCenter);
  etichetta_->setMinimumSize(240, 120);
  v->addWidget(etichetta_);
}

void SegnapostoView::Rendi() {
  const Context& c = d_.Ctx();
  const QString titolo = Q(korventa::Testo(c.s, testoTitolo_));
  if (windowTitle() != titolo) {
    setWindowTitle(titolo);
    etichetta_->setText(titolo);
  }
  setWindowIcon(d_.Immagini_().Icona(c.w.communication.Icon));
  RendiFinestra(this, c.w.communication.finestre[schermo_], stato_);
}

void SegnapostoView::closeEvent(QCloseEvent* e) { Chiusura(d_, schermo_, e); }

}  // namespace korventa::qt
