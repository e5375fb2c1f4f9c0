// korventa-cli show, write and read --save against the simulated converter
// on a virtual clock. The converter keeps its memory in a file between runs,
// so a test can read, edit, write and read again as a person would.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/json.h"
#include "cli/app.h"
#include "cli/device_fixture.h"
#include "cli/run_cli.h"
#include "files/dst_record.h"
#include "support/forwarding_transport.h"

using namespace korventa;
using namespace korventa::cli;
namespace fs = std::filesystem;

namespace {

using korventa::test::Cli;
using korventa::test::CliRun;

// The simulated converter with its "$W" frames tampered with: the byte for
// one address silently not stored, or the port failing after some writes.
struct Tamper {
  int dropAddress = -1;
  int failAfterWrites = -1;
} g_tamper;

class TamperedTransport : public test::ForwardingTransport {
 public:
  using ForwardingTransport::ForwardingTransport;
  IoStatus Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() == 6 && bytes[0] == '$' && bytes[1] == 'W') {
      if (g_tamper.failAfterWrites >= 0 && writes_++ >= g_tamper.failAfterWrites) return IoStatus::Error;
      if (bytes[3] == g_tamper.dropAddress) return IoStatus::Ok;
    }
    return ForwardingTransport::Write(bytes);
  }

 private:
  int writes_ = 0;
};

std::unique_ptr<Transport> Tampered(const GlobalOptions& options, std::string& error) {
  auto inner = VirtualSimulatedTransport(options, error);
  return inner ? std::make_unique<TamperedTransport>(std::move(inner)) : nullptr;
}

struct WriteCli : korventa::test::DeviceCli {
  void SetUp() override {
    g_tamper = {};
    DeviceCli::SetUp();
  }
};

}  // namespace

