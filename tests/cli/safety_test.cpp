// What must never reach a device or a file unnoticed, through korventa-cli
// against the simulated converter on a virtual clock: values the model does
// not offer, number texts that are not numbers, writes cut short by a signal,
// measurement ended by one, files that must not be replaced, and the
// messages a user or a script relies on.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

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

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The simulated converter, raising a signal in the middle of the work (the
// nth "$W" frame, or the nth reply read) as Ctrl-C, kill or a closed terminal
// would, and keeping every frame sent after it.
struct Trigger {
  int signal = 0;
  int atWrite = -1;  // raise before sending this "$W" (0-based)
  int atRead = -1;   // raise once this many reads brought bytes after "MI" (measuring)
  std::vector<std::string> after;
} g_trigger;

class SignallingTransport : public test::ForwardingTransport {
 public:
  using ForwardingTransport::ForwardingTransport;
  IoStatus Write(std::span<const std::uint8_t> bytes) override {
    if (bytes.size() == 6 && bytes[0] == '$' && bytes[1] == 'W' && writes_++ == g_trigger.atWrite) Raise();
    if (raised_) g_trigger.after.emplace_back(bytes.begin(), bytes.end());
    if (std::string(bytes.begin(), bytes.end()) == "MI\r") measuring_ = true;
    return ForwardingTransport::Write(bytes);
  }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override {
    const std::size_t before = out.size();
    const IoStatus st = ForwardingTransport::ReadAll(out);
    if (measuring_ && out.size() > before && reads_++ == g_trigger.atRead) Raise();
    return st;
  }
 private:
  void Raise() {
    raised_ = true;
    std::raise(g_trigger.signal);
  }
  int writes_ = 0, reads_ = 0;
  bool raised_ = false, measuring_ = false;
};

std::unique_ptr<Transport> Signalling(const GlobalOptions& options, std::string& error) {
  auto inner = VirtualSimulatedTransport(options, error);
  return inner ? std::make_unique<SignallingTransport>(std::move(inner)) : nullptr;
}

struct Safety : korventa::test::DeviceCli {
  void SetUp() override {
    g_trigger = {};
    DeviceCli::SetUp();
  }
  bool Written() const { return fs::exists(Path("device.mem")); }
  std::string Slurp(const std::string& name) const {
    const auto bytes = Memory(name);
    return {bytes.begin(), bytes.end()};
  }
  // A document as read --json gives it, with one control changed.
  void Form(const std::string& model, const std::string& control, std::size_t index, const json::Value& value) {
    json::Value doc = ReadJson(model);
    json::Value* field = json::Find(*json::Find(doc, "form"), control);
    ASSERT_TRUE(field);
    if (field->is_array())
      (*field)[index] = value;
    else
      *field = value;
    std::ofstream(Path("form.json")) << json::Write(doc);
  }
};

}  // namespace

// --- Form and file validation ----------------------------------------------------

