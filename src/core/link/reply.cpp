#include "link/reply.h"

#include "link/protocol.h"

namespace korventa {

std::optional<std::size_t> FindReply(std::string_view buffer, std::string_view templ, int mode) {
  const std::size_t len = templ.size();
  // A reply needs its lead and its terminator; shorter templates match nothing.
  const std::size_t minLen = mode == protocol::kModeCr ? 2 : 3;
  if (len < minLen || buffer.size() < len) return std::nullopt;
  const char lead = templ.front();
  std::optional<std::size_t> found;
  for (std::size_t p = 0; p + len <= buffer.size(); ++p) {
    if (buffer[p] != lead) continue;
    const char last = buffer[p + len - 1];
    const bool ok = mode == protocol::kModeCr
                        ? last == protocol::kCR
                        : (buffer[p + len - 2] == protocol::kCR && last == protocol::kLF);
    if (ok) found = p;
  }
  return found;
}

}  // namespace korventa
