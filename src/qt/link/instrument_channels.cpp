#include "qt/link/instrument_channels.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <thread>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace korventa::qt {

namespace {

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::min<decltype(ms)>(ms, INT_MAX));
}

bool UseEventLoop(WaitMode mode) { return mode == WaitMode::EventLoop && QCoreApplication::instance() != nullptr; }

// Runs a local event loop until one of the object's signals fires or the
// deadline passes; keeps the windows alive while an instrument answers.
template <typename Object, typename... Signals>
void WaitForSignal(Object* object, Clock::time_point deadline, Signals... wakers) {
  const int ms = MillisecondsUntil(deadline);
  if (ms == 0) return;
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  (QObject::connect(object, wakers, &loop, &QEventLoop::quit), ...);
  timer.start(ms);
  if (loop.exec() == -1) std::this_thread::sleep_until(deadline);
}

// Strips the line end an instrument closes its reply with.
std::string Line(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

class SocketChannel final : public InstrumentIo {
 public:
  SocketChannel(RisorsaTcp where, WaitMode mode) : where_(std::move(where)), mode_(mode) {}

  bool Open(std::string& error) override {
    if (socket_.state() == QAbstractSocket::ConnectedState) return true;
    socket_.connectToHost(QString::fromStdString(where_.host), static_cast<quint16>(where_.port));
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
    if (UseEventLoop(mode_)) {
      while (socket_.state() != QAbstractSocket::ConnectedState && socket_.state() != QAbstractSocket::UnconnectedState &&
             Clock::now() < deadline)
        WaitForSignal(&socket_, deadline, &QTcpSocket::connected, &QTcpSocket::errorOccurred);
    } else {
      socket_.waitForConnected(MillisecondsUntil(deadline));
    }
    if (socket_.state() == QAbstractSocket::ConnectedState) return true;
    error = "cannot connect to " + where_.host + ":" + std::to_string(where_.port) + ": " +
            socket_.errorString().toStdString();
    socket_.abort();
    return false;
  }

  void Close() override { socket_.abort(); }

  bool WriteString(const std::string& command, std::string& error) override {
    if (socket_.state() != QAbstractSocket::ConnectedState) {
      error = "the connection to " + where_.host + " is closed";
      return false;
    }
    const QByteArray data = QByteArray::fromStdString(command + "\n");
    if (socket_.write(data) != data.size()) {
      error = socket_.errorString().toStdString();
      return false;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
    while (socket_.bytesToWrite() > 0 && Clock::now() < deadline)
      if (!socket_.waitForBytesWritten(MillisecondsUntil(deadline))) break;
    if (socket_.bytesToWrite() > 0) {
      error = "the instrument at " + where_.host + " takes no data";
      return false;
    }
    return true;
  }

  std::optional<std::string> ReadString(std::string& error) override {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
    while (!socket_.canReadLine()) {
      if (socket_.state() != QAbstractSocket::ConnectedState || Clock::now() >= deadline) {
        error = socket_.state() == QAbstractSocket::ConnectedState ? "no answer from " + where_.host
                                                                     : "the connection to " + where_.host + " closed";
        return std::nullopt;
      }
      if (UseEventLoop(mode_))
        WaitForSignal(&socket_, deadline, &QTcpSocket::readyRead, &QTcpSocket::disconnected);
      else
        socket_.waitForReadyRead(MillisecondsUntil(deadline));
    }
    return Line(socket_.readLine().toStdString());
  }

  void Clear() override {
    socket_.waitForReadyRead(0);
    socket_.readAll();
  }
  void SetTimeout(int milliseconds) override { timeoutMs_ = std::max(1, milliseconds); }
  void Wait(Clock::time_point deadline) override { WaitUntil(deadline, mode_); }

 private:
  RisorsaTcp where_;
  WaitMode mode_;
  QTcpSocket socket_;
  int timeoutMs_ = 2000;
};

#ifdef Q_OS_LINUX
// A USBTMC instrument through the kernel driver: each write is one message,
// each read asks the instrument for its answer and returns when it comes or
// the driver's time-out (set to ours) passes.
class UsbtmcChannel final : public InstrumentIo {
 public:
  UsbtmcChannel(std::string path, WaitMode mode) : path_(std::move(path)), mode_(mode) {}
  ~UsbtmcChannel() override { Close(); }

  bool Open(std::string& error) override {
    if (fd_ >= 0) return true;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
      error = "cannot open " + path_ + ": " + std::strerror(errno);
      if (errno == EACCES) error += " (add a udev rule or your user to the group that owns it)";
      return false;
    }
    ApplyTimeout();
    return true;
  }
  void Close() override {
    // A read still waiting on its own thread (the close came from a window
    // while it waited) keeps the descriptor until it returns.
    if (leggendo_) {
      chiudi_ = true;
      return;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool WriteString(const std::string& command, std::string& error) override {
    const std::string data = command + "\n";
    if (fd_ < 0 || ::write(fd_, data.data(), data.size()) != static_cast<ssize_t>(data.size())) {
      error = "cannot write to " + path_ + (fd_ < 0 ? std::string(": not open") : ": " + std::string(std::strerror(errno)));
      return false;
    }
    return true;
  }
  std::optional<std::string> ReadString(std::string& error) override {
    if (fd_ < 0 || chiudi_) {
      error = "no answer from " + path_ + ": not open";
      return std::nullopt;
    }
    // The driver's read asks the instrument and blocks until the answer or
    // the time-out: in the desktop program it runs on a thread of its own
    // while a local event loop keeps the windows alive.
    struct Lettura {
      std::array<char, 4096> buf;
      ssize_t n = -1;
      int errore = 0;
    };
    auto l = std::make_shared<Lettura>();
    auto leggi = [l, fd = fd_] {
      l->n = ::read(fd, l->buf.data(), l->buf.size());
      l->errore = errno;
    };
    if (UseEventLoop(mode_)) {
      QEventLoop loop;
      leggendo_ = true;
      std::thread lettore([&leggi, &loop] {
        leggi();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
      });
      loop.exec();
      lettore.join();
      leggendo_ = false;
      if (chiudi_) {
        chiudi_ = false;
        Close();
      }
    } else {
      leggi();
    }
    if (l->n <= 0) {
      error = "no answer from " + path_ + (l->n < 0 ? ": " + std::string(std::strerror(l->errore)) : "");
      return std::nullopt;
    }
    return Line(std::string(l->buf.data(), static_cast<std::size_t>(l->n)));
  }
  void Clear() override {
    if (fd_ >= 0) ::ioctl(fd_, USBTMC_IOCTL_CLEAR);
  }
  void SetTimeout(int milliseconds) override {
    timeoutMs_ = std::max(1, milliseconds);
    ApplyTimeout();
  }
  void Wait(Clock::time_point deadline) override { WaitUntil(deadline, mode_); }

 private:
  void ApplyTimeout() {
    if (fd_ < 0) return;
    __u32 ms = static_cast<__u32>(timeoutMs_);
    ::ioctl(fd_, USBTMC_IOCTL_SET_TIMEOUT, &ms);
  }

  std::string path_;
  WaitMode mode_;
  int fd_ = -1;
  int timeoutMs_ = 2000;
  bool leggendo_ = false;  // a read waits on its thread
  bool chiudi_ = false;    // ... and the channel is to close after it
};
#endif

}  // namespace

void WaitUntil(Clock::time_point deadline, WaitMode mode) {
  if (!UseEventLoop(mode)) {
    std::this_thread::sleep_until(deadline);
    return;
  }
  while (Clock::now() < deadline) {
    const int ms = MillisecondsUntil(deadline);
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    if (loop.exec() == -1) std::this_thread::sleep_until(deadline);
  }
}

std::unique_ptr<InstrumentIo> InstrumentChannelFactory::Make(const std::string& resource, std::string& error) {
  if (auto tcp = RisorsaSocket(resource)) return std::make_unique<SocketChannel>(*tcp, mode_);
#ifdef Q_OS_LINUX
  if (!resource.empty() && resource[0] == '/') return std::make_unique<UsbtmcChannel>(resource, mode_);
#endif
  error = "\"" + resource + "\" is not an instrument resource; use /dev/usbtmcN or TCPIP0::host::port::SOCKET";
  return nullptr;
}

}  // namespace korventa::qt
