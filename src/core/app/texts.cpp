#include "app/texts.h"

#include <map>

#include "app/numbers.h"
#include "link/models.h"

namespace korventa {
namespace {

// Web addresses of the brands. Brand 1 is sold without one (a single blank,
// like its company text); text 76 is the GA.NU. address in both languages.
constexpr const char* kWebPellvani = "www.pellvani.example";
constexpr const char* kWebGanu = "www.ganu.example";
constexpr const char* kWebSolvanta = "www.solvanta.example";

// Language texts: Italian id, English twin at id + 300. Some texts carry
// quirks the windows have always shown (a trailing blank in 56, the spelling
// of 75); they are kept as they are.
constexpr struct {
  int id;
  const char* italiano;
  const char* english;
} kLanguageTexts[] = {
    {31, "DUPLIC.", "DOUBLER"},
    {32, "Lineare", "Linear"},
    {33, "Serbatoio", "Tank"},
    {34, "SQRT", "SQRT"},
    {35, "Programma", "Program"},
    {36, "Misura", "Measure"},
    {37, "Switch", "Switch"},
    {38, "Apri Com", "Open Com"},
    {39, "Chiudi Com", "Close Com"},
    {40, "Tipo", "Type"},
    {41, "Funzioni", "Function"},
    {42, "Esterno", "External"},
    {43, "Interno", "Internal"},
    {44, "Alto", "Up"},
    {45, "Basso", "Down"},
    {46, "Leggi", "Read"},
    {47, "Scrivi", "Write"},
    {48, "Ingresso", "Input"},
    {49, "Uscita", "Output"},
    {50, "Soglie", "Trips"},
    {51, "Info su", "About"},
    {52, "Esci", "Exit"},
    {53, "Apri...", "Open..."},
    {54, "Salva", "Save"},
    {55, "Salva con nome...", "Save as..."},
    {56, "Controllo Config. ", "Configuration Check"},
    {57, "Opzioni", "Options"},
    {58, "Diretto", "Direct"},
    {59, "Inverso", "Reverse"},
    {60, "Fili", "Wires"},
    {61, "File non compatibile con il dispositivo collegato", "File not compatible with the device connected"},
    {62, "Configurazione errata: L'ingresso del canale A deve essere una Tc con CJC Interno",
     "Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"},
    {63, "Valori di ingresso", "input value"},
    {64, "valori di uscita", "output value"},
    {65, "oltre i limiti", "exceeds limits"},
    {66, "Offset CJC", "CJC Offset"},
    {67, "Porta COM utilizzata da un altra applicazione", "COM Port already in use"},
    {68, "Errore di comunicazione", "Communication error"},
    {69, "Il dispositivo è stato sostituito", "Device Changed"},
    {70, "Dispositivo non compatibile con questa versione di software",
     "Device not compatible with this software version"},
    {71, "Errore: controllare i dati di programmazione", "Error: check configuration data"},
    {72, "Canale", "Channel"},
    {73, "Dispositivo", "Device"},
    {74, "Manuale Utente", "User Guide"},
    {75, "Attenzione: il file è stato salavato con una versione differente del software",
     "Attention: the file has been saved with a different version of the software"},
    {76, kWebGanu, kWebGanu},
    {77, "MT_ITA_GANU_KORVENTA_0114R00.pdf", "MT_EN_GANU_KORVENTA_0114R00.pdf"},
    {78, "MT_ITA_AN_KORVENTA_0114R00.pdf", "MT_EN_AN_KORVENTA_0114R00.pdf"},
    {79, "Analogica", "Analog"},
    {80, "Digitale", "Digital"},
    {81, "Livello Trigger", "Trig Level"},
    {82, "Integrazione", "Smooth"},
    {83, "Moltipl.", "Multipl."},
    {84, "Funzioni", "Functions"},
    {85, "Funzione Algebrica", "Algebraic Function"},
    {86, "Fisico", "Physical"},
    // The switch window's own texts.
    {250, "Il valore non è un numero: nulla è stato scritto", "The value is not a number: nothing was written"},
    {251, "Il valore non sta in una parola di 16 bit: nulla è stato scritto",
     "The value does not fit a 16-bit word: nothing was written"},
    {252, "Stampa / Esporta", "Print / Export"},
    {253, "Scheda switch", "Switch card"},
    {254, "Modello", "Model"},
    {255, "Ingresso", "Input"},
    {256, "Opzione", "Option"},
    {257, "Campo", "Range"},
    {258, "Verifica", "Check"},
    {259, "Data", "Date"},
    {260, "File non salvato", "File not saved"},
};

// Texts of the desktop program's own captions, tool tips and messages
// beyond the table above (ids in texts.h), in the same two languages.
constexpr struct {
  int id;
  const char* italiano;
  const char* english;
} kDesktopTexts[] = {
    {kTxtNessunDispositivo, "Nessun dispositivo identificato", "No device identified"},
    {kTxtDispositivoPerso, "Dispositivo scollegato: la misura è stata interrotta.",
     "Device lost: the measurement has stopped."},
    {kTxtModificheNonSalvate, "Le modifiche non salvate andranno perse. Continuare?",
     "Unsaved changes will be lost. Continue?"},
    {kTxtConfermaScrittura, "Scrivere la configurazione nel dispositivo?", "Write the configuration to the device?"},
    {kTxtMenuVisualizza, "&Visualizza", "&View"},
    {kTxtMenuAzioni, "&Azioni", "&Action"},
    {kTxtRegistra, "Registra", "Record"},
    {kTxtFermaRegistrazione, "Ferma registrazione", "Stop recording"},
    {kTxtPausaTrend, "Pausa trend", "Pause trend"},
    {kTxtAltaVelocita, "Alta velocità", "High Speed"},
    {kTxtRitardo, "Ritardo", "Delay"},
    {kTxtGiuntoFreddo, "Giunto freddo", "Cold junction"},
    {kTxtRotturaSensore, "Rottura sensore", "Sensor break"},
    {kTxtFuoriScala, "Fuori scala", "Over-range"},
    {kTxtSuggerimentoLeggi, "Leggi la configurazione dal dispositivo (F5)",
     "Read the configuration from the device (F5)"},
    {kTxtSuggerimentoScrivi, "Scrivi la configurazione nel dispositivo (F6)",
     "Write the configuration to the device (F6)"},
    {kTxtSuggerimentoStart, "Avvia o ferma la misura (F9)", "Start or stop the measurement (F9)"},
    {kTxtSuggerimentoLingua, "Lingua", "Language"},
    {kTxtTipoSensore, "Sensore", "Sensor"},
    {kTxtFiltro50Hz, "Filtro 50 Hz", "50 Hz filter"},
    {kTxtOperatore, "Operatore", "Operator"},
    {kTxtInizioScala, "Inizio scala", "Range start"},
    {kTxtFineScala, "Fine scala", "Range end"},
    {kTxtSottoScala, "Sotto scala", "Below range"},
    {kTxtSopraScala, "Sopra scala", "Above range"},
    {kTxtRecordNonScritto, "Registrazione interrotta: impossibile scrivere ",
     "Recording stopped: cannot write "},
};

struct Brand {
  const char* company;
  const char* web;
  const char* manualIt;
  const char* manualEn;
  const char* title;
  const char* const* models;  // display names by catalogue index
  int modelCount;
};

constexpr const char* kModelsPellvani[] = {
    "PLV 7100",   "PLV 7110 A", "PLV 7110 B", "PLV 7110 C", "PLV 7110 D", "PLV 7120 A", "PLV 7120 B",
    "PLV 7120 C", "PLV 7120 D", "PLV 7210 A", "PLV 7210 B", "PLV 7210 C", "PLV 7210 D", "PLV 7220 A",
    "PLV 7220 B", "PLV 7220 C", "PLV 7220 D", "PLV 7300",   "PLV 7150",   "PLV 3100",
};
constexpr const char* kModelsGanu[] = {
    "GN-7100",   "GN-7110 A", "GN-7110 B", "GN-7110 C", "GN-7110 D", "GN-7120 A", "GN-7120 B",
    "GN-7120 C", "GN-7120 D", "GN-7210 A", "GN-7210 B", "GN-7210 C", "GN-7210 D", "GN-7220 A",
    "GN-7220 B", "GN-7220 C", "GN-7220 D", "GN-7300",   "GN-7150",   "GN-3100",
};
// The Solvanta line has no counterpart of the 7220, 7300, 7150 and 3100.
constexpr const char* kModelsSolvanta[] = {
    "SV6401", "SV6402", "SV6403", "SV6404", "SV6405", "SV6406", "SV6407",
    "SV6408", "SV6409", "SV6410", "SV6411", "SV6412", "SV6413",
};

constexpr Brand kBrands[] = {
    {"Pellvani srl", kWebPellvani, "MT_ITA_KORVENTA_0114R00.pdf", "MT_EN_KORVENTA_0114R00.pdf", "KORVENTA v.2.7",
     kModelsPellvani, 20},
    {" ", " ", "MT_ITA_AN_KORVENTA_0114R00.pdf", "MT_EN_AN_KORVENTA_0114R00.pdf ", "KORVENTA v.2.7", kModelsPellvani,
     20},
    {"GA.NU. srl", kWebGanu, "MT_ITA_GANU_KORVENTA_0114R00.pdf", "MT_EN_GANU_KORVENTA_0114R00.pdf", "KORVENTA v.2.7",
     kModelsGanu, 20},
    {"Solvanta srl", kWebSolvanta, "MT_IT_SVKUVRO02_0608R01.pdf", "MT_EN_SVKUVRO02_0608R01.pdf", "KUVRO-02 v.2.7",
     kModelsSolvanta, 13},
};

const std::map<int, std::string>& Table() {
  static const std::map<int, std::string> table = [] {
    std::map<int, std::string> t;
    // The language offset is itself a text: OffLingua = value of string 1
    // times Lingua.
    t[1] = "300";
    for (const auto& l : kLanguageTexts) {
      t[l.id] = l.italiano;
      t[l.id + kOffsetInglese] = l.english;
    }
    for (const auto& l : kDesktopTexts) {
      t[l.id] = l.italiano;
      t[l.id + kOffsetInglese] = l.english;
    }
    for (int b = 0; b < kNumMarchi; ++b) {
      const Brand& br = kBrands[b];
      const int base = IdMarchio(b, 0);
      t[base + 0] = br.company;
      t[base + 1] = br.web;
      t[base + 2] = br.manualIt;
      t[base + 3] = br.manualEn;
      t[base + 4] = br.title;
      for (int i = 0; i < br.modelCount; ++i) t[base + kOffsetModelli + i] = br.models[i];
    }
    return t;
  }();
  return table;
}

}  // namespace

int IdMarchio(int marchio, int offset) { return 1000 + 100 * marchio + offset; }

std::string LoadResString(int id) {
  const auto& t = Table();
  auto it = t.find(id);
  return it == t.end() ? std::string() : it->second;
}

bool HasResString(int id) { return Table().count(id) != 0; }

int CalcolaOffLingua(const ProgramState& s) {
  return static_cast<int>(Val(LoadResString(1))) * s.Lingua;
}

std::string Testo(const ProgramState& s, int italianId) { return LoadResString(italianId + s.OffLingua); }

std::string TestoMarchio(const ProgramState& s, int offset) { return LoadResString(IdMarchio(s.Marchio, offset)); }

std::string TitoloApplicazione(const ProgramState& s) { return TestoMarchio(s, kOffsetTitolo); }

std::string NomeModello(const ProgramState& s, int index) {
  if (index < 0 || index >= kModelCount) return {};
  const int id = IdMarchio(s.Marchio, kOffsetModelli + index);
  if (HasResString(id)) return LoadResString(id);
  return std::string(Models()[static_cast<std::size_t>(index)].code);
}

}  // namespace korventa
