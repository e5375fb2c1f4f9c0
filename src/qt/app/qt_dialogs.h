// The questions of the desktop program: message boxes, input boxes and the
// file dialogs, with the brand's title as caption.
#pragma once

#include <functional>
#include <vector>

#include <QtCore/QStringList>

#include "app/dialogs.h"

class QWidget;

namespace korventa {
struct ProgramState;
}

namespace korventa::qt {

class QtDialogs final : public Dialogs {
 public:
  // `padre` gives the window the dialogs belong to (may return nullptr).
  QtDialogs(const ProgramState& s, std::function<QWidget*()> padre) : s_(s), padre_(std::move(padre)) {}

  // While the program is ending nobody is there to answer: a box is not
  // shown and gets the answer that stops (Cancel, Abort, No; OK for a box
  // that has only OK).
  Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& caption,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;

 private:
  QWidget* Padre() const;
  std::optional<std::string> File(const FileDialogRequest& request, bool salva);

  const ProgramState& s_;
  std::function<QWidget*()> padre_;
};

// The answer that stops, for a box nobody can answer.
Answer RispostaSenzaUtente(Buttons buttons);

// A filter list in the form QFileDialog takes, "label (patterns)" per
// entry. Patterns also match the other letter case ("*.DST" finds "a.dst"),
// as they do on the file systems the program came from.
QStringList FiltriQt(const std::vector<FileFilter>& filters);

}  // namespace korventa::qt
