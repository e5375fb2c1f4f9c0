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
#include "config/write_diff.h"
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
  const json::Value* form = doc->Find("form");
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

}  // namespace

int CmdShow(Session&, const Args& args, std::ostream& out, std::ostream& err) {
  std::string path;
  bool json = false;
  for (const auto& a : args) {
    if (a == "--json") {
      json = true;
    } else if (path.empty() && !(a.size() > 1 && a[0] == '-')) {
      path = a;
    } else {
      err << "korventa-cli: show: unexpected argument " << a << '\n';
      return kExitUsage;
    }
  }
  if (path.empty()) {
    err << "korventa-cli: show: name a .DST file\n";
    return kExitUsage;
  }
  std::string error;
  const auto record = LoadDstFile(path, error);
  if (!record) {
    err << "korventa-cli: show: " << error << '\n';
    return kExitFile;
  }
  out << DescribeDst(*record, json);
  return kExitOk;
}

int PrepareWrite(Session& s, const std::string& name, const Args& args, WriteSource& source, std::ostream& err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--verify") {
      source.verify = true;
    } else if (a == "--quiet") {
      source.quiet = true;
    } else if (a == "--json") {
      source.json = true;
    } else if (a == "--form" && i + 1 < args.size()) {
      source.form = args[++i];
    } else if (source.dst.empty() && !(a.size() > 1 && a[0] == '-')) {
      source.dst = a;
    } else {
      err << "korventa-cli: " << name << ": unexpected argument " << a << '\n';
      return kExitUsage;
    }
  }
  if (source.dst.empty() == source.form.empty()) {
    err << "korventa-cli: " << name << ": name either a .DST file or --form FILE.json\n";
    return kExitUsage;
  }
  // A file that cannot be used is found out before the device is touched.
  if (!source.dst.empty()) {
    std::string error;
    if (!LoadDstFile(source.dst, error)) {
      err << "korventa-cli: " << name << ": " << error << '\n';
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
      err << "korventa-cli: " << name << ": the device could not be read; nothing written\n";
      return kExitComm;
  }

  if (!source.dst.empty()) {
    s.dialogs.openName = source.dst;
    switch (OpenConfigFile(ctx)) {
      case OpenResult::Loaded:
        break;
      case OpenResult::Cancelled:
        err << "korventa-cli: " << name << ": " << source.dst << " not loaded; nothing written (--yes loads it anyway)\n";
        return kExitRefused;
      case OpenResult::NoName:
      case OpenResult::Unreadable:
        return kExitFile;
    }
  } else if (int rc = LoadForm(s, source.form, err); rc != kExitOk) {
    return rc;
  }
  return kExitOk;
}

int CmdWrite(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  WriteSource source;
  if (int rc = PrepareWrite(s, "write", args, source, err); rc != kExitOk) return rc;
  if (source.json) {
    err << "korventa-cli: write: unexpected argument --json\n";
    return kExitUsage;
  }
  // What will change, printed just before it is written.
  if (!source.quiet)
    s.guard.riepilogo = [&out](Context& c, const std::array<int, 256>& vecchi) {
      out << TestoRiepilogo(c.s, ConfrontaScrittura(c, vecchi));
      return true;
    };

  Context ctx = s.ctx();
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
    case WriteResult::Held:
      err << "korventa-cli: write: stopped before writing; nothing written\n";
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
  return source.verify ? Verify(s, out, err) : kExitOk;
}

}  // namespace korventa::cli
