#include "qt/link/serial_transport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <thread>

#ifdef Q_OS_UNIX
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace korventa::qt {

namespace {

// Longest time a frame may sit in the driver before the write counts as
// failed. A frame is at most a few bytes, which a working port takes at once.
constexpr auto kWriteTimeout = std::chrono::seconds(1);

// Whole milliseconds from now to the deadline, rounded up so that a wait
// never ends before the deadline; 0 when it has passed.
int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return static_cast<int>(std::min<decltype(ms)>(ms, INT_MAX));
}

// The port as the user knows it, with the device path when that differs.
std::string Describe(const std::string& name, const std::string& system) {
  return system == name ? name : name + " (" + system + ")";
}

std::string OpenFailureText(const QSerialPort& port, const std::string& name, const std::string& system,
                            const LineSettings& line) {
  const std::string what = "serial port " + Describe(name, system);
  switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
      return "The " + what + " does not exist.";
    case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
      // Qt reports a busy port, a foreign lock file and missing rights all as
      // a permission error; only the rights come with EACCES on the node.
      if (::access(system.c_str(), R_OK | W_OK) != 0 && errno == EACCES) {
        return "Permission denied on the " + what +
               ". Add your user to the dialout group (sudo usermod -aG dialout $USER), then log out and in "
               "again.";
      }
#endif
      return "The " + what + " is in use by another program.";
    case QSerialPort::OpenError:
      return "The " + what + " is already open.";
    case QSerialPort::UnsupportedOperationError:
      return "The " + what + " does not accept " + DescribeLine(line) + ".";
    default:
      return "Cannot open the " + what + ": " + port.errorString().toStdString() + ".";
  }
}

QSerialPort::DataBits DataBitsOf(int bits) {
  switch (bits) {
    case 5: return QSerialPort::Data5;
    case 6: return QSerialPort::Data6;
    case 7: return QSerialPort::Data7;
    default: return QSerialPort::Data8;
  }
}

QSerialPort::Parity ParityOf(Parity parity) {
  switch (parity) {
    case Parity::Even: return QSerialPort::EvenParity;
    case Parity::Odd: return QSerialPort::OddParity;
    case Parity::None: break;
  }
  return QSerialPort::NoParity;
}

QSerialPort::FlowControl FlowOf(FlowControl flow) {
  switch (flow) {
    case FlowControl::Hardware: return QSerialPort::HardwareControl;
    case FlowControl::Software: return QSerialPort::SoftwareControl;
    case FlowControl::None: break;
  }
  return QSerialPort::NoFlowControl;
}

}  // namespace

std::string SystemPortName(const std::string& name) {
  if (name.size() < 4 || name.size() > 5) return name;
  for (std::size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return name;
  int number = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return name;
    number = number * 10 + (name[i] - '0');
  }
  if (name[3] == '0' || number < 1 || number > 16) return name;
#if defined(Q_OS_LINUX)
  return "/dev/ttyS" + std::to_string(number - 1);
#elif defined(Q_OS_WIN)
  return "COM" + std::to_string(number);
#else
  return name;
#endif
}

std::unique_ptr<Transport> SerialPortFactory::MakePort(const std::string& name, const LineSettings& line) {
  auto port = std::make_unique<SerialTransport>(mode_, line);
  port->SetPort(name);
  return port;
}

SerialTransport::SerialTransport(WaitMode mode, const LineSettings& line)
    : mode_(mode), line_(line), port_(std::make_unique<QSerialPort>()) {
  // A hung-up terminal stays readable forever, and QSerialPort answers each
  // read of nothing with a ReadError but keeps listening, so any event loop
  // (ours or the program's, between transactions) would spin. Let go of the
  // handle at the first sign; the port then counts as vanished until its
  // owner closes it. Closing from this handler is what Qt expects for an
  // unplugged adapter.
  QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(), [this](QSerialPort::SerialPortError e) {
    if (!port_->isOpen()) return;
    if (e == QSerialPort::ResourceError || e == QSerialPort::DeviceNotFoundError ||
        ((e == QSerialPort::ReadError || e == QSerialPort::WriteError) && HungUp()))
      Abandon();
  });
}

SerialTransport::~SerialTransport() { Close(); }

void SerialTransport::SetPort(const std::string& name) { name_ = name; }

bool SerialTransport::IsOpen() const { return port_->isOpen() || vanished_; }

void SerialTransport::Abandon() {
  vanished_ = true;
  if (port_->isOpen()) port_->close();
}

bool SerialTransport::Open(std::string& error) {
  if (vanished_) Close();  // a dead handle is no open port: start again
  if (port_->isOpen()) return true;
  if (name_.empty()) {
    error = "No serial port chosen.";
    return false;
  }
  const std::string system = SystemPortName(name_);
  port_->setPortName(QString::fromStdString(system));
  // Set before opening: QSerialPort applies them as it opens and fails the
  // open when the driver refuses one.
  port_->setBaudRate(line_.baud);
  port_->setDataBits(DataBitsOf(line_.dataBits));
  port_->setParity(ParityOf(line_.parity));
  port_->setStopBits(line_.stopBits == StopBits::Two ? QSerialPort::TwoStop : QSerialPort::OneStop);
  port_->setFlowControl(FlowOf(line_.flow));
  port_->clearError();
  if (!port_->open(QIODevice::ReadWrite)) {
    error = OpenFailureText(*port_, name_, system, line_);
    port_->clearError();
    return false;
  }
  port_->clearError();
  return true;
}

