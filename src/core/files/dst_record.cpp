#include "files/dst_record.h"

#include <bit>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "app/numbers.h"
#include "app/texts.h"
#include "files/safe_file.h"

namespace korventa {

namespace {

// Little-endian stores and loads, byte by byte, so the file is the same on
// any host. Doubles travel as their IEEE 754 bit pattern, NaN payloads and
// the sign of zero included, so decoding and re-encoding a file is exact.
void Put(std::uint8_t* p, std::uint64_t v, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t Get(const std::uint8_t* p, std::size_t size) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < size; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return v;
}

template <class T>
void Store(std::uint8_t* p, const T& value) {
  if constexpr (std::is_same_v<T, double>) {
    Put(p, std::bit_cast<std::uint64_t>(value), 8);
  } else if constexpr (std::is_same_v<T, std::int16_t>) {
    Put(p, static_cast<std::uint16_t>(value), 2);
  } else {
    static_assert(std::is_same_v<T, std::uint8_t>);
    p[0] = value;
  }
}

template <class T>
void Load(const std::uint8_t* p, T& value) {
  if constexpr (std::is_same_v<T, double>) {
    value = std::bit_cast<double>(Get(p, 8));
  } else if constexpr (std::is_same_v<T, std::int16_t>) {
    value = static_cast<std::int16_t>(static_cast<std::uint16_t>(Get(p, 2)));
  } else {
    static_assert(std::is_same_v<T, std::uint8_t>);
    value = p[0];
  }
}

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559,
              "the file stores IEEE 754 binary64 doubles");

}  // namespace

std::uint8_t ByteFromDouble(double x) {
  const long r = Round(x);
  if (r < 0) return 0;
  if (r > 255) return 255;
  return static_cast<std::uint8_t>(r);
}

std::array<std::uint8_t, kDstSize> EncodeDst(const DstRecord& record) {
  std::array<std::uint8_t, kDstSize> bytes{};
  ForEachDstField(record, [&bytes](std::size_t offset, const DstFieldName&, const auto& value) {
    Store(bytes.data() + offset, value);
  });
  return bytes;
}

std::optional<DstRecord> DecodeDst(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kDstSize) return std::nullopt;
  DstRecord record;
  ForEachDstField(record, [&bytes](std::size_t offset, const DstFieldName&, auto& value) {
    Load(bytes.data() + offset, value);
  });
  return record;
}

std::optional<DstRecord> LoadDstFile(const std::string& path, std::string& error, int lingua) {
  const auto bytes = ReadFixedSizeFile(path, kDstSize, TestoInLingua(lingua, kTxtUnFileConfigurazione), error, lingua);
  if (!bytes) return std::nullopt;
  return DecodeDst(*bytes);
}

bool SaveDstFile(const std::string& path, const DstRecord& record, std::string& error, int lingua) {
  const auto bytes = EncodeDst(record);
  return WriteFileAtomically(path, bytes, error, lingua);
}

}  // namespace korventa
