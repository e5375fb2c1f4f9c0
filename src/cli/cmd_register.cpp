// korventa-cli register: one register of any bank read or written as the
// memory editor does it: a byte, a 16-bit integer (low byte first) or a
// 3-byte device float.
#include <string>

#include "cli/commands.h"
#include "factory/frm_eeprom.h"

namespace korventa::cli {

namespace {

int Usage(std::ostream& err, const std::string& why) {
  err << "korventa-cli: register: " << why << '\n';
  return kExitUsage;
}

}  // namespace

int CmdRegister(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  const std::string sub = args.empty() ? "" : args[0];
  if (sub != "read" && sub != "write") return Usage(err, "say read or write");
  FrmEeprom& f = s.windows.frm_eeprom;
  std::string bank, addr, format, value, raw;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 >= args.size()) return Usage(err, "unexpected argument " + a);
    std::string* target = a == "--bank"                       ? &bank
                          : a == "--addr"                     ? &addr
                          : a == "--format"                   ? &format
                          : a == "--value" && sub == "write"  ? &value
                          : a == "--raw" && sub == "write"    ? &raw
                                                              : nullptr;
    if (target == nullptr) return Usage(err, "unexpected argument " + a);
    *target = args[++i];
  }
  const int formato = format == "byte" ? kFormatoByte : format == "int" ? kFormatoInt : format == "float" ? kFormatoFloat : -1;
  if (bank.empty() || addr.empty() || formato < 0) return Usage(err, "give --bank B --addr A --format byte|int|float");
  if (sub == "write" && value.empty() == raw.empty()) return Usage(err, "write takes either --value V or --raw b1,b2,b3");
  // Bank and address go into the editor's boxes as typed: its own checks
  // refuse what is not 0..255 before anything is sent.
  f.txt_banco.Text = bank;
  f.txt_start.Text = addr;
  Context ctx = s.ctx();
  Option2_Click(ctx, formato);
  const std::size_t n = formato == kFormatoFloat ? 3 : formato == kFormatoInt ? 2 : 1;
  s.dialogs.ResetRetries();
  if (sub == "read") {
    if (!Command1_Click(ctx)) return s.state.ErroreCom ? kExitComm : kExitRefused;
    const std::string* boxes[] = {&f.txt_valoreA.Text, &f.txt_valoreB.Text, &f.txt_valoreC.Text};
    out << f.txt_valore.Text;
    for (std::size_t i = 0; i < n; ++i) out << (i == 0 ? '\t' : ' ') << *boxes[i];
    out << '\n';
    return kExitOk;
  }
  if (!raw.empty()) {
    Option1_Click(ctx, 1);
    std::vector<std::string> parts{""};
    for (char ch : raw) {
      if (ch == ',')
        parts.emplace_back();
      else
        parts.back() += ch;
    }
    if (parts.size() != n)
      return Usage(err, "--raw takes " + std::to_string(n) + " byte" + (n > 1 ? "s" : "") + " for " + format);
    TextBox* boxes[] = {&f.txt_valoreA, &f.txt_valoreB, &f.txt_valoreC};
    for (std::size_t i = 0; i < n; ++i) boxes[i]->Text = parts[i];
  } else {
    Option1_Click(ctx, 0);
    f.txt_valore.Text = value;
  }
  if (!Command4_Click(ctx)) return s.state.ErroreCom ? kExitComm : kExitRefused;
  out << "written: " << n << " byte" << (n > 1 ? "s" : "") << '\n';
  return kExitOk;
}

}  // namespace korventa::cli
