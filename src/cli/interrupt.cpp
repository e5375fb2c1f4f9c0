#include "cli/interrupt.h"

#include <csignal>

namespace korventa::cli {

namespace {

// Set by Ctrl-C. A signal handler reaches nothing but a flag of this kind.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

InterruptFlag::InterruptFlag() {
  interrupted = 0;
  previous_ = std::signal(SIGINT, &OnInterrupt);
}

InterruptFlag::~InterruptFlag() {
  if (previous_ != SIG_ERR) std::signal(SIGINT, previous_);
}

bool InterruptFlag::Set() const { return interrupted != 0; }

}  // namespace korventa::cli
