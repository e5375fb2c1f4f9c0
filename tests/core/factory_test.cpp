// The memory editor, the backups taken before writing and writing them back,
// and the summary of a configuration write, against the built-in simulated
// converter on a virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/context.h"
#include "config/program_window.h"
#include "config/read_config.h"
#include "config/write_config.h"
#include "config/write_diff.h"
#include "factory/frm_eeprom.h"
#include "files/backup.h"
#include "link/codecs.h"
#include "sim/options.h"
#include "sim/sim_transport.h"
#include "support/scripted_dialogs.h"

using namespace korventa;

namespace {

struct Bench : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  std::unique_ptr<sim::SimTransport> t;
  std::unique_ptr<Link> link;
  std::unique_ptr<Context> c;
  std::string dir = ::testing::TempDir() + "korventa-factory-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::unique_ptr<Salvaguardia> guard;
  FrmEeprom& e = w.frm_eeprom;

  void SetUp() override {
    std::filesystem::remove_all(dir);
    s.Lingua = 1;
    s.OffLingua = 300;
    Start("PLV7100", dir + "/backups");
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  void Start(const std::string& model, const std::string& backups) {
    sim::SimOptions o;
    std::string error;
    ASSERT_TRUE(sim::ParseSimOptionString(model, o, error)) << error;
    t = sim::MakeSimTransport(o, error);
    ASSERT_TRUE(t) << error;
    link = std::make_unique<Link>(s, *t, dialogs, busy);
    guard = std::make_unique<Salvaguardia>(OpzioniBackup{backups, true});
    c = std::make_unique<Context>(Context{s, w, *link, dialogs, guard.get()});
    ASSERT_TRUE(link->OpenPort("SIM", error)) << error;
  }
  sim::MemoryBank& Mem() { return t->Converter().Bank(0); }
  std::string File(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/" + name, std::ios::binary) << text;
    return dir + "/" + name;
  }
  std::string LastBox() const { return dialogs.boxes.empty() ? "" : dialogs.boxes.back().text; }
  void Register(int format, const std::string& bank, const std::string& addr) {
    Option2_Click(*c, format);
    e.txt_banco.Text = bank;
    e.txt_start.Text = addr;
  }
};

TEST_F(Bench, ImageReadVerifySaveLoad) {
  Command3_Click(*c);
  ASSERT_EQ(e.List1.List.size(), 256u);
  EXPECT_EQ(e.List1.List[20], "20\t" + std::to_string(Mem()[20]));
  Command7_Click(*c);
  EXPECT_FALSE(e.List2.Visible);
  EXPECT_TRUE(dialogs.boxes.empty());

  const auto read = e.List1.List;
  dialogs.fileNames = {dir + "/img.dat", dir + "/img.dat"};
  std::filesystem::create_directories(dir);
  Command6_Click(*c);
  e.List1.Clear();
  Command2_Click(*c);
  EXPECT_EQ(e.List1.List, read);

  // A device that differs: List2 shows each address with the list's value.
  Mem()[7] ^= 1;
  Command7_Click(*c);
  ASSERT_TRUE(e.List2.Visible);
  EXPECT_EQ(e.List2.List, std::vector<std::string>{"7\t" + std::to_string(Mem()[7] ^ 1)});
  EXPECT_EQ(LastBox(), "1 errors");
}

TEST_F(Bench, BadImagesAreRefusedNamingTheFirstBadLineAndNothingIsWritten) {
  std::string good;
  for (int i = 0; i < 256; ++i) good += "1\n";
  const struct {
    std::string text, message;
  } cases[] = {
      {"12\nabc\n" + good.substr(4), "Line 2: \"abc\" is not a whole number from 0 to 255."},
      {"256\n" + good.substr(2), "Line 1: \"256\" is not"},
      {"-1\n" + good.substr(2), "Line 1: \"-1\" is not"},
      {"1.5\n" + good.substr(2), "Line 1: \"1.5\" is not"},
      {good.substr(2), "The file holds 255 values instead of 256."},
      {good + "1\n", "The file holds 257 values instead of 256."},
  };
  Command3_Click(*c);
  const auto before = Mem();
  const auto list = e.List1.List;
  for (const auto& k : cases) {
    dialogs.fileNames = {File("bad.dat", k.text)};
    Command2_Click(*c);
    EXPECT_NE(LastBox().find(k.message), std::string::npos) << LastBox();
    EXPECT_EQ(e.List1.List, list);
  }
  // A list line edited into something else is refused by write and save.
  e.List1.List[9] = "9\tx";
  Command5_Click(*c);
  EXPECT_EQ(LastBox(), "Address 9: \"x\" is not a whole number from 0 to 255.");
  EXPECT_EQ(Mem(), before);
  EXPECT_FALSE(std::filesystem::exists(FileBackup(dir + "/backups", "PLV7100")));
}

TEST_F(Bench, RegistersInTheirThreeFormats) {
  Register(kFormatoInt, "0", "40");
  e.txt_valore.Text = "1000";
  ASSERT_TRUE(Command4_Click(*c));
  EXPECT_EQ(Mem()[40], 232);
  EXPECT_EQ(Mem()[41], 3);

  for (double x : {12.5, -2.5, 0.001, 100.0}) {
    Register(kFormatoFloat, "0", "44");
    e.txt_valore.Text = std::to_string(x);
    ASSERT_TRUE(Command4_Click(*c));
    const auto b = EncodeFloat(x);
    EXPECT_EQ((std::array<int, 3>{Mem()[44], Mem()[45], Mem()[46]}), (std::array<int, 3>{b[2], b[1], b[0]}));
    e.txt_valore.Text.clear();
    ASSERT_TRUE(Command1_Click(*c));
    EXPECT_NEAR(std::stod(e.txt_valore.Text), x, std::fabs(x) / 32768 + 1e-5) << x;
  }
  // Raw bytes, and what a byte read shows.
  Register(kFormatoByte, "0", "50");
  Option1_Click(*c, 1);
  e.txt_valoreA.Text = "77";
  ASSERT_TRUE(Command4_Click(*c));
  Option1_Click(*c, 0);
  ASSERT_TRUE(Command1_Click(*c));
  EXPECT_EQ(e.txt_valore.Text, "77");
  EXPECT_EQ(e.txt_valoreB.Text, "000");
}

TEST_F(Bench, RegisterValuesThatDoNotFitAreRefusedBeforeSending) {
  const struct {
    int format;
    std::string bank, addr, value;
  } cases[] = {
      {kFormatoByte, "0", "50", "256"}, {kFormatoByte, "0", "50", "abc"}, {kFormatoInt, "0", "50", "65536"},
      {kFormatoInt, "0", "50", "1.5"},  {kFormatoFloat, "0", "50", "1e3"}, {kFormatoFloat, "0", "50", "1e40"},
      {kFormatoByte, "256", "0", "1"},  {kFormatoByte, "-1", "0", "1"},   {kFormatoByte, "0", "256", "1"},
      {kFormatoFloat, "0", "254", "1"}, {kFormatoInt, "0", "255", "1"},
  };
  const auto before = Mem();
  for (const auto& k : cases) {
    Register(k.format, k.bank, k.addr);
    e.txt_valore.Text = k.value;
    dialogs.boxes.clear();
    EXPECT_FALSE(Command4_Click(*c)) << k.value;
    ASSERT_EQ(dialogs.boxes.size(), 1u) << k.value;
    EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  }
  EXPECT_EQ(Mem(), before);
}

TEST_F(Bench, BackupThenRestoreReturnsTheDeviceToItsBytes) {
  const auto original = Mem();
  // A configuration write.
  FrmProgram_Load(s, w.frm_program);
  ASSERT_EQ(ReadEprom(*c), kLetturaOk);
  w.frm_program.txt_Input_max[0].Text = "500";
  ASSERT_EQ(WriteEprom(*c), WriteResult::Written);
  const auto configured = Mem();
  ASSERT_NE(configured, original);
  // An image write on top of it.
  Command3_Click(*c);
  e.List1.List[60] = "60\t" + std::to_string(Mem()[60] ^ 0x55);
  Command5_Click(*c);

  auto entries = LeggiBackup(dir + "/backups", "PLV7100");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].tipo, "configuration");
  EXPECT_EQ(entries[1].tipo, "image");
  EXPECT_EQ(entries[1].modifiche, (std::vector<ByteCambiato>{{60, original[60], original[60] ^ 0x55}}));
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const auto r = Ripristina(*c, *it);
    EXPECT_TRUE(r.scritto && r.errore.empty() && r.differenze.empty()) << r.errore;
  }
  EXPECT_EQ(Mem(), original);
  // Each restore was itself backed up.
  EXPECT_EQ(LeggiBackup(dir + "/backups", "PLV7100").size(), 4u);

  // Undo last write undoes the last restore (that of the configuration
  // write), after a question naming what changes.
  dialogs.answers = {Answer::Ok};
  mnu_File_Undo_Click(*c, guard->Opzioni());
  EXPECT_EQ(Mem(), configured);
  EXPECT_NE(dialogs.boxes[dialogs.boxes.size() - 2].text.find("20: " + std::to_string(original[20]) + " -> " +
                                                               std::to_string(configured[20])),
            std::string::npos);
}

