// Reading a device and writing the unedited window back must leave its
// configuration memory exactly as it was, on every model and for every value
// of the response-delay byte.
#include <gtest/gtest.h>

#include "app/context.h"
#include "config/program_window.h"
#include "config/read_config.h"
#include "config/write_config.h"
#include "link/models.h"
#include "sim/options.h"
#include "sim/sim_transport.h"
#include "support/scripted_dialogs.h"

using namespace korventa;

namespace {

struct RoundTrip {
  ProgramState s;
  Windows w;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  std::unique_ptr<sim::SimTransport> sim;
  std::unique_ptr<Link> link;

  explicit RoundTrip(std::string_view model) {
    sim::SimOptions o;
    std::string error;
    EXPECT_TRUE(sim::ParseSimOptionString(model, o, error)) << error;
    sim = sim::MakeSimTransport(o, error);
    link = std::make_unique<Link>(s, *sim, dialogs, busy);
    EXPECT_TRUE(link->OpenPort("SIM", error)) << error;
    FrmProgram_Load(s, w.frm_program);
  }
  sim::MemoryBank& Memory() { return sim->Converter().Bank(0); }

  // Read, then write without an edit; the differences as "address: before -> after".
  std::string ReadWrite() {
    Context c{s, w, *link, dialogs};
    const sim::MemoryBank before = Memory();
    if (ReadEprom(c) != kLetturaOk) return "read failed";
    // A factory range may lie outside the catalogue's limits: the warning is
    // answered OK as a user keeping the device's values would.
    dialogs.answers.assign(8, Answer::Ok);
    dialogs.boxes.clear();
    if (WriteEprom(c) != WriteResult::Written)
      return "write failed: " + (dialogs.boxes.empty() ? std::string() : dialogs.boxes.back().text);
    std::string diff;
    for (std::size_t a = 0; a < before.size(); ++a)
      if (before[a] != Memory()[a])
        diff += std::to_string(a) + ": " + std::to_string(before[a]) + " -> " + std::to_string(Memory()[a]) + "; ";
    for (const auto& b : dialogs.boxes)
      if (b.icon == Icon::Error) diff += "error: " + b.text + "; ";
    return diff;
  }
};

bool HasResponseDelay(int variant) { return variant == 0 || variant == 8 || variant == 9; }

TEST(RoundTrip, AnUneditedWriteLeavesEveryByteOnEveryModelAndDelay) {
  for (const ModelInfo& m : Models()) {
    RoundTrip t(m.code);
    const int last = HasResponseDelay(m.variant) ? 255 : 0;
    for (int delay = 0; delay <= last; ++delay) {
      if (HasResponseDelay(m.variant)) {
        t.Memory()[28] = static_cast<std::uint8_t>(delay);
        t.Memory()[29] = 0;
      }
      ASSERT_EQ(t.ReadWrite(), "") << m.code << ", delay byte " << delay;
    }
  }
}

}  // namespace
