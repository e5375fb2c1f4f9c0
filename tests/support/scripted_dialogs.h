// Dialogs whose answers a test scripts in advance; every question asked is
// recorded so the test can check the exact texts.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"

namespace korventa::test {

struct AskedBox {
  std::string text;
  Buttons buttons;
  Icon icon;
  std::string caption;
};

class ScriptedDialogs : public Dialogs {
 public:
  // Answers given in order; when they run out, Cancel (or Ok for an OK-only box).
  std::deque<Answer> answers;
  std::deque<std::optional<std::string>> inputs;
  std::deque<std::optional<std::string>> fileNames;
  std::vector<AskedBox> boxes;
  std::vector<FileDialogRequest> fileRequests;

  Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& caption,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFileName(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFileName(const FileDialogRequest& request) override;
};

}  // namespace korventa::test
