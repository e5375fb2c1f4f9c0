#include "qt/app/qt_dialogs.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QInputDialog>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QPushButton>

#include "app/state.h"

namespace korventa::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

struct Pulsante {
  QMessageBox::StandardButton qt;
  Answer risposta;
};

std::vector<Pulsante> Pulsanti(Buttons b) {
  using M = QMessageBox;
  switch (b) {
    case Buttons::Ok:
      return {{M::Ok, Answer::Ok}};
    case Buttons::OkCancel:
      return {{M::Ok, Answer::Ok}, {M::Cancel, Answer::Cancel}};
    case Buttons::RetryCancel:
      return {{M::Retry, Answer::Retry}, {M::Cancel, Answer::Cancel}};
    case Buttons::AbortRetryIgnore:
      return {{M::Abort, Answer::Abort}, {M::Retry, Answer::Retry}, {M::Ignore, Answer::Ignore}};
    case Buttons::YesNo:
      return {{M::Yes, Answer::Yes}, {M::No, Answer::No}};
    case Buttons::YesNoCancel:
      return {{M::Yes, Answer::Yes}, {M::No, Answer::No}, {M::Cancel, Answer::Cancel}};
  }
  return {{M::Ok, Answer::Ok}};
}

QMessageBox::Icon IconaQt(Icon i) {
  switch (i) {
    case Icon::Error:
      return QMessageBox::Critical;
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

Answer RispostaSenzaUtente(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return Answer::Ok;
    case Buttons::AbortRetryIgnore:
      return Answer::Abort;
    case Buttons::YesNo:
      return Answer::No;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
    case Buttons::YesNoCancel:
      break;
  }
  return Answer::Cancel;
}

QStringList FiltriQt(const std::vector<FileFilter>& filters) {
  QStringList out;
  for (const FileFilter& f : filters) {
    QStringList modelli;
    for (const QString& m : Q(f.pattern).split(' ', Qt::SkipEmptyParts)) {
      modelli << m;
      if (m.toLower() != m) modelli << m.toLower();
      if (m.toUpper() != m) modelli << m.toUpper();
    }
    QString etichetta = Q(f.label).trimmed();
    // The label may already carry the pattern in brackets ("(*.DST)"); the
    // dialog reads the patterns from the last brackets of the entry.
    const int aperta = etichetta.lastIndexOf('(');
    if (aperta >= 0 && etichetta.endsWith(')')) etichetta = etichetta.left(aperta).trimmed();
    if (etichetta.isEmpty()) etichetta = modelli.value(0);
    out << etichetta + " (" + modelli.join(' ') + ")";
  }
  return out;
}

QWidget* QtDialogs::Padre() const {
  if (QWidget* w = QApplication::activeWindow()) return w;
  return padre_ ? padre_() : nullptr;
}

Answer QtDialogs::MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) {
  if (s_.InUscita) return RispostaSenzaUtente(buttons);
  QMessageBox box(IconaQt(icon), Q(caption), Q(text), QMessageBox::NoButton, Padre());
  const auto pulsanti = Pulsanti(buttons);
  for (const Pulsante& p : pulsanti) box.addButton(p.qt);
  box.setDefaultButton(pulsanti.front().qt);
  // Closing the box with Escape or its close button answers the button that
  // stops, as on the platform the program comes from.
  const Answer via = RispostaSenzaUtente(buttons);
  for (const Pulsante& p : pulsanti)
    if (p.risposta == via) box.setEscapeButton(p.qt);
  box.exec();
  auto* scelto = box.clickedButton();
  for (const Pulsante& p : pulsanti)
    if (scelto == box.button(p.qt)) return p.risposta;
  return via;
}

std::optional<std::string> QtDialogs::InputBox(const std::string& prompt, const std::string& caption,
                                               const std::string& defaultText) {
  if (s_.InUscita) return std::nullopt;
  bool ok = false;
  const QString t = QInputDialog::getText(Padre(), Q(caption), Q(prompt), QLineEdit::Normal, Q(defaultText), &ok);
  if (!ok) return std::nullopt;
  return t.toStdString();
}

std::optional<std::string> QtDialogs::File(const FileDialogRequest& request, bool salva) {
  if (s_.InUscita) return std::nullopt;
  QFileDialog d(Padre(), Q(request.title));
  d.setAcceptMode(salva ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d.setFileMode(salva ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  d.setOption(QFileDialog::DontConfirmOverwrite, !(salva && request.overwritePrompt));
  if (!request.defaultExtension.empty()) d.setDefaultSuffix(Q(request.defaultExtension));
  if (!request.filters.empty()) d.setNameFilters(FiltriQt(request.filters));
  if (!request.directory.empty()) d.setDirectory(Q(request.directory));
  if (!request.fileName.empty()) d.selectFile(Q(request.fileName));
  if (d.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList scelti = d.selectedFiles();
  if (scelti.isEmpty()) return std::nullopt;
  return scelti.front().toStdString();
}

std::optional<std::string> QtDialogs::OpenFileName(const FileDialogRequest& request) { return File(request, false); }

std::optional<std::string> QtDialogs::SaveFileName(const FileDialogRequest& request) { return File(request, true); }

}  // namespace korventa::qt
