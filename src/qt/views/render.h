// Putting the state of a control from a presentation model on its widget.
// Every function blocks the widget's signals while it writes, so rendering
// never looks like a user's edit, and leaves alone what already matches (a
// text box being typed into keeps its cursor).
#pragma once

#include <string>

#include <QtCore/QString>
#include <QtGui/QColor>

#include "app/controls.h"
#include "app/main_window.h"

class QAbstractButton;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;
class QCheckBox;
class QRadioButton;

namespace korventa::qt {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

// A colour as the window models keep it (0x00BBGGRR); kColoreSistema and
// other negative values give `sistema`.
QColor Colore(int valore, const QColor& sistema);

void Rendi(QWidget* w, const Control& c);
void Rendi(QLabel* w, const Label& c);
void Rendi(QGroupBox* w, const Frame& c);
void Rendi(QLineEdit* w, const TextBox& c);
// Rebuilds the entries only when the list changed. An editable combo shows
// the model's text; a plain one its selection, or the model's text when that
// is not one of the entries.
void Rendi(QComboBox* w, const ComboBox& c);
void Rendi(QRadioButton* w, const OptionButton& c);
void Rendi(QCheckBox* w, const CheckBox& c);
// Caption (when the model has one) and tool tip.
void Rendi(QAbstractButton* w, const CommandButton& c);
void Rendi(QAction* a, const MenuItem& m);

// Where a top-level window was last put by the program, so that the view
// moves or raises it only when the model asks for something new and leaves
// the user's own moves alone.
struct StatoFinestra {
  bool posta = false;
  int left = 0;
  int top = 0;
  std::uint32_t primoPiano = 0;
};

// Shows or hides a top-level window, places it (twips to pixels) and brings
// it to the front as the model says.
// Windows the program does not place (posiziona false) open where the
// window manager puts them.
void RendiFinestra(QWidget* w, const Finestra& f, StatoFinestra& stato, bool posiziona = true);

}  // namespace korventa::qt
