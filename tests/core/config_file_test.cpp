// File > Open and File > Save against real files: the dialog requests, the
// record the window produces, the questions before loading a foreign file,
// and that nothing is lost when a file cannot be read or written.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/context.h"
#include "app/texts.h"
#include "files/config_file.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;
using test::ScriptedDialogs;
using test::ScriptedTransport;
namespace fs = std::filesystem;

namespace {

struct TempDir {
  fs::path path;
  TempDir() {
    path = fs::temp_directory_path() / ("korventa-file-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

std::vector<std::uint8_t> FileBytes(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void PutBytes(const std::string& p, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A record as a configuration of the identified device could look.
DstRecord Sample() {
  DstRecord r;
  r.Version = kVersioneProgramma;
  r.IdExtra = 3;
  r.CodProdotto = 12;
  r.CodVariante = 2;
  r.VerSw = 4;
  r.InputType = {8, 18};
  r.InputMax = {1300, 150.5};
  r.InputMin = {-200, -50};
  r.OutputType = {1, 2};
  r.OutputMax = {20, 10};
  r.OutputMin = {4, 0};
  r.Cjc = {{{0, -1}, {-1, 0}}};
  r.CjcOffset = {-1.5, 0};
  r.Wiring = {{{-1, 0}, {0, 0}, {0, -1}}};
  r.Function = {{{0, -1}, {-1, 0}, {0, 0}}};
  r.BurnOut = {{{-1, 0}, {0, -1}}};
  r.OverRange = {2.5, 10};
  r.TripHigh = {900, 0};
  r.TripLow = {100, 0};
  r.TripMode = {{{0, 0}, {-1, 0}}};
  r.Reserved = {42, 0};
  r.Physical = {1, 2, 3, 4, 5, 6, 7, 8.5};
  r.Operatore = {3, 6};
  r.Spare = {7, 255};
  r.HighSpeed = 1;
  r.Doubler = 0;
  return r;
}

struct FileFixture : ::testing::Test {
  ProgramState s;
  Windows w;
  ScriptedTransport transport;
  ScriptedDialogs dialogs;
  BusyObserver busy;
  Link link{s, transport, dialogs, busy};
  Context ctx{s, w, link, dialogs};
  FrmProgram& f = w.frm_program;
  TempDir dir;

  void SetUp() override {
    s.Lingua = 1;
    s.OffLingua = 300;
    s.CodProdotto = 12;
    s.CodVariante = 2;
    s.VerSw = 4;
    s.IdExtra = 3;
    w.communication.Caption = "before";
  }
  std::string Written(const DstRecord& r, const std::string& name) {
    const auto bytes = EncodeDst(r);
    PutBytes(dir / name, {bytes.begin(), bytes.end()});
    return dir / name;
  }
  OpenResult Open(const std::string& path) {
    dialogs.fileNames = {path};
    return OpenConfigFile(ctx);
  }
  bool SaveAs(const std::string& path) {
    dialogs.fileNames = {path};
    return SaveConfigFile(ctx, true);
  }
};

}  // namespace

TEST_F(FileFixture, DialogRequestsOfOpenAndSave) {
  dialogs.fileNames = {std::nullopt, std::nullopt};
  EXPECT_EQ(OpenConfigFile(ctx), OpenResult::NoName);
  EXPECT_FALSE(SaveConfigFile(ctx, true));
  ASSERT_EQ(dialogs.fileRequests.size(), 2u);
  const auto& open = dialogs.fileRequests[0];
  EXPECT_EQ(open.title, "");
  EXPECT_EQ(open.defaultExtension, "DST");
  ASSERT_EQ(open.filters.size(), 2u);
  EXPECT_EQ(open.filters[0].label, "(*.DST)");
  EXPECT_EQ(open.filters[0].pattern, "*.DST");
  EXPECT_EQ(open.filters[1].label, "  (*.*)");
  EXPECT_EQ(open.filters[1].pattern, "*.*");
  EXPECT_FALSE(open.overwritePrompt);
  const auto& save = dialogs.fileRequests[1];
  EXPECT_EQ(save.filters[0].label, " (*.DST)");
  EXPECT_EQ(save.filters[1].label, "(*.*)");
  EXPECT_TRUE(save.overwritePrompt);
  EXPECT_EQ(save.fileName, "");
  // Save with no name known writes nothing and asks nothing.
  EXPECT_FALSE(SaveConfigFile(ctx, false));
  EXPECT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_TRUE(w.NomeFile.empty());
}

TEST_F(FileFixture, OpeningPutsTheRecordIntoTheWindow) {
  const std::string path = Written(Sample(), "PLANT.DST");
  ASSERT_EQ(Open(path), OpenResult::Loaded);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc K");
  EXPECT_EQ(f.cmb_Prog_In[1].Text, "Pt 100");
  EXPECT_EQ(f.txt_Input_max[1].Text, "150.5");
  EXPECT_EQ(f.txt_Input_min[0].Text, "-200");
  EXPECT_EQ(f.cmb_Prog_Out[1].Text, "0-10 V");
  EXPECT_EQ(f.txt_offset[0].Text, "-1.5");
  EXPECT_TRUE(f.opt_CJC[1].Value);
  EXPECT_FALSE(f.opt_CJC[0].Value);
  EXPECT_TRUE(f.opt_CJC[2].Value);
  EXPECT_TRUE(f.opt_Fili[0].Value);
  EXPECT_TRUE(f.opt_Fili[5].Value);
  EXPECT_TRUE(f.opt_funz[1].Value);
  EXPECT_TRUE(f.opt_Break[3].Value);
  EXPECT_EQ(f.cmb_OverRange[0].Text, "±2.5%");
  EXPECT_EQ(f.txt_soglia_H[0].Text, "900");
  EXPECT_TRUE(f.optTrip[1].Value);
  EXPECT_EQ(f.txt_FisicoOut_min[1].Text, "8.5");
  EXPECT_TRUE(f.chk_HS.Value);
  EXPECT_EQ(s.Canali[0].Operatore, 3);
  EXPECT_EQ(s.Canali[1].Riservato, 255);
  EXPECT_EQ(w.NomeFile, path);
  EXPECT_TRUE(w.communication.mnu_File_Save.Enabled);
  EXPECT_EQ(w.communication.Caption, TitoloApplicazione(s) + " - " + path);
}

TEST_F(FileFixture, ChannelBTripFieldsAreNeverLoaded) {
  DstRecord r = Sample();
  r.TripHigh[1] = 555;
  r.TripLow[1] = 444;
  r.TripMode = {{{0, -1}, {-1, 0}}};
  f.txt_soglia_H[1].Text = "1";
  ASSERT_EQ(Open(Written(r, "B.DST")), OpenResult::Loaded);
  EXPECT_EQ(f.txt_soglia_H[1].Text, "1");
  EXPECT_EQ(f.txt_soglia_L[1].Text, "");
  EXPECT_FALSE(f.optTrip[2].Value);
}

TEST_F(FileFixture, SavingRightAfterOpeningReproducesTheFile) {
  DstRecord r = Sample();
  r.TripHigh[1] = 555;  // written by hand: trip B and the second reserved
  r.Reserved[1] = 9;    // double do not survive
  const std::string in = Written(r, "IN.DST");
  ASSERT_EQ(Open(in), OpenResult::Loaded);
  const std::string out = dir / "OUT.DST";
  ASSERT_TRUE(SaveAs(out));
  r.TripHigh[1] = 0;
  r.Reserved[1] = 0;
  const auto expected = EncodeDst(r);
  EXPECT_EQ(FileBytes(out), std::vector<std::uint8_t>(expected.begin(), expected.end()));
  // File > Save writes to the remembered name without asking, and the same
  // configuration gives the same bytes.
  EXPECT_EQ(w.NomeFile, out);
  ASSERT_TRUE(SaveConfigFile(ctx, false));
  EXPECT_EQ(FileBytes(out), std::vector<std::uint8_t>(expected.begin(), expected.end()));
  EXPECT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_EQ(w.communication.Caption, TitoloApplicazione(s) + " - " + out);
}

TEST_F(FileFixture, SavingStoresTheWindowAsShown) {
  f.cmb_Prog_In[0].Text = "Tc J";
  f.txt_Input_max[0].Text = "2192.0";  // Fahrenheit on screen: stored as shown
  f.txt_Input_min[0].Text = "12.5abc";
  f.cmb_Prog_Out[0].Text = "4-20 mA";
  f.opt_gradi_far[0].Value = true;
  f.txt_soglia_H[1].Text = "77";
  f.optTrip[3].Value = true;
  f.chk_Doubler.Value = true;
  w.RecordDst.Reserved[0] = 1.25;  // whatever the last opened file held
  const std::string path = dir / "NEW.DST";
  ASSERT_TRUE(SaveAs(path));
  std::string error;
  const auto r = LoadDstFile(path, error);
  ASSERT_TRUE(r) << error;
  EXPECT_EQ(r->Version, 2.7);
  EXPECT_EQ(r->CodVariante, 2);
  EXPECT_EQ(r->IdExtra, 3);
  EXPECT_EQ(r->InputType[0], 7);
  EXPECT_EQ(r->InputMax[0], 2192.0);
  EXPECT_EQ(r->InputMin[0], 12.5);
  EXPECT_EQ(r->OutputType[0], 1);
  EXPECT_EQ(r->TripHigh[1], 0);
  EXPECT_EQ(r->TripMode[1][1], 0);
  EXPECT_EQ(r->Reserved[0], 1.25);
  EXPECT_EQ(r->Doubler, 1);
  EXPECT_EQ(r->Cjc[0][0], 0);
}

TEST_F(FileFixture, AnotherVersionOrDeviceAsksAndCancelChangesNothing) {
  DstRecord other = Sample();
  other.Version = 2.6;
  const std::string path = Written(other, "OLD.DST");
  f.cmb_Prog_In[0].Text = "Tc J";
  ASSERT_EQ(Open(path), OpenResult::Cancelled);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Attention: the file has been saved with a different version of the software");
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(dialogs.boxes[0].caption, TitoloApplicazione(s));
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc J");
  EXPECT_EQ(w.communication.Caption, "before");
  // The declined file does not become the target of File > Save.
  EXPECT_TRUE(w.NomeFile.empty());
  EXPECT_FALSE(SaveConfigFile(ctx, false));

  dialogs.boxes.clear();
  s.CodVariante = 3;  // a file made for another model
  dialogs.answers = {Answer::Ok, Answer::Cancel};
  ASSERT_EQ(Open(path), OpenResult::Cancelled);
  ASSERT_EQ(dialogs.boxes.size(), 2u);
  EXPECT_EQ(dialogs.boxes[1].text, "File not compatible with the device connected");
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc J");

  dialogs.boxes.clear();
  dialogs.answers = {Answer::Ok, Answer::Ok};
  ASSERT_EQ(Open(path), OpenResult::Loaded);
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc K");
  EXPECT_EQ(w.NomeFile, path);
}

TEST_F(FileFixture, ForeignOrTruncatedFilesAreReportedAndChangeNothing) {
  const auto good = EncodeDst(Sample());
  PutBytes(dir / "SHORT.DST", std::vector<std::uint8_t>(good.begin(), good.begin() + 200));
  std::vector<std::uint8_t> longer(good.begin(), good.end());
  longer.push_back(0);
  PutBytes(dir / "LONG.DST", longer);
  f.txt_Input_max[0].Text = "keep";
  for (const std::string name : {"SHORT.DST", "LONG.DST", "MISSING.DST"}) {
    dialogs.boxes.clear();
    EXPECT_EQ(Open(dir / name), OpenResult::Unreadable) << name;
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
    EXPECT_NE(dialogs.boxes[0].text.find(name), std::string::npos) << dialogs.boxes[0].text;
  }
  EXPECT_EQ(f.txt_Input_max[0].Text, "keep");
  EXPECT_TRUE(w.NomeFile.empty());
  EXPECT_EQ(w.communication.Caption, "before");
  EXPECT_EQ(w.RecordDst, DstRecord{});
}

TEST_F(FileFixture, AFailedSaveIsReportedAndLeavesTheOldFileIntact) {
  const std::string path = Written(Sample(), "KEEP.DST");
  const auto old = FileBytes(path);
  ASSERT_EQ(Open(path), OpenResult::Loaded);
  f.txt_Input_max[0].Text = "1000";
  w.communication.Caption = "shown";

  // The disk fills up half-way through (a file-size limit stops even root).
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &previous);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool ok = SaveConfigFile(ctx, false);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(ok);
  EXPECT_EQ(FileBytes(path), old);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  EXPECT_EQ(dialogs.boxes[0].text.rfind("File not saved: ", 0), 0u) << dialogs.boxes[0].text;
  EXPECT_EQ(w.communication.Caption, "shown");

  // A folder is no file to save into.
  dialogs.boxes.clear();
  fs::create_directory(dir / "folder.DST");
  EXPECT_FALSE(SaveAs(dir / "folder.DST"));
  EXPECT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_TRUE(fs::is_directory(dir / "folder.DST"));
}

TEST_F(FileFixture, SeveralButtonsOfAGroupInAHandWrittenFileLeaveOneSelected) {
  DstRecord r = Sample();
  r.Function = {{{-1, 0}, {-1, 0}, {-1, 0}}};
  ASSERT_EQ(Open(Written(r, "ODD.DST")), OpenResult::Loaded);
  EXPECT_FALSE(f.opt_funz[0].Value);
  EXPECT_FALSE(f.opt_funz[1].Value);
  EXPECT_TRUE(f.opt_funz[2].Value);
}

TEST_F(FileFixture, ChangeHandlersRunAsTheValuesArriveAndTheFileHasTheLastWord) {
  DstRecord r = Sample();
  r.InputType = {8, 5};          // channel B "20 mA": its handler selects external compensation
  r.Cjc = {{{0, 0}, {-1, -1}}};  // the file says internal
  r.OutputType = {2, 1};
  ASSERT_EQ(Open(Written(r, "HANDLERS.DST")), OpenResult::Loaded);
  EXPECT_EQ(f.lbl_uMisOut[0].Caption, "V");
  EXPECT_EQ(f.lbl_uMisOut[2].Caption, "mA");
  EXPECT_FALSE(f.lbl_limite_in[0].Caption.empty());
  EXPECT_FALSE(f.frm_fili[0].Visible);  // a thermocouple has no wiring choice
  EXPECT_TRUE(f.frm_cjc[0].Visible);
  EXPECT_TRUE(f.opt_CJC[3].Value);
  EXPECT_FALSE(f.opt_CJC[2].Value);
}
