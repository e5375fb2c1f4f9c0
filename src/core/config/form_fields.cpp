#include "config/form_fields.h"

#include <array>
#include <type_traits>

#include "app/numbers.h"

namespace korventa {

namespace {

// The one table: every control of the window, by name, in document order.
// Form is FrmProgram or const FrmProgram; fn(name, control-or-array).
template <class Form, class Fn>
void VisitControls(Form& f, Fn&& fn) {
  // Input.
  fn("frm_input", f.frm_input);
  fn("cmb_Prog_In", f.cmb_Prog_In);
  fn("txt_Input_max", f.txt_Input_max);
  fn("txt_Input_min", f.txt_Input_min);
  fn("lbl_uMisIn", f.lbl_uMisIn);
  fn("lbl_limite_in", f.lbl_limite_in);
  fn("lbl_spanmin_in", f.lbl_spanmin_in);
  fn("opt_gradi", f.opt_gradi);
  fn("opt_gradi_far", f.opt_gradi_far);
  // Output.
  fn("frm_output", f.frm_output);
  fn("cmb_Prog_Out", f.cmb_Prog_Out);
  fn("txt_Output_max", f.txt_Output_max);
  fn("txt_Output_min", f.txt_Output_min);
  fn("lbl_uMisOut", f.lbl_uMisOut);
  fn("lbl_limite_out", f.lbl_limite_out);
  fn("lbl_spanmin_out", f.lbl_spanmin_out);
  // Options.
  fn("frm_options", f.frm_options);
  fn("lbl_opzioni", f.lbl_opzioni);
  fn("frm_cjc", f.frm_cjc);
  fn("opt_CJC", f.opt_CJC);
  fn("txt_offset", f.txt_offset);
  fn("frm_funz", f.frm_funz);
  fn("opt_funz", f.opt_funz);
  fn("frm_fili", f.frm_fili);
  fn("opt_Fili", f.opt_Fili);
  fn("frm_break", f.frm_break);
  fn("opt_Break", f.opt_Break);
  fn("cmb_OverRange", f.cmb_OverRange);
  // Response delay, doubler, high speed.
  fn("frm_opt", f.frm_opt);
  fn("txt_Delay", f.txt_Delay);
  fn("Label21", f.Label21);
  fn("chk_Doubler", f.chk_Doubler);
  fn("chk_HS", f.chk_HS);
  // Frequency input.
  fn("frm_freq", f.frm_freq);
  fn("cmb_Freq_Type", f.cmb_Freq_Type);
  fn("chk_50hz", f.chk_50hz);
  fn("txt_filter", f.txt_filter);
  fn("txt_aux_freq", f.txt_aux_freq);
  fn("txt_Trig", f.txt_Trig);
  fn("lbl_freq_analog", f.lbl_freq_analog);
  fn("lbl_freq_digital", f.lbl_freq_digital);
  fn("lbl_filter", f.lbl_filter);
  fn("lbl_mult", f.lbl_mult);
  fn("lbl_aux", f.lbl_aux);
  fn("lbl_uMisAux", f.lbl_uMisAux);
  fn("lbl_trig", f.lbl_trig);
  fn("lbl_uMisTrig", f.lbl_uMisTrig);
  // Trips.
  fn("frm_soglia", f.frm_soglia);
  fn("optTrip", f.optTrip);
  fn("optRele", f.optRele);
  fn("txt_soglia_H", f.txt_soglia_H);
  fn("txt_soglia_L", f.txt_soglia_L);
  fn("txt_soglia_Delay", f.txt_soglia_Delay);
  fn("lbl_uMisS", f.lbl_uMisS);
  // Pages and the algebraic page of the two-input model.
  fn("frm_modo", f.frm_modo);
  fn("frm_fisico", f.frm_fisico);
  fn("cmd_math", f.cmd_math);
  fn("cmd_OperOk", f.cmd_OperOk);
  fn("cmd_Operatore", f.cmd_Operatore);
  fn("txt_Fisico_max", f.txt_Fisico_max);
  fn("txt_Fisico_min", f.txt_Fisico_min);
  fn("txt_FisicoOut_max", f.txt_FisicoOut_max);
  fn("txt_FisicoOut_min", f.txt_FisicoOut_min);
  fn("Label6", f.Label6);
}

template <class T>
struct IsStdArray : std::false_type {};
template <class T, std::size_t N>
struct IsStdArray<std::array<T, N>> : std::true_type {};

template <class C>
constexpr bool kIsText = std::is_same_v<C, ComboBox> || std::is_same_v<C, TextBox>;
template <class C>
constexpr bool kIsBool = std::is_same_v<C, OptionButton> || std::is_same_v<C, CheckBox>;
template <class C>
constexpr bool kHasCaption = std::is_same_v<C, Label> || std::is_same_v<C, CommandButton>;

// The control type behind a single control or a control array.
template <class T>
struct Element {
  using type = T;
};
template <class T, std::size_t N>
struct Element<std::array<T, N>> {
  using type = T;
};

template <class C>
json::Value ValueOf(const C& c) {
  if constexpr (kIsText<C>)
    return json::Value(c.Text);
  else
    return json::Value(c.Value);
}

template <class T, class Get>
json::Value Collect(const T& controls, Get get) {
  if constexpr (IsStdArray<T>::value) {
    json::Value arr = json::Value::array();
    for (const auto& c : controls) arr.push_back(get(c));
    return arr;
  } else {
    return get(controls);
  }
}

// Option groups a document may tick at most one button of: each array is
// split into groups of this many buttons (by channel).
struct Gruppo {
  const char* name;
  std::size_t size;
};
constexpr Gruppo kGruppi[] = {{"opt_CJC", 2}, {"opt_funz", 3}, {"opt_Fili", 3},
                              {"opt_Break", 2}, {"optTrip", 2}, {"optRele", 2}};

template <class C>
bool ReadOne(const json::Value& v, C& c) {
  if constexpr (kIsText<C>) {
    if (!v.is_string()) return false;
    if constexpr (std::is_same_v<C, ComboBox>)
      c.SetText(v.get<std::string>());
    else
      c.Text = v.get<std::string>();
  } else {
    if (!v.is_boolean()) return false;
    c.Value = v.get<bool>();
  }
  return true;
}

std::string Expected(const char* name, bool text, std::size_t n, bool array) {
  const std::string what = text ? "string" : "true or false";
  if (!array) return std::string(name) + ": expected " + (text ? "a string" : what);
  return std::string(name) + ": expected an array of " + std::to_string(n) + " values, each " +
         (text ? "a string" : what);
}

bool CheckGroups(const FrmProgram& f, std::string& error) {
  json::Value values = FormToJson(f);
  for (const auto& g : kGruppi) {
    const json::Value* arr = json::Find(values, g.name);
    for (std::size_t start = 0; arr && start < arr->size(); start += g.size) {
      int ticked = 0;
      for (std::size_t i = start; i < start + g.size && i < arr->size(); ++i) ticked += (*arr)[i].is_boolean() && (*arr)[i].get<bool>();
      if (ticked > 1) {
        error = std::string(g.name) + ": more than one button ticked among " + std::to_string(start) + " to " +
                std::to_string(start + g.size - 1);
        return false;
      }
    }
  }
  for (std::size_t ch = 0; ch < f.opt_gradi.size(); ++ch) {
    if (f.opt_gradi[ch].Value && f.opt_gradi_far[ch].Value) {
      error = "opt_gradi, opt_gradi_far: channel " + std::to_string(ch) + " cannot show both °C and °F";
      return false;
    }
  }
  return true;
}

}  // namespace

namespace {

// Every text box of the window holds a number. A text the document changes
// must be one as a box shows it: the box's own parse would read "1e6" as 1
// and "12abc" as 12 and write that without a word.
bool CheckNumbers(const FrmProgram& before, const FrmProgram& after, std::string& error) {
  const json::Value was = FormToJson(before);
  const json::Value now = FormToJson(after);
  for (const auto& [name, field] : now.items()) {
    const json::Value* old = json::Find(was, name);
    if (name.rfind("txt_", 0) != 0 || !old) continue;
    const bool single = field.is_string();
    for (std::size_t i = 0; i < (single ? 1 : field.size()); ++i) {
      const auto& text = (single ? field : field[i]).get_ref<const std::string&>();
      if (text == (single ? *old : (*old)[i]).get_ref<const std::string&>() || IsNumberText(text)) continue;
      error = name + (single ? "" : "(" + std::to_string(i) + ")") + ": \"" + text +
              "\" is not a number (digits, an optional sign and \".\" as the decimal point)";
      return false;
    }
  }
  return true;
}

}  // namespace

json::Value FormToJson(const FrmProgram& form) {
  json::Value doc = json::Value::object();
  json::Value visible = json::Value::object();
  json::Value captions = json::Value::object();
  VisitControls(form, [&](const char* name, const auto& controls) {
    using T = std::decay_t<decltype(controls)>;
    using C = typename Element<T>::type;
    if constexpr (kIsText<C> || kIsBool<C>)
      doc.emplace(name, Collect(controls, [](const C& c) { return ValueOf(c); }));
    if constexpr (kHasCaption<C>)
      captions.emplace(name, Collect(controls, [](const C& c) { return json::Value(c.Caption); }));
    visible.emplace(name, Collect(controls, [](const C& c) { return json::Value(c.Visible); }));
  });
  doc.emplace(kFormVisible, std::move(visible));
  doc.emplace(kFormCaptions, std::move(captions));
  return doc;
}

bool FormFromJson(const json::Value& doc, FrmProgram& form, std::string& error) {
  if (!doc.is_object()) {
    error = "the form must be a JSON object of control names";
    return false;
  }
  FrmProgram copy = form;
  for (const auto& item : doc.items()) {
    // Named, not bound: a lambda below uses them.
    const std::string& key = item.key();
    const json::Value& v = item.value();
    if (key == kFormVisible || key == kFormCaptions) continue;
    bool known = false;
    bool ok = true;
    VisitControls(copy, [&](const char* name, auto& controls) {
      if (known || key != name) return;
      known = true;
      using T = std::decay_t<decltype(controls)>;
      using C = typename Element<T>::type;
      if constexpr (kIsText<C> || kIsBool<C>) {
        if constexpr (IsStdArray<T>::value) {
          ok = v.is_array() && v.size() == controls.size();
          for (std::size_t i = 0; ok && i < controls.size(); ++i) ok = ReadOne(v[i], controls[i]);
          if (!ok) error = Expected(name, kIsText<C>, controls.size(), true);
        } else {
          ok = ReadOne(v, controls);
          if (!ok) error = Expected(name, kIsText<C>, 1, false);
        }
      } else {
        ok = false;
        error = std::string(name) + ": the window sets this control itself; a document cannot";
      }
    });
    if (!known) {
      error = "unknown control \"" + key + "\"";
      return false;
    }
    if (!ok) return false;
  }
  if (!CheckGroups(copy, error)) return false;
  if (!CheckNumbers(form, copy, error)) return false;
  // The °C/°F choice is more than a tick: switching it converts the boxes
  // and tells writing in which scale the temperatures are. A document cannot
  // do that conversion, so it may only keep the scale the window shows;
  // otherwise °F figures would be written to the device as °C.
  for (std::size_t ch = 0; ch < form.opt_gradi.size(); ++ch) {
    if (copy.opt_gradi[ch].Value != form.opt_gradi[ch].Value ||
        copy.opt_gradi_far[ch].Value != form.opt_gradi_far[ch].Value) {
      error = "opt_gradi, opt_gradi_far: channel " + std::to_string(ch) +
              " keeps the scale the window shows; a document cannot switch it";
      return false;
    }
  }
  form = std::move(copy);
  return true;
}

std::vector<std::string> FormValueNames() {
  std::vector<std::string> names;
  const FrmProgram probe{};
  VisitControls(probe, [&](const char* name, const auto& controls) {
    using C = typename Element<std::decay_t<decltype(controls)>>::type;
    if constexpr (kIsText<C> || kIsBool<C>) names.emplace_back(name);
  });
  return names;
}

}  // namespace korventa
