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
    {kTxtRecordNonScritto, "Registrazione interrotta: impossibile scrivere ", "Recording stopped: cannot write "},
    // A write cut short. Opening the port again reads the device into the
    // window, so the configuration to complete must be saved first.
    {kTxtScritturaParziale,
     "Scrittura interrotta: il dispositivo può contenere una configurazione parziale. Scrivere di nuovo per "
     "completarla (l'apertura della porta rilegge il dispositivo: salvare prima la configurazione su file).",
     "Writing interrupted: the device may hold a partial configuration. Write again to complete it (opening the "
     "port reads the device: save the configuration to a file first)."},
    {kTxtNonMemorizzabile, "%1: %2 non memorizzabile nel dispositivo (ammessi da %3 a %4)",
     "%1: %2 cannot be stored in the device (it holds %3 to %4)"},
    {kTxtTipoIngresso, "tipo di ingresso", "input type"},
    {kTxtTempoRisposta, "Tempo di risposta", "Response delay"},
    {kTxtNonTraLeVoci, " non è tra le voci offerte: ", " is not one of the entries offered: "},
    {kTxtUnBottone, "scegliere esattamente uno dei bottoni, scelti: ", "choose exactly one button, chosen: "},
    {kTxtNonOperatore, " non è un operatore\n", " is not an operator\n"},
    {kTxtRiletturaDiversa, "indirizzo %1: scritto %2, riletto %3", "address %1: written %2, read %3"},
    {kTxtNonVerificato, "non verificato: la rilettura non è riuscita", "not verified: the read-back failed"},
    {kTxtVerificato, "verificato: %1 indirizzi", "verified: %1 addresses"},
    {kTxtVerificatoDiversi, "%1 di %2 indirizzi riletti diversi:", "%1 of %2 addresses read back differently:"},
    {kTxtNessunaModifica, "Nessuna modifica.\n", "No changes.\n"},
    {kTxtRiepilogoImpostazioni, "Impostazioni:\n", "Settings:\n"},
    {kTxtRiepilogoIndirizzi, "Indirizzi:\n", "Addresses:\n"},
    {kTxtScritturaCambiaDiPiu, "La scrittura cambierà più di quanto modificato sullo schermo:\n\n",
     "Writing will change more than what was edited on screen:\n\n"},
    {kTxtScrivere, "\nScrivere?", "\nWrite?"},
    {kTxtLetturaRifiutata, "Lettura rifiutata: gli indirizzi da %1 a %2 del banco %3 sono fuori da 0 - 255.",
     "Read refused: addresses %1 to %2 of bank %3 are outside 0 to 255."},
    {kTxtScritturaRifiutata, "Scrittura rifiutata: il banco %1 è fuori da 0 - 255.",
     "Write refused: bank %1 is outside 0 to 255."},
    {kTxtFileNonAperto, "File non aperto: ", "File not opened: "},
    {kTxtValoriNonOfferti,
     ": valori che il modello collegato non offre:", ": values the connected model does not offer:"},
    {kTxtCopiaNonRiuscita, "Copia di sicurezza non riuscita: ", "Backup failed: "},
    {kTxtNullaScrittoNoBackup, ".\nNulla è stato scritto nel dispositivo (l'opzione --no-backup disattiva le copie).",
     ".\nNothing was written to the device (the option --no-backup turns backups off)."},
    {kTxtNonRispondeIdentificazione, "il dispositivo non risponde all'identificazione",
     "the device did not answer the identification"},
    {kTxtByteNonLeggibili, "i byte da cambiare non si leggono", "the bytes to be changed could not be read"},
    {kTxtModelloNonRiconosciuto, "il modello non si riconosce", "the model could not be recognised"},
    {kTxtCollegatoUn, "il dispositivo collegato è un ", "the device connected is a "},
    {kTxtCopiaDiUn, ", la copia è di un ", ", the backup is of a "},
    {kTxtFermataPrimaInvio, "scrittura fermata prima dell'invio", "write stopped before sending"},
    {kTxtErroreNullaScritto, "errore di comunicazione, nulla scritto", "communication error, nothing written"},
    {kTxtRipristinoInterrotto, "scrittura interrotta: il dispositivo può contenere una parte dei valori",
     "writing interrupted: the device may hold part of the values"},
    {kTxtRiletturaNonRiuscita, "scritto, ma la rilettura di verifica non è riuscita",
     "written, but the read-back check failed"},
    {kTxtCopieDisattivate, "Le copie di sicurezza sono disattivate (--no-backup).",
     "Backups are turned off (--no-backup)."},
    {kTxtNessunaCopia, "Nessuna copia di sicurezza per questo dispositivo in ", "No backup for this device in "},
    {kTxtAnnullareUltima, "Annullare l'ultima scrittura (", "Undo the last write ("},
    {kTxtBanco, "Banco ", "Bank "},
    {kTxtIndirizzoAttualeRipristinato, ", indirizzo: attuale -> ripristinato\n", ", address: now -> restored\n"},
    {kTxtIndirizziRilettiDiversi, " indirizzi riletti diversi", " addresses read back differently"},
    {kTxtScritturaAnnullata, "Scrittura annullata: ", "Write undone: "},
    {kTxtIndirizziRipristinati, " indirizzi ripristinati e verificati.", " addresses restored and verified."},
    {kTxtAnnullaUltimaScrittura, "Annulla l'ultima scrittura", "Undo last write"},
    {kTxtRiga, "Riga ", "Line "},
    {kTxtNonByte, " non è un numero intero da 0 a 255.", " is not a whole number from 0 to 255."},
    {kTxtFileContiene, "Il file contiene ", "The file holds "},
    {kTxtValoriInveceDi256, " valori invece di 256.", " values instead of 256."},
    {kTxtListaContiene, "La lista contiene ", "The list holds "},
    {kTxtRigheInveceDi256, " righe invece di 256: leggere o caricare prima la memoria.",
     " lines instead of 256: read or load the memory first."},
    {kTxtIndirizzo, "Indirizzo ", "Address "},
    {kTxtByte, "Byte ", "Byte "},
    {kTxtServeByte, ": serve un numero intero da 0 a 255.", ": a whole number from 0 to 255 is needed."},
    {kTxtServeFloat, ": serve un numero (0 o di grandezza da 5.9E-39 a 3.4E+38).",
     ": a number is needed (0 or of a size from 5.9E-39 to 3.4E+38)."},
    {kTxtServeParola, ": serve un numero intero da -32768 a 65535.",
     ": a whole number from -32768 to 65535 is needed."},
    {kTxtErrori, " errori", " errors"},
    {kTxtRegistroFuori, "Registro %1: serve un numero intero da 0 a %2.",
     "Register %1: a whole number from 0 to %2 is needed."},
    {kTxtImmagineInterrotta, "Scrittura interrotta: il dispositivo può contenere una parte dei nuovi valori.",
     "Writing interrupted: the device may hold part of the new values."},
    {kTxtScrivereImmagine, "Scrivere i 256 byte di %1 nella memoria del dispositivo?",
     "Write the 256 bytes of %1 into the device's memory?"},
    {kTxtAlimentatore, "L'alimentatore", "The power supply"},
    {kTxtUnitaSwitch, "L'unità switch", "The relay switch unit"},
    {kTxtMultimetro, "Il multimetro", "The multimeter"},
    {kTxtSecondoMultimetro, "Il secondo multimetro", "The second multimeter"},
    {kTxtCalibratore, "Il calibratore", "The calibrator"},
    {kTxtIlDispositivo, "Il dispositivo", "The device"},
    {kTxtStrumentoMuto, " non risponde. Controllare che sia acceso e collegato.",
     " does not answer. Check that it is switched on and connected."},
    {kTxtLetturaAnnullata, "Lettura annullata: ", "Reading cancelled: "},
    {kTxtNonUnNumero, " non è un numero.", " is not a number."},
    {kTxtPortaNonDisponibile, ": porta non disponibile.", ": no such port."},
    {kTxtPortaNonSiApre, ": la porta non si apre. ", ": cannot open the port. "},
    {kTxtPortaRifiutaDati, ": la porta non accetta i dati.", ": the port refused the data."},
    {kTxtPortaSparita, ": la porta non è più disponibile.", ": the port went away."},
    {kTxtSelettoreNonValido, ": selettore non valido.", ": not a valid selector."},
    {kTxtHaRisposto, " ha risposto \"", " answered \""},
    {kTxtRispostaNonNumero, "\", che non è un numero.", "\", which is not a number."},
    {kTxtRispostaSenzaCorrente, "\", senza una corrente.", "\", which holds no current."},
    {kTxtGeneratore, "Generatore di funzioni: ", "Function generator: "},
    {kTxtValoreUscitaNonValido,
     "Valore per l'uscita %1 non valido: \"%2\". Inserire un numero intero da -32768 a 32767.",
     "Invalid value for output %1: \"%2\". Enter a whole number from -32768 to 32767."},
    {kTxtNessunNomeFile, "nessun nome di file", "no file name given"},
    {kTxtNonSalvabile, "impossibile salvare %1: %2", "cannot save %1: %2"},
    {kTxtNonApribile, "impossibile aprire %1: %2", "cannot open %1: %2"},
    {kTxtNonLeggibile, "impossibile leggere %1: %2", "cannot read %1: %2"},
    {kTxtECartella, "è una cartella", "it is a folder"},
    {kTxtNonFileRegolare, "non è un file regolare", "it is not a regular file"},
    {kTxtSolaLettura, "il file è di sola lettura", "the file is read-only"},
    {kTxtCartellaNonScrivibile, "impossibile creare un file nella cartella %1: %2",
     "cannot create a file in the folder %1: %2"},
    {kTxtProprietarioFile, "il proprietario del file non si può mantenere", "the file's owner cannot be kept"},
    {kTxtScritturaFileFallita, "scrittura non riuscita", "writing failed"},
    {kTxtSalvataggioDisco, "scrittura sul disco non riuscita", "flushing to the disk failed"},
    {kTxtChiusuraFile, "chiusura del file non riuscita", "closing the file failed"},
    {kTxtSostituzioneFile, "sostituzione del file non riuscita", "replacing the file failed"},
    {kTxtFileOltre, "il file contiene più di %1 byte", "the file holds more than %1 bytes"},
    {kTxtFileOltreInvece, "il file contiene più di %1 byte; %2 ne contiene %3",
     "the file holds more than %1 bytes; %2 holds %3"},
    {kTxtFileInvece, "il file contiene %1 byte; %2 ne contiene %3", "the file holds %1 bytes; %2 holds %3"},
    {kTxtUnFileConfigurazione, "un file di configurazione", "a configuration file"},
    {kTxtNonScrivibile, "impossibile scrivere %1", "cannot write %1"},
    {kTxtNessunaCartellaCopie, "nessuna cartella per le copie di sicurezza (impostare HOME o usare --backup-dir)",
     "no folder for backups (set HOME or use --backup-dir)"},
    {kTxtTipoConfigurazione, "configurazione", "configuration"},
    {kTxtTipoImmagine, "immagine", "image"},
    {kTxtTipoRegistro, "registro", "register"},
    {kTxtTipoRipristino, "ripristino", "restore"},
    {kTxtTipoSwitch, "switch", "switches"},
    {kTxtScrittiDi, "Scritti %1 di %2 byte.", "Written: %1 of %2 bytes."},
    {kTxtVerificaTaratura, "Verifica taratura", "Calibration check"},
    // The record's field names and the messages about them (core/files).
    {2100, "codice del tipo di ingresso", "input type code"},
    {2101, "massimo del campo di ingresso", "input range maximum"},
    {2102, "minimo del campo di ingresso", "input range minimum"},
    {2103, "codice del tipo di uscita", "output type code"},
    {2104, "uscita al massimo dell'ingresso", "output at input maximum"},
    {2105, "uscita al minimo dell'ingresso", "output at input minimum"},
    {2106, "offset del giunto freddo", "cold-junction offset"},
    {2107, "percentuale di tolleranza fuori scala", "over-range tolerance percent"},
    {2108, "soglia alta", "trip high threshold"},
    {2109, "soglia bassa", "trip low threshold"},
    {2110, "valore fisico al massimo dell'ingresso", "physical value at input maximum"},
    {2111, "valore fisico al minimo dell'ingresso", "physical value at input minimum"},
    {2112, "valore fisico al massimo dell'uscita", "physical value at output maximum"},
    {2113, "valore fisico al minimo dell'uscita", "physical value at output minimum"},
    {2114, "codice dell'operatore algebrico", "algebraic operator code"},
    {2115, "%1, canale %2 (offset %3)", "%1, ch %2 (offset %3)"},
    {2116, "%1 (offset %2)", "%1 (offset %2)"},
    {2117, "%1: %2, non è un numero", "%1: %2, not a number"},
    {2118, "%1: codice %2, non offerto da questo modello", "%1: code %2, not offered by this model"},
    {2119, "%1: %2 %, non offerta da questo modello", "%1: %2 %, not offered by this model"},
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

