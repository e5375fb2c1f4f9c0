// Which converter is connected: the model from variant and line bits, the
// main window's labels, and the checks that open every read and write.
#include <gtest/gtest.h>

#include "app/identify.h"
#include "app/impostatesti.h"
#include "link/protocol.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;

namespace {

struct Identification : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedTransport t;
  test::ScriptedDialogs d;
  BusyObserver busy;
  Link link{s, t, d, busy};
  Context c{s, w, link, d};
  std::string identity = {0, 4, 0, 12};  // variant, firmware, extra, product
  std::uint8_t byte4 = 0;
  bool memorySilent = false;

  void SetUp() override {
    t.responder = [this](test::ScriptedTransport& tr, const std::string& fr) {
      if (fr == protocol::FrameEnterProgram()) tr.Deliver("OK\r\n", 0.001);
      if (fr.size() != 6 || fr[0] != '$') return;
      if (fr[1] == 'V') tr.Deliver(test::Reply(identity), 0.001);
      if (fr[1] == 'R' && !memorySilent) tr.Deliver(test::Reply(std::string{0, fr[3], char(byte4)}), 0.001);
    };
  }
  void Device(int variant, int product = 12, std::uint8_t lineByte = 0) {
    identity = {char(variant), 4, 7, char(product)};
    byte4 = lineByte;
  }
  int ReadsOf(int address) const { return t.Count(std::string("$R") + char(0) + char(address)); }
};

}  // namespace

TEST_F(Identification, LineBitsAndVariantLetterPickTheModel) {
  struct Case {
    int variant;
    std::uint8_t byte4;
    const char* code;
    const char* name;
  };
  const Case cases[] = {
      {1, 0, "PLV7100", "GN-7100"},        {2, 0xE0, "PLV7110A", "GN-7110 A"}, {6, 0x60, "PLV7110C", "GN-7110 C"},
      {4, 0x00, "PLV7120D", "GN-7120 D"},  {3, 0x20, "PLV7210B", "GN-7210 B"}, {6, 0x40, "PLV7220C", "GN-7220 C"},
      {5, 0x60, "PLV7220D", "GN-7220 D"},  {9, 0, "PLV3100", "GN-3100"},
  };
  for (const auto& k : cases) {
    Device(k.variant, 12, k.byte4);
    ASSERT_EQ(ControlloLettura(c), EsitoControllo::Ok) << k.code;
    EXPECT_EQ(CodiceModelloRiconosciuto(c), k.code);
    EXPECT_EQ(w.communication.lbl_device[0].Caption, k.name);
    EXPECT_EQ(w.communication.lbl_device[1].Caption, "ID=12/" + std::to_string(k.variant));
  }
  // Variants 2 to 6 read memory byte 4 (the 7220 D too); the others do not.
  t.written.clear();
  Device(5, 12, 0);
  ControlloLettura(c);
  EXPECT_EQ(ReadsOf(4), 1);
  t.written.clear();
  Device(8);
  ControlloLettura(c);
  EXPECT_EQ(ReadsOf(4), 0);
}

TEST_F(Identification, UnknownVariantKeepsTheNameAndBrandWithoutNamesShowsTheCode) {
  Device(0);
  ControlloLettura(c);
  Device(12);
  ControlloLettura(c);
  EXPECT_EQ(w.communication.lbl_device[0].Caption, "GN-7100");
  EXPECT_EQ(w.communication.lbl_device[1].Caption, "ID=12/12");
  EXPECT_EQ(CodiceModelloRiconosciuto(c), "");
  s.Marchio = 3;  // sells no PLV7300 under a name of its own
  Device(7);
  ControlloLettura(c);
  EXPECT_EQ(NomeModelloRiconosciuto(c), "PLV7300");
}

TEST_F(Identification, FailedLineReadKeepsTheModelLabelsAndEndsTheRead) {
  Device(0);
  ControlloLettura(c);
  w.communication.Check1.Caption = "before";
  Device(3, 12, 0x20);
  memorySilent = true;
  d.answers = {Answer::Cancel};
  EXPECT_EQ(ControlloLettura(c), EsitoControllo::Annullato);
  EXPECT_EQ(w.communication.lbl_device[0].Caption, "GN-7100");
  EXPECT_EQ(w.communication.lbl_device[1].Caption, "ID=12/0");
  // The port box still follows the language and the port state.
  EXPECT_EQ(w.communication.Check1.Caption, "Apri Com");
}

TEST_F(Identification, ReadingRefusesFamilyElevenWritingAcceptsIt) {
  Device(0, 11);
  EXPECT_EQ(ControlloLettura(c), EsitoControllo::Rifiutato);
  ASSERT_EQ(d.boxes.size(), 1u);
  EXPECT_EQ(d.boxes[0].icon, Icon::Error);
  d.boxes.clear();
  EXPECT_EQ(ControlloScrittura(c), EsitoControllo::Ok);
  EXPECT_TRUE(d.boxes.empty());
  // Any other family is refused by writing, titled with the main window's
  // caption (which names the open file).
  s.OffLingua = 300;
  w.communication.Caption = "KORVENTA v.2.7 - impianto.DST";
  Device(0, 13);
  s.CodProdotto = 13;  // as it was read
  EXPECT_EQ(ControlloScrittura(c), EsitoControllo::Rifiutato);
  EXPECT_EQ(d.boxes.back().text, "Device not compatible with this software version");
  EXPECT_EQ(d.boxes.back().caption, "KORVENTA v.2.7 - impianto.DST");
}

TEST_F(Identification, ExchangedDeviceIsRefusedAndTheReadIdentityRestored) {
  Device(2, 12, 0x60);
  identity = {2, 3, 9, 12};
  ASSERT_EQ(ControlloLettura(c), EsitoControllo::Ok);
  identity = {3, 5, 1, 12};  // another variant, firmware and extra byte
  EXPECT_EQ(ControlloScrittura(c), EsitoControllo::Rifiutato);
  ASSERT_EQ(d.boxes.size(), 1u);
  EXPECT_EQ(d.boxes[0].text, "Il dispositivo è stato sostituito");
  EXPECT_EQ(d.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(d.boxes[0].icon, Icon::None);
  EXPECT_EQ(d.boxes[0].caption, "KORVENTA v.2.7");
  EXPECT_EQ(s.CodVariante, 2);
  EXPECT_EQ(s.VerSw, 3);
  EXPECT_EQ(s.IdExtra, 9);
}
