#include "cli/interrupt.h"

namespace korventa::cli {

namespace {

// A signal handler reaches nothing but a flag of this kind; it is the one
// piece of process-wide state the command line has.
volatile std::sig_atomic_t received = 0;

extern "C" void OnSignal(int signal) { received = signal; }

}  // namespace

InterruptFlag::InterruptFlag(bool ignorePipe) : ignorePipe_(ignorePipe) {
  received = 0;
  for (int i = 0; i < 4; ++i) {
    if (kSignals[i] == SIGPIPE && !ignorePipe_) continue;
    struct sigaction sa = {};
    sa.sa_handler = kSignals[i] == SIGPIPE ? SIG_IGN : &OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;  // a frame being written is finished, not cut
    sigaction(kSignals[i], &sa, &previous_[i]);
  }
}

InterruptFlag::~InterruptFlag() {
  for (int i = 0; i < 4; ++i)
    if (kSignals[i] != SIGPIPE || ignorePipe_) sigaction(kSignals[i], &previous_[i], nullptr);
}

bool InterruptFlag::Set() const { return received != 0; }
int InterruptFlag::Signal() const { return received; }

}  // namespace korventa::cli
