#include "cli/policy_dialogs.h"

namespace korventa::cli {

namespace {

const char* IconWord(Icon icon) {
  switch (icon) {
    case Icon::Error: return "error";
    case Icon::Warning: return "warning";
    case Icon::Information: return "info";
    case Icon::Question: return "question";
    case Icon::None: break;
  }
  return "message";
}

}  // namespace

Answer PolicyDialogs::MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) {
  err_ << caption << ": " << IconWord(icon) << ": " << text;
  Answer a = Answer::Ok;
  switch (buttons) {
    case Buttons::Ok:
      a = Answer::Ok;
      break;
    case Buttons::RetryCancel:
    case Buttons::AbortRetryIgnore:
      if (retriesLeft_ < 0) retriesLeft_ = policy_.retries;
      if (retriesLeft_ > 0) {
        --retriesLeft_;
        a = Answer::Retry;
      } else {
        retriesLeft_ = -1;
        a = buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Abort;
      }
      break;
    case Buttons::OkCancel:
      a = policy_.yes ? Answer::Ok : Answer::Cancel;
      break;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
      a = policy_.yes ? Answer::Yes : Answer::No;
      break;
  }
  if (buttons != Buttons::RetryCancel && buttons != Buttons::AbortRetryIgnore && buttons != Buttons::Ok)
    if (a == Answer::Cancel || a == Answer::No) refused_ = true;
  static const char* kNames[] = {"OK", "Cancel", "Retry", "Abort", "Ignore", "Yes", "No"};
  if (buttons != Buttons::Ok) err_ << " [" << kNames[static_cast<int>(a)] << "]";
  err_ << '\n';
  err_.flush();
  return a;
}

std::optional<std::string> PolicyDialogs::InputBox(const std::string& prompt, const std::string& caption,
                                                   const std::string& defaultText) {
  const std::string& answer = inputText.empty() ? defaultText : inputText;
  err_ << caption << ": " << prompt << " [" << answer << "]\n";
  return answer;
}

std::optional<std::string> PolicyDialogs::OpenFileName(const FileDialogRequest&) {
  if (openName.empty()) return std::nullopt;
  return openName;
}

std::optional<std::string> PolicyDialogs::SaveFileName(const FileDialogRequest&) {
  if (saveName.empty()) return std::nullopt;
  return saveName;
}

}  // namespace korventa::cli
