// SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl-C in the terminal
// that started the program, that terminal closing) ask the desktop program
// to close as Exit does, without questions: a write in progress stops after
// the frame on the wire. The handler only writes a byte to a socket pair;
// the event loop reads it, so nothing unsafe runs inside the signal.
#pragma once

#include <functional>
#include <memory>

#include <QtCore/QObject>

class QSocketNotifier;

namespace korventa::qt {

class SegnaliUscita : public QObject {
 public:
  // chiudi runs in the event loop once per signal received. The handlers
  // are the process's: one instance at a time; the destructor puts the
  // previous handlers back.
  explicit SegnaliUscita(std::function<void()> chiudi);
  ~SegnaliUscita() override;
  SegnaliUscita(const SegnaliUscita&) = delete;
  SegnaliUscita& operator=(const SegnaliUscita&) = delete;

 private:
  struct Precedenti;
  int fd_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  std::unique_ptr<Precedenti> precedenti_;
  std::function<void()> chiudi_;
};

}  // namespace korventa::qt
