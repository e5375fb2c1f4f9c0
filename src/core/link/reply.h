// Recognising a reply in the bytes received so far.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace korventa {

// Scans buffer for candidates: a position holding the template's lead
// character from which at least template-length bytes remain. A candidate is
// recognised when it ends with CR (mode -1) or with CR LF (mode 0) at the
// template's length. Only the lead, the length and the terminator are
// checked. When several candidates are recognised the last one wins; returns
// its position, or nullopt.
std::optional<std::size_t> FindReply(std::string_view buffer, std::string_view templ, int mode);

}  // namespace korventa
