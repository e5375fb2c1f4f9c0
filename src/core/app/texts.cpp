#include "app/texts.h"

#include <map>

namespace korventa {
namespace {

const std::map<int, std::string>& Table() {
  static const std::map<int, std::string> table = {
      {1, "300"},
      {68, "Errore di comunicazione"},
      {368, "Communication error"},
      {1004, "KORVENTA v.2.7"},
      {1104, "KORVENTA v.2.7"},
      {1204, "KORVENTA v.2.7"},
      {1304, "KUVRO-02 v.2.7"},
  };
  return table;
}

}  // namespace

std::string LoadResString(int id) {
  const auto& t = Table();
  auto it = t.find(id);
  return it == t.end() ? std::string() : it->second;
}

bool HasResString(int id) { return Table().count(id) != 0; }

std::string Testo(const ProgramState& s, int italianId) { return LoadResString(italianId + s.OffLingua); }

std::string TestoMarchio(const ProgramState& s, int offset) {
  return LoadResString(1000 + 100 * s.Marchio + offset);
}

std::string TitoloApplicazione(const ProgramState& s) { return TestoMarchio(s, 4); }

}  // namespace korventa
