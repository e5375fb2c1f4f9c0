#include "instruments/instrument_io.h"

#include <charconv>
#include <vector>

namespace korventa {

std::optional<RisorsaTcp> RisorsaSocket(const std::string& resource) {
  std::vector<std::string> parti;
  for (std::size_t from = 0;;) {
    const std::size_t sep = resource.find("::", from);
    parti.push_back(resource.substr(from, sep == std::string::npos ? std::string::npos : sep - from));
    if (sep == std::string::npos) break;
    from = sep + 2;
  }
  if (parti.size() != 4 || parti[3] != "SOCKET" || parti[1].empty()) return std::nullopt;
  const std::string& tipo = parti[0];
  if (tipo.rfind("TCPIP", 0) != 0 || tipo.find_first_not_of("0123456789", 5) != std::string::npos) return std::nullopt;
  int port = 0;
  const auto [ptr, ec] = std::from_chars(parti[2].data(), parti[2].data() + parti[2].size(), port);
  if (ec != std::errc() || ptr != parti[2].data() + parti[2].size() || port < 1 || port > 65535) return std::nullopt;
  return RisorsaTcp{parti[1], port};
}

}  // namespace korventa
