// korventa-cli show and write: a ".DST" file listed offline, and a
// configuration (a ".DST" file or an edited form document) written to the
// device the way the desktop program does it: read the device first, put the
// values into the programming window, then WriteEprom.
#include <algorithm>
#include <map>
#include <string>

#include "app/json.h"
#include "cli/commands.h"
#include "config/form_fields.h"
#include "config/program_window.h"
#include "config/read_config.h"
#include "config/write_config.h"
#include "files/config_file.h"
#include "files/dst_record.h"
#include "files/dst_show.h"
#include "files/safe_file.h"

namespace korventa::cli {

namespace {

// A form document is a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxFormBytes = 1 << 20;

// Loads the "form" object of a document as `read --json` prints it (or a
// bare form object) into the programming window.
int LoadForm(Session& s, const std::string& path, std::ostream& err) {
  std::string error;
  const auto bytes = ReadWholeFile(path, kMaxFormBytes, error);
  if (!bytes) {
    err << "korventa-cli: write: " << error << '\n';
    return kExitFile;
  }
  json::ParseError pe;
  const auto doc = json::Parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), pe);
  if (!doc) {
    err << "korventa-cli: write: " << path << ": " << pe.Message() << '\n';
    return kExitFile;
  }
  const json::Value* form = json::Find(*doc, "form");
  if (!form) form = &*doc;
  if (!FormFromJson(*form, s.windows.frm_program, error)) {
    err << "korventa-cli: write: " << path << ": " << error << '\n';
    return kExitFile;
  }
  return kExitOk;
}

// Reads back every address written and compares it with the last byte
// written there. Bit 6 of the output bytes is the device's own on the
// models where writing preserves it, so it is left out of the comparison.
int Verify(Session& s, std::ostream& out, std::ostream& err) {
  std::map<int, int> expected;
  for (std::size_t i = 0; i < s.state.BufIndirizzi.size() && i < s.state.BufDati.size(); ++i)
    expected[s.state.BufIndirizzi[i]] = s.state.BufDati[i];
  if (expected.empty()) return kExitOk;
  const int v = s.state.CodVariante;
  const bool bitDelDispositivo = !(s.state.CodProdotto == 12 && (v == 0 || v == 7 || v == 8 || v == 9));
  const int first = expected.begin()->first;
  const int last = expected.rbegin()->first;
  s.dialogs.ResetRetries();
  const auto read = s.link.ReadBytes(0, first, last - first + 1);
  if (s.state.ErroreCom) {
    err << "korventa-cli: write: the configuration was written but could not be read back for checking\n";
    return kExitComm;
  }
  int differences = 0;
  for (const auto& [address, byte] : expected) {
    const int found = read[static_cast<std::size_t>(address - first)];
    const int mask = bitDelDispositivo && (address == 4 || address == 6) ? ~64 : ~0;
    if (((found ^ byte) & mask & 0xFF) == 0) continue;
    out << "difference: address " << address << ", expected " << byte << ", found " << found << '\n';
    ++differences;
  }
  if (differences > 0) {
    err << "korventa-cli: write: " << differences << " of " << expected.size()
        << " addresses read back differently\n";
    return kExitComm;
  }
  out << "verified: " << expected.size() << " addresses\n";
  return kExitOk;
}

struct ShowOptions {
  std::string path;
  bool json = false;
};

int Show(const ShowOptions& o, std::ostream& out, std::ostream& err) {
  std::string error;
  const auto record = LoadDstFile(o.path, error);
  if (!record) {
    err << "korventa-cli: show: " << error << '\n';
    return kExitFile;
  }
  out << DescribeDst(*record, o.json);
  return kExitOk;
}

struct WriteOptions {
  std::string dst, form;
  bool verify = false;
};

int Write(Session& s, const WriteOptions& o, std::ostream& out, std::ostream& err) {
  const std::string& dst = o.dst;
  const std::string& form = o.form;
  if (dst.empty() == form.empty()) {
    err << "korventa-cli: write: name either a .DST file or --form FILE.json\n";
    return kExitUsage;
  }
  // A file that cannot be used is found out before the device is touched.
  if (!dst.empty()) {
    std::string error;
    if (!LoadDstFile(dst, error)) {
      err << "korventa-cli: write: " << error << '\n';
      return kExitFile;
    }
  }

  Context ctx = s.ctx();
  if (!ctx.w.frm_program.Caricato) FrmProgram_Load(ctx.s, ctx.w.frm_program);
  s.dialogs.ResetRetries();
  switch (ReadEprom(ctx)) {
    case kLetturaOk:
      break;
    case kLetturaRifiutata:
      return kExitRefused;
    default:
      err << "korventa-cli: write: the device could not be read; nothing written\n";
      return kExitComm;
  }

  if (!dst.empty()) {
    s.dialogs.openName = dst;
    switch (OpenConfigFile(ctx)) {
      case OpenResult::Loaded:
        break;
      case OpenResult::Cancelled:
        err << "korventa-cli: write: " << dst << " not loaded; nothing written (--yes loads it anyway)\n";
        return kExitRefused;
      case OpenResult::NoName:
      case OpenResult::Unreadable:
        return kExitFile;
    }
  } else if (int rc = LoadForm(s, form, err); rc != kExitOk) {
    return rc;
  }

  s.dialogs.ResetRetries();
  switch (WriteEprom(ctx)) {
    case WriteResult::Written:
      break;
    case WriteResult::Cancelled:
      err << "korventa-cli: write: a value exceeds its limits; nothing written (--yes writes it anyway)\n";
      return kExitRefused;
    case WriteResult::Refused:
      err << "korventa-cli: write: refused; nothing written\n";
      return kExitRefused;
    case WriteResult::CommFailure:
      err << "korventa-cli: write: communication failed before writing; nothing written\n";
      return kExitComm;
    case WriteResult::Interrupted:
      err << "korventa-cli: write: communication failed while writing: the device may hold a partial "
             "configuration; writing again completes it\n";
      return kExitComm;
  }
  out << "written: " << s.state.BufIndirizzi.size() << " bytes\n";
  return o.verify ? Verify(s, out, err) : kExitOk;
}

}  // namespace

void AddShowCommand(CommandTable& table) {
  auto o = std::make_shared<ShowOptions>();
  CLI::App& c = table.Add("show", "the fields of a .DST configuration file (no device needed)", Device::NotNeeded,
                          [o](Session&, std::ostream& out, std::ostream& err) { return Show(*o, out, err); });
  c.add_option("file", o->path, "the .DST file")->type_name("FILE.DST")->required();
  c.add_flag("--json", o->json, "print the fields as JSON");
}

void AddWriteCommand(CommandTable& table) {
  auto o = std::make_shared<WriteOptions>();
  CLI::App& c = table.Add("write",
                          "read the device, then write a .DST file's or an edited form's configuration to it",
                          Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) {
                            return Write(s, *o, out, err);
                          });
  auto* file = c.add_option("file", o->dst, "the .DST file to write")->type_name("FILE.DST");
  c.add_option("--form", o->form, "a form document as read --json prints it, edited")
      ->type_name("FILE.json")
      ->excludes(file);
  c.add_flag("--verify", o->verify, "read every written address back and list each difference");
}

}  // namespace korventa::cli
