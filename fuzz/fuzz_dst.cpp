// Arbitrary bytes offered as a ".DST" file: the reader must refuse every
// size but 292, decode any 292 bytes, re-encode them bit for bit and list
// them without producing invalid JSON.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <type_traits>

#include "app/numbers.h"
#include "files/dst_record.h"
#include "files/dst_show.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_dst: %s\n", what);
  std::abort();
}

void Check(std::span<const std::uint8_t> bytes) {
  using namespace korventa;
  const auto record = DecodeDst(bytes);
  if (bytes.size() != kDstSize) {
    if (record) Fail("a record was decoded from the wrong number of bytes");
    return;
  }
  if (!record) Fail("292 bytes were refused");
  const auto again = EncodeDst(*record);
  if (std::memcmp(again.data(), bytes.data(), kDstSize) != 0) Fail("re-encoding changed the bytes");

  const std::string text = DescribeDst(*record, false);
  const std::string json = DescribeDst(*record, true);
  if (text.empty() || json.empty() || json.front() != '{' || json.find("\n}\n") == std::string::npos)
    Fail("listing is malformed");
  if (json.find("nan") != std::string::npos || json.find("inf") != std::string::npos)
    Fail("JSON holds a non-finite number");

  // What opening does with the values: put them into boxes as text, read
  // them back when saving, turn the spare doubles back into bytes.
  ForEachDstField(*record, [](std::size_t, const DstFieldName&, const auto& value) {
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, double>) {
      const double back = Val(PlainNumber(value));
      if (std::isfinite(value) && back != value) Fail("a value did not survive its box text");
      (void)Round(value);
    }
  });
  for (double spare : record->Spare) (void)ByteFromDouble(spare);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  Check(bytes);
  // Longer inputs also exercise the decoder through their first record.
  if (size > korventa::kDstSize) Check(bytes.first(korventa::kDstSize));
  return 0;
}