void SerialTransport::Close() {
  if (port_->isOpen()) port_->close();
  port_->clearError();
  vanished_ = false;
}

bool SerialTransport::HungUp() const {
#ifdef Q_OS_UNIX
  // An unplugged USB adapter and a pseudo-terminal whose other side closed
  // both leave the terminal hung up: reads return nothing, writes fail, and
  // QSerialPort does not always say so. poll() reports it reliably.
  pollfd p{};
  p.fd = static_cast<int>(port_->handle());
  p.events = POLLIN;
  if (p.fd < 0) return false;
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
  return false;
#endif
}

IoStatus SerialTransport::TakeError() {
  const QSerialPort::SerialPortError e = port_->error();
  port_->clearError();
  if (vanished_) return IoStatus::Vanished;
  switch (e) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:  // a wait that found nothing
      return IoStatus::Ok;
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
      Abandon();
      return IoStatus::Vanished;
    case QSerialPort::NotOpenError:
      return IoStatus::NotOpen;
    default:
      return IoStatus::Error;
  }
}

// Whether the port can be used at all right now.
IoStatus SerialTransport::Usable() {
  if (vanished_) return IoStatus::Vanished;
  if (!port_->isOpen()) return IoStatus::NotOpen;
  if (HungUp()) {
    Abandon();
    return IoStatus::Vanished;
  }
  return IoStatus::Ok;
}

// Moves whatever the driver holds into QSerialPort's buffer without waiting.
// Needed in both modes: without an event loop nothing else reads, and with
// one the bytes may have arrived after its last turn.
IoStatus SerialTransport::Fetch() {
  if (IoStatus st = Usable(); st != IoStatus::Ok) return st;
  port_->waitForReadyRead(0);
  return TakeError();
}

IoStatus SerialTransport::Write(std::span<const std::uint8_t> bytes) {
  if (IoStatus st = Usable(); st != IoStatus::Ok) return st;
  if (IoStatus st = TakeError(); st == IoStatus::Vanished) return st;
  if (bytes.empty()) return IoStatus::Ok;
  const auto size = static_cast<qint64>(bytes.size());
  if (port_->write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
    IoStatus st = TakeError();
    return st == IoStatus::Ok ? IoStatus::Error : st;
  }
  // QSerialPort only queues the bytes; hand them to the driver now, so the
  // frame is on its way before the link starts timing the reply.
  const Clock::time_point deadline = Clock::now() + kWriteTimeout;
  while (port_->bytesToWrite() > 0) {
    const int ms = MillisecondsUntil(deadline);
    if (ms == 0 || !port_->waitForBytesWritten(ms)) break;
  }
  IoStatus st = TakeError();
  if (st == IoStatus::Ok && port_->bytesToWrite() > 0) st = IoStatus::Error;  // the driver took nothing
  return st;
}

IoStatus SerialTransport::ReadAll(std::vector<std::uint8_t>& out) {
  if (IoStatus st = Fetch(); st != IoStatus::Ok) return st;
  const QByteArray data = port_->readAll();
  out.insert(out.end(), data.begin(), data.end());
  return TakeError();
}

void SerialTransport::Discard() {
  if (!port_->isOpen()) return;
  // Drops what the driver holds and what QSerialPort has buffered. A failure
  // here is left for the next read or write to report; on a hung-up terminal
  // the clear itself lets go of the port (Abandon), and there is then
  // nothing buffered to drop.
  port_->clear(QSerialPort::Input);
  if (port_->isOpen()) port_->readAll();
}

void SerialTransport::Wait(Clock::time_point deadline, bool wakeOnBytes) {
  if (mode_ == WaitMode::EventLoop && QCoreApplication::instance() != nullptr)
    WaitInEventLoop(deadline, wakeOnBytes);
  else
    WaitBlocking(deadline, wakeOnBytes);
}

void SerialTransport::WaitBlocking(Clock::time_point deadline, bool wakeOnBytes) {
  if (!wakeOnBytes || Usable() != IoStatus::Ok) {
    // Nothing to wake for, or nothing will come: sleep out the time so the
    // caller's loop does not spin.
    std::this_thread::sleep_until(deadline);
    return;
  }
  if (port_->bytesAvailable() > 0) return;
  const int ms = MillisecondsUntil(deadline);
  if (ms == 0) return;
  // Blocks in poll() until the driver has bytes; the error, if any, stays
  // with the port for the next read to report.
  port_->waitForReadyRead(ms);
}

void SerialTransport::WaitInEventLoop(Clock::time_point deadline, bool wakeOnBytes) {
  const int ms = MillisecondsUntil(deadline);
  if (ms == 0) return;
  const bool watchBytes = wakeOnBytes && Usable() == IoStatus::Ok;
  if (watchBytes && port_->bytesAvailable() > 0) return;

  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  if (watchBytes) {
    QObject::connect(port_.get(), &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, &loop, [&loop](QSerialPort::SerialPortError e) {
      if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError) loop.quit();
    });
  }
  // Someone closed the port from a handler that ran during the wait.
  QObject::connect(port_.get(), &QIODevice::aboutToClose, &loop, &QEventLoop::quit);
  timer.start(ms);
  // Once the program has been told to quit, no local loop starts any more
  // (exec returns -1 at once) until the main loop has unwound; a transaction
  // still running must then finish without a spinning wait.
  if (loop.exec() == -1) WaitBlocking(deadline, wakeOnBytes);
}

}  // namespace korventa::qt