TEST_F(Safety, FormValuesNoEntryOrNumberAreRefusedNamingTheControlBeforeAnythingIsWritten) {
  struct Case {
    const char* control;
    std::size_t index;
    json::Value value;
    int rc;
    const char* said;
  };
  const std::vector<Case> cases = {
      {"cmb_Prog_Out", 0, json::Value("4-20mA"), kExitRefused,
       "cmb_Prog_Out(0): \"4-20mA\" is not one of the entries offered: \"0-20 mA\", \"4-20 mA\""},
      {"cmb_Prog_In", 0, json::Value("Tc k"), kExitRefused, "cmb_Prog_In(0): \"Tc k\" is not one of the entries"},
      {"cmb_Prog_In", 0, json::Value(std::string("Tc K\0", 5)), kExitRefused, "cmb_Prog_In(0): \"Tc K"},
      {"cmb_OverRange", 0, json::Value("±99%"), kExitRefused, "cmb_OverRange(0): \"±99%\" is not one of"},
      {"opt_funz", 0, json::Value(false), kExitRefused, "opt_funz(0..2): choose exactly one button, chosen: 0"},
      {"txt_soglia_Delay", 0, json::Value("1e6"), kExitFile, "txt_soglia_Delay(0): \"1e6\" is not a number"},
      {"txt_Input_max", 0, json::Value("900,5"), kExitFile, "txt_Input_max(0): \"900,5\" is not a number"},
      {"txt_Output_max", 0, json::Value("12abc"), kExitFile, "txt_Output_max(0): \"12abc\" is not a number"},
      {"txt_Delay", 0, json::Value("nan"), kExitFile, "txt_Delay: \"nan\" is not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    Form("PLV7100", c.control, c.index, c.value);
    auto w = Cli(Device("PLV7100", {"--yes", "write", "--form", Path("form.json")}));
    EXPECT_EQ(w.rc, c.rc);
    EXPECT_TRUE(Has(w.err, c.said)) << w.err;
    EXPECT_FALSE(Written());
  }
}

TEST_F(Safety, FileCodesTheModelDoesNotOfferAreNamedMarkedAndNeverWritten) {
  ASSERT_EQ(Cli(Device("PLV7100", {"read", "--save", Path("K.DST")})).rc, kExitOk);
  fs::remove(Path("device.mem"));
  std::string error;
  const DstRecord good = *LoadDstFile(Path("K.DST"), error);
  struct Case {
    void (*edit)(DstRecord&);
    int rc;
    const char* said;
    std::size_t offset;
  };
  const std::vector<Case> cases = {
      {[](DstRecord& r) { r.OutputType[0] = 99; }, kExitRefused, "output type code, ch A (offset 46): code 99", 46},
      {[](DstRecord& r) { r.InputType[0] = 200; }, kExitRefused, "input type code, ch A (offset 12): code 200", 12},
      {[](DstRecord& r) { r.InputType[0] = 51; }, kExitRefused, "input type code, ch A (offset 12): code 51", 12},
      {[](DstRecord& r) { r.InputType[0] = 28; }, kExitRefused, "input type code, ch A (offset 12): code 28", 12},
      {[](DstRecord& r) { r.InputMax[0] = std::nan(""); }, kExitFile, "input range maximum, ch A (offset 14): nan", 14},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    DstRecord r = good;
    c.edit(r);
    ASSERT_TRUE(SaveDstFile(Path("BAD.DST"), r, error));
    auto w = Cli(Device("PLV7100", {"--yes", "write", Path("BAD.DST")}));
    EXPECT_EQ(w.rc, c.rc);
    EXPECT_TRUE(Has(w.err, c.said)) << w.err;
    EXPECT_FALSE(Written());
    auto shown = Cli({"show", Path("BAD.DST")});
    EXPECT_TRUE(Has(shown.out, "<- not offered by the model")) << shown.out;
    EXPECT_TRUE(Has(Cli({"show", "--json", Path("BAD.DST")}).out,
                    "\"not_offered\": [" + std::to_string(c.offset) + "]"));
  }
  EXPECT_FALSE(Has(Cli({"show", Path("K.DST")}).out, "not offered"));
}

// --- Interrupted and unverified writes -------------------------------------------

TEST_F(Safety, ASignalDuringWriteFinishesTheFrameLeavesProgramModeAndSaysHowFar) {
  ASSERT_EQ(Cli(Device("PLV7100", {"read", "--save", Path("K.DST")})).rc, kExitOk);
  std::string error;
  DstRecord r = *LoadDstFile(Path("K.DST"), error);
  r.InputMax[0] = 900;
  ASSERT_TRUE(SaveDstFile(Path("K.DST"), r, error));
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    g_trigger = {signal, 14, -1, {}};
    auto w = Cli(Device("PLV7100", {"write", Path("K.DST")}), &Signalling);
    EXPECT_EQ(w.rc, kExitComm);
    // The frame on the wire when the signal came is finished, then program
    // mode is left: no further "$W".
    EXPECT_TRUE(Has(w.err, "write: interrupted after 15 of 36 bytes: the device may hold a partial configuration"))
        << w.err;
    ASSERT_EQ(g_trigger.after.size(), 2u);
    EXPECT_EQ(g_trigger.after[0].substr(0, 2), "$W");
    EXPECT_EQ(g_trigger.after[1], "$FPxx\r");
  }
}

TEST_F(Safety, EveryWriteIsReadBackUnlessToldNot) {
  ASSERT_EQ(Cli(Device("PLV7100", {"read", "--save", Path("K.DST")})).rc, kExitOk);
  auto w = Cli(Device("PLV7100", {"write", Path("K.DST")}));
  ASSERT_EQ(w.rc, kExitOk) << w.err;
  EXPECT_TRUE(Has(w.out, "verified: ")) << w.out;
  auto n = Cli(Device("PLV7100", {"write", Path("K.DST"), "--no-verify"}));
  ASSERT_EQ(n.rc, kExitOk) << n.err;
  EXPECT_FALSE(Has(n.out, "verified"));
  // Falling silent in the write phase: no longer "written", exit 0.
  auto s = Cli(Device("PLV7100", {"--sim-opt", "silent-after=100", "write", Path("K.DST")}));
  EXPECT_EQ(s.rc, kExitComm);
  EXPECT_TRUE(Has(s.err, "could not be read back: the device may hold a partial configuration")) << s.err;
}

