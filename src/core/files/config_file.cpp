#include "files/config_file.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "app/impostatesti.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/catalog.h"
#include "config/lookups.h"
#include "config/program_window.h"

namespace korventa {

namespace {

constexpr int kTxtNonCompatibile = 61;
constexpr int kTxtFileNonSalvato = 260;
// The names of the record's fields in the messages below (ids from 2100 in
// the text table; the English ones are the record's own labels).
constexpr std::pair<std::string_view, int> kNomiCampo[] = {
    {"input_type", 2100},
    {"input_max", 2101},
    {"input_min", 2102},
    {"output_type", 2103},
    {"output_max", 2104},
    {"output_min", 2105},
    {"cjc_offset", 2106},
    {"over_range", 2107},
    {"trip_high", 2108},
    {"trip_low", 2109},
    {"physical_input_max", 2110},
    {"physical_input_min", 2111},
    {"physical_output_max", 2112},
    {"physical_output_min", 2113},
    {"operator", 2114},
};
constexpr int kTxtCampoDelCanale = 2115;
constexpr int kTxtCampo = 2116;
constexpr int kTxtCampoNonNumero = 2117;
constexpr int kTxtCodiceNonOfferto = 2118;
constexpr int kTxtPercentualeNonOfferta = 2119;
constexpr int kTxtVersioneDiversa = 75;

FileDialogRequest RichiestaApri(const Windows& w) {
  FileDialogRequest r;
  r.directory = w.UltimaCartella;
  r.title = "";
  r.defaultExtension = "DST";
  r.filters = {{"(*.DST)", "*.DST"}, {"  (*.*)", "*.*"}};
  r.fileName = "";
  return r;
}

FileDialogRequest RichiestaSalva(const Windows& w) {
  FileDialogRequest r;
  r.directory = w.UltimaCartella;
  r.title = "";
  r.defaultExtension = "DST";
  r.filters = {{" (*.DST)", "*.DST"}, {"(*.*)", "*.*"}};
  r.fileName = "";
  r.overwritePrompt = true;
  return r;
}

// An option button set by program: selecting one clears the others of its
// group, clearing one leaves the others alone. A file written by hand may
// select several buttons of a group; the last one set wins.
template <std::size_t N>
void ImpostaOpzione(std::array<OptionButton, N>& gruppo, std::size_t primo, std::size_t n, std::size_t k,
                    std::int16_t flag) {
  if (FromFlag(flag)) {
    for (std::size_t j = 0; j < n; ++j) gruppo[primo + j].Value = j == k;
  } else {
    gruppo[primo + k].Value = false;
  }
}

void MostraNumero(TextBox& box, double x) { box.Text = PlainNumber(x); }

// The programming window's change handlers run as the values arrive, as
// they do when the user picks the entries: the input type sets the units,
// range captions and option frames, the output type its units and captions,
// the doubler channel B's frames.
void CambioIngresso(Context& c, int ch) { cmb_Prog_In_Change(c.s, c.w.frm_program, ch); }
void CambioUscita(Context& c, int ch) { cmb_Prog_Out_Change(c.s, c.w.frm_program, ch); }
void ClickDuplicatore(Context& c) { chk_Doubler_Click(c.s, c.w.frm_program); }

void CaricaCanale(Context& c, const DstRecord& r, std::size_t ch) {
  FrmProgram& f = c.w.frm_program;
  const int ich = static_cast<int>(ch);
  MostraIngresso(c.s, f.cmb_Prog_In[ch], r.InputType[ch]);
  CambioIngresso(c, ich);
  MostraNumero(f.txt_Input_max[ch], r.InputMax[ch]);
  MostraNumero(f.txt_Input_min[ch], r.InputMin[ch]);
  MostraUscita(c.s, f.cmb_Prog_Out[ch], r.OutputType[ch]);
  CambioUscita(c, ich);
  MostraNumero(f.txt_Output_max[ch], r.OutputMax[ch]);
  MostraNumero(f.txt_Output_min[ch], r.OutputMin[ch]);
  for (std::size_t k = 0; k < 2; ++k) ImpostaOpzione(f.opt_CJC, 2 * ch, 2, k, r.Cjc[k][ch]);
  MostraNumero(f.txt_offset[ch], r.CjcOffset[ch]);
  for (std::size_t k = 0; k < 3; ++k) ImpostaOpzione(f.opt_Fili, 3 * ch, 3, k, r.Wiring[k][ch]);
  for (std::size_t k = 0; k < 3; ++k) ImpostaOpzione(f.opt_funz, 3 * ch, 3, k, r.Function[k][ch]);
  for (std::size_t k = 0; k < 2; ++k) ImpostaOpzione(f.opt_Break, 2 * ch, 2, k, r.BurnOut[k][ch]);
  MostraTolleranza(c.s, f.cmb_OverRange[ch], r.OverRange[ch]);
  // A tolerance no entry has is shown as it stands rather than leaving the
  // previous choice in place: writing refuses it until one is chosen.
  if (!NomeTolleranza(c.s, r.OverRange[ch])) f.cmb_OverRange[ch].SetText("±" + PlainNumber(r.OverRange[ch]) + "%");
}

void CaricaFinestra(Context& c, const DstRecord& r) {
  FrmProgram& f = c.w.frm_program;
  CaricaCanale(c, r, 0);
  CaricaCanale(c, r, 1);
  f.chk_HS.Value = r.HighSpeed != 0;
  f.chk_Doubler.Value = r.Doubler != 0;
  ClickDuplicatore(c);
  // Channel B's trip fields are never loaded: the file holds zeros there.
  MostraNumero(f.txt_soglia_H[0], r.TripHigh[0]);
  MostraNumero(f.txt_soglia_L[0], r.TripLow[0]);
  for (std::size_t k = 0; k < 2; ++k) ImpostaOpzione(f.optTrip, 0, 2, k, r.TripMode[k][0]);
  MostraNumero(f.txt_Fisico_max[2], r.Physical[kFisicoInMaxA]);
  MostraNumero(f.txt_Fisico_min[2], r.Physical[kFisicoInMinA]);
  MostraNumero(f.txt_Fisico_max[3], r.Physical[kFisicoInMaxB]);
  MostraNumero(f.txt_Fisico_min[3], r.Physical[kFisicoInMinB]);
  MostraNumero(f.txt_FisicoOut_max[0], r.Physical[kFisicoOutMaxA]);
  MostraNumero(f.txt_FisicoOut_min[0], r.Physical[kFisicoOutMinA]);
  MostraNumero(f.txt_FisicoOut_max[1], r.Physical[kFisicoOutMaxB]);
  MostraNumero(f.txt_FisicoOut_min[1], r.Physical[kFisicoOutMinB]);
  for (std::size_t ch = 0; ch < 2; ++ch) {
    c.s.Canali[ch].Operatore = r.Operatore[ch];
    // Keep the operator button's caption in step with the code it stands for.
    if (r.Operatore[ch] < kOperatori.size()) f.cmd_Operatore[ch].Caption = kOperatori[r.Operatore[ch]];
  }
  for (std::size_t ch = 0; ch < 2; ++ch) c.s.Canali[ch].Riservato = ByteFromDouble(r.Spare[ch]);
}

// The next file dialog starts in the folder of the file just chosen.
void RicordaCartella(Context& c, const std::string& nome) {
  c.w.UltimaCartella = std::filesystem::path(nome).parent_path().string();
}

void Intestazione(Context& c) {
  c.w.communication.Caption = TitoloApplicazione(c.s) + " - " + c.w.NomeFile;
}

bool Conferma(Context& c, int testo) {
  return c.dialogs.MsgBox(Testo(c.s, testo), Buttons::OkCancel, Icon::None, TitoloApplicazione(c.s)) ==
         Answer::Ok;
}

}  // namespace

std::vector<CampoDst> CampiNonAmmessi(const ProgramState& s, const DstRecord& r) {
  const ListeModello liste = ListePerModello(s);
  const int v = s.CodVariante;
  auto offerto = [](const std::vector<std::string>& voci, const std::string& nome) {
    return std::find(voci.begin(), voci.end(), nome) != voci.end();
  };
  auto campo = [&s](std::string_view key, std::string_view englishLabel, int canale, std::size_t offset) {
    std::string nome(englishLabel);
    for (const auto& [k, id] : kNomiCampo)
      if (k == key) nome = Testo(s, id);
    const std::string dove = std::to_string(offset);
    return canale < 0 ? Testo(s, kTxtCampo, {nome, dove})
                      : Testo(s, kTxtCampoDelCanale, {nome, canale == 0 ? "A" : "B", dove});
  };
  std::vector<CampoDst> out;
  ForEachDstField(r, [&](std::size_t offset, const DstFieldName& name, const auto& value) {
    const std::string label = campo(name.key, name.label, name.perChannel ? name.index : -1, offset);
    using T = std::decay_t<decltype(value)>;
    if constexpr (std::is_same_v<T, double>) {
      if (!std::isfinite(value) && name.key != "reserved" && name.key != "version")
        out.push_back({offset, Testo(s, kTxtCampoNonNumero, {label, PlainNumber(value)}), true});
    } else {
      const int code = value;
      bool ok = true;
      // The input of channel B is channel A's on the single-input models and
      // with the doubler; the frequency converter takes its sensor instead.
      if (name.key == "input_type" && v != 7 && (name.index == 0 || !(r.Doubler || v == 0 || v == 8 || v == 9)))
        ok = offerto(liste.Ingressi, NomeIngresso(s, code));
      else if (name.key == "output_type")
        ok = offerto(liste.Uscite, NomeUscita(s, code));
      else if (name.key == "operator" && s.CodProdotto == 12 && v == 5)
        ok = static_cast<std::size_t>(code) < kOperatori.size();
      if (!ok) out.push_back({offset, Testo(s, kTxtCodiceNonOfferto, {label, std::to_string(code)})});
    }
  });
  for (std::size_t ch = 0; ch < 2; ++ch)
    if (std::isfinite(r.OverRange[ch]) && !NomeTolleranza(s, r.OverRange[ch]))
      out.push_back(
          {136 + 8 * ch, Testo(s, kTxtPercentualeNonOfferta,
                               {campo("over_range", "over-range tolerance percent", static_cast<int>(ch), 136 + 8 * ch),
                                PlainNumber(r.OverRange[ch])})});
  return out;
}

void RecordDaFinestra(Context& c, DstRecord& r) {
  const ProgramState& s = c.s;
  const FrmProgram& f = c.w.frm_program;
  r.Version = kVersioneProgramma;
  r.IdExtra = s.IdExtra;
  r.CodProdotto = s.CodProdotto;
  r.CodVariante = s.CodVariante;
  r.VerSw = s.VerSw;
  for (std::size_t ch = 0; ch < 2; ++ch) {
    r.InputType[ch] = static_cast<std::uint8_t>(TipoDaTesto(s, f.cmb_Prog_In[ch]));
    r.InputMax[ch] = Val(f.txt_Input_max[ch].Text);
    r.InputMin[ch] = Val(f.txt_Input_min[ch].Text);
    r.OutputType[ch] = static_cast<std::uint8_t>(UscitaDaTesto(s, f.cmb_Prog_Out[ch]));
    r.OutputMax[ch] = Val(f.txt_Output_max[ch].Text);
    r.OutputMin[ch] = Val(f.txt_Output_min[ch].Text);
    for (std::size_t k = 0; k < 2; ++k) r.Cjc[k][ch] = ToFlag(f.opt_CJC[2 * ch + k].Value);
    r.CjcOffset[ch] = Val(f.txt_offset[ch].Text);
    for (std::size_t k = 0; k < 3; ++k) r.Wiring[k][ch] = ToFlag(f.opt_Fili[3 * ch + k].Value);
    for (std::size_t k = 0; k < 3; ++k) r.Function[k][ch] = ToFlag(f.opt_funz[3 * ch + k].Value);
    for (std::size_t k = 0; k < 2; ++k) r.BurnOut[k][ch] = ToFlag(f.opt_Break[2 * ch + k].Value);
    r.OverRange[ch] = TolleranzaDaTesto(s, f.cmb_OverRange[ch]);
    r.Operatore[ch] = s.Canali[ch].Operatore;
    r.Spare[ch] = s.Canali[ch].Riservato;
  }
  // Only trip A travels in the file.
  r.TripHigh = {Val(f.txt_soglia_H[0].Text), 0.0};
  r.TripLow = {Val(f.txt_soglia_L[0].Text), 0.0};
  for (std::size_t k = 0; k < 2; ++k) r.TripMode[k] = {ToFlag(f.optTrip[k].Value), 0};
  r.Reserved[1] = 0;
  r.Physical[kFisicoInMaxA] = Val(f.txt_Fisico_max[2].Text);
  r.Physical[kFisicoInMinA] = Val(f.txt_Fisico_min[2].Text);
  r.Physical[kFisicoInMaxB] = Val(f.txt_Fisico_max[3].Text);
  r.Physical[kFisicoInMinB] = Val(f.txt_Fisico_min[3].Text);
  r.Physical[kFisicoOutMaxA] = Val(f.txt_FisicoOut_max[0].Text);
  r.Physical[kFisicoOutMinA] = Val(f.txt_FisicoOut_min[0].Text);
  r.Physical[kFisicoOutMaxB] = Val(f.txt_FisicoOut_max[1].Text);
  r.Physical[kFisicoOutMinB] = Val(f.txt_FisicoOut_min[1].Text);
  r.HighSpeed = f.chk_HS.Value ? 1 : 0;
  r.Doubler = f.chk_Doubler.Value ? 1 : 0;
}

OpenResult OpenConfigFile(Context& c) {
  // The dialog starts where the platform's dialog starts: the process's
  // current folder is left alone, so names given relative to it (on the
  // command line) keep their meaning.
  const auto nome = c.dialogs.OpenFileName(RichiestaApri(c.w));
  if (!nome || nome->empty()) return OpenResult::NoName;
  RicordaCartella(c, *nome);

  std::string errore;
  const auto record = LoadDstFile(*nome, errore, c.s.Lingua);
  if (!record) {
    c.dialogs.MsgBox(Testo(c.s, kTxtFileNonAperto) + errore, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return OpenResult::Unreadable;
  }
  c.w.RecordDst = *record;

  if (record->Version != kVersioneProgramma && !Conferma(c, kTxtVersioneDiversa)) return OpenResult::Cancelled;
  if ((record->CodProdotto != c.s.CodProdotto || record->CodVariante != c.s.CodVariante) &&
      !Conferma(c, kTxtNonCompatibile))
    return OpenResult::Cancelled;

  // A value no box can show is not loaded at all; a code the model does
  // not offer is loaded and said, and writing refuses it until it is chosen
  // again.
  std::string numeri, codici;
  for (const auto& campo : CampiNonAmmessi(c.s, *record)) (campo.numero ? numeri : codici) += "\n" + campo.text;
  if (!numeri.empty()) {
    c.dialogs.MsgBox(Testo(c.s, kTxtFileNonAperto) + *nome + numeri, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return OpenResult::Unreadable;
  }
  if (!codici.empty())
    c.dialogs.MsgBox(*nome + Testo(c.s, kTxtValoriNonOfferti) + codici, Buttons::Ok, Icon::Warning,
                     TitoloApplicazione(c.s));

  // Only now does the file become the one File > Save writes to: a file
  // the user declined to load must not be overwritten by the configuration
  // that is still on screen.
  c.w.NomeFile = *nome;
  c.w.communication.mnu_File_Save.Enabled = true;
  // A file opened before any device was read brings the form to life.
  if (c.w.frm_program.Vuoto) {
    ModuloPieno(c.w.frm_program);
    const int indice = c.w.frm_program.IndiceModello;
    VisibilitaProgramma(c.s, c.w.frm_program, indice >= 0 ? std::optional<int>(indice) : std::nullopt);
  }
  CaricaFinestra(c, *record);
  c.w.LettoDalDispositivo.reset();
  Intestazione(c);
  return OpenResult::Loaded;
}

bool SaveConfigFile(Context& c, bool asNew) {
  if (asNew) {
    const auto nome = c.dialogs.SaveFileName(RichiestaSalva(c.w));
    // A cancelled Save as writes nothing: not even to the file remembered
    // from before, which the user has just declined to overwrite.
    if (!nome || nome->empty()) return false;
    RicordaCartella(c, *nome);
    c.w.NomeFile = *nome;
    c.w.communication.mnu_File_Save.Enabled = true;
  }
  if (c.w.NomeFile.empty()) return false;
  c.w.communication.mnu_File_Save.Enabled = true;

  RecordDaFinestra(c, c.w.RecordDst);
  std::string errore;
  if (!SaveDstFile(c.w.NomeFile, c.w.RecordDst, errore, c.s.Lingua)) {
    c.dialogs.MsgBox(Testo(c.s, kTxtFileNonSalvato) + ": " + errore, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return false;
  }
  Intestazione(c);
  return true;
}

}  // namespace korventa
