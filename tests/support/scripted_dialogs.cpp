#include "support/scripted_dialogs.h"

namespace korventa::test {

Answer ScriptedDialogs::MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) {
  boxes.push_back({text, buttons, icon, caption});
  if (buttons == Buttons::Ok) return Answer::Ok;
  if (answers.empty()) return Answer::Cancel;
  Answer a = answers.front();
  answers.pop_front();
  return a;
}

std::optional<std::string> ScriptedDialogs::InputBox(const std::string&, const std::string&, const std::string&) {
  if (inputs.empty()) return std::nullopt;
  auto v = inputs.front();
  inputs.pop_front();
  return v;
}

std::optional<std::string> ScriptedDialogs::OpenFileName(const FileDialogRequest& request) {
  fileRequests.push_back(request);
  if (fileNames.empty()) return std::nullopt;
  auto v = fileNames.front();
  fileNames.pop_front();
  return v;
}

std::optional<std::string> ScriptedDialogs::SaveFileName(const FileDialogRequest& request) {
  return OpenFileName(request);
}

}  // namespace korventa::test
