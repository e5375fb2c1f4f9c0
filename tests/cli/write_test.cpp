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
#include "files/dst_record.h"

using namespace korventa;
using namespace korventa::cli;
namespace fs = std::filesystem;

namespace {

struct Run {
  int rc;
  std::string out;
  std::string err;
};

Run Cli(std::vector<std::string> args, TransportFactory factory = &VirtualSimulatedTransport) {
  std::ostringstream out, err;
  int rc = RunCli(args, out, err, factory);
  return {rc, out.str(), err.str()};
}

// The simulated converter, with a few of its "$W" frames tampered with:
// the byte for one address silently not stored, or the port failing after a
// number of writes.
struct Tamper {
  int dropAddress = -1;
  int failAfterWrites = -1;
};
Tamper g_tamper;

class TamperedTransport : public Transport {
 public:
  explicit TamperedTransport(std::unique_ptr<Transport> inner) : inner_(std::move(inner)) {}
  void SetPort(const std::string& name) override { inner_->SetPort(name); }
  std::string Port() const override { return inner_->Port(); }
  bool Open(std::string& error) override { return inner_->Open(error); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  IoStatus Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() == 6 && bytes[0] == '$' && bytes[1] == 'W') {
      if (g_tamper.failAfterWrites >= 0 && writes_++ >= g_tamper.failAfterWrites) return IoStatus::Error;
      if (bytes[3] == g_tamper.dropAddress) return IoStatus::Ok;
    }
    return inner_->Write(bytes);
  }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override { return inner_->ReadAll(out); }
  void Discard() override { inner_->Discard(); }
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override { inner_->Wait(deadline, wakeOnBytes); }
  Clock::time_point Now() const override { return inner_->Now(); }

 private:
  std::unique_ptr<Transport> inner_;
  int writes_ = 0;
};

std::unique_ptr<Transport> Tampered(const GlobalOptions& options, std::string& error) {
  auto inner = VirtualSimulatedTransport(options, error);
  if (!inner) return nullptr;
  return std::make_unique<TamperedTransport>(std::move(inner));
}

