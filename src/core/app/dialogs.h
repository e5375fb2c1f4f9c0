// Every question the program puts to a person goes through this interface:
// the desktop program shows real dialogs, tests script the answers and the
// command-line front end answers by policy.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace korventa {

enum class Buttons { Ok, OkCancel, RetryCancel, AbortRetryIgnore, YesNo, YesNoCancel };
enum class Icon { None, Error, Warning, Information, Question };
enum class Answer { Ok, Cancel, Retry, Abort, Ignore, Yes, No };

struct FileFilter {
  std::string label;    // e.g. "(*.DST)"
  std::string pattern;  // e.g. "*.DST"
};

struct FileDialogRequest {
  std::string title;
  std::string defaultExtension;  // without the dot, e.g. "DST"
  std::vector<FileFilter> filters;
  std::string fileName;          // proposed name, may be empty
  std::string directory;         // folder to start in; empty: the platform's choice
  bool overwritePrompt = false;  // save dialogs only
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A message box; returns the button chosen. A box with only OK returns Ok.
  virtual Answer MsgBox(const std::string& text, Buttons buttons, Icon icon,
                        const std::string& caption) = 0;
  // An input box; nullopt when cancelled.
  virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& caption,
                                              const std::string& defaultText) = 0;
  // File dialogs; nullopt (or an empty name) when the user gave no name.
  virtual std::optional<std::string> OpenFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFileName(const FileDialogRequest& request) = 0;
};

}  // namespace korventa
