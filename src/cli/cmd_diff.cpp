// korventa-cli diff: what writing a ".DST" file or an edited form would
// change on the connected device, without writing anything.
#include <optional>

#include "app/identify.h"
#include "app/json.h"
#include "cli/commands.h"
#include "config/write_config.h"
#include "config/write_diff.h"

namespace korventa::cli {

namespace {

int Diff(Session& s, const WriteSource& source, std::ostream& out, std::ostream& err) {
  // Nothing is written, so a file of another device and values beyond
  // their limits are taken as they are: the summary shows what they do.
  s.dialogs.AnswerOk();
  if (int rc = PrepareWrite(s, "diff", source, err); rc != kExitOk) return rc;
  std::optional<Riepilogo> riepilogo;
  s.guard.riepilogo = [&riepilogo](Context& c, const std::array<int, 256>& vecchi) {
    riepilogo = ConfrontaScrittura(c, vecchi);
    return false;  // a dry run: stop before the backup and the write
  };
  Context ctx = s.ctx();
  s.dialogs.ResetRetries();
  const WriteResult r = WriteEprom(ctx);
  if (!riepilogo) {
    err << "korventa-cli: diff: "
        << (r == WriteResult::CommFailure || r == WriteResult::Held ? "the device could not be read"
                                                                    : "the configuration is refused for this device")
        << '\n';
    return r == WriteResult::CommFailure || r == WriteResult::Held ? kExitComm : kExitRefused;
  }
  if (source.json) {
    json::Value doc = RiepilogoJson(*riepilogo);
    doc["model"] = CodiceModelloRiconosciuto(ctx);
    out << json::Write(doc) << '\n';
  } else {
    out << TestoRiepilogo(s.state, *riepilogo);
  }
  return kExitOk;
}

}  // namespace

void AddDiffCommand(CommandTable& table) {
  auto o = std::make_shared<WriteSource>();
  CLI::App& c = table.Add("diff",
                          "what writing a .DST file or an edited form would change: settings old -> new, addresses "
                          "with old -> new bytes (nothing is written)",
                          Device::Needed,
                          [o](Session& s, std::ostream& out, std::ostream& err) { return Diff(s, *o, out, err); });
  AddWriteSourceOptions(c, *o);
  c.add_flag("--json", o->json, "print the changes as JSON");
}

}  // namespace korventa::cli
