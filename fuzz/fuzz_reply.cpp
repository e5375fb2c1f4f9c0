// Random bytes on the line: the reply recogniser must stay inside the buffer
// and only ever return a candidate that starts with the lead character and
// ends with the terminator at the template's length.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "link/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korventa;
  if (size < 2) return 0;
  // First byte: template length (0..255) and lead; second: terminator mode.
  const std::size_t length = data[0];
  const char lead = (data[0] & 1) ? 'A' : '*';
  const int mode = (data[1] & 1) ? -1 : 0;
  const std::string templ = length ? lead + std::string(length - 1, '#') : std::string();
  // A copy with no spare room behind it, so a read past the end is caught.
  const std::string buffer(reinterpret_cast<const char*>(data + 2), size - 2);
  const auto pos = FindReply(buffer, templ, mode);
  if (!pos) return 0;
  if (*pos + length > buffer.size() || buffer[*pos] != lead) std::abort();
  const char last = buffer[*pos + length - 1];
  if (mode == -1 ? last != '\r' : (last != '\n' || buffer[*pos + length - 2] != '\r')) std::abort();
  return 0;
}
