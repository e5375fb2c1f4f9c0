#include "qt/views/render.h"

#include <QtCore/QSignalBlocker>
#include <QtGui/QAction>
#include <QtGui/QPalette>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QRadioButton>

namespace korventa::qt {

QColor Colore(int valore, const QColor& sistema) {
  if (valore < 0) return sistema;
  return QColor(valore & 0xFF, (valore >> 8) & 0xFF, (valore >> 16) & 0xFF);
}

void Rendi(QWidget* w, const Control& c) {
  if (w->isHidden() == c.Visible) w->setVisible(c.Visible);
  if (w->isEnabled() != c.Enabled) w->setEnabled(c.Enabled);
}

void Rendi(QLabel* w, const Label& c) {
  Rendi(static_cast<QWidget*>(w), c);
  const QString t = Q(c.Caption);
  if (w->text() != t) w->setText(t);
}

void Rendi(QGroupBox* w, const Frame& c) {
  Rendi(static_cast<QWidget*>(w), c);
  const QString t = Q(c.Caption);
  if (w->title() != t) w->setTitle(t);
}

void Rendi(QLineEdit* w, const TextBox& c) {
  QSignalBlocker b(w);
  Rendi(static_cast<QWidget*>(w), c);
  const QString t = Q(c.Text);
  if (w->text() != t) w->setText(t);
}

void Rendi(QComboBox* w, const ComboBox& c) {
  QSignalBlocker b(w);
  Rendi(static_cast<QWidget*>(w), c);
  bool uguale = w->count() == static_cast<int>(c.List.size());
  for (int i = 0; uguale && i < w->count(); ++i) uguale = w->itemText(i) == Q(c.List[static_cast<std::size_t>(i)]);
  if (!uguale) {
    w->clear();
    for (const auto& voce : c.List) w->addItem(Q(voce));
  }
  if (w->isEditable()) {
    if (c.ListIndex >= 0 && w->currentIndex() != c.ListIndex) w->setCurrentIndex(c.ListIndex);
    if (w->currentText() != Q(c.Text)) w->setEditText(Q(c.Text));
  } else {
    if (w->currentIndex() != c.ListIndex) w->setCurrentIndex(c.ListIndex);
    // A text the model set that is not one of the entries (the frequency
    // converter's "Freq", a type a file brought) shows as the combo's text.
    const QString testo = c.ListIndex < 0 ? Q(c.Text) : QString();
    if (w->placeholderText() != testo) {
      w->setPlaceholderText(testo);
      // Shown as a value, not greyed as a hint.
      QPalette p = w->palette();
      p.setColor(QPalette::PlaceholderText, p.color(QPalette::Text));
      w->setPalette(p);
    }
  }
}

void Rendi(QRadioButton* w, const OptionButton& c) {
  QSignalBlocker b(w);
  Rendi(static_cast<QWidget*>(w), c);
  const QString t = Q(c.Caption);
  if (w->text() != t) w->setText(t);
  if (w->isChecked() != c.Value) w->setChecked(c.Value);
}

void Rendi(QCheckBox* w, const CheckBox& c) {
  QSignalBlocker b(w);
  Rendi(static_cast<QWidget*>(w), c);
  const QString t = Q(c.Caption);
  if (!t.isEmpty() && w->text() != t) w->setText(t);
  if (w->isChecked() != c.Value) w->setChecked(c.Value);
}

void Rendi(QAbstractButton* w, const CommandButton& c) {
  Rendi(static_cast<QWidget*>(w), c);
  const QString t = Q(c.Caption);
  if (!t.isEmpty() && w->text() != t) w->setText(t);
  const QString tip = Q(c.ToolTipText);
  if (w->toolTip() != tip) w->setToolTip(tip);
}

void Rendi(QAction* a, const MenuItem& m) {
  if (a->isVisible() != m.Visible) a->setVisible(m.Visible);
  if (a->isEnabled() != m.Enabled) a->setEnabled(m.Enabled);
  const QString t = Q(m.Caption);
  if (a->text() != t) a->setText(t);
}

void RendiFinestra(QWidget* w, const Finestra& f, StatoFinestra& stato, bool posiziona) {
  if (f.Visible) {
    if (posiziona && (!stato.posta || stato.left != f.Left || stato.top != f.Top)) {
      w->move(f.Left / kTwipsPerPixel, f.Top / kTwipsPerPixel);
      stato.posta = true;
      stato.left = f.Left;
      stato.top = f.Top;
    }
    if (w->isEnabled() != f.Enabled) w->setEnabled(f.Enabled);
    if (!w->isVisible()) w->show();
    if (stato.primoPiano != f.PrimoPiano) {
      stato.primoPiano = f.PrimoPiano;
      w->raise();
      w->activateWindow();
    }
  } else {
    if (w->isEnabled() != f.Enabled) w->setEnabled(f.Enabled);
    if (w->isVisible()) w->hide();
  }
}

}  // namespace korventa::qt
