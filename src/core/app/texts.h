// The string table: language texts (Italian id, English id + 300), the
// brand profiles (1000 + 100 * brand + offset) and the model display names.
#pragma once

#include <initializer_list>
#include <string>

#include "app/state.h"

namespace korventa {

// English texts are stored at the Italian id + 300 (the value of string 1).
inline constexpr int kOffsetInglese = 300;
// Brand profiles 0..3.
inline constexpr int kNumMarchi = 4;
// Offsets inside a brand's block of strings.
inline constexpr int kOffsetDitta = 0;           // company
inline constexpr int kOffsetWeb = 1;             // web address
inline constexpr int kOffsetManualeIta = 2;      // Italian manual file
inline constexpr int kOffsetManualeEng = 3;      // English manual file
inline constexpr int kOffsetTitolo = 4;          // application title
inline constexpr int kOffsetModelli = 10;        // display names, +10 + catalogue index

// Texts of the desktop program's own captions, tool tips and messages,
// Italian ids (the English twin at + 300).
inline constexpr int kTxtNessunDispositivo = 200;   // main window before a read succeeds
inline constexpr int kTxtDispositivoPerso = 201;    // the port vanished while measuring
inline constexpr int kTxtModificheNonSalvate = 202; // before Open or Exit throws edits away
inline constexpr int kTxtConfermaScrittura = 203;   // Write from the menu or F6
inline constexpr int kTxtMenuVisualizza = 204;
inline constexpr int kTxtMenuAzioni = 205;
inline constexpr int kTxtRegistra = 208;
inline constexpr int kTxtFermaRegistrazione = 209;
inline constexpr int kTxtPausaTrend = 210;
inline constexpr int kTxtAltaVelocita = 211;
inline constexpr int kTxtRitardo = 212;
inline constexpr int kTxtGiuntoFreddo = 213;
inline constexpr int kTxtRotturaSensore = 214;
inline constexpr int kTxtFuoriScala = 215;
inline constexpr int kTxtSuggerimentoLeggi = 216;
inline constexpr int kTxtSuggerimentoScrivi = 217;
inline constexpr int kTxtSuggerimentoStart = 218;
inline constexpr int kTxtSuggerimentoLingua = 219;
inline constexpr int kTxtTipoSensore = 220;
inline constexpr int kTxtFiltro50Hz = 221;
inline constexpr int kTxtOperatore = 222;
inline constexpr int kTxtRecordNonScritto = 223;
inline constexpr int kTxtInizioScala = 224;
inline constexpr int kTxtFineScala = 225;
inline constexpr int kTxtSottoScala = 226;
inline constexpr int kTxtSopraScala = 227;

// Messages and fragments of messages, Italian ids from 2000 (the English
// twin at + 300). A fragment that begins or ends with a blank or a colon is
// put between values the caller supplies; "%1" to "%9" are filled by Testo.

// Writing the configuration and reading it back.
inline constexpr int kTxtScritturaParziale = 2000;
inline constexpr int kTxtScrittiDi = 2099;
inline constexpr int kTxtNonMemorizzabile = 2001;
inline constexpr int kTxtTipoIngresso = 2002;
inline constexpr int kTxtTempoRisposta = 2003;
inline constexpr int kTxtNonTraLeVoci = 2004;
inline constexpr int kTxtUnBottone = 2005;
inline constexpr int kTxtNonOperatore = 2006;
inline constexpr int kTxtRiletturaDiversa = 2007;
inline constexpr int kTxtNonVerificato = 2008;
inline constexpr int kTxtVerificato = 2009;
inline constexpr int kTxtVerificatoDiversi = 2010;
// The summary of a write that changes more than was edited.
inline constexpr int kTxtNessunaModifica = 2011;
inline constexpr int kTxtRiepilogoImpostazioni = 2012;
inline constexpr int kTxtRiepilogoIndirizzi = 2013;
inline constexpr int kTxtScritturaCambiaDiPiu = 2014;
inline constexpr int kTxtScrivere = 2015;
// Frames the link refuses to build.
inline constexpr int kTxtLetturaRifiutata = 2016;
inline constexpr int kTxtScritturaRifiutata = 2017;
// Configuration files.
inline constexpr int kTxtFileNonAperto = 2018;
inline constexpr int kTxtValoriNonOfferti = 2019;
// Backups before a write, and undoing the last write.
inline constexpr int kTxtCopiaNonRiuscita = 2020;
inline constexpr int kTxtNullaScrittoNoBackup = 2021;
inline constexpr int kTxtNonRispondeIdentificazione = 2022;
inline constexpr int kTxtByteNonLeggibili = 2023;
inline constexpr int kTxtModelloNonRiconosciuto = 2024;
inline constexpr int kTxtCollegatoUn = 2025;
inline constexpr int kTxtCopiaDiUn = 2026;
inline constexpr int kTxtFermataPrimaInvio = 2027;
inline constexpr int kTxtErroreNullaScritto = 2028;
inline constexpr int kTxtRipristinoInterrotto = 2029;
inline constexpr int kTxtRiletturaNonRiuscita = 2030;
inline constexpr int kTxtCopieDisattivate = 2031;
inline constexpr int kTxtNessunaCopia = 2032;
inline constexpr int kTxtAnnullareUltima = 2033;
inline constexpr int kTxtBanco = 2034;
inline constexpr int kTxtIndirizzoAttualeRipristinato = 2035;
inline constexpr int kTxtIndirizziRilettiDiversi = 2036;
inline constexpr int kTxtScritturaAnnullata = 2037;
inline constexpr int kTxtIndirizziRipristinati = 2038;
inline constexpr int kTxtAnnullaUltimaScrittura = 2039;
inline constexpr int kTxtNessunaCartellaCopie = 2093;
inline constexpr int kTxtTipoConfigurazione = 2094;
inline constexpr int kTxtTipoImmagine = 2095;
inline constexpr int kTxtTipoRegistro = 2096;
inline constexpr int kTxtTipoRipristino = 2097;
inline constexpr int kTxtTipoSwitch = 2098;
// Memory images and the register editor.
inline constexpr int kTxtRiga = 2040;
inline constexpr int kTxtNonByte = 2041;
inline constexpr int kTxtFileContiene = 2042;
inline constexpr int kTxtValoriInveceDi256 = 2043;
inline constexpr int kTxtListaContiene = 2044;
inline constexpr int kTxtRigheInveceDi256 = 2045;
inline constexpr int kTxtIndirizzo = 2046;
inline constexpr int kTxtByte = 2047;
inline constexpr int kTxtServeByte = 2048;
inline constexpr int kTxtServeFloat = 2049;
inline constexpr int kTxtServeParola = 2050;
inline constexpr int kTxtErrori = 2051;
inline constexpr int kTxtScrivereImmagine = 2052;
inline constexpr int kTxtRegistroFuori = 2073;
inline constexpr int kTxtImmagineInterrotta = 2074;
// The bench instruments.
inline constexpr int kTxtAlimentatore = 2053;
inline constexpr int kTxtUnitaSwitch = 2054;
inline constexpr int kTxtMultimetro = 2055;
inline constexpr int kTxtSecondoMultimetro = 2056;
inline constexpr int kTxtCalibratore = 2057;
inline constexpr int kTxtIlDispositivo = 2058;
inline constexpr int kTxtStrumentoMuto = 2059;
inline constexpr int kTxtLetturaAnnullata = 2060;
inline constexpr int kTxtNonUnNumero = 2061;
inline constexpr int kTxtPortaNonDisponibile = 2062;
inline constexpr int kTxtPortaNonSiApre = 2063;
inline constexpr int kTxtPortaRifiutaDati = 2064;
inline constexpr int kTxtPortaSparita = 2065;
inline constexpr int kTxtSelettoreNonValido = 2066;
inline constexpr int kTxtHaRisposto = 2067;
inline constexpr int kTxtRispostaNonNumero = 2068;
inline constexpr int kTxtRispostaSenzaCorrente = 2069;
// Factory test and calibration check.
inline constexpr int kTxtGeneratore = 2070;
inline constexpr int kTxtValoreUscitaNonValido = 2071;
inline constexpr int kTxtVerificaTaratura = 2072;
// Reading and saving files (the operating system's reason follows in its own
// words).
inline constexpr int kTxtNessunNomeFile = 2075;
inline constexpr int kTxtNonSalvabile = 2076;
inline constexpr int kTxtNonApribile = 2077;
inline constexpr int kTxtNonLeggibile = 2078;
inline constexpr int kTxtECartella = 2079;
inline constexpr int kTxtNonFileRegolare = 2080;
inline constexpr int kTxtSolaLettura = 2081;
inline constexpr int kTxtCartellaNonScrivibile = 2082;
inline constexpr int kTxtProprietarioFile = 2083;
inline constexpr int kTxtScritturaFileFallita = 2084;
inline constexpr int kTxtSalvataggioDisco = 2085;
inline constexpr int kTxtChiusuraFile = 2086;
inline constexpr int kTxtSostituzioneFile = 2087;
inline constexpr int kTxtFileOltre = 2088;
inline constexpr int kTxtFileOltreInvece = 2089;
inline constexpr int kTxtFileInvece = 2090;
inline constexpr int kTxtUnFileConfigurazione = 2091;
inline constexpr int kTxtNonScrivibile = 2092;

// The text stored under id; empty when the table has no entry for it.
std::string LoadResString(int id);
// Whether the table has an entry under id.
bool HasResString(int id);

// Id of a brand string: 1000 + 100 * marchio + offset.
int IdMarchio(int marchio, int offset);

// The language offset for s.Lingua: value of string 1 times Lingua (what the
// text set-up stores in OffLingua).
int CalcolaOffLingua(const ProgramState& s);

// Language text: string (Italian id + OffLingua).
std::string Testo(const ProgramState& s, int italianId);
// The same with its blanks filled: "%1" to "%9" stand for args[0] to
// args[8], so each language puts the values where its word order wants them.
std::string Testo(const ProgramState& s, int italianId, std::initializer_list<std::string> args);
// Language text for a language code (0 Italian, 1 English) where no program
// state is at hand (file and image helpers shared with the CLI).
std::string TestoInLingua(int lingua, int italianId, std::initializer_list<std::string> args = {});
// Brand text: string 1000 + 100 * Marchio + offset.
std::string TestoMarchio(const ProgramState& s, int offset);
// The brand's application title, the caption of every message box.
std::string TitoloApplicazione(const ProgramState& s);
// Display name of catalogue model `index` (0..19) for the current brand; the
// model code ("PLV7300") when the brand has no name for it (brand 3 sells
// only models 0 to 12). Empty for an index outside the catalogue.
std::string NomeModello(const ProgramState& s, int index);

}  // namespace korventa
