#include "qt/app/segnali.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <utility>

#include <QtCore/QSocketNotifier>

namespace korventa::qt {
namespace {

constexpr std::array<int, 3> kSegnali = {SIGTERM, SIGINT, SIGHUP};

// The one thing a handler may reach: the write end of the socket pair.
std::atomic<int> gScrittura{-1};

extern "C" void AlSegnale(int) {
  const int salvato = errno;
  const int fd = gScrittura.load(std::memory_order_relaxed);
  const char byte = 1;
  if (fd >= 0) {
    // Non-blocking: with the buffer full a close is already on its way.
    const ssize_t scritti = ::write(fd, &byte, 1);
    static_cast<void>(scritti);
  }
  errno = salvato;
}

}  // namespace

struct SegnaliUscita::Precedenti {
  std::array<struct sigaction, kSegnali.size()> azioni{};
};

SegnaliUscita::SegnaliUscita(std::function<void()> chiudi)
    : precedenti_(std::make_unique<Precedenti>()), chiudi_(std::move(chiudi)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fd_) != 0) {
    fd_[0] = fd_[1] = -1;
    return;
  }
  gScrittura.store(fd_[1]);
  notifier_ = std::make_unique<QSocketNotifier>(fd_[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char letti[64];
    while (::read(fd_[0], letti, sizeof letti) > 0) {
    }
    if (chiudi_) chiudi_();
  });
  struct sigaction sa {};
  sa.sa_handler = AlSegnale;
  sigemptyset(&sa.sa_mask);
  // A write or read of the port interrupted by the signal goes on.
  sa.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSegnali.size(); ++i) ::sigaction(kSegnali[i], &sa, &precedenti_->azioni[i]);
}

SegnaliUscita::~SegnaliUscita() {
  if (fd_[0] < 0) return;
  for (std::size_t i = 0; i < kSegnali.size(); ++i) ::sigaction(kSegnali[i], &precedenti_->azioni[i], nullptr);
  gScrittura.store(-1);
  notifier_.reset();
  ::close(fd_[0]);
  ::close(fd_[1]);
}

}  // namespace korventa::qt
