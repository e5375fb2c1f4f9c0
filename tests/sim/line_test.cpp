#include <gtest/gtest.h>

#include "sim/line.h"
#include "sim_util.h"

using namespace korventa;
using namespace korventa::sim;
using namespace korventa::sim::test;
namespace p = korventa::protocol;

namespace {

struct Rig {
  explicit Rig(const FaultOptions& faults = {}, int baud = 0, const std::string& model = "PLV7100")
      : dev(ConfigFor(model)), line(dev, faults, baud) {}

  // Writes a frame at t and collects everything that arrives up to until.
  std::vector<Chunk> Send(const std::string& frame, double t, double until) {
    line.HostWrite({reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size()}, At(t));
    line.Advance(At(until));
    std::vector<Chunk> got;
    line.TakeArrived(At(until), got);
    return got;
  }

  VirtualConverter dev;
  SimLine line;
};

std::string Joined(const std::vector<Chunk>& chunks) {
  std::string s;
  for (const auto& c : chunks) s += c.bytes;
  return s;
}

// Everything a line with these faults delivers for a fixed conversation.
std::vector<Chunk> Conversation(const FaultOptions& faults) {
  Rig r(faults);
  std::vector<Chunk> all;
  double t = 0;
  for (const std::string& f : {p::FrameEnterProgram(), p::FrameProduct(), p::FrameRead(0, 1), p::FrameRead(0, 2),
                               p::FrameDip(), p::FrameRead(0, 3), p::FrameSamples(8), p::FrameRead(0, 4)}) {
    auto got = r.Send(f, t, t + 0.5);
    all.insert(all.end(), got.begin(), got.end());
    t += 1.0;
  }
  return all;
}

bool Same(const std::vector<Chunk>& a, const std::vector<Chunk>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].at != b[i].at || a[i].bytes != b[i].bytes) return false;
  return true;
}

}  // namespace

TEST(Line, PacesBothDirectionsAtTenBitTimesPerByte) {
  Rig r({}, 9600);
  const Clock::duration bt = r.line.ByteTime();
  EXPECT_EQ(bt, std::chrono::nanoseconds(1041666));
  const auto got = r.Send(p::FrameEnterProgram(), 1.0, 2.0);
  ASSERT_EQ(Joined(got), "OK\r\n");
  ASSERT_EQ(got.size(), 4u);
  // "PR" CR is complete after three byte times; the answer follows byte by
  // byte.
  for (std::size_t k = 0; k < got.size(); ++k) EXPECT_EQ(got[k].at, At(1.0) + bt * static_cast<int>(3 + k + 1));
}

TEST(Line, QueuesAWriteBehindOneStillOnTheLine) {
  Rig r({}, 1200);
  const Clock::duration bt = r.line.ByteTime();
  const std::string two = p::FrameEnterProgram() + p::FrameEnterProgram();
  const auto got = r.Send(two, 0.0, 1.0);
  ASSERT_EQ(Joined(got), "OK\r\nOK\r\n");
  // The second answer waits for the first to leave the line.
  EXPECT_EQ(got[4].at, At(0.0) + bt * (3 + 4 + 1));
  EXPECT_EQ(got.back().at, At(0.0) + bt * (3 + 4 + 4));
}

TEST(Line, FaultsRepeatExactlyForTheSameSeed) {
  FaultOptions f;
  f.garbage = 0.5;
  f.split = true;
  f.drop = 0.2;
  f.wrongTerminator = 0.2;
  f.stale = 0.3;
  f.seed = 42;
  const auto a = Conversation(f);
  EXPECT_TRUE(Same(a, Conversation(f)));
  f.seed = 43;
  EXPECT_FALSE(Same(a, Conversation(f)));
}

TEST(Line, EachFaultDoesWhatItSays) {
  Rig clean;
  clean.Send(p::FrameEnterProgram(), 0, 0);
  const std::string v = Joined(clean.Send(p::FrameProduct(), 1, 1));

  FaultOptions drop;
  drop.drop = 1;
  EXPECT_TRUE(Conversation(drop).empty());

  FaultOptions wrong;
  wrong.wrongTerminator = 1;
  Rig w(wrong);
  EXPECT_EQ(Joined(w.Send(p::FrameEnterProgram(), 0, 0)), "OK\r\r");

  FaultOptions stale;
  stale.stale = 1;
  Rig s(stale);
  EXPECT_EQ(Joined(s.Send(p::FrameEnterProgram(), 0, 0)), "OK\r\n") << "nothing to repeat yet";
  EXPECT_EQ(Joined(s.Send(p::FrameProduct(), 1, 1)), "OK\r\n" + v);

  FaultOptions garbage;
  garbage.garbage = 1;
  Rig g(garbage);
  g.Send(p::FrameEnterProgram(), 0, 0);
  const std::string gv = Joined(g.Send(p::FrameProduct(), 1, 1));
  ASSERT_GT(gv.size(), v.size());
  EXPECT_LE(gv.size(), v.size() + 4);
  EXPECT_EQ(gv.substr(gv.size() - v.size()), v);

  FaultOptions split;
  split.split = true;
  Rig sp(split);
  sp.Send(p::FrameEnterProgram(), 0, 0.5);
  const auto pieces = sp.Send(p::FrameProduct(), 1, 2);
  ASSERT_GE(pieces.size(), 2u);
  EXPECT_EQ(Joined(pieces), v);
  EXPECT_EQ(pieces.front().at, At(1));
  EXPECT_GT(pieces.back().at, At(1) + std::chrono::milliseconds(4));
}

TEST(Line, PacedStreamFramesGoOutByteByByte) {
  Rig r({}, 9600, "PLV7110A");
  r.Send(p::FrameStartMeasure(), 0.0, 0.0);
  std::vector<Chunk> got;
  r.line.Advance(At(0.15));
  r.line.TakeArrived(At(0.15), got);
  ASSERT_EQ(got.size(), 9u);
  const Clock::duration bt = r.line.ByteTime();
  // The frame is due 0.1 s after "MI" finished arriving.
  EXPECT_EQ(got.front().at, At(0.0) + 3 * bt + std::chrono::milliseconds(100) + bt);
  EXPECT_EQ(got.back().bytes, "\r");
  ASSERT_TRUE(r.line.NextEvent());
  EXPECT_EQ(*r.line.NextEvent(), At(0.0) + 3 * bt + std::chrono::milliseconds(200));
}
