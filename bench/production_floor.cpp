// The floor of a production run: the waits the run asks for plus the wire
// time of the device at 9600 baud, measured on the virtual clock. Every
// port (the device's and each instrument's) keeps its own virtual clock,
// and the run waits on one of them at a time, so the floor is the sum of
// the time each clock advanced. Compare with the wall time of the same run
// on the paced bench (korventa-sim --bench, korventa-cli production).
//
//   build/release/bench/bench_production_floor [MODEL ...]
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/busy.h"
#include "factory/collaudo.h"
#include "sim/bench/bench.h"
#include "sim/options.h"

namespace {

using namespace korventa;

// Keeps every port it makes so their clocks can be read at the end.
class PorteContate final : public PortFactory {
 public:
  explicit PorteContate(PortFactory& dentro) : dentro_(dentro) {}
  std::unique_ptr<Transport> MakePort(const std::string& name, const LineSettings& line) override {
    auto t = dentro_.MakePort(name, line);
    if (t) porte.push_back({t.get(), t->Now()});
    return t;
  }
  std::vector<std::pair<Transport*, Clock::time_point>> porte;

 private:
  PortFactory& dentro_;
};

class Silenziosi final : public Dialogs {
 public:
  Answer MsgBox(const std::string&, Buttons b, Icon, const std::string&) override {
    return b == Buttons::AbortRetryIgnore ? Answer::Ignore : Answer::Ok;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> modelli(argv + 1, argv + argc);
  if (modelli.empty()) modelli = {"PLV7100", "PLV7110A"};
  for (const auto& m : modelli) {
    sim::SimOptions o;
    o.model = m;
    o.baud = 9600;
    std::string errore;
    std::unique_ptr<sim::VirtualBench> banco;
    auto conv = sim::MakeSimTransportWithBench(o, banco, errore);
    if (!conv) {
      std::fprintf(stderr, "%s: %s\n", m.c_str(), errore.c_str());
      return 1;
    }
    ProgramState s;
    Silenziosi dialogs;
    BusyObserver busy;
    SelettoriStrumenti sel;
    auto porte = banco->Ports(sim::BenchPortNames(sel));
    PorteContate contate(*porte);
    auto usb = banco->Channels({});
    Link link(s, *conv, dialogs, busy);
    Strumenti strumenti(s, sel, contate, *usb, dialogs);
    FrmTara f;
    Frm3100 f3100;
    const ModelloTara* mt = ModelloTaraDaCodice(m);
    if (!mt) return 1;
    opt_modello_Click(f, f3100, s, static_cast<int>(mt - ModelliTara().data()));
    f.chk_switch.Value = f.chk_programma.Value = false;
    BancoTara b{s, link, strumenti, dialogs, f, f3100};
    const auto inizio = conv->Now();
    Collaudo c(b);
    const auto e = c.Command2_Click();
    double secondi = std::chrono::duration<double>(conv->Now() - inizio).count();
    for (const auto& [t, t0] : contate.porte) secondi += std::chrono::duration<double>(t->Now() - t0).count();
    std::printf("%-9s floor %.1f s (%s, %zu failed rows)\n", m.c_str(), secondi, e.errore ? "error" : "completed",
                e.righeRosse.size());
  }
  return 0;
}
