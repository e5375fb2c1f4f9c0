#include "factory/frm_eeprom.h"

#include <cmath>
#include <vector>

#include "app/context.h"
#include "app/format.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "files/safe_file.h"
#include "link/codecs.h"

namespace korventa {

namespace {

// An image file is 256 short lines; anything far larger is not one.
constexpr std::size_t kMaxFileImmagine = 64 * 1024;
constexpr const char* kMascheraFloat = "#0.0####";
constexpr const char* kMascheraByte = "000";
// The largest value the 3-byte float holds: fraction all ones, exponent 255.
constexpr double kFloatMassimo = 3.4028e38;
constexpr double kFloatMinimo = 5.8775e-39;  // 2^-127

std::string Virgolette(std::string_view s) { return "\"" + std::string(s) + "\""; }

// A whole number lo..hi written as a number and nothing else.
std::optional<long> Intero(std::string_view testo, long lo, long hi) {
  const auto x = NumeroRigoroso(testo);
  if (!x || *x != std::floor(*x) || *x < static_cast<double>(lo) || *x > static_cast<double>(hi)) return std::nullopt;
  return static_cast<long>(*x);
}

FileDialogRequest Richiesta(bool salva) {
  FileDialogRequest r;
  r.defaultExtension = "dat";
  r.filters = {{salva ? "(*.dat)" : " (*.dat)", "*.dat"}, {"(*.*)", "*.*"}};
  r.overwritePrompt = salva;
  return r;
}

void Errore(Context& c, const std::string& testo) {
  c.dialogs.MsgBox(testo, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
}

// Bank and address from the boxes, with room for n bytes; refused with a
// message otherwise.
bool Indirizzo(Context& c, int n, int& banco, int& indirizzo) {
  const FrmEeprom& f = c.w.frm_eeprom;
  const auto b = Intero(f.txt_banco.Text, 0, 255);
  const auto a = Intero(f.txt_start.Text, 0, kByteImmagine - n);
  if (!b) {
    Errore(c, Testo(c.s, kTxtBanco) + Virgolette(f.txt_banco.Text) + Testo(c.s, kTxtServeByte));
    return false;
  }
  if (!a) {
    Errore(c, Testo(c.s, kTxtRegistroFuori, {Virgolette(f.txt_start.Text), std::to_string(kByteImmagine - n)}));
    return false;
  }
  banco = static_cast<int>(*b);
  indirizzo = static_cast<int>(*a);
  return true;
}

int Lunghezza(int formato) { return formato == kFormatoFloat ? 3 : formato == kFormatoInt ? 2 : 1; }

// Sends the pairs through the guard. False when nothing or not everything
// was written (said in a message).
bool Scrivi(Context& c, int banco, TipoScrittura tipo) {
  if (!PrimaDiScrivere(c, banco, tipo)) return false;
  if (c.link.WriteBytes(banco, static_cast<int>(c.s.BufIndirizzi.size()))) return true;
  // Program mode refused: the link has said so. Cut short: say it here.
  if (c.link.PairsSent() > 0) Errore(c, Testo(c.s, kTxtImmagineInterrotta));
  return false;
}

}  // namespace

std::string TestoImmagine(const ImmagineMemoria& bytes) {
  std::string t;
  for (std::uint8_t b : bytes) t += std::to_string(b) + "\n";
  return t;
}

std::optional<ImmagineMemoria> LeggiImmagine(std::string_view testo, int lingua, std::string& errore) {
  std::vector<std::string_view> righe;
  std::size_t inizio = 0;
  while (inizio < testo.size()) {
    std::size_t fine = testo.find('\n', inizio);
    if (fine == std::string_view::npos) fine = testo.size();
    righe.push_back(testo.substr(inizio, fine - inizio));
    inizio = fine + 1;
  }
  ImmagineMemoria out{};
  for (std::size_t i = 0; i < righe.size(); ++i) {
    const auto v = Intero(righe[i], 0, 255);
    if (!v) {
      errore = TestoInLingua(lingua, kTxtRiga) + std::to_string(i + 1) + ": " + Virgolette(righe[i]) +
               TestoInLingua(lingua, kTxtNonByte);
      return std::nullopt;
    }
    if (i < out.size()) out[i] = static_cast<std::uint8_t>(*v);
  }
  if (righe.size() != out.size()) {
    errore = TestoInLingua(lingua, kTxtFileContiene) + std::to_string(righe.size()) +
             TestoInLingua(lingua, kTxtValoriInveceDi256);
    return std::nullopt;
  }
  return out;
}

std::optional<ImmagineMemoria> ImmagineDaLista(const ListBox& list, int lingua, std::string& errore) {
  if (list.List.size() != kByteImmagine) {
    errore = TestoInLingua(lingua, kTxtListaContiene) + std::to_string(list.List.size()) +
             TestoInLingua(lingua, kTxtRigheInveceDi256);
    return std::nullopt;
  }
  ImmagineMemoria out{};
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::string& riga = list.List[i];
    const auto tab = riga.rfind('\t');
    const std::string_view valore = tab == std::string::npos ? std::string_view(riga) : std::string_view(riga).substr(tab + 1);
    const auto v = Intero(valore, 0, 255);
    if (!v) {
      errore = TestoInLingua(lingua, kTxtIndirizzo) + std::to_string(i) + ": " + Virgolette(valore) +
               TestoInLingua(lingua, kTxtNonByte);
      return std::nullopt;
    }
    out[i] = static_cast<std::uint8_t>(*v);
  }
  return out;
}

void MostraImmagine(ListBox& list, const ImmagineMemoria& bytes) {
  list.Clear();
  for (std::size_t a = 0; a < bytes.size(); ++a) list.AddItem(std::to_string(a) + "\t" + std::to_string(bytes[a]));
}

int FormatoScelto(const FrmEeprom& f) {
  for (int i = 0; i < 3; ++i)
    if (f.Option2[static_cast<std::size_t>(i)].Value) return i;
  return kFormatoByte;
}

std::optional<std::vector<std::uint8_t>> BytesRegistro(const FrmEeprom& f, int lingua, std::string& errore) {
  const int formato = FormatoScelto(f);
  const int n = Lunghezza(formato);
  std::vector<std::uint8_t> out;
  if (f.Option1[1].Value) {
    const TextBox* grezzi[] = {&f.txt_valoreA, &f.txt_valoreB, &f.txt_valoreC};
    for (int i = 0; i < n; ++i) {
      const auto v = Intero(grezzi[i]->Text, 0, 255);
      if (!v) {
        errore = TestoInLingua(lingua, kTxtByte) + Virgolette(grezzi[i]->Text) + TestoInLingua(lingua, kTxtServeByte);
        return std::nullopt;
      }
      out.push_back(static_cast<std::uint8_t>(*v));
    }
    return out;
  }
  const std::string& testo = f.txt_valore.Text;
  if (formato == kFormatoFloat) {
    const auto x = NumeroRigoroso(testo);
    if (!x || (*x != 0 && (std::fabs(*x) < kFloatMinimo || std::fabs(*x) > kFloatMassimo))) {
      errore = Virgolette(testo) + TestoInLingua(lingua, kTxtServeFloat);
      return std::nullopt;
    }
    const auto b = EncodeFloat(*x);  // SE, EF, F; F goes to the lowest address
    return std::vector<std::uint8_t>{b[2], b[1], b[0]};
  }
  if (formato == kFormatoInt) {
    const auto v = Intero(testo, -32768, 65535);
    if (!v) {
      errore = Virgolette(testo) + TestoInLingua(lingua, kTxtServeParola);
      return std::nullopt;
    }
    const auto [hi, lo] = SplitWord(*v);
    return std::vector<std::uint8_t>{lo, hi};
  }
  const auto v = Intero(testo, 0, 255);
  if (!v) {
    errore = Virgolette(testo) + TestoInLingua(lingua, kTxtServeByte);
    return std::nullopt;
  }
  return std::vector<std::uint8_t>{static_cast<std::uint8_t>(*v)};
}

std::optional<ImmagineMemoria> LeggiMemoria(Context& c) {
  const auto bytes = c.link.ReadBytes(0, 0, kByteImmagine);
  if (c.s.ErroreCom) return std::nullopt;
  ImmagineMemoria img{};
  std::copy_n(bytes.begin(), kByteImmagine, img.begin());
  return img;
}

bool ScriviImmagine(Context& c, const ImmagineMemoria& img) {
  c.s.BufIndirizzi.clear();
  c.s.BufDati.clear();
  for (int a = 0; a < kByteImmagine; ++a) {
    c.s.BufIndirizzi.push_back(static_cast<std::uint8_t>(a));
    c.s.BufDati.push_back(img[static_cast<std::size_t>(a)]);
  }
  return Scrivi(c, 0, TipoScrittura::Immagine);
}

std::optional<std::vector<ByteDiverso>> VerificaImmagine(Context& c, const ImmagineMemoria& img) {
  const auto letti = LeggiMemoria(c);
  if (!letti) return std::nullopt;
  std::vector<ByteDiverso> d;
  for (std::size_t a = 0; a < img.size(); ++a)
    if (img[a] != (*letti)[a]) d.push_back({static_cast<int>(a), img[a], (*letti)[a]});
  return d;
}

void Command3_Click(Context& c) {
  if (const auto img = LeggiMemoria(c)) MostraImmagine(c.w.frm_eeprom.List1, *img);
}

void Command2_Click(Context& c) {
  const auto nome = c.dialogs.OpenFileName(Richiesta(false));
  if (!nome || nome->empty()) return;
  std::string errore;
  const auto dati = ReadWholeFile(*nome, kMaxFileImmagine, errore, c.s.Lingua);
  std::optional<ImmagineMemoria> img;
  if (dati)
    img = LeggiImmagine(std::string_view(reinterpret_cast<const char*>(dati->data()), dati->size()), c.s.Lingua, errore);
  if (!img) {
    Errore(c, *nome + ": " + errore);
    return;
  }
  MostraImmagine(c.w.frm_eeprom.List1, *img);
}

void Command6_Click(Context& c) {
  std::string errore;
  const auto img = ImmagineDaLista(c.w.frm_eeprom.List1, c.s.Lingua, errore);
  if (!img) {
    Errore(c, errore);
    return;
  }
  const auto nome = c.dialogs.SaveFileName(Richiesta(true));
  if (!nome || nome->empty()) return;
  const std::string testo = TestoImmagine(*img);
  if (!WriteFileAtomically(*nome, std::span(reinterpret_cast<const std::uint8_t*>(testo.data()), testo.size()), errore,
                           c.s.Lingua))
    Errore(c, errore);
}

void Command5_Click(Context& c) {
  std::string errore;
  const auto img = ImmagineDaLista(c.w.frm_eeprom.List1, c.s.Lingua, errore);
  if (!img) {
    Errore(c, errore);
    return;
  }
  ScriviImmagine(c, *img);
}

void Command7_Click(Context& c) {
  FrmEeprom& f = c.w.frm_eeprom;
  std::string errore;
  const auto img = ImmagineDaLista(f.List1, c.s.Lingua, errore);
  if (!img) {
    Errore(c, errore);
    return;
  }
  const auto diversi = VerificaImmagine(c, *img);
  if (!diversi) return;
  f.List2.Clear();
  f.List2.Visible = false;
  for (const auto& d : *diversi) f.List2.AddItem(std::to_string(d.indirizzo) + "\t" + std::to_string(d.atteso));
  if (diversi->empty()) return;
  f.List2.Visible = true;
  Errore(c, std::to_string(diversi->size()) + Testo(c.s, kTxtErrori));
}

bool Command1_Click(Context& c) {
  FrmEeprom& f = c.w.frm_eeprom;
  const int formato = FormatoScelto(f);
  int banco = 0, a = 0;
  if (!Indirizzo(c, Lunghezza(formato), banco, a)) return false;
  const auto b = c.link.ReadBytes(banco, a, Lunghezza(formato));
  if (c.s.ErroreCom) return false;
  auto grezzo = [](std::uint8_t x) { return Format(x, kMascheraByte); };
  if (formato == kFormatoFloat) {
    f.txt_valoreA.Text = grezzo(b[0]);
    f.txt_valoreB.Text = grezzo(b[1]);
    f.txt_valoreC.Text = grezzo(b[2]);
    f.txt_valore.Text = Format(DecodeFloat(b[1], b[0], b[2]), kMascheraFloat);
  } else if (formato == kFormatoInt) {
    f.txt_valore.Text = std::to_string(b[1] * 256 + b[0]);
    f.txt_valoreA.Text = grezzo(b[0]);
    f.txt_valoreB.Text = grezzo(b[1]);
    f.txt_valoreC.Text = grezzo(0);
  } else {
    f.txt_valore.Text = std::to_string(b[0]);
    f.txt_valoreA.Text = grezzo(b[0]);
    f.txt_valoreB.Text = grezzo(0);
    f.txt_valoreC.Text = grezzo(0);
  }
  return true;
}

bool Command4_Click(Context& c) {
  const FrmEeprom& f = c.w.frm_eeprom;
  int banco = 0, a = 0;
  if (!Indirizzo(c, Lunghezza(FormatoScelto(f)), banco, a)) return false;
  std::string errore;
  const auto bytes = BytesRegistro(f, c.s.Lingua, errore);
  if (!bytes) {
    Errore(c, errore);
    return false;
  }
  c.s.BufIndirizzi.clear();
  c.s.BufDati.clear();
  for (std::size_t i = 0; i < bytes->size(); ++i) {
    c.s.BufIndirizzi.push_back(static_cast<std::uint8_t>(a + static_cast<int>(i)));
    c.s.BufDati.push_back((*bytes)[i]);
  }
  return Scrivi(c, banco, TipoScrittura::Registro);
}

void Option2_Click(Context& c, int index) {
  if (index < 0 || index > 2) return;
  for (int i = 0; i < 3; ++i) c.w.frm_eeprom.Option2[static_cast<std::size_t>(i)].Value = i == index;
}

void Option1_Click(Context& c, int index) {
  if (index < 0 || index > 1) return;
  for (int i = 0; i < 2; ++i) c.w.frm_eeprom.Option1[static_cast<std::size_t>(i)].Value = i == index;
}

void MostraMenuCollaudo(Context& c) {
  Communication& m = c.w.communication;
  m.mnu_Collaudo.Visible = true;
  m.mnu_Collaudo_EEprom.Enabled = true;
  m.mnu_Collaudo_Taratura.Enabled = true;
  m.mnu_test.Enabled = true;
}

void mnu_Collaudo_EEprom_Click(Context& c) {
  Finestra& f = c.w.communication.finestre[Schermo::frm_EEprom];
  f.Loaded = true;
  f.Visible = true;
  ++f.PrimoPiano;
}

}  // namespace korventa