struct WriteCli : ::testing::Test {
  fs::path dir;
  void SetUp() override {
    g_tamper = {};
    dir = fs::path(::testing::TempDir()) /
          ("korventa-write-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // The simulated model with its memory kept in a file of this test.
  std::vector<std::string> Device(const std::string& model, std::vector<std::string> args,
                                  const std::string& memory = "device.mem") const {
    std::vector<std::string> a = {"--lang", "en", "--simulate", model, "--sim-opt", "memory=" + Path(memory)};
    a.insert(a.end(), args.begin(), args.end());
    return a;
  }
  std::vector<std::uint8_t> Memory(const std::string& name = "device.mem") const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::string Dst(const DstRecord& r, const std::string& name) const {
    const auto bytes = EncodeDst(r);
    std::ofstream out(Path(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }
};

// A PLV7100 configuration: "Tc K" on channel A, 4-20 mA, internal
// compensation, trip A on the maximum.
DstRecord Plv7100(double max, double min) {
  DstRecord r;
  r.Version = kVersioneProgramma;
  r.CodProdotto = 12;
  r.CodVariante = 0;
  r.VerSw = 4;
  r.InputType = {8, 8};
  r.InputMax = {max, max};
  r.InputMin = {min, min};
  r.OutputType = {1, 1};
  r.OutputMax = {20, 20};
  r.OutputMin = {4, 4};
  r.Cjc[1] = {-1, -1};
  r.Wiring[0] = {-1, -1};
  r.Function[0] = {-1, -1};
  r.BurnOut[0] = {-1, -1};
  r.TripHigh = {500, 0};
  r.TripLow = {100, 0};
  r.TripMode[0] = {-1, 0};
  return r;
}

int Word(const std::vector<std::uint8_t>& m, std::size_t a) {
  return static_cast<std::int16_t>(m.at(a) | (m.at(a + 1) << 8));
}

}  // namespace

TEST_F(WriteCli, ShowListsAFileWithoutADevice) {
  const std::string path = Dst(Plv7100(1300, -200), "K.DST");
  auto text = Cli({"show", path});
  ASSERT_EQ(text.rc, kExitOk) << text.err;
  EXPECT_NE(text.out.find("input range maximum, ch A"), std::string::npos) << text.out;
  auto json = Cli({"show", path, "--json"});
  ASSERT_EQ(json.rc, kExitOk) << json.err;
  EXPECT_NE(json.out.find("\"version\": 2.7"), std::string::npos) << json.out;

  std::ofstream(Path("SHORT.DST")) << "not a record";
  EXPECT_EQ(Cli({"show", Path("SHORT.DST")}).rc, kExitFile);
  EXPECT_EQ(Cli({"show", Path("MISSING.DST")}).rc, kExitFile);
  EXPECT_EQ(Cli({"show"}).rc, kExitUsage);
  EXPECT_EQ(Cli({"show", path, "--bogus"}).rc, kExitUsage);
}

TEST_F(WriteCli, WritesAFileAndChecksEveryAddress) {
  const std::string path = Dst(Plv7100(1300, -200), "K.DST");
  auto r = Cli(Device("PLV7100", {"write", path, "--verify"}));
  ASSERT_EQ(r.rc, kExitOk) << r.err;
  EXPECT_NE(r.out.find("verified: "), std::string::npos) << r.out;
  const auto m = Memory();
  ASSERT_EQ(m.size(), 256u);
  EXPECT_EQ(m[0], 8);
  EXPECT_EQ(Word(m, 20), 13000);
  EXPECT_EQ(Word(m, 22), -2000);
  EXPECT_EQ(Word(m, 26), 4000);
}

TEST_F(WriteCli, QuestionsAbortWithExitThreeUnlessYes) {
  // Made for a PLV7100, written to a PLV7110A: the file question.
  const std::string path = Dst(Plv7100(1300, -200), "K.DST");
  auto refused = Cli(Device("PLV7110A", {"write", path}));
  EXPECT_EQ(refused.rc, kExitRefused);
  EXPECT_NE(refused.err.find("File not compatible with the device connected [Cancel]"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(Path("device.mem")));  // nothing was written
  EXPECT_EQ(Cli(Device("PLV7110A", {"--yes", "write", path, "--verify"})).rc, kExitOk);

  // A range beyond the catalogue: the limit warning.
  const std::string hot = Dst(Plv7100(1400, -200), "HOT.DST");
  auto limit = Cli(Device("PLV7100", {"write", hot}, "k.mem"));
  EXPECT_EQ(limit.rc, kExitRefused);
  EXPECT_NE(limit.err.find("Channel A: input value (MAX) exceeds limits [Cancel]"), std::string::npos)
      << limit.err;
  EXPECT_FALSE(fs::exists(Path("k.mem")));
  auto yes = Cli(Device("PLV7100", {"write", hot, "--yes", "--verify"}, "k.mem"));
  ASSERT_EQ(yes.rc, kExitOk) << yes.err;
  EXPECT_EQ(Word(Memory("k.mem"), 20), 14000);
}

TEST_F(WriteCli, UnusableFilesAndArguments) {
  std::ofstream(Path("SHORT.DST")) << "short";
  EXPECT_EQ(Cli(Device("PLV7100", {"write", Path("SHORT.DST")})).rc, kExitFile);
  EXPECT_EQ(Cli(Device("PLV7100", {"write", Path("MISSING.DST")})).rc, kExitFile);
  std::ofstream(Path("form.json")) << "{\"form\": {\"no_such_control\": 1}}";
  EXPECT_EQ(Cli(Device("PLV7100", {"write", "--form", Path("form.json")})).rc, kExitFile);
  std::ofstream(Path("broken.json")) << "{\"form\": ";
  auto broken = Cli(Device("PLV7100", {"write", "--form", Path("broken.json")}));
  EXPECT_EQ(broken.rc, kExitFile);
  EXPECT_NE(broken.err.find("line 1"), std::string::npos) << broken.err;
  EXPECT_EQ(Cli(Device("PLV7100", {"write"})).rc, kExitUsage);
  EXPECT_EQ(Cli(Device("PLV7100", {"write", "a.DST", "--form", "b.json"})).rc, kExitUsage);
  EXPECT_FALSE(fs::exists(Path("device.mem")));
}

TEST_F(WriteCli, VerifyReportsEveryDifference) {
  g_tamper.dropAddress = 22;  // the device keeps its old byte there
  const std::string path = Dst(Plv7100(1300, -200), "K.DST");
  auto r = Cli(Device("PLV7100", {"write", path, "--verify"}), &Tampered);
  EXPECT_EQ(r.rc, kExitComm);
  const int found = Memory().empty() ? -1 : Memory()[22];
  EXPECT_NE(r.out.find("difference: address 22, expected 48, found " + std::to_string(found) + "\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("difference: address 23"), std::string::npos);
}

TEST_F(WriteCli, AWriteCutShortSaysTheDeviceMayHoldPartOfIt) {
  g_tamper.failAfterWrites = 10;
  const std::string path = Dst(Plv7100(1300, -200), "K.DST");
  auto r = Cli(Device("PLV7100", {"write", path}), &Tampered);
  EXPECT_EQ(r.rc, kExitComm);
  EXPECT_NE(r.err.find("may hold a partial configuration; writing again completes it"), std::string::npos)
      << r.err;
  // Writing again completes it.
  g_tamper = {};
  auto again = Cli(Device("PLV7100", {"write", path, "--verify"}));
  EXPECT_EQ(again.rc, kExitOk) << again.err;
}
