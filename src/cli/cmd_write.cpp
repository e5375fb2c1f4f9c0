// korventa-cli show and write: a ".DST" file listed offline, and a
// configuration (a ".DST" file or an edited form document) written to the
// device the way the desktop program does it: read the device first, put the
// values into the programming window, then WriteEprom.
#include <algorithm>
#include <string>

#include "app/json.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
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
  const json::Value* form = doc->Find("form");
  if (!form) form = &*doc;
  if (!FormFromJson(*form, s.windows.frm_program, error)) {
    err << "korventa-cli: write: " << path << ": " << error << '\n';
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace

int CmdShow(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
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
  // Marked against the model the file was saved for.
  ProgramState model = s.state;
  model.CodProdotto = record->CodProdotto;
  model.CodVariante = record->CodVariante;
  model.VerSw = record->VerSw;
  std::vector<std::size_t> marked;
  for (const auto& campo : CampiNonAmmessi(model, *record)) marked.push_back(campo.offset);
  out << DescribeDst(*record, json, marked);
  return kExitOk;
}

int CmdWrite(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  std::string dst, form;
  bool verify = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--verify" || a == "--no-verify") {
      verify = a == "--verify";
    } else if (a == "--form" && i + 1 < args.size()) {
      form = args[++i];
    } else if (dst.empty() && !(a.size() > 1 && a[0] == '-')) {
      dst = a;
    } else {
      err << "korventa-cli: write: unexpected argument " << a << '\n';
      return kExitUsage;
    }
  }
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
      // Family 11 is not read but is written, with the same map: the
      // writing check decides, as the desktop program's Write does.
      if (s.state.CodProdotto == 11) break;
      err << "korventa-cli: write: the device is not one this program configures (family "
          << int(s.state.CodProdotto) << "); nothing written\n";
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
        err << "korventa-cli: write: " << dst << " not loaded; nothing written\n";
        return kExitFile;
    }
  } else if (int rc = LoadForm(s, form, err); rc != kExitOk) {
    return rc;
  }

  s.dialogs.ResetRetries();
  // Ctrl-C, SIGTERM or SIGHUP from here on stop the write between two
  // frames: program mode is left and the user told how far it got.
  InterruptFlag stop;
  s.link.SetStopRequest([&stop] { return stop.Set(); });
  const WriteResult result = WriteEprom(ctx);
  s.link.SetStopRequest(nullptr);
  const std::string partial = std::to_string(s.link.PairsSent()) + " of " +
                              std::to_string(s.state.BufIndirizzi.size()) + " bytes";
  switch (result) {
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
      err << "korventa-cli: write: " << (s.link.Stopped() ? "interrupted" : "communication failed") << " after "
          << partial << ": the device may hold a partial configuration; writing again completes it\n";
      return kExitComm;
  }
  out << "written: " << s.state.BufIndirizzi.size() << " bytes\n";
  if (!verify) return kExitOk;
  // Nothing but a read-back tells a write the device took from one it let
  // fall on the floor.
  s.dialogs.ResetRetries();
  const Rilettura v = VerificaScrittura(ctx);
  if (v.Ok()) {
    out << TestoVerifica(s.state, v) << '\n';
    return kExitOk;
  }
  if (v.Letta)
    for (const auto& d : v.Differenze) out << "difference: " << d << '\n';
  err << "korventa-cli: write: " << (v.Letta ? std::to_string(v.Differenze.size()) + " of " +
                                                   std::to_string(v.Indirizzi) + " addresses read back differently"
                                             : std::string("the written addresses could not be read back"))
      << ": the device may hold a partial configuration; writing again completes it\n";
  return kExitComm;
}

}  // namespace korventa::cli
