// Questions answered by policy, for the headless front end: every question
// and message is printed to the error stream with the answer chosen.
#pragma once

#include <ostream>

#include "app/dialogs.h"

namespace korventa::cli {

struct Policy {
  // Retry/Cancel: Retry this many times in a row, then Cancel.
  int retries = 2;
  // OK/Cancel and Yes/No questions: OK (Yes) when set, else Cancel (No).
  bool yes = false;
};

class PolicyDialogs : public Dialogs {
 public:
  PolicyDialogs(Policy policy, std::ostream& err) : policy_(policy), err_(err) {}

  Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& caption,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;

  // --yes given after a command name.
  void AnswerYes() { policy_.yes = true; }
  // Each device operation gets its own allowance of retries.
  void ResetRetries() { retriesLeft_ = -1; }
  // Answer OK to OK/Cancel questions from now on (commands that never write).
  void AnswerOk() { policy_.yes = true; }
  // A question was answered Cancel or No by policy (the CLI then exits 3).
  bool Refused() const { return refused_; }
  // Names the file dialogs answer with (set by the command being run).
  std::string openName;
  std::string saveName;
  // What an input box is answered with (set by the command being run);
  // empty: the proposed text.
  std::string inputText;

 private:
  Policy policy_;
  std::ostream& err_;
  int retriesLeft_ = -1;
  bool refused_ = false;
};

}  // namespace korventa::cli
