#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/dst_record.h"
#include "files/dst_show.h"
#include "files/safe_file.h"
#include "support/files.h"

using namespace korventa;
namespace fs = std::filesystem;

namespace {

using Bytes = std::array<std::uint8_t, kDstSize>;

// Little-endian writers for building the expected file by hand.
void PutD(Bytes& b, std::size_t off, double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v);
  for (int i = 0; i < 8; ++i) b[off + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}
void PutW(Bytes& b, std::size_t off, std::int16_t v) {
  b[off] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) & 0xFF);
  b[off + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
}

// A record where every field holds a value of its own, and the bytes the
// file must hold for it, written straight from the offset table.
struct Sample {
  DstRecord record;
  Bytes bytes{};
};

Sample MakeSample() {
  Sample s;
  DstRecord& r = s.record;
  Bytes& b = s.bytes;
  r.Version = kVersioneProgramma;
  PutD(b, 0, 2.7);
  r.IdExtra = 0xA1, b[8] = 0xA1;
  r.CodProdotto = 12, b[9] = 12;
  r.CodVariante = 5, b[10] = 5;
  r.VerSw = 0x23, b[11] = 0x23;
  r.InputType = {7, 51}, b[12] = 7, b[13] = 51;
  r.InputMax = {1200, 850.5}, PutD(b, 14, 1200), PutD(b, 22, 850.5);
  r.InputMin = {-200, -0.25}, PutD(b, 30, -200), PutD(b, 38, -0.25);
  r.OutputType = {2, 9}, b[46] = 2, b[47] = 9;
  r.OutputMax = {20, 10}, PutD(b, 48, 20), PutD(b, 56, 10);
  r.OutputMin = {4, 2}, PutD(b, 64, 4), PutD(b, 72, 2);
  r.Cjc[0] = {-1, 0}, PutW(b, 80, -1), PutW(b, 82, 0);
  r.Cjc[1] = {0, -1}, PutW(b, 84, 0), PutW(b, 86, -1);
  r.CjcOffset = {1.8, -3.5}, PutD(b, 88, 1.8), PutD(b, 96, -3.5);
  r.Wiring[0] = {-1, 0x0102}, PutW(b, 104, -1), PutW(b, 106, 0x0102);
  r.Wiring[1] = {0x0304, 0x0506}, PutW(b, 108, 0x0304), PutW(b, 110, 0x0506);
  r.Wiring[2] = {0x0708, -2}, PutW(b, 112, 0x0708), PutW(b, 114, -2);
  r.Function[0] = {-1, 0}, PutW(b, 116, -1), PutW(b, 118, 0);
  r.Function[1] = {0, -1}, PutW(b, 120, 0), PutW(b, 122, -1);
  r.Function[2] = {0x1112, 0x1314}, PutW(b, 124, 0x1112), PutW(b, 126, 0x1314);
  r.BurnOut[0] = {-1, 0x2122}, PutW(b, 128, -1), PutW(b, 130, 0x2122);
  r.BurnOut[1] = {0x2324, -1}, PutW(b, 132, 0x2324), PutW(b, 134, -1);
  r.OverRange = {10, 2.5}, PutD(b, 136, 10), PutD(b, 144, 2.5);
  r.TripHigh = {95.5, 0}, PutD(b, 152, 95.5), PutD(b, 160, 0);
  r.TripLow = {-5.25, 0}, PutD(b, 168, -5.25), PutD(b, 176, 0);
  r.TripMode[0] = {-1, 0x3132}, PutW(b, 184, -1), PutW(b, 186, 0x3132);
  r.TripMode[1] = {0x3334, 0x3536}, PutW(b, 188, 0x3334), PutW(b, 190, 0x3536);
  r.Reserved = {123.0, 0}, PutD(b, 192, 123.0), PutD(b, 200, 0);
  const double physical[8] = {1.1, 2.2, 3.3, 4.4, 5.5, 6.6, 7.7, 8.8};
  for (std::size_t i = 0; i < 8; ++i) r.Physical[i] = physical[i], PutD(b, 208 + 8 * i, physical[i]);
  r.Operatore = {3, 250}, b[272] = 3, b[273] = 250;
  r.Spare = {17, 255}, PutD(b, 274, 17), PutD(b, 282, 255);
  r.HighSpeed = 1, b[290] = 1;
  r.Doubler = 1, b[291] = 1;
  return s;
}

using test::TempDir;

