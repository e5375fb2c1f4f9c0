// Plain-data states of the controls a window shows. Presentation models are
// structs of these, named after the controls; the Qt views render them and
// send the user's edits back through the models' handlers.
#pragma once

#include <string>
#include <vector>

namespace korventa {

struct Control {
  bool Visible = true;
  bool Enabled = true;
};

struct Label : Control {
  std::string Caption;
};

struct Frame : Control {
  std::string Caption;
};

struct TextBox : Control {
  std::string Text;
};

struct CheckBox : Control {
  std::string Caption;
  bool Value = false;
};

struct OptionButton : Control {
  std::string Caption;
  bool Value = false;
};

struct CommandButton : Control {
  std::string Caption;
  std::string ToolTipText;
};

struct ComboBox : Control {
  std::vector<std::string> List;
  std::string Text;
  int ListIndex = -1;  // -1: the text is not one of the list's entries

  void Clear() {
    List.clear();
    Text.clear();
    ListIndex = -1;
  }
  void AddItem(std::string item) { List.push_back(std::move(item)); }
  // Selects entry i (out of range selects nothing and empties the text).
  void Select(int i) {
    if (i >= 0 && i < static_cast<int>(List.size())) {
      ListIndex = i;
      Text = List[static_cast<std::size_t>(i)];
    } else {
      ListIndex = -1;
      Text.clear();
    }
  }
  // Sets the text; the selection follows when the text is a list entry.
  void SetText(std::string t) {
    Text = std::move(t);
    ListIndex = -1;
    for (std::size_t i = 0; i < List.size(); ++i)
      if (List[i] == Text) {
        ListIndex = static_cast<int>(i);
        break;
      }
  }
};

// A list; each entry may carry a number (the value of a table entry).
struct ListBox : Control {
  std::vector<std::string> List;
  std::vector<double> ItemData;
  int ListIndex = -1;

  void Clear() {
    List.clear();
    ItemData.clear();
    ListIndex = -1;
  }
  void AddItem(std::string text, double data = 0) {
    List.push_back(std::move(text));
    ItemData.push_back(data);
  }
  void Select(int i) { ListIndex = i >= 0 && i < static_cast<int>(List.size()) ? i : -1; }
};

}  // namespace korventa
