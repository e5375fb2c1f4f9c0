#include "measure/frm_misura.h"

#include <chrono>

#include "app/context.h"
#include "app/texts.h"
#include "config/catalog.h"
#include "link/codecs.h"
#include "measure/avvio.h"
#include "switches/campi.h"

namespace korventa {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// Text ids of the window.
constexpr int kTestoMisura = 36;
constexpr int kTestoIngresso = 48;
constexpr int kTestoUscita = 49;
constexpr int kTestoSoglie = 50;
constexpr int kTestoErroreCom = 68;
constexpr int kTestoApriCom = 38;


void Notifica(FrmMisura& f) {
  if (f.Aggiornato) f.Aggiornato();
}

// The live values as current (enabled) or stale (greyed).
void MostraValoriAttuali(FrmMisura& f, bool attuali) {
  for (std::size_t ch = 0; ch < 2; ++ch) {
    f.txt_misura_out[ch].Enabled = attuali;
    f.txt_misura_in[ch].Enabled = attuali;
    f.progress[ch].Enabled = attuali;
  }
}

// The calibration of a channel's output stage: two floats, the voltage
// stage's first, the current stage's six bytes further on.
bool LeggiCalibrazione(Context& c, int ch) {
  DatiCanale& k = c.s.Canali[U(ch)];
  const int indirizzo = (ch == 0 ? 100 : 112) + (k.TipoOut <= 1 ? 6 : 0);
  const auto b = c.link.ReadBytes(0, indirizzo, 6);
  if (c.s.ErroreCom) return false;
  k.CalOut0 = DecodeFloat(b[1], b[0], b[2]);
  k.CalOut1 = DecodeFloat(b[4], b[3], b[5]);
  return true;
}

// The recording, if one runs: every reading of the channels shown.
void Registra(Context& c, const Lettura& l) {
  FrmMisura& f = c.w.frm_misura;
  if (!f.Registro || !f.Registro->Aperto()) return;
  const std::string timbro = TimbroIso(std::chrono::system_clock::now());
  if (f.Registro->Scrivi(RigheCsv(timbro, l, CanaliMostrati(f)))) return;
  const std::string percorso = f.Registro->Percorso();
  f.Registro.reset();
  f.cmd_Registra.Caption = Testo(c.s, kTxtRegistra);
  c.dialogs.MsgBox(Testo(c.s, kTxtRecordNonScritto) + percorso, Buttons::Ok, Icon::Error,
                   TitoloApplicazione(c.s));
}

// The measuring loop, until InMisura is found false or a reading is
// cancelled.
EsitoMisura Ciclo(Context& c) {
  ProgramState& s = c.s;
  FrmMisura& f = c.w.frm_misura;
  Communication& m = c.w.communication;
  // The device keeps streaming until told; a port closed meanwhile (the
  // program ending, "Close Com") has nobody to tell.
  auto ferma = [&c] {
    if (c.link.PortOpen()) c.link.StopMeasure();
    return EsitoMisura::Fermata;
  };
  for (;;) {
    if (!s.InMisura) return ferma();
    // The busy lamp blinks once per reading: the visible sign of the stream.
    m.SpiaColor = m.SpiaColor == kColoreRosso ? kColoreVerde : kColoreRosso;
    const auto frame = c.link.ReadMeasure();
    if (frame[0] != 0) {
      // The adapter went away: the link has closed the port.
      if (!c.link.PortOpen()) return EsitoMisura::DispositivoPerso;
      // Stopped while waiting (the link then does not ask): the device may
      // still be streaming.
      if (!s.InMisura) return ferma();
      s.InMisura = false;
      return EsitoMisura::Annullata;
    }

    // The window's Celsius/Fahrenheit choice may change while measuring.
    MisuraPreparata& p = f.Preparata;
    for (int ch = 0; ch < 2; ++ch) {
      CanalePreparato& q = p.Canali[U(ch)];
      q.Fahrenheit = s.GradiF[U(ch)] && IsTemperatureCode(q.TipoIn);
    }
    const Lettura l = DecodificaLettura(frame, p);
    // The two-input model shows its percentages with one decimal.
    if (p.CodProdotto == 12 && p.CodVariante == 5)
      for (int ch = 0; ch < 2; ++ch)
        if (p.Canali[U(ch)].Funzione == 1 || p.Canali[U(ch)].Funzione == 2) {
          p.Canali[U(ch)].DecIn = 1;
          s.Canali[U(ch)].DecIn = 1;
        }
    MostraLettura(f, l);
    f.UltimaLettura = l;
    ++f.Letture;
    Registra(c, l);
    Notifica(f);
  }
}

// Start sequence steps 2 to 11, then the loop.
EsitoMisura Avvia(Context& c) {
  ProgramState& s = c.s;
  FrmMisura& f = c.w.frm_misura;

  if (c.link.ReadProduct()[0] != 0)
    return c.link.PortOpen() ? EsitoMisura::Identificazione : EsitoMisura::DispositivoPerso;
  const int v = s.CodVariante;
  // The frequency converter's words are unsigned (as reading takes them);
  // measuring may come first.
  s.ConSegno = v != 7;

  // Switch banks. When they cannot be read, the codes follow the banks as
  // last read rather than what an earlier run made of them.
  const auto dip = c.link.ReadDip();
  s.DipLetti = dip;
  if (s.ErroreCom == 0) {
    s.Dip0 = static_cast<std::uint8_t>(dip[0]);
    s.Dip1 = static_cast<std::uint8_t>(dip[1]);
    s.Dip2 = static_cast<std::uint8_t>(dip[2]);
  }
  misura::CodiciDaInterruttori(s);

  s.Canali[1].TipoIn = s.Canali[0].TipoIn;
  // The two-channel models set channel B on a bank of its own.
  const sw::Banchi banchi{s.Dip0, s.Dip1, s.Dip2};
  const bool doppio = c.w.frm_program.chk_Doubler.Value || (v == 4 && sw::CodiceGrezzo(v, banchi, 1) != 0);
  f.lbl_progIn[1].Visible = doppio ? false : !(v == 8 || v == 9);
  if (v == 5)
    for (int ch = 0; ch < 2; ++ch) s.Canali[ch].TipoIn = static_cast<std::uint8_t>(sw::CodiceGrezzo(v, banchi, ch));

  misura::Immagine42 immagine;
  for (int ch = 0; ch < 2; ++ch) misura::PreparaCanale(c, ch, immagine);
  // The trips come from the memory image only when this start read one.
  if (s.CodProdotto == 12 && (v == 0 || v == 7) && immagine) misura::SoglieDaMemoria(s, *immagine);

  s.ErroreCom = 0;
  for (int ch = 0; ch < 2; ++ch) {
    if (!LeggiCalibrazione(c, ch)) {
      c.dialogs.MsgBox(Testo(s, kTestoErroreCom), Buttons::Ok, Icon::Error, TitoloApplicazione(s));
      c.link.StopMeasure();
      return EsitoMisura::Calibrazione;
    }
  }

  misura::EtichetteRiepilogo(c);
  misura::CampiSoglie(c);
  f.Preparata = misura::Preparazione(s);
  f.Preparazione = false;
  Notifica(f);

  c.link.StartMeasure();
  return Ciclo(c);
}

}  // namespace

