// korventa-cli identify and read against the in-process simulated device on
// a virtual clock: one model of every variant family, the JSON document
// scripts rely on, and the exit codes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/json.h"
#include "app/state.h"
#include "cli/app.h"
#include "cli/run_cli.h"
#include "config/form_fields.h"

using namespace korventa;
using namespace korventa::cli;

namespace {

using korventa::test::Cli;
using korventa::test::CliRun;

json::Value ReadJson(const std::vector<std::string>& sim) {
  std::vector<std::string> args;
  for (const auto& a : sim) args.push_back(a);
  args.push_back("read");
  args.push_back("--json");
  CliRun r = Cli(args);
  EXPECT_EQ(r.rc, kExitOk) << r.err;
  json::ParseError e;
  auto doc = json::Parse(r.out, e);
  EXPECT_TRUE(doc) << e.Message() << "\n" << r.out;
  return doc ? *doc : json::Value();
}

// A configuration memory file for the simulated device, laid out from the
// memory map.
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& name) : path_(::testing::TempDir() + name) {}
  ~MemoryFile() { std::remove(path_.c_str()); }
  std::array<std::uint8_t, 256> m{};
  void Word(int a, long v) {
    m[a] = static_cast<std::uint16_t>(v) & 0xFF;
    m[a + 1] = static_cast<std::uint16_t>(v) >> 8;
  }
  void Float(int a, float v) {
    const auto u = std::bit_cast<std::uint32_t>(v);
    m[a] = (u >> 8) & 0xFF;
    m[a + 1] = (u >> 16) & 0xFF;
    m[a + 2] = u >> 24;
  }
  std::string Save() {
    std::ofstream f(path_, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(m.data()), m.size());
    return "memory=" + path_;
  }

 private:
  std::string path_;
};

const json::Value& At(const json::Value& v, const char* key, std::size_t i) { return v.at(key).at(i); }

}  // namespace

TEST(CliRead, EveryVariantFamilyReadsIntoAConsistentDocument) {
  struct Case {
    std::vector<std::string> sim;
    const char* model;
    const char* name;
    int variant;
    bool inputB;   // the model shows channel B's input
    bool outputB;  // ... and its output
    bool trips;    // the model stores trips: only the PLV7100 and PLV7300
  };
  const Case cases[] = {
      // Without the doubler the PLV7100 shows nothing of channel B.
      {{"--simulate", "PLV7100"}, "PLV7100", "GN-7100", 0, false, false, true},
      {{"--simulate", "PLV7110A"}, "PLV7110A", "GN-7110 A", 2, false, false, false},
      {{"--simulate", "PLV7120B"}, "PLV7120B", "GN-7120 B", 3, true, true, false},
      {{"--simulate", "PLV7220D"}, "PLV7220D", "GN-7220 D", 4, true, true, false},
      {{"--simulate", "PLV7220D", "--sim-opt", "variant=5"}, "PLV7220D", "GN-7220 D", 5, true, true, false},
      {{"--simulate", "PLV7210C"}, "PLV7210C", "GN-7210 C", 6, false, true, false},
      {{"--simulate", "PLV7300"}, "PLV7300", "GN-7300", 7, false, false, true},
      {{"--simulate", "PLV7150"}, "PLV7150", "GN-7150", 8, false, false, false},
      {{"--simulate", "PLV3100"}, "PLV3100", "GN-3100", 9, false, false, false},
  };
  for (const auto& k : cases) {
    const json::Value doc = ReadJson(k.sim);
    const json::Value* device = json::Find(doc, "device");
    ASSERT_NE(device, nullptr) << k.model;
    EXPECT_EQ(device->at("variant"), k.variant) << k.model;
    EXPECT_EQ(device->at("model"), k.model);
    EXPECT_EQ(device->at("name"), k.name);
    const json::Value& form = doc.at("form");
    const json::Value& visible = form.at(kFormVisible);
    EXPECT_EQ(At(visible, "frm_input", 1), k.inputB) << k.model;
    EXPECT_EQ(At(visible, "frm_output", 1), k.outputB) << k.model;
    EXPECT_EQ(At(visible, "frm_soglia", 0), k.trips) << k.model;
    EXPECT_EQ(visible.at("frm_freq"), k.variant == 7) << k.model;
    // The memory read: 0 to 64, and 128 to 153 on the two-input model.
    const json::Value& memory = doc.at("memory");
    EXPECT_EQ(memory.size(), k.variant == 5 ? 65u + 26u : 65u) << k.model;
    std::string lastAddress;
    for (const auto& [address, byte] : memory.items()) lastAddress = address;
    EXPECT_EQ(lastAddress, k.variant == 5 ? "153" : "64");
    // What read prints, write --form takes back into the window it reads.
    ProgramState st;
    FrmProgram f;
    FrmProgram_Load(st, f);
    std::string error;
    EXPECT_TRUE(FormFromJson(form, f, error)) << k.model << ": " << error;
  }
}

