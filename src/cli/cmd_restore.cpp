// korventa-cli restore: the automatic backups of the connected device, and
// writing the old values of one of them back.
#include <memory>
#include <string>

#include "cli/commands.h"
#include "files/backup.h"

namespace korventa::cli {

namespace {

struct RestoreOptions {
  bool list = false, last = false;
  std::string at;
};

int Restore(Session& s, RestoreOptions o, std::ostream& out, std::ostream& err) {
  bool& list = o.list;
  const bool last = o.last;
  const std::string& at = o.at;
  if (!last && at.empty()) list = true;
  const std::string& folder = s.guard.Opzioni().cartella;

  Context ctx = s.ctx();
  s.dialogs.ResetRetries();
  if (s.link.ReadProduct()[0] != 0) {
    err << "korventa-cli: restore: the device could not be identified\n";
    return kExitComm;
  }
  const std::string model = ModelloPerBackup(ctx);
  std::vector<VoceBackup> entries;
  for (auto& v : LeggiBackup(folder, model))
    if (v.prodotto == s.state.CodProdotto && v.variante == s.state.CodVariante) entries.push_back(std::move(v));
  if (list) {
    for (const auto& v : entries)
      out << v.ora << '\t' << v.tipo << "\tbank " << v.banco << '\t' << v.modifiche.size() << " addresses\n";
    if (entries.empty()) err << "korventa-cli: restore: no backup of a " << model << " in " << folder << '\n';
    if (!last && at.empty()) return kExitOk;
  }
  const VoceBackup* chosen = nullptr;
  for (const auto& v : entries)
    if (last || v.ora == at) chosen = &v;
  if (chosen == nullptr) {
    err << "korventa-cli: restore: no backup " << (last ? "" : "at " + at + " ") << "of this " << model << " in "
        << folder << '\n';
    return kExitFile;
  }
  out << "restoring " << chosen->ora << " (" << chosen->tipo << ", bank " << chosen->banco
      << "), address: now -> restored\n"
      << DescriviRipristino(*chosen);
  s.dialogs.ResetRetries();
  const EsitoRipristino e = Ripristina(ctx, *chosen);
  for (const auto& d : e.differenze)
    out << "difference: address " << d.indirizzo << ", expected " << d.vecchio << ", found " << d.nuovo << '\n';
  if (!e.errore.empty()) {
    err << "korventa-cli: restore: " << e.errore << '\n';
    return e.scritto ? kExitComm : kExitRefused;
  }
  if (!e.differenze.empty()) {
    err << "korventa-cli: restore: " << e.differenze.size() << " addresses read back differently\n";
    return kExitComm;
  }
  out << "restored and verified: " << chosen->modifiche.size() << " addresses\n";
  return kExitOk;
}

}  // namespace

void AddRestoreCommand(CommandTable& table) {
  auto o = std::make_shared<RestoreOptions>();
  CLI::App& c = table.Add("restore",
                          "the connected device's backups (--list, the default), or write back the old values of the "
                          "last one or of the one at TIME",
                          Device::Needed,
                          [o](Session& s, std::ostream& out, std::ostream& err) { return Restore(s, *o, out, err); });
  c.add_flag("--list", o->list, "list the backups of this device");
  auto* last = c.add_flag("--last", o->last, "restore the last backup");
  c.add_option("--at", o->at, "restore the backup taken at TIME, as --list shows it")
      ->type_name("TIME")
      ->excludes(last);
}

}  // namespace korventa::cli
