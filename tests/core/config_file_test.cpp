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
#include "support/files.h"

using namespace korventa;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Bytes Encoded(const DstRecord& r) {
  const auto b = EncodeDst(r);
  return {b.begin(), b.end()};
}

// A configuration of a PLV7110A as a file would hold it.
DstRecord Sample() {
  DstRecord r;
  r.Version = kVersioneProgramma;
  r.IdExtra = 3;
  r.CodProdotto = 12;
  r.CodVariante = 2;
  r.VerSw = 4;
  r.InputType = {8, 5};  // "20 mA": its change handler selects external compensation
  r.InputMax = {1300, 20.5};
  r.InputMin = {-200, 4};
  r.OutputType = {1, 2};
  r.OutputMax = {20, 10};
  r.OutputMin = {4, 0};
  r.Cjc = {{{0, 0}, {-1, -1}}};  // internal
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
  return r;
}

struct FileFixture : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedTransport transport;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  Link link{s, transport, dialogs, busy};
  Context ctx{s, w, link, dialogs};
  FrmProgram& f = w.frm_program;
  fs::path dir = fs::path(::testing::TempDir()) / ("korventa-file-" + std::to_string(::getpid()));

  void SetUp() override {
    fs::remove_all(dir);
    fs::create_directories(dir);
    s.Lingua = 1;
    s.OffLingua = 300;
    s.CodVariante = 2;
    s.VerSw = 4;
    s.IdExtra = 3;
    w.communication.Caption = "before";
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  std::string Written(const DstRecord& r, const std::string& name) const {
    const Bytes b = Encoded(r);
    std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(b.data()), 292);
    return Path(name);
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

TEST_F(FileFixture, DialogRequests) {
  dialogs.fileNames = {std::nullopt, std::nullopt};
  EXPECT_EQ(OpenConfigFile(ctx), OpenResult::NoName);
  EXPECT_FALSE(SaveConfigFile(ctx, true));
  EXPECT_FALSE(SaveConfigFile(ctx, false));  // no name known: nothing asked
  ASSERT_EQ(dialogs.fileRequests.size(), 2u);
  const auto& open = dialogs.fileRequests[0];
  const auto& save = dialogs.fileRequests[1];
  EXPECT_EQ(open.title + open.fileName, "");
  EXPECT_EQ(open.defaultExtension, "DST");
  EXPECT_EQ(open.filters[0].label + "|" + open.filters[0].pattern + "|" + open.filters[1].label + "|" +
                open.filters[1].pattern,
            "(*.DST)|*.DST|  (*.*)|*.*");
  EXPECT_FALSE(open.overwritePrompt);
  EXPECT_EQ(save.filters[0].label + "|" + save.filters[1].label, " (*.DST)|(*.*)");
  EXPECT_TRUE(save.overwritePrompt);
}

TEST_F(FileFixture, OpenPutsTheRecordIntoTheWindowRunningTheHandlers) {
  DstRecord r = Sample();
  r.TripHigh[1] = 555;  // channel B's trip is never loaded
  f.txt_soglia_H[1].Text = "1";
  const std::string path = Written(r, "PLANT.DST");
  ASSERT_EQ(Open(path), OpenResult::Loaded);
  // The 7110A does not offer "20 mA": loaded, and said.
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("input type code, ch B (offset 13): code 5, not offered"), std::string::npos);
  EXPECT_EQ(f.cmb_Prog_In[1].Text, "20 mA");
  EXPECT_EQ(f.txt_Input_max[1].Text, "20.5");
  EXPECT_EQ(f.cmb_Prog_Out[1].Text, "0-10 V");
  EXPECT_EQ(f.txt_offset[0].Text, "-1.5");
  // The handler of "20 mA" selected external compensation; the file's flags
  // arrive afterwards and have the last word.
  EXPECT_TRUE(f.opt_CJC[1].Value && f.opt_CJC[3].Value && !f.opt_CJC[2].Value);
  EXPECT_EQ(f.lbl_uMisOut[2].Caption, "V");
  EXPECT_FALSE(f.frm_fili[0].Visible);  // a thermocouple has no wiring choice
  EXPECT_TRUE(f.frm_cjc[0].Visible);
  EXPECT_TRUE(f.opt_Fili[0].Value && f.opt_Fili[5].Value && f.opt_funz[1].Value && f.opt_Break[3].Value);
  EXPECT_EQ(f.cmb_OverRange[0].Text, "±2.5%");
  EXPECT_EQ(f.txt_soglia_H[0].Text, "900");
  EXPECT_EQ(f.txt_soglia_H[1].Text, "1");
  EXPECT_TRUE(f.optTrip[1].Value);
  EXPECT_EQ(f.txt_FisicoOut_min[1].Text, "8.5");
  EXPECT_TRUE(f.chk_HS.Value);
  EXPECT_EQ(s.Canali[0].Operatore, 3);
  EXPECT_EQ(s.Canali[1].Riservato, 255);
  EXPECT_EQ(w.NomeFile, path);
  EXPECT_TRUE(w.communication.mnu_File_Save.Enabled);
  EXPECT_EQ(w.communication.Caption, TitoloApplicazione(s) + " - " + path);

  // Several buttons of a group selected in a hand-made file: the last wins.
  r.Function = {{{-1, 0}, {-1, 0}, {-1, 0}}};
  ASSERT_EQ(Open(Written(r, "ODD.DST")), OpenResult::Loaded);
  EXPECT_TRUE(!f.opt_funz[0].Value && !f.opt_funz[1].Value && f.opt_funz[2].Value);
}