TEST(CliRead, Plv7100ImageInEngineeringTermsAndJson) {
  MemoryFile mem("korventa_read_7100.bin");
  mem.m[0] = mem.m[1] = 7;                   // "Tc J"
  mem.m[3] = 0x80;                           // burn-out down
  mem.m[4] = 1 | 0x10 | 0x80;                // 4-20 mA, internal CJC, high speed
  mem.m[7] = 0xFB;                           // -0.5 °C
  mem.m[8] = 15;                             // 2 s
  mem.Float(10, 900);
  mem.Float(13, 850);
  mem.Word(20, 12000);
  mem.Word(22, -2000);
  mem.Word(24, 20000);
  mem.Word(26, 4000);
  const std::string opt = mem.Save();

  CliRun r = Cli({"--lang", "en", "--simulate", "PLV7100", "--sim-opt", opt, "read"});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  EXPECT_NE(r.out.find("device: GN-7100 (PLV7100), ID=12/0, firmware 4\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("A input: Tc J  -200 .. 1200 °C\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("A cold junction: Internal, offset -0.5 °C\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("A burn-out: Down\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("A trip: on Max, H 900 °C, L 850 °C, relay NO, delay 2 s\n"), std::string::npos) << r.out;
  // Channel B's input is not shown on this single-input model.
  EXPECT_EQ(r.out.find("B input"), std::string::npos) << r.out;

  const json::Value doc = ReadJson({"--simulate", "PLV7100", "--sim-opt", opt});
  const json::Value& form = doc.at("form");
  EXPECT_EQ(At(form, "txt_offset", 0), "-0.5");
  EXPECT_EQ(At(form.at(kFormCaptions), "lbl_uMisIn", 0), "°C");
  EXPECT_EQ(doc.at("memory").at("7"), 0xFB);
}

TEST(CliRead, IdentifyNamesTheModelOfItsLine) {
  CliRun r = Cli({"--simulate", "PLV7210B", "identify"});
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  EXPECT_NE(r.out.find("variant: 3\nfirmware: 4\nextra: 0\nmodel: PLV7210B\nname: GN-7210 B\n"), std::string::npos)
      << r.out;
}

TEST(CliRead, RefusedAndFailedReadsExitWithTheirCodes) {
  CliRun refused = Cli({"--simulate", "PLV7100", "--sim-opt", "product=11", "read"});
  EXPECT_EQ(refused.rc, kExitRefused);
  EXPECT_NE(refused.err.find("Dispositivo non compatibile con questa versione di software"), std::string::npos)
      << refused.err;

  CliRun silent = Cli({"--retries", "0", "--simulate", "PLV7100", "--sim-opt", "silent-after=0", "read", "--json"});
  EXPECT_EQ(silent.rc, kExitComm);
  EXPECT_TRUE(silent.out.empty());

  // The device falls silent in the middle of the block.
  CliRun broken = Cli({"--retries", "0", "--lang", "en", "--simulate", "PLV7100", "--sim-opt", "silent-after=30", "read"});
  EXPECT_EQ(broken.rc, kExitComm);
  EXPECT_NE(broken.err.find("Error: check configuration data"), std::string::npos) << broken.err;

  EXPECT_EQ(Cli({"--simulate", "PLV7100", "read", "--xml"}).rc, kExitUsage);
}
