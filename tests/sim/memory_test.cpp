#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "link/models.h"
#include "sim/device_types.h"
#include "sim/memory_image.h"
#include "sim/options.h"
#include "sim_util.h"
#include "support/files.h"

using namespace korventa;
using namespace korventa::sim;
using namespace korventa::sim::test;
namespace p = korventa::protocol;
namespace fs = std::filesystem;

TEST(MemoryImage, EveryModelIsRecognisedFromItsOwnImage) {
  for (const ModelInfo& m : Models()) {
    const DeviceIdentity id = *IdentityForModel(m.code);
    const MemoryBank image = DefaultMemoryImage(id);
    EXPECT_EQ(RecognizeModel(id.variant, image[4]), m.index) << m.code;
  }
  EXPECT_EQ(IdentityForModel("plv 7110 a")->model, "PLV7110A");
  EXPECT_FALSE(IdentityForModel("PLV9999"));
}

TEST(MemoryImage, ConfigurationDecodesToAPlausibleSetUp) {
  for (const ModelInfo& m : Models()) {
    const DeviceIdentity id = *IdentityForModel(m.code);
    const MemoryBank img = DefaultMemoryImage(id);
    const int v = id.variant;
    const bool sgn = WordsSigned(v);
    const int code = img[0] & 0x1F;
    const double scale = std::pow(10.0, RangeDecimals(v, code, img[4]));
    const double inMax = GetWord(img, 20, sgn) / scale, inMin = GetWord(img, 22, sgn) / scale;
    const double outMax = GetWord(img, 24, sgn) / 1000.0, outMin = GetWord(img, 26, sgn) / 1000.0;
    EXPECT_GT(inMax, inMin) << m.code;
    if (v != 7) {
      EXPECT_GE(inMin, InputType(code).min) << m.code;
      EXPECT_LE(inMax, InputType(code).max) << m.code;
    }
    const int outType = img[4] & 0x03;
    EXPECT_EQ(outMax, outType <= 1 ? 20.0 : 10.0) << m.code;
    EXPECT_EQ(outMin, outType == 1 ? 4.0 : 0.0) << m.code;
    // The output constants are the values at counts 800 and 3500, the
    // order depending on the model.
    const bool swapped = v == 0 || v == 7 || v == 8 || v == 9;
    const double first = GetFloat(img, 106), second = GetFloat(img, 109);
    EXPECT_NEAR(swapped ? second : first, 4.0, 0.01) << m.code;
    EXPECT_NEAR(swapped ? first : second, 20.0, 0.01) << m.code;
    EXPECT_NEAR(GetFloat(img, swapped ? 103 : 100), 2.0, 0.01) << m.code;
  }
}

namespace {

using korventa::test::TempDir;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(MemoryFile, StartsFromTheFileAndSavesEveryChange) {
  TempDir dir;
  const fs::path file = dir / "eeprom.bin";
  {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 256; ++i) out.put(static_cast<char>(i));
  }
  SimOptions o;
  o.memoryFile = file.string();
  ConverterConfig cfg;
  std::string error;
  ASSERT_TRUE(MakeConverterConfig(o, cfg, error)) << error;
  VirtualConverter dev(cfg);
  Exchange(dev, p::FrameEnterProgram());
  EXPECT_EQ(Exchange(dev, p::FrameRead(0, 77)), Bytes({'*', 0, 77, 77, 13, 10}));
  Exchange(dev, p::FrameWrite(0, 77, 0xAB));
  Exchange(dev, p::FrameWrite(3, 78, 0xCD));  // other banks are not the file's
  const std::string saved = ReadFile(file);
  ASSERT_EQ(saved.size(), 256u);
  EXPECT_EQ(static_cast<std::uint8_t>(saved[77]), 0xAB);
  EXPECT_EQ(static_cast<std::uint8_t>(saved[78]), 78);
  EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
  EXPECT_TRUE(dev.LastPersistError().empty());

  // A new converter on the same file sees the write.
  VirtualConverter again([&] {
    ConverterConfig c;
    std::string e;
    MakeConverterConfig(o, c, e);
    return c;
  }());
  EXPECT_EQ(again.Bank(0)[77], 0xAB);
}

