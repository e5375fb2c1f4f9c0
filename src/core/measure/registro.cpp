#include "measure/registro.h"

#include <cstdio>

#include "app/texts.h"

namespace korventa {

namespace {

constexpr const char* kCanali[] = {"A", "B"};

// A field as CSV wants it: quoted when it holds a separator, a quote or a
// line end (units never do today, but a file must stay readable if one
// ever does).
std::string Campo(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) {
    if (c == '"') q += '"';
    q += c;
  }
  return q + "\"";
}

}  // namespace

std::string TimbroIso(std::chrono::system_clock::time_point t) {
  using namespace std::chrono;
  const auto ms = floor<milliseconds>(t);
  const auto giorno = floor<days>(ms);
  const year_month_day ymd{giorno};
  const hh_mm_ss<milliseconds> ora{ms - giorno};
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(ymd.year()),
                static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                static_cast<int>(ora.hours().count()), static_cast<int>(ora.minutes().count()),
                static_cast<int>(ora.seconds().count()), static_cast<int>(ora.subseconds().count()));
  return buf;
}

std::string IntestazioneCsv() { return "timestamp,channel,output,output_unit,input,input_unit,status"; }

std::string RigaCsv(const std::string& timbro, int canale, const LetturaCanale& l, std::uint8_t stato) {
  const std::string uscita = l.Uscita ? l.NumeroUscita : std::string();
  const std::string unitaUscita = l.Uscita ? l.UnitaUscita : std::string();
  std::string r = Campo(timbro);
  r += ',';
  r += kCanali[canale == 0 ? 0 : 1];
  r += ',' + Campo(uscita) + ',' + Campo(unitaUscita);
  r += ',' + Campo(l.Ingresso ? l.Numero : std::string()) + ',' + Campo(l.Ingresso ? l.UnitaTecnica : std::string());
  r += ',' + std::to_string(static_cast<int>(stato));
  return r;
}

std::vector<std::string> RigheCsv(const std::string& timbro, const Lettura& l, std::array<bool, 2> canali) {
  std::vector<std::string> righe;
  for (int ch = 0; ch < 2; ++ch)
    if (canali[static_cast<std::size_t>(ch)])
      righe.push_back(RigaCsv(timbro, ch, l.Canali[static_cast<std::size_t>(ch)], l.Stato));
  return righe;
}

bool RegistroCsv::Apri(const std::string& percorso, std::string& errore, int lingua) {
  Chiudi();
  file_.open(percorso, std::ios::out | std::ios::trunc | std::ios::binary);
  if (!file_) {
    errore = TestoInLingua(lingua, kTxtNonScrivibile, {percorso});
    file_.close();
    return false;
  }
  percorso_ = percorso;
  righe_ = 0;
  file_ << IntestazioneCsv() << '\n';
  file_.flush();
  if (!file_) {
    errore = TestoInLingua(lingua, kTxtNonScrivibile, {percorso});
    file_.close();
    return false;
  }
  return true;
}

bool RegistroCsv::Scrivi(const std::vector<std::string>& righe) {
  if (!file_.is_open()) return false;
  for (const auto& r : righe) {
    file_ << r << '\n';
    // Each row reaches the operating system before the next reading.
    file_.flush();
    if (!file_) {
      file_.close();
      return false;
    }
    ++righe_;
  }
  return true;
}

void RegistroCsv::Chiudi() {
  if (file_.is_open()) file_.close();
}

}  // namespace korventa