TEST_F(Bench, AFailedBackupStopsTheWrite) {
  File("not-a-folder", "x");
  Start("PLV7100", dir + "/not-a-folder/backups");
  const auto original = Mem();
  FrmProgram_Load(s, w.frm_program);
  ASSERT_EQ(ReadEprom(*c), kLetturaOk);
  w.frm_program.txt_Input_max[0].Text = "500";
  EXPECT_EQ(WriteEprom(*c), WriteResult::Held);
  EXPECT_EQ(LastBox().rfind("Backup failed: ", 0), 0u) << LastBox();
  Register(kFormatoByte, "0", "50");
  e.txt_valore.Text = "9";
  EXPECT_FALSE(Command4_Click(*c));
  EXPECT_EQ(Mem(), original);
}

TEST_F(Bench, TheSummaryAsksOnlyWhenMoreThanTheScreensEditsWouldChange) {
  FrmProgram_Load(s, w.frm_program);
  ASSERT_EQ(ReadEprom(*c), kLetturaOk);
  guard->riepilogo = [](Context& cx, const std::array<int, 256>& old) {
    return ConfermaRiepilogo(cx, ConfrontaScrittura(cx, old));
  };
  dialogs.boxes.clear();
  w.frm_program.txt_Input_max[0].Text = "500";
  ASSERT_EQ(WriteEprom(*c), WriteResult::Written);
  EXPECT_TRUE(dialogs.boxes.empty()) << LastBox();

  // The same pairs plus a byte the screen knows nothing of: the input type.
  s.BufIndirizzi.push_back(0);
  s.BufDati.push_back(static_cast<std::uint8_t>(Mem()[0] == 8 ? 18 : 8));
  const Riepilogo r = ConfrontaScrittura(*c, s.MemoriaNota);
  EXPECT_TRUE(r.oltreModifiche);
  ASSERT_FALSE(r.impostazioni.empty());
  EXPECT_EQ(r.impostazioni[0].nome, "cmb_Prog_In(0)");
  EXPECT_FALSE(ConfermaRiepilogo(*c, r));  // Cancel
  EXPECT_EQ(dialogs.boxes.back().buttons, Buttons::OkCancel);
}

}  // namespace