EsitoMisura Cmd_StartRead_Click(Context& c) {
  FrmMisura& f = c.w.frm_misura;
  Communication& m = c.w.communication;
  // One run at a time: a second Start inside the first one's waits would
  // interleave two preparations on the line. Nor may a transaction be
  // interrupted by one.
  if (f.InCorso || m.Occupato) {
    m.cmd_start_Picture = c.s.InMisura ? kImmagineStop : kImmagineStart;
    return EsitoMisura::GiaInCorso;
  }
  struct InCorso {
    FrmMisura& f;
    explicit InCorso(FrmMisura& x) : f(x) { f.InCorso = true; }
    ~InCorso() { f.InCorso = false; }
    InCorso(const InCorso&) = delete;
    InCorso& operator=(const InCorso&) = delete;
  } inCorso(f);

  c.s.InMisura = true;
  m.cmd_start_Picture = kImmagineStop;
  f.Letture = 0;
  f.UltimaLettura.reset();
  f.Preparazione = true;
  MostraValoriAttuali(f, true);
  const EsitoMisura esito = Avvia(c);

  // End sequence, whichever way the run ended.
  m.SpiaColor = kColoreVerde;
  m.cmd_start_Picture = kImmagineStart;
  c.s.InMisura = false;
  f.Esito = esito;
  f.InCorso = false;
  f.Preparazione = false;
  if (esito == EsitoMisura::DispositivoPerso) {
    // The last values are not the device's any more: they go grey, the
    // port box offers to open the port again, and the user is told why
    // the readings stopped.
    MostraValoriAttuali(f, false);
    m.Check1.Value = false;
    m.Check1.Caption = Testo(c.s, kTestoApriCom);
    Notifica(f);
    c.dialogs.MsgBox(Testo(c.s, kTxtDispositivoPerso), Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
  }
  Notifica(f);
  return esito;
}

void Cmd_StopRead_Click(Context& c) { c.s.InMisura = false; }

void cmd_Registra_Click(Context& c) {
  FrmMisura& f = c.w.frm_misura;
  if (f.Registro && f.Registro->Aperto()) {
    f.Registro->Chiudi();
    f.Registro.reset();
    f.cmd_Registra.Caption = Testo(c.s, kTxtRegistra);
    return;
  }
  FileDialogRequest r;
  r.title = Testo(c.s, kTxtRegistra);
  r.directory = c.w.UltimaCartella;
  r.defaultExtension = "csv";
  r.filters = {{"(*.csv)", "*.csv"}};
  r.overwritePrompt = true;
  const auto nome = c.dialogs.SaveFileName(r);
  if (!nome || nome->empty()) return;
  auto registro = std::make_shared<RegistroCsv>();
  std::string errore;
  if (!registro->Apri(*nome, errore, c.s.Lingua)) {
    c.dialogs.MsgBox(errore, Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return;
  }
  f.Registro = std::move(registro);
  f.cmd_Registra.Caption = Testo(c.s, kTxtFermaRegistrazione);
}

void ImpostaTestiMisura(const ProgramState& s, const FrmProgram& programma, FrmMisura& f) {
  f.Caption = Testo(s, kTestoMisura);
  f.lbl_uscita[0].Caption = Testo(s, kTestoUscita);
  f.lbl_uscita[1].Caption = Testo(s, kTestoUscita) + " B";
  f.lbl_ingresso[0].Caption = Testo(s, kTestoIngresso);
  f.lbl_ingresso[1].Caption = Testo(s, kTestoIngresso) + " B";
  f.lbl_soglie.Caption = Testo(s, kTestoSoglie);
  f.frm_soglia[0].Caption = "Trip A";
  f.frm_soglia[1].Caption = "Trip B";
  f.frm_soglia[2].Caption = "Alarm";
  const bool registra = f.Registro && f.Registro->Aperto();
  f.cmd_Registra.Caption = Testo(s, registra ? kTxtFermaRegistrazione : kTxtRegistra);

  // Channel B's panel where the model has a second output; the trip frames
  // on the trip models only (the PLV7100 has trip A, the PLV7300 both trips
  // and the NAMUR fault alarm). Elsewhere the status bits are not trips.
  const int v = s.CodVariante;
  f.frm_canale[0].Visible = true;
  f.frm_canale[1].Visible = programma.frm_output[1].Visible;
  f.lbl_soglie.Visible = v == 0 || v == 7;
  f.frm_soglia[0].Visible = v == 0 || v == 7;
  f.frm_soglia[1].Visible = v == 7;
  f.frm_soglia[2].Visible = v == 7;
}

std::array<bool, 2> CanaliMostrati(const FrmMisura& f) { return {true, f.frm_canale[1].Visible}; }

void MostraLettura(FrmMisura& f, const Lettura& l) {
  for (int ch = 0; ch < 2; ++ch) {
    const LetturaCanale& r = l.Canali[U(ch)];
    if (r.Uscita) f.txt_misura_out[U(ch)].Caption = r.TestoUscita;
    if (!r.Ingresso) continue;
    f.txt_misura_in[U(ch)].Caption = r.TestoIngresso;
    f.lbl_Break_L[U(ch)].BackColor = r.ColoreSotto;
    f.lbl_Break_H[U(ch)].BackColor = r.ColoreSopra;
    if (r.Quota) f.progress[U(ch)].Quota = *r.Quota;
  }
  for (int i = 0; i < 3; ++i) f.Led[U(i)].FillColor = l.Led[U(i)];
}

}  // namespace korventa
