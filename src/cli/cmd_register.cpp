// korventa-cli register: one register of any bank read or written as the
// memory editor does it: a byte, a 16-bit integer (low byte first) or a
// 3-byte device float.
#include <memory>
#include <string>

#include "cli/commands.h"
#include "factory/frm_eeprom.h"

namespace korventa::cli {

namespace {

int Usage(std::ostream& err, const std::string& why) {
  err << "korventa-cli: register: " << why << '\n';
  return kExitUsage;
}

struct RegisterOptions {
  std::string bank, addr, format, value, raw;
  CLI::App* write = nullptr;
};

int Register(Session& s, const RegisterOptions& o, std::ostream& out, std::ostream& err) {
  const std::string sub = o.write->parsed() ? "write" : "read";
  FrmEeprom& f = s.windows.frm_eeprom;
  const std::string &bank = o.bank, &addr = o.addr, &format = o.format, &value = o.value, &raw = o.raw;
  const int formato = format == "byte"    ? kFormatoByte
                      : format == "int"   ? kFormatoInt
                      : format == "float" ? kFormatoFloat
                                          : -1;
  if (bank.empty() || addr.empty() || formato < 0) return Usage(err, "give --bank B --addr A --format byte|int|float");
  if (sub == "write" && value.empty() == raw.empty())
    return Usage(err, "write takes either --value V or --raw b1,b2,b3");
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

}  // namespace

void AddRegisterCommand(CommandTable& table) {
  auto o = std::make_shared<RegisterOptions>();
  CLI::App& c = table.Add("register", "one register as a byte, a 16-bit integer or a device float", Device::Needed,
                          [o](Session& s, std::ostream& out, std::ostream& err) { return Register(s, *o, out, err); });
  c.require_subcommand(1);
  auto where = [&o](CLI::App& sub) {
    // Bank and address go into the editor's boxes as typed: its own checks
    // refuse what is not 0..255.
    sub.add_option("--bank", o->bank, "the memory bank, 0 to 255")->type_name("B")->required();
    sub.add_option("--addr", o->addr, "the address, 0 to 255")->type_name("A")->required();
    sub.add_option("--format", o->format, "how the register is stored")
        ->type_name("byte|int|float")
        ->check(CLI::IsMember({"byte", "int", "float"}).description(""))
        ->required();
  };
  where(*c.add_subcommand("read", "read the register: its value, then its bytes"));
  o->write = c.add_subcommand("write", "write the register from a value or from its bytes");
  where(*o->write);
  auto* value = o->write->add_option("--value", o->value, "the value")->type_name("V");
  o->write->add_option("--raw", o->raw, "the bytes, comma-separated")->type_name("b1,b2,b3")->excludes(value);
}

}  // namespace korventa::cli
