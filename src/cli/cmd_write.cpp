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
  const json::Value* form = json::Find(*doc, "form");
  if (!form) form = &*doc;
  if (!FormFromJson(*form, s.windows.frm_program, error)) {
    err << "korventa-cli: write: " << path << ": " << error << '\n';
    return kExitFile;
  }
  return kExitOk;
}

}  // namespace

namespace {

struct ShowOptions {
  std::string path;
  bool json = false;
};

int Show(Session& s, const ShowOptions& o, std::ostream& out, std::ostream& err) {
  const std::string& path = o.path;
  const bool json = o.json;
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

}  // namespace

void AddWriteSourceOptions(CLI::App& app, WriteSource& source) {
  auto* file = app.add_option("file", source.dst, "the .DST file")->type_name("FILE.DST");
  app.add_option("--form", source.form, "a form document as read --json prints it, edited")
      ->type_name("FILE.json")
      ->excludes(file);
}

int PrepareWrite(Session& s, const std::string& name, const WriteSource& source, std::ostream& err) {
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
      // Family 11 is not read but is written, with the same map: the
      // writing check decides, as the desktop program's Write does.
      if (s.state.CodProdotto == 11) break;
      err << "korventa-cli: " << name << ": the device is not one this program configures (family "
          << int(s.state.CodProdotto) << "); nothing written\n";
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
        err << "korventa-cli: " << name << ": " << source.dst
            << " not loaded; nothing written (--yes loads it anyway)\n";
        return kExitRefused;
      case OpenResult::NoName:
      case OpenResult::Unreadable:
        err << "korventa-cli: " << name << ": " << source.dst << " not loaded; nothing written\n";
        return kExitFile;
    }
  } else if (int rc = LoadForm(s, source.form, err); rc != kExitOk) {
    return rc;
  }
  return kExitOk;
}

namespace {

int Write(Session& s, const WriteSource& source, std::ostream& out, std::ostream& err) {
  if (int rc = PrepareWrite(s, "write", source, err); rc != kExitOk) return rc;
  // What will change, printed just before it is written.
  if (!source.quiet)
    s.guard.riepilogo = [&out](Context& c, const std::array<int, 256>& vecchi) {
      out << TestoRiepilogo(c.s, ConfrontaScrittura(c, vecchi));
      return true;
    };

  Context ctx = s.ctx();
  s.dialogs.ResetRetries();
  // Ctrl-C, SIGTERM or SIGHUP from here on stop the write between two
  // frames: program mode is left and the user told how far it got.
  InterruptFlag stop;
  s.link.SetStopRequest([&stop] { return stop.Set(); });
  const WriteResult result = WriteEprom(ctx);
  s.link.SetStopRequest(nullptr);
  const std::string partial =
      std::to_string(s.link.PairsSent()) + " of " + std::to_string(s.state.BufIndirizzi.size()) + " bytes";
  switch (result) {
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
      err << "korventa-cli: write: " << (s.link.Stopped() ? "interrupted" : "communication failed") << " after "
          << partial << ": the device may hold a partial configuration; writing again completes it\n";
      return kExitComm;
  }
  out << "written: " << s.state.BufIndirizzi.size() << " bytes\n";
  if (!source.verify) return kExitOk;
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
  err << "korventa-cli: write: "
      << (v.Letta ? std::to_string(v.Differenze.size()) + " of " + std::to_string(v.Indirizzi) +
                        " addresses read back differently"
                  : std::string("the written addresses could not be read back"))
      << ": the device may hold a partial configuration; writing again completes it\n";
  return kExitComm;
}

}  // namespace

void AddShowCommand(CommandTable& table) {
  auto o = std::make_shared<ShowOptions>();
  CLI::App& c = table.Add("show", "the fields of a .DST configuration file (no device needed)", Device::NotNeeded,
                          [o](Session& s, std::ostream& out, std::ostream& err) { return Show(s, *o, out, err); });
  c.add_option("file", o->path, "the .DST file")->type_name("FILE.DST")->required();
  c.add_flag("--json", o->json, "print the fields as JSON");
}

void AddWriteCommand(CommandTable& table) {
  auto o = std::make_shared<WriteSource>();
  CLI::App& c = table.Add("write",
                          "read the device, then write a .DST file's or an edited form's configuration to it, "
                          "printing what changes first and reading every written address back",
                          Device::Needed,
                          [o](Session& s, std::ostream& out, std::ostream& err) { return Write(s, *o, out, err); });
  AddWriteSourceOptions(c, *o);
  c.add_flag("--verify,!--no-verify", o->verify, "read every written address back (the default; --no-verify: skip it)");
  c.add_flag("--quiet", o->quiet, "do not print what changes before writing");
}

}  // namespace korventa::cli
