// korventa-cli eeprom: the memory editor's image of bank 0 read to a file,
// written from one, or compared with the device.
#include <string>

#include "app/texts.h"
#include "cli/commands.h"
#include "factory/frm_eeprom.h"
#include "files/safe_file.h"

namespace korventa::cli {

namespace {

constexpr std::size_t kMaxImageFile = 64 * 1024;

std::optional<ImmagineMemoria> LoadImage(Session& s, const std::string& path, std::ostream& err) {
  std::string error;
  const auto bytes = ReadWholeFile(path, kMaxImageFile, error);
  std::optional<ImmagineMemoria> img;
  if (bytes)
    img = LeggiImmagine(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), s.state.Lingua,
                        error);
  if (!img) err << "korventa-cli: eeprom: " << path << ": " << error << '\n';
  return img;
}

int Read(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  std::string outFile;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      outFile = args[++i];
    } else {
      err << "korventa-cli: eeprom read: unexpected argument " << args[i] << '\n';
      return kExitUsage;
    }
  }
  Context ctx = s.ctx();
  const auto img = LeggiMemoria(ctx);
  if (!img) {
    err << "korventa-cli: eeprom read: bank 0 could not be read\n";
    return kExitComm;
  }
  const std::string text = TestoImmagine(*img);
  if (outFile.empty()) {
    out << text;
    return kExitOk;
  }
  std::string error;
  if (!WriteFileAtomically(outFile, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), error)) {
    err << "korventa-cli: eeprom read: " << error << '\n';
    return kExitFile;
  }
  return kExitOk;
}

int Verify(Session& s, const ImmagineMemoria& img, std::ostream& out, std::ostream& err) {
  Context ctx = s.ctx();
  s.dialogs.ResetRetries();
  const auto diff = VerificaImmagine(ctx, img);
  if (!diff) {
    err << "korventa-cli: eeprom: bank 0 could not be read for the comparison\n";
    return kExitComm;
  }
  for (const auto& d : *diff) out << d.indirizzo << '\t' << d.atteso << '\t' << d.trovato << '\n';
  out << diff->size() << Testo(s.state, kTxtErrori) << '\n';
  return diff->empty() ? kExitOk : kExitComm;
}

int Write(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  std::string file;
  bool verify = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      s.dialogs.AnswerOk();
    } else if (args[i] == "--verify") {
      verify = true;
    } else if (file.empty() && !(args[i].size() > 1 && args[i][0] == '-')) {
      file = args[i];
    } else {
      err << "korventa-cli: eeprom write: unexpected argument " << args[i] << '\n';
      return kExitUsage;
    }
  }
  if (file.empty()) {
    err << "korventa-cli: eeprom write: name an image file\n";
    return kExitUsage;
  }
  const auto img = LoadImage(s, file, err);
  if (!img) return kExitFile;
  Context ctx = s.ctx();
  const std::string question = Testo(s.state, kTxtScrivereImmagine, {file});
  if (s.dialogs.MsgBox(question, Buttons::OkCancel, Icon::Question, TitoloApplicazione(s.state)) != Answer::Ok) {
    err << "korventa-cli: eeprom write: nothing written (--yes writes)\n";
    return kExitRefused;
  }
  s.dialogs.ResetRetries();
  if (!ScriviImmagine(ctx, *img)) {
    err << "korventa-cli: eeprom write: not written\n";
    return kExitComm;
  }
  out << "written: 256 bytes\n";
  return verify ? Verify(s, *img, out, err) : kExitOk;
}

}  // namespace

int CmdEeprom(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  const std::string sub = args.empty() ? "" : args[0];
  if (sub == "read") return Read(s, args, out, err);
  if (sub == "write") return Write(s, args, out, err);
  if (sub == "verify") {
    if (args.size() != 2) {
      err << "korventa-cli: eeprom verify: name one image file\n";
      return kExitUsage;
    }
    const auto img = LoadImage(s, args[1], err);
    if (!img) return kExitFile;
    return Verify(s, *img, out, err);
  }
  err << "korventa-cli: eeprom: say read, write or verify\n";
  return kExitUsage;
}

}  // namespace korventa::cli