TEST(MemoryFile, MissingFileStartsFromTheFactoryImageAndBadFilesAreRefused) {
  TempDir dir;
  SimOptions o;
  o.model = "PLV7110B";
  o.memoryFile = (dir / "new.bin").string();
  ConverterConfig cfg;
  std::string error;
  ASSERT_TRUE(MakeConverterConfig(o, cfg, error)) << error;
  VirtualConverter dev(cfg);
  EXPECT_EQ(dev.Bank(0), DefaultMemoryImage(*IdentityForModel("PLV7110B")));
  EXPECT_FALSE(fs::exists(o.memoryFile));
  Exchange(dev, p::FrameEnterProgram());
  Exchange(dev, p::FrameWrite(0, 2, 0x11));
  EXPECT_EQ(ReadFile(o.memoryFile).size(), 256u);

  {
    std::ofstream out(dir / "short.bin", std::ios::binary);
    out << "too short";
  }
  o.memoryFile = (dir / "short.bin").string();
  EXPECT_FALSE(MakeConverterConfig(o, cfg, error));
  EXPECT_NE(error.find("the file holds 9 bytes; a memory image holds 256"), std::string::npos) << error;
  EXPECT_FALSE(MakeSimTransport(o, error));

  // Only a regular file: a folder, an endless device or a FIFO without a
  // writer is refused at once, not read until memory runs out or forever.
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::vector<std::pair<std::string, std::string>> bad = {
      {(dir / "").string(), "it is a folder"},
      {"/dev/zero", "it is not a regular file"},
      {(dir / "fifo").string(), "it is not a regular file"}};
  for (const auto& [path, said] : bad) {
    o.memoryFile = path;
    EXPECT_FALSE(MakeConverterConfig(o, cfg, error)) << path;
    EXPECT_NE(error.find(said), std::string::npos) << error;
  }
}

TEST(MemoryFile, AFailedSaveIsReportedNotHidden) {
  TempDir dir;
  ConverterConfig cfg = ConfigFor("PLV7100");
  cfg.memoryFile = (dir / "missing-dir" / "eeprom.bin").string();
  std::vector<std::string> logged;
  cfg.log = [&](const std::string& m) { logged.push_back(m); };
  VirtualConverter dev(cfg);
  Exchange(dev, p::FrameEnterProgram());
  Exchange(dev, p::FrameWrite(0, 2, 0x11));
  EXPECT_EQ(dev.Bank(0)[2], 0x11) << "the device itself keeps the byte";
  EXPECT_FALSE(dev.LastPersistError().empty());
  EXPECT_EQ(logged.size(), 1u);
}

TEST(Options, ParseOptionsAndRefuseBadValues) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseSimArgs({"--model", "PLV7300", "--product=11", "--extra", "0x2A", "--dip", "1,0x80,3", "--rate",
                            "25.5", "--split", "--silent-after", "10", "--vanish-after", "0"},
                           o, error))
      << error;
  EXPECT_EQ(o.product, 11);
  EXPECT_EQ(o.extra, 42);
  EXPECT_EQ(o.dip, (std::array<std::uint8_t, 4>{1, 0x80, 3, 0}));
  EXPECT_DOUBLE_EQ(o.rate, 25.5);
  EXPECT_TRUE(o.faults.split);
  EXPECT_EQ(o.faults.silentAfter, 10);
  EXPECT_EQ(o.faults.vanishAfter, 0);

  for (std::vector<std::string> bad : {std::vector<std::string>{"--model", "XYZ"},
                                       {"--drop", "1.5"},
                                       {"--dip", "1,2,3,4,5"},
                                       {"--dip", "256"},
                                       {"--baud", "-1"},
                                       {"--rate", "0"},
                                       {"--firmware"},
                                       {"--split=yes"},
                                       {"--bogus"}}) {
    SimOptions b;
    error.clear();
    EXPECT_FALSE(ParseSimArgs(bad, b, error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(Options, CompactOptionStringForPortNames) {
  SimOptions o;
  std::string error;
  ASSERT_TRUE(ParseSimOptionString("PLV7110A,baud=9600,split,seed=5", o, error)) << error;
  EXPECT_EQ(o.model, "PLV7110A");
  EXPECT_EQ(o.baud, 9600);
  EXPECT_TRUE(o.faults.split);
  EXPECT_EQ(o.faults.seed, 5u);
  EXPECT_FALSE(ParseSimOptionString("PLV7110A,baud=fast", o, error));
  EXPECT_NE(SimUsage().find("--vanish-after"), std::string::npos);
}