// One model of every variant family: read, edit one value of the form,
// write it with the read-back check, read again.
TEST_F(WriteCli, EditedFormOfEveryFamilyIsWrittenAndReadBack) {
  struct Case {
    std::string model;  // with simulator options
    std::string control;
    std::string value;
  };
  const std::vector<Case> cases = {
      {"PLV7100", "txt_Output_max", "19.5"},   {"PLV7110A", "txt_Input_max", "350"},
      {"PLV7110B", "txt_Output_min", "4.5"},   {"PLV7110D", "txt_Output_max", "18"},
      {"PLV7220D,variant=5", "txt_Output_max", "19"}, {"PLV7110C", "txt_Input_min", "10"},
      {"PLV7300", "txt_Input_min", "1"},       {"PLV7150", "txt_Output_max", "19.5"},
      {"PLV3100", "txt_Output_max", "9.5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.model);
    json::Value doc = ReadJson(c.model);
    json::Value* field = json::Find(doc, "form") ? json::Find(doc["form"], c.control) : nullptr;
    ASSERT_TRUE(field && field->is_array());
    (*field)[0] = json::Value(c.value);
    std::ofstream(Path("form.json")) << json::Write(doc);
    auto w = Cli(Device(c.model, {"write", "--form", Path("form.json"), "--verify"}));
    ASSERT_EQ(w.rc, kExitOk) << w.err << w.out;
    EXPECT_NE(w.out.find("verified: "), std::string::npos);
    EXPECT_EQ(ReadJson(c.model).at("form").at(c.control)[0], c.value);
    fs::remove(Path("device.mem"));
  }
}

TEST_F(WriteCli, SavedFileIsShownAndWrittenWithItsQuestions) {
  const std::string dst = Path("K.DST");
  ASSERT_EQ(Cli(Device("PLV7100", {"read", "--save", dst}, "source.mem")).rc, kExitOk);
  auto shown = Cli({"show", dst, "--json"});
  ASSERT_EQ(shown.rc, kExitOk) << shown.err;
  EXPECT_NE(shown.out.find("\"variant_code\": 0,"), std::string::npos) << shown.out;
  EXPECT_NE(Cli({"show", dst}).out.find("input range maximum, ch A"), std::string::npos);
  EXPECT_EQ(Cli(Device("PLV7100", {"read", "--save", Path("no/such/dir.DST")})).rc, kExitFile);

  // Made on a PLV7100, written to a PLV7110A: the file question.
  auto refused = Cli(Device("PLV7110A", {"write", dst}));
  EXPECT_EQ(refused.rc, kExitRefused);
  EXPECT_NE(refused.err.find("File not compatible with the device connected [Cancel]"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(Path("device.mem")));  // nothing written
  auto yes = Cli(Device("PLV7110A", {"--yes", "write", dst, "--verify"}));
  ASSERT_EQ(yes.rc, kExitOk) << yes.err;
  EXPECT_EQ(Memory().at(0), 8);  // the PLV7100's "Tc K"

  // A range beyond the catalogue: the limit warning.
  std::string error;
  DstRecord hot = *LoadDstFile(dst, error);
  hot.InputMax[0] = 1400;
  ASSERT_TRUE(SaveDstFile(Path("HOT.DST"), hot, error));
  auto limit = Cli(Device("PLV7100", {"write", Path("HOT.DST")}, "k.mem"));
  EXPECT_EQ(limit.rc, kExitRefused);
  EXPECT_NE(limit.err.find("Channel A: input value (MAX > "), std::string::npos);
  EXPECT_NE(limit.err.find(") exceeds limits [Cancel]"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("k.mem")));
  ASSERT_EQ(Cli(Device("PLV7100", {"write", Path("HOT.DST"), "--yes"}, "k.mem")).rc, kExitOk);
  const auto k = Memory("k.mem");
  EXPECT_EQ(k.at(20) | k.at(21) << 8, 14000);
}

TEST_F(WriteCli, UnusableInputIsRefusedBeforeAnythingIsWritten) {
  std::ofstream(Path("SHORT.DST")) << "short";
  EXPECT_EQ(Cli({"show", Path("SHORT.DST")}).rc, kExitFile);
  EXPECT_EQ(Cli({"show"}).rc, kExitUsage);
  EXPECT_EQ(Cli(Device("PLV7100", {"write", Path("SHORT.DST")})).rc, kExitFile);
  EXPECT_EQ(Cli(Device("PLV7100", {"write", Path("MISSING.DST")})).rc, kExitFile);
  std::ofstream(Path("form.json")) << "{\"form\": {\"no_such_control\": 1}}";
  EXPECT_EQ(Cli(Device("PLV7100", {"write", "--form", Path("form.json")})).rc, kExitFile);
  std::ofstream(Path("broken.json")) << "{\"form\": ";
  EXPECT_EQ(Cli(Device("PLV7100", {"write", "--form", Path("broken.json")})).rc, kExitFile);
  EXPECT_EQ(Cli(Device("PLV7100", {"write"})).rc, kExitUsage);
  EXPECT_EQ(Cli(Device("PLV7100", {"write", "a.DST", "--form", "b.json"})).rc, kExitUsage);
  EXPECT_FALSE(fs::exists(Path("device.mem")));
}

TEST_F(WriteCli, ReadBackDifferencesAndInterruptedWritesExitTwo) {
  const std::string dst = Path("K.DST");
  ASSERT_EQ(Cli(Device("PLV7100", {"read", "--save", dst}, "source.mem")).rc, kExitOk);
  std::string error;
  DstRecord r100 = *LoadDstFile(dst, error);
  r100.InputMin[0] = -100;  // -1000 tenths: 0x18 at 22
  ASSERT_TRUE(SaveDstFile(dst, r100, error));
  g_tamper.dropAddress = 22;  // the device keeps its old byte there
  auto r = Cli(Device("PLV7100", {"write", dst, "--verify"}), &Tampered);
  EXPECT_EQ(r.rc, kExitComm);
  const int found = Memory().at(22);
  EXPECT_NE(found, 0x18);
  EXPECT_NE(r.out.find("difference: address 22: written 24, read " + std::to_string(found) + "\n"),
            std::string::npos)
      << r.out;

  g_tamper = {-1, 10};
  auto cut = Cli(Device("PLV7100", {"write", dst}), &Tampered);
  EXPECT_EQ(cut.rc, kExitComm);
  EXPECT_NE(cut.err.find("may hold a partial configuration; writing again completes it"), std::string::npos);
  g_tamper = {};
  EXPECT_EQ(Cli(Device("PLV7100", {"write", dst, "--verify"})).rc, kExitOk);
}
