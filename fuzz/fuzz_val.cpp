// Arbitrary text typed into a number box. The parse must stay inside the
// text, give a finite value that is never -0, read the same whatever
// follows the number or how many blanks precede it, and the value written
// back into the box must read back unchanged.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/numbers.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_val: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korventa;
  // A view with no terminator: reading one byte too far is caught by ASan.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double v = Val(text);
  if (!std::isfinite(v)) Fail("non-finite value");
  if (v == 0.0 && std::signbit(v)) Fail("negative zero");

  const std::string copy(text);
  if (Val(copy + "x") != v) Fail("a trailing character changed the value");
  if (Val(" " + copy) != v) Fail("a leading blank changed the value");

  const std::string back = PlainNumber(v);
  if (back.find_first_of("eE") != std::string::npos) Fail("plain text has an exponent");
  if (Val(back) != v) Fail("plain text does not read back");
  (void)Round(v);
  return 0;
}