// Family 11 is written after the writing check, as the desktop program does.
TEST_F(Safety, Family11IsWrittenAfterTheWritingCheck) {
  ASSERT_EQ(Cli(Device("PLV7100", {"read", "--save", Path("K.DST")})).rc, kExitOk);
  fs::remove(Path("device.mem"));
  auto w = Cli(Device("PLV7100", {"--sim-opt", "product=11", "--yes", "write", Path("K.DST")}));
  EXPECT_EQ(w.rc, kExitOk) << w.err;
  EXPECT_TRUE(Written());
}

// --- Measurement and output ------------------------------------------------------

TEST_F(Safety, SignalsEndMeasurementWithStopMeasure) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    g_trigger = {signal, -1, 3, {}};
    auto m = Cli({"--simulate", "PLV7100", "measure"}, &Signalling);
    EXPECT_EQ(m.rc, kExitOk) << m.err;
    ASSERT_FALSE(g_trigger.after.empty());
    EXPECT_EQ(g_trigger.after.front(), "SM\r");
  }
}

// --- Files ---------------------------------------------------------------------------

TEST_F(Safety, SavedFilesKeepTheirPermissionsAndOwnerOrAreRefused) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"read", "--save", Path("T")},
                                                                {"dump", "--out", Path("T")}}) {
    SCOPED_TRACE(args[0]);
    std::ofstream(Path("T")) << "old";
    fs::permissions(Path("T"), fs::perms::owner_read | fs::perms::group_read);
    auto r = Cli(Device("PLV7100", args));
    EXPECT_EQ(r.rc, kExitFile);
    EXPECT_TRUE(Has(r.err, "\"" + Path("T") + "\": the file is read-only")) << r.err;
    EXPECT_EQ(Slurp("T"), "old");

    fs::permissions(Path("T"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(Path("T").c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(Cli(Device("PLV7100", args)).rc, kExitOk);
    struct stat st {};
    ASSERT_EQ(::stat(Path("T").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    if (::geteuid() == 0) {
      EXPECT_EQ(st.st_uid, 65534u);
    }
    fs::remove(Path("T"));
  }
  auto gone = Cli(Device("PLV7100", {"dump", "--out", Path("no/such/dir/T")}));
  EXPECT_EQ(gone.rc, kExitFile);
  EXPECT_TRUE(Has(gone.err, "No such file or directory")) << gone.err;
}

// --- Messages --------------------------------------------------------------------------

TEST_F(Safety, RefusalsAndFailuresEndWithOneLineSayingWhat) {
  auto silent = Cli({"--simulate", "PLV7100", "--sim-opt", "silent-after=0", "--retries", "0", "identify"});
  EXPECT_EQ(silent.rc, kExitComm);
  EXPECT_TRUE(Has(silent.err, "korventa-cli: identify: the device did not identify itself\n")) << silent.err;

  for (const char* port : {"/dev/null", "FILE", "FIFO"}) {
    SCOPED_TRACE(port);
    std::string path = port;
    if (path == "FILE") std::ofstream(path = Path("file")) << "x";
    if (path == "FIFO") {
      ASSERT_EQ(::mkfifo((path = Path("fifo")).c_str(), 0600), 0);
    }
    auto r = Cli({"--port", path, "identify"}, &DefaultTransport);
    EXPECT_EQ(r.rc, kExitComm);
    EXPECT_TRUE(Has(r.err, "korventa-cli: cannot open port " + path + ": it is not a serial port")) << r.err;
  }

  auto key = Cli({"--simulate", "PLV7100", "--sim-opt", "zzz", "identify"});
  EXPECT_NE(key.rc, kExitOk);
  EXPECT_TRUE(Has(key.err, "--sim-opt: unknown key \"zzz\"")) << key.err;
  EXPECT_TRUE(Has(Cli({"--simulate", "PLV7100", "--sim-opt", "garbagex=2", "identify"}).err, "\"--garbagex\""));

  // A number too large for its field is named as typed.
  const std::string huge = "1" + std::string(300, '0');
  Form("PLV7100", "txt_Input_max", 0, json::Value(huge));
  auto w = Cli(Device("PLV7100", {"--yes", "write", "--form", Path("form.json")}));
  EXPECT_EQ(w.rc, kExitRefused);
  EXPECT_TRUE(Has(w.err, "input value: " + huge + " cannot be stored")) << w.err;
}