std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(DstRecord, EncodesEveryFieldAtItsOffsetLittleEndian) {
  const Sample s = MakeSample();
  const Bytes encoded = EncodeDst(s.record);
  for (std::size_t i = 0; i < kDstSize; ++i) EXPECT_EQ(encoded[i], s.bytes[i]) << "offset " << i;
  // 2.7 is 0x400599999999999A, lowest byte first.
  const std::array<std::uint8_t, 8> version{0x9A, 0x99, 0x99, 0x99, 0x99, 0x99, 0x05, 0x40};
  EXPECT_TRUE(std::equal(version.begin(), version.end(), encoded.begin()));
  // A selected option button is FF FF.
  EXPECT_EQ(encoded[80], 0xFF);
  EXPECT_EQ(encoded[81], 0xFF);
}

TEST(DstRecord, DecodesAndReencodesByteIdentically) {
  const Sample s = MakeSample();
  const auto decoded = DecodeDst(s.bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, s.record);

  // Any 292 bytes survive decoding and re-encoding, NaN payloads and -0
  // included: opening and saving a file never alters what it does not set.
  std::mt19937 random(292);
  for (int round = 0; round < 200; ++round) {
    Bytes raw;
    for (auto& byte : raw) byte = static_cast<std::uint8_t>(random());
    if (round == 0) PutD(raw, 14, -0.0), PutD(raw, 22, std::nan("1234"));
    const auto record = DecodeDst(raw);
    ASSERT_TRUE(record);
    ASSERT_EQ(EncodeDst(*record), raw) << "round " << round;
  }
}

TEST(DstRecord, RefusesAnyOtherSize) {
  const std::vector<std::uint8_t> bytes(400, 0);
  for (std::size_t size : {0u, 1u, 291u, 293u, 400u})
    EXPECT_FALSE(DecodeDst(std::span(bytes.data(), size))) << size;
  EXPECT_TRUE(DecodeDst(std::span(bytes.data(), 292)));
}

TEST(DstRecord, SpareByteComesBackClampedAndRounded) {
  EXPECT_EQ(ByteFromDouble(2.5), 2);
  EXPECT_EQ(ByteFromDouble(254.6), 255);
  EXPECT_EQ(ByteFromDouble(-1), 0);
  EXPECT_EQ(ByteFromDouble(1e300), 255);
  EXPECT_EQ(ByteFromDouble(std::nan("")), 0);
}

TEST(DstShow, TextListsFieldsByOffsetAndName) {
  const std::string text = DescribeDst(MakeSample().record, false);
  EXPECT_NE(text.find("     0  version number"), std::string::npos) << text;
  EXPECT_NE(text.find("    22  input range maximum, ch B"), std::string::npos);
  EXPECT_NE(text.find("850.5\n"), std::string::npos);
  EXPECT_NE(text.find("    80  cold junction \"External\" flag, ch A"), std::string::npos);
  EXPECT_NE(text.find("-1 (selected)\n"), std::string::npos);
  EXPECT_NE(text.find("   224  physical value at input maximum, ch B"), std::string::npos);
  EXPECT_NE(text.find("   200  reserved double, second"), std::string::npos);
  // Heading plus one line per elementary field.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 5 + 24 * 2 + 2 + 8 + 2);
}

TEST(DstShow, JsonHasStableKeysAndRoundTripNumbers) {
  DstRecord r = MakeSample().record;
  r.InputMax[1] = 0.1 + 0.2;  // needs 17 digits
  r.CjcOffset[0] = std::nan("");
  const std::string json = DescribeDst(r, true);
  EXPECT_EQ(json.front(), '{');
  EXPECT_EQ(json.substr(json.size() - 2), "}\n");
  EXPECT_NE(json.find("\"version\": 2.7,"), std::string::npos) << json;
  EXPECT_NE(json.find("\"input_max\": [1200, 0.30000000000000004],"), std::string::npos);
  EXPECT_NE(json.find("\"cjc_external\": [-1, 0],"), std::string::npos);
  EXPECT_NE(json.find("\"cjc_offset\": [null, -3.5],"), std::string::npos);
  // The physical values of A and B sit apart in the file but pair up here.
  EXPECT_NE(json.find("\"physical_input_max\": [1.1, 3.3],"), std::string::npos);
  EXPECT_NE(json.find("\"doubler\": 1\n}"), std::string::npos);
  EXPECT_EQ(json.find("nan"), std::string::npos);
  EXPECT_EQ(json.find("inf"), std::string::npos);
  EXPECT_LT(json.find("\"physical_output_min\""), json.find("\"operator\""));
}

