// korventa-cli identify and read: who the device is, and its configuration
// read as the main window's read does, printed in engineering terms or as
// one JSON document for scripts.
#include <span>
#include <string>

#include "app/identify.h"
#include "app/impostatesti.h"
#include "app/json.h"
#include "cli/commands.h"
#include "config/form_fields.h"
#include "config/read_config.h"
#include "files/config_file.h"

namespace korventa::cli {

namespace {

constexpr const char* kChannels[] = {"A", "B"};

// The caption of the ticked button of a group, "-" when none is ticked.
std::string Chosen(std::span<const OptionButton> group) {
  for (const auto& b : group)
    if (b.Value) return b.Caption;
  return "-";
}

template <std::size_t N>
std::span<const OptionButton> Group(const std::array<OptionButton, N>& a, std::size_t first, std::size_t size) {
  return std::span<const OptionButton>(a).subspan(first, size);
}

std::string OnOff(bool b) { return b ? "on" : "off"; }

void Line(std::ostream& out, const std::string& key, const std::string& value) { out << key << ": " << value << '\n'; }

// One line per setting and channel, only for what the model's window shows.
void Describe(const Context& c, std::ostream& out) {
  const ProgramState& s = c.s;
  const FrmProgram& f = c.w.frm_program;
  const int v = s.CodVariante;
  for (std::size_t ch = 0; ch < 2; ++ch) {
    const std::string k = kChannels[ch];
    const std::string unitIn = f.lbl_uMisIn[2 * ch].Caption;
    if (f.frm_input[ch].Visible) {
      Line(out, k + " input",
           f.cmb_Prog_In[ch].Text + "  " + f.txt_Input_min[ch].Text + " .. " + f.txt_Input_max[ch].Text + " " + unitIn);
    }
    if (f.frm_output[ch].Visible) {
      Line(out, k + " output",
           f.cmb_Prog_Out[ch].Text + "  " + f.txt_Output_min[ch].Text + " .. " + f.txt_Output_max[ch].Text + " " +
               f.lbl_uMisOut[2 * ch].Caption);
    }
    if (!f.frm_options[ch].Visible) continue;
    if (f.frm_cjc[ch].Visible)
      Line(out, k + " cold junction",
           Chosen(Group(f.opt_CJC, 2 * ch, 2)) + ", offset " + f.txt_offset[ch].Text + " " + unitIn);
    if (f.frm_fili[ch].Visible) Line(out, k + " wiring", Chosen(Group(f.opt_Fili, 3 * ch, 3)) + " " + f.frm_fili[ch].Caption);
    if (f.frm_funz[ch].Visible) Line(out, k + " function", Chosen(Group(f.opt_funz, 3 * ch, 3)));
    if (f.frm_break[ch].Visible) {
      if (f.opt_Break[2 * ch].Visible) Line(out, k + " burn-out", Chosen(Group(f.opt_Break, 2 * ch, 2)));
      Line(out, k + " over-range", f.cmb_OverRange[ch].Text);
    }
  }
  if (f.frm_opt.Visible) {
    if (f.txt_Delay.Visible) Line(out, "response delay", f.txt_Delay.Text + " s");
    if (f.chk_Doubler.Visible) Line(out, "doubler", OnOff(f.chk_Doubler.Value));
    if (f.chk_HS.Visible) Line(out, "high speed", OnOff(f.chk_HS.Value));
  }
  if (f.frm_freq.Visible) {
    std::string sensor = f.cmb_Freq_Type.Text + ", trigger " + f.txt_Trig.Text + " " + f.lbl_uMisTrig[0].Caption +
                         ", 50 Hz filter " + OnOff(f.chk_50hz.Value) + ", smoothing " + f.txt_filter.Text;
    if (f.lbl_aux.Visible) sensor += ", auxiliary supply " + f.txt_aux_freq.Text + " V";
    Line(out, "frequency sensor", sensor);
  }
  // Trips exist in the memory of the PLV7100 (trip A) and the PLV7300.
  if (v == 0 || v == 7) {
    for (std::size_t ch = 0; ch < 2; ++ch) {
      if (!f.frm_soglia[ch].Visible) continue;
      const std::string unit = f.lbl_uMisS[ch].Caption;
      Line(out, std::string(kChannels[ch]) + " trip",
           "on " + Chosen(Group(f.optTrip, 2 * ch, 2)) + ", H " + f.txt_soglia_H[ch].Text + " " + unit + ", L " +
               f.txt_soglia_L[ch].Text + " " + unit + ", relay " + Chosen(Group(f.optRele, 2 * ch, 2)) + ", delay " +
               f.txt_soglia_Delay[ch].Text + " s");
    }
  }
  if (f.cmd_math.Visible) {  // the two-input model's algebraic function
    bool delay = false;
    for (std::size_t ch = 0; ch < 2; ++ch) {
      const std::string k = kChannels[ch];
      Line(out, k + " operator", f.cmd_Operatore[ch].Caption);
      Line(out, k + " physical",
           "input " + f.txt_Fisico_min[ch + 2].Text + " .. " + f.txt_Fisico_max[ch + 2].Text + ", output " +
               f.txt_FisicoOut_min[ch].Text + " .. " + f.txt_FisicoOut_max[ch].Text);
      delay = delay || s.Canali[ch].Operatore == 6 || s.Canali[ch].Operatore == 7;
    }
    if (delay) Line(out, "operator delay", c.w.frm_Oper.txt_Opzione.Text + " s");
  }
}

json::Value DeviceJson(const Context& c) {
  json::Value d = json::Value::object();
  d["product"] = int(c.s.CodProdotto);
  d["variant"] = int(c.s.CodVariante);
  d["firmware"] = int(c.s.VerSw);
  d["extra"] = int(c.s.IdExtra);
  const std::string code = CodiceModelloRiconosciuto(c);
  d["model"] = code.empty() ? json::Value() : json::Value(code);
  d["name"] = code.empty() ? json::Value() : json::Value(NomeModelloRiconosciuto(c));
  return d;
}

// The bytes read, keyed by their decimal address.
json::Value MemoryJson(const MemoriaLetta& m) {
  json::Value mem = json::Value::object();
  for (std::size_t i = 0; i < m.blocco0.size(); ++i) mem[std::to_string(i)] = int(m.blocco0[i]);
  for (std::size_t i = 0; i < m.blocco128.size(); ++i)
    mem[std::to_string(kInizioBlocco128 + static_cast<int>(i))] = int(m.blocco128[i]);
  return mem;
}

int Identify(Session& s, std::ostream& out, std::ostream& err) {
  Context c = s.ctx();
  s.dialogs.ResetRetries();
  if (s.link.ReadProduct()[0] != 0) {
    err << "korventa-cli: identify: the device did not identify itself\n";
    return kExitComm;
  }
  DispositivoIdentificato(c);
  // The model and text set-up recognises the model (reading memory byte 4
  // on the models that come in several lines).
  s.dialogs.ResetRetries();
  if (!ImpostaTesti(c)) {
    err << "korventa-cli: identify: the model could not be recognised (memory byte 4 could not be read)\n";
    return kExitComm;
  }
  const std::string code = CodiceModelloRiconosciuto(c);
  out << "product: " << int(s.state.CodProdotto) << '\n'
      << "variant: " << int(s.state.CodVariante) << '\n'
      << "firmware: " << int(s.state.VerSw) << '\n'
      << "extra: " << int(s.state.IdExtra) << '\n'
      << "model: " << (code.empty() ? "unknown" : code) << '\n'
      << "name: " << (code.empty() ? "unknown" : NomeModelloRiconosciuto(c)) << '\n';
  return kExitOk;
}

struct ReadOptions {
  bool asJson = false;
  std::string saveAs;
};

int Read(Session& s, const ReadOptions& o, std::ostream& out, std::ostream& err) {
  Context c = s.ctx();
  if (!c.w.frm_program.Caricato) FrmProgram_Load(c.s, c.w.frm_program);
  s.dialogs.ResetRetries();
  MemoriaLetta memoria;
  switch (ReadEprom(c, &memoria)) {
    case kLetturaOk:
      break;
    case kLetturaRifiutata:
      err << "korventa-cli: read: the device is not one this program configures (family "
          << int(s.state.CodProdotto) << ")\n";
      return kExitRefused;
    default:
      err << "korventa-cli: read: the configuration could not be read\n";
      return kExitComm;
  }
  if (!o.saveAs.empty()) {
    // As File > Save as would store the programming window's values.
    s.dialogs.saveName = o.saveAs;
    if (!SaveConfigFile(c, true)) {
      err << "korventa-cli: read: " << o.saveAs << " not saved\n";
      return kExitFile;
    }
  }
  if (o.asJson) {
    json::Value doc = json::Value::object();
    doc["device"] = DeviceJson(c);
    doc["form"] = FormToJson(c.w.frm_program);
    doc["memory"] = MemoryJson(memoria);
    out << json::Write(doc);
    return kExitOk;
  }
  const std::string code = CodiceModelloRiconosciuto(c);
  Line(out, "device",
       (code.empty() ? std::string("unknown model") : NomeModelloRiconosciuto(c) + " (" + code + ")") + ", ID=" +
           std::to_string(int(s.state.CodProdotto)) + "/" + std::to_string(int(s.state.CodVariante)) +
           ", firmware " + std::to_string(int(s.state.VerSw)));
  Describe(c, out);
  return kExitOk;
}

}  // namespace

void AddIdentifyCommand(CommandTable& table) {
  table.Add("identify", "identify the connected device: family, variant, firmware, extra id, model code and name",
            Device::Needed, [](Session& s, std::ostream& out, std::ostream& err) { return Identify(s, out, err); });
}

void AddReadCommand(CommandTable& table) {
  auto o = std::make_shared<ReadOptions>();
  CLI::App& c = table.Add("read", "read the configuration as the main window's Read does and print it",
                          Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) {
                            return Read(s, *o, out, err);
                          });
  c.add_flag("--json", o->asJson, "print one JSON document: device, form values with visibility, memory bytes");
  c.add_option("--save", o->saveAs, "also store the configuration in a .DST file")
      ->type_name("FILE.DST")
      ->check(CLI::Validator([](std::string& v) { return v.empty() ? std::string("needs a file name") : std::string(); },
                             "", "non-empty"));
}

}  // namespace korventa::cli
