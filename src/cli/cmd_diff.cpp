// korventa-cli diff: what writing a ".DST" file or an edited form would
// change on the connected device, without writing anything.
#include <optional>

#include "app/json.h"
#include "app/identify.h"
#include "cli/commands.h"
#include "config/write_config.h"
#include "config/write_diff.h"

namespace korventa::cli {

int CmdDiff(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  // Nothing is written, so a file of another device and values beyond
  // their limits are taken as they are: the summary shows what they do.
  s.dialogs.AnswerOk();
  WriteSource source;
  if (int rc = PrepareWrite(s, "diff", args, source, err); rc != kExitOk) return rc;
  if (!source.verifyOption.empty() || source.quiet) {
    err << "korventa-cli: diff: unexpected argument " << (source.quiet ? "--quiet" : source.verifyOption) << '\n';
    return kExitUsage;
  }
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
    doc.Set("model", CodiceModelloRiconosciuto(ctx));
    out << json::Write(doc) << '\n';
  } else {
    out << TestoRiepilogo(s.state, *riepilogo);
  }
  return kExitOk;
}

}  // namespace korventa::cli