TEST(SafeFile, WritesReplacesAndLeavesNoTemporaryFiles) {
  TempDir dir;
  const std::string path = dir / "PLANT.DST";
  std::string error;
  const std::vector<std::uint8_t> first(292, 0x11), second(10, 0x22);
  ASSERT_TRUE(WriteFileAtomically(path, first, error)) << error;
  EXPECT_EQ(FileBytes(path), first);
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomically(path, second, error)) << error;
  EXPECT_EQ(FileBytes(path), second);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(dir.Entries(), 1u);

  // Through a link: the file pointed at changes, the link stays a link.
  const std::string link = dir / "link.DST";
  fs::create_symlink(path, link);
  ASSERT_TRUE(WriteFileAtomically(link, first, error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(FileBytes(path), first);
  EXPECT_EQ(dir.Entries(), 2u);
}

TEST(SafeFile, FailedWriteLeavesTheOldFileIntact) {
  TempDir dir;
  const std::string path = dir / "OLD.DST";
  const std::vector<std::uint8_t> old(292, 0x5A), fresh(292, 0xA5);
  WriteBytes(path, old);
  std::string error;

  EXPECT_FALSE(WriteFileAtomically(dir / "missing/NEW.DST", fresh, error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_FALSE(WriteFileAtomically("", fresh, error));

  fs::create_directory(dir / "folder.DST");
  error.clear();
  EXPECT_FALSE(WriteFileAtomically(dir / "folder.DST", fresh, error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(dir / "folder.DST"));

  // The disk "fills up" half-way: a file-size limit makes the write fail
  // even for root. The old contents must survive and the partial temporary
  // file must go.
  error.clear();
  const bool written = [&] {
    const test::FileSizeLimit full(100);
    return WriteFileAtomically(path, fresh, error);
  }();
  EXPECT_FALSE(written);
  EXPECT_NE(error.find("writing failed"), std::string::npos) << error;
  EXPECT_EQ(FileBytes(path), old);
  EXPECT_EQ(dir.Entries(), 2u);  // OLD.DST and folder.DST only
}

TEST(SafeFile, ReadingIsBounded) {
  TempDir dir;
  std::string error;
  const std::string big = dir / "big.bin";
  WriteBytes(big, std::vector<std::uint8_t>(1 << 20, 7));
  EXPECT_FALSE(ReadWholeFile(big, 292, error));
  EXPECT_NE(error.find("holds more than 292"), std::string::npos) << error;
  // Endless special files are refused before anything is read.
  EXPECT_FALSE(ReadWholeFile("/dev/zero", 292, error));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadWholeFile(dir / "fifo", 292, error));  // must not hang
  EXPECT_FALSE(ReadWholeFile(dir / "none", 292, error));
  EXPECT_FALSE(ReadWholeFile(dir.operator/(""), 292, error));

  const std::string exact = dir / "exact.bin";
  WriteBytes(exact, std::vector<std::uint8_t>(292, 3));
  const auto bytes = ReadWholeFile(exact, 292, error);
  ASSERT_TRUE(bytes) << error;
  EXPECT_EQ(bytes->size(), 292u);
  const std::string empty = dir / "empty.bin";
  WriteBytes(empty, {});
  ASSERT_TRUE(ReadWholeFile(empty, 292, error));
}

TEST(DstFile, SavesAndLoadsAndRefusesForeignFiles) {
  TempDir dir;
  const Sample s = MakeSample();
  std::string error;
  const std::string a = dir / "A.DST", b = dir / "B.DST";
  ASSERT_TRUE(SaveDstFile(a, s.record, error)) << error;
  ASSERT_TRUE(SaveDstFile(b, s.record, error)) << error;
  EXPECT_EQ(FileBytes(a), std::vector<std::uint8_t>(s.bytes.begin(), s.bytes.end()));
  EXPECT_EQ(FileBytes(a), FileBytes(b));
  const auto loaded = LoadDstFile(a, error);
  ASSERT_TRUE(loaded) << error;
  EXPECT_EQ(*loaded, s.record);

  WriteBytes(a, std::vector<std::uint8_t>(291, 0));
  EXPECT_FALSE(LoadDstFile(a, error));
  EXPECT_NE(error.find("291 bytes"), std::string::npos) << error;
  WriteBytes(a, std::vector<std::uint8_t>(293, 0));
  EXPECT_FALSE(LoadDstFile(a, error));
  EXPECT_NE(error.find("more than 292"), std::string::npos) << error;
  EXPECT_FALSE(LoadDstFile(dir / "absent.DST", error));
}
