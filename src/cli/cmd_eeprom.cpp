// korventa-cli eeprom: the memory editor's image of bank 0 read to a file,
// written from one, or compared with the device.
#include <memory>
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

struct EepromOptions {
  std::string outFile, file;
  bool verify = false;
  CLI::App *read = nullptr, *write = nullptr;
};

int Read(Session& s, const std::string& outFile, std::ostream& out, std::ostream& err) {
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
  if (!WriteFileAtomically(outFile, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                           error)) {
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

int Write(Session& s, const std::string& file, bool verify, std::ostream& out, std::ostream& err) {
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

void AddEepromCommand(CommandTable& table) {
  auto o = std::make_shared<EepromOptions>();
  CLI::App& c = table.Add("eeprom", "the memory editor's 256-value image file of bank 0: read, written or compared",
                          Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) {
                            if (o->read->parsed()) return Read(s, o->outFile, out, err);
                            if (o->write->parsed()) return Write(s, o->file, o->verify, out, err);
                            const auto img = LoadImage(s, o->file, err);
                            return img ? Verify(s, *img, out, err) : static_cast<int>(kExitFile);
                          });
  c.require_subcommand(1);
  o->read = c.add_subcommand("read", "bank 0 as an image file: one value per line");
  o->read->add_option("--out", o->outFile, "write the image to FILE instead of standard output")->type_name("FILE");
  o->write = c.add_subcommand("write", "write an image file to bank 0 (asks; --yes writes)");
  o->write->add_option("file", o->file, "the image file")->type_name("FILE")->required();
  o->write->add_flag("--verify", o->verify, "compare bank 0 with the file afterwards");
  CLI::App* verify =
      c.add_subcommand("verify", "\"address<TAB>expected<TAB>found\" per difference with a file, exit 2 if any");
  verify->add_option("file", o->file, "the image file")->type_name("FILE")->required();
}

}  // namespace korventa::cli