namespace {
std::string Riempi(const std::string& testo, std::initializer_list<std::string> args) {
  std::string t;
  t.reserve(testo.size());
  for (std::size_t i = 0; i < testo.size(); ++i) {
    const char c = testo[i];
    if (c == '%' && i + 1 < testo.size() && testo[i + 1] >= '1' && testo[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(testo[i + 1] - '1');
      if (n < args.size()) {
        t += *(args.begin() + n);
        ++i;
        continue;
      }
    }
    t += c;
  }
  return t;
}
}  // namespace

std::string Testo(const ProgramState& s, int italianId, std::initializer_list<std::string> args) {
  return Riempi(Testo(s, italianId), args);
}

std::string TestoInLingua(int lingua, int italianId, std::initializer_list<std::string> args) {
  return Riempi(LoadResString(italianId + static_cast<int>(Val(LoadResString(1))) * lingua), args);
}

std::string TestoMarchio(const ProgramState& s, int offset) { return LoadResString(IdMarchio(s.Marchio, offset)); }

std::string TitoloApplicazione(const ProgramState& s) { return TestoMarchio(s, kOffsetTitolo); }

std::string NomeModello(const ProgramState& s, int index) {
  if (index < 0 || index >= kModelCount) return {};
  const int id = IdMarchio(s.Marchio, kOffsetModelli + index);
  if (HasResString(id)) return LoadResString(id);
  return std::string(Models()[static_cast<std::size_t>(index)].code);
}

}  // namespace korventa