TEST_F(FileFixture, SaveAfterOpenReproducesTheFileAndSaveAgainIsIdentical) {
  DstRecord r = Sample();
  r.TripHigh[1] = 555;  // written by hand: trip B and the second reserved
  r.Reserved[1] = 9;    // double do not survive a save
  ASSERT_EQ(Open(Written(r, "IN.DST")), OpenResult::Loaded);
  const std::string out = Path("OUT.DST");
  ASSERT_TRUE(SaveAs(out));
  r.TripHigh[1] = 0;
  r.Reserved[1] = 0;
  EXPECT_EQ(FileBytes(out), Encoded(r));
  ASSERT_TRUE(SaveConfigFile(ctx, false));  // to the remembered name, without asking
  EXPECT_EQ(FileBytes(out), Encoded(r));
  EXPECT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_EQ(w.communication.Caption, TitoloApplicazione(s) + " - " + out);

  // Values are stored as the boxes show them, read with the plain parse.
  f.txt_Input_min[0].Text = "12.5abc";
  f.txt_soglia_H[1].Text = "77";
  ASSERT_TRUE(SaveConfigFile(ctx, false));
  std::string error;
  const auto saved = LoadDstFile(out, error);
  ASSERT_TRUE(saved) << error;
  EXPECT_EQ(saved->InputMin[0], 12.5);
  EXPECT_EQ(saved->TripHigh[1], 0);
  EXPECT_EQ(saved->Reserved[0], 42);

  // Save as, then Cancel in the dialog: the remembered file is not touched.
  const Bytes before = FileBytes(out);
  f.txt_Input_max[0].Text = "999";
  dialogs.fileNames = {std::nullopt};
  EXPECT_FALSE(SaveConfigFile(ctx, true));
  EXPECT_EQ(FileBytes(out), before);
  EXPECT_EQ(w.NomeFile, out);
}

TEST_F(FileFixture, AnotherVersionOrDeviceAsksAndCancelChangesNothing) {
  DstRecord old = Sample();
  old.Version = 2.6;
  const std::string path = Written(old, "OLD.DST");
  f.cmb_Prog_In[0].Text = "Tc J";
  ASSERT_EQ(Open(path), OpenResult::Cancelled);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Attention: the file has been saved with a different version of the software");
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc J");
  EXPECT_EQ(w.communication.Caption, "before");
  // The declined file must not become the target of File > Save.
  EXPECT_FALSE(SaveConfigFile(ctx, false));

  s.CodVariante = 3;  // made for another model
  dialogs.answers = {Answer::Ok, Answer::Cancel};
  ASSERT_EQ(Open(path), OpenResult::Cancelled);
  EXPECT_EQ(dialogs.boxes.back().text, "File not compatible with the device connected");
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc J");

  dialogs.answers = {Answer::Ok, Answer::Ok};
  ASSERT_EQ(Open(path), OpenResult::Loaded);
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc K");
}

TEST_F(FileFixture, UnreadableFilesAndFailedSavesLoseNothing) {
  Bytes good = Encoded(Sample());
  std::ofstream(Path("SHORT.DST"), std::ios::binary).write(reinterpret_cast<const char*>(good.data()), 200);
  good.push_back(0);
  std::ofstream(Path("LONG.DST"), std::ios::binary).write(reinterpret_cast<const char*>(good.data()), 293);
  f.txt_Input_max[0].Text = "keep";
  for (const std::string name : {"SHORT.DST", "LONG.DST", "MISSING.DST"}) {
    dialogs.boxes.clear();
    EXPECT_EQ(Open(Path(name)), OpenResult::Unreadable);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
    EXPECT_NE(dialogs.boxes[0].text.find(name), std::string::npos) << dialogs.boxes[0].text;
  }
  EXPECT_EQ(f.txt_Input_max[0].Text, "keep");
  EXPECT_TRUE(w.NomeFile.empty());
  EXPECT_EQ(w.communication.Caption, "before");

  // The disk fills up half-way through the save (a file-size limit stops
  // even root): the old file stays as it was.
  const std::string path = Written(Sample(), "KEEP.DST");
  ASSERT_EQ(Open(path), OpenResult::Loaded);
  f.txt_Input_max[0].Text = "1000";
  dialogs.boxes.clear();
  const bool ok = [&] {
    const test::FileSizeLimit full(100);
    return SaveConfigFile(ctx, false);
  }();
  EXPECT_FALSE(ok);
  EXPECT_EQ(FileBytes(path), Encoded(Sample()));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  EXPECT_EQ(dialogs.boxes[0].text.rfind("File not saved: ", 0), 0u) << dialogs.boxes[0].text;
}
