#include "cli/app.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "app/busy.h"
#include "app/state.h"
#include "cli/policy_dialogs.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "link/link.h"

namespace korventa::cli {

namespace {

std::string CommandLines() {
  std::string lines;
  for (const auto& c : Commands()) lines += std::string("  ") + c.usage + "\n";
  return lines;
}

// The transport of commands that never talk to a device: a port that stays closed.
class NoPort : public Transport {
 public:
  void SetPort(const std::string&) override {}
  std::string Port() const override { return {}; }
  bool Open(std::string& error) override {
    error = "no device named";
    return false;
  }
  void Close() override {}
  bool IsOpen() const override { return false; }
  IoStatus Write(std::span<const std::uint8_t>) override { return IoStatus::NotOpen; }
  IoStatus ReadAll(std::vector<std::uint8_t>&) override { return IoStatus::NotOpen; }
  void Discard() override {}
  void Wait(Clock::time_point, bool) override {}
};

}  // namespace

std::string Usage() {
  return "usage: korventa-cli [--port PORT | --simulate MODEL] [options] COMMAND [ARGS]\n"
         "\n"
         "Connection:\n"
         "  --port PORT        serial port: COM1..COM16 or a device path (/dev/ttyUSB0)\n"
         "  --simulate MODEL   the built-in simulated device of that model (e.g. PLV7100)\n"
         "  --sim-opt K=V      option for the simulated device (repeatable)\n"
         "  --retries N        answer Retry to a communication error N times, then Cancel (default 2)\n"
         "  --yes              answer OK to limit warnings and file questions (default: Cancel, exit 3)\n"
         "  --lang it|en       language of the texts printed (default it)\n"
         "  --instrument ROLE=SELECTOR  how the bench command reaches an instrument (repeatable):\n"
         "                     ROLE supply, switch, mult, mult1, cal or usb; SELECTOR Com1..Com8,\n"
         "                     Usb1..Usb4, Manuale, a device path or an instrument resource\n"
         "\n"
         "Commands:\n" +
         CommandLines() +
         "\n"
         "Exit codes: 0 success, 1 usage, 2 communication failure, 3 refused, 4 file error.\n";
}

namespace {

struct Parsed {
  GlobalOptions global;
  std::string command;
  std::vector<std::string> rest;
};

// Returns an error text, empty on success.
std::string ParseArgs(const std::vector<std::string>& args, Parsed& p) {
  std::size_t i = 0;
  auto value = [&](const std::string& name, std::string& out) -> std::string {
    if (i + 1 >= args.size()) return name + " needs a value";
    out = args[++i];
    return {};
  };
  for (; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string e;
    if (a == "--yes") {
      p.global.yes = true;
    } else if (a == "--port") {
      e = value(a, p.global.port);
    } else if (a == "--simulate") {
      e = value(a, p.global.simulate);
    } else if (a == "--instrument") {
      std::string v;
      e = value(a, v);
      p.global.instruments.push_back(v);
    } else if (a == "--sim-opt") {
      std::string v;
      e = value(a, v);
      p.global.simArgs.push_back(v);
    } else if (a == "--retries") {
      std::string v;
      e = value(a, v);
      if (e.empty() && !ParseInt(v, 0, 1000, p.global.retries)) e = "--retries takes a number from 0 to 1000";
    } else if (a == "--lang") {
      e = value(a, p.global.lang);
      if (e.empty() && p.global.lang != "it" && p.global.lang != "en") e = "--lang takes it or en";
    } else if (!a.empty() && a[0] == '-' && p.command.empty()) {
      e = "unknown option " + a;
    } else if (p.command.empty()) {
      p.command = a;
    } else {
      p.rest.push_back(a);
    }
    if (!e.empty()) return e;
  }
  if (p.command.empty()) return "no command given";
  if (!p.global.port.empty() && !p.global.simulate.empty()) return "--port and --simulate exclude each other";
  return {};
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, TransportFactory factory) {
  Parsed p;
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << Usage();
    return kExitOk;
  }
  if (std::string e = ParseArgs(args, p); !e.empty()) {
    err << "korventa-cli: " << e << "\n\n" << Usage();
    return kExitUsage;
  }
  const Command* command = nullptr;
  for (const auto& c : Commands())
    if (p.command == c.name) command = &c;
  if (!command) {
    err << "korventa-cli: unknown command " << p.command << "\n\n" << Usage();
    return kExitUsage;
  }
  const bool needsDevice = command->needsDevice && !(command->withoutDevice && command->withoutDevice(p.rest));
  if (needsDevice && p.global.port.empty() && p.global.simulate.empty()) {
    err << "korventa-cli: " << p.command << ": name a device with --port PORT or --simulate MODEL\n";
    return kExitUsage;
  }
  std::string error;
  auto transport = needsDevice ? factory(p.global, error) : std::make_unique<NoPort>();
  if (!transport) {
    err << "korventa-cli: " << error << '\n';
    return p.global.simulate.empty() ? kExitComm : kExitUsage;
  }
  Session s(p.global, *transport, err);
  if (needsDevice && !s.Open(error)) {
    err << "korventa-cli: " << error << '\n';
    return kExitComm;
  }
  int rc = command->run(s, p.rest, out, err);
  s.link.ClosePort();
  if (rc == kExitOk && s.dialogs.Refused()) rc = kExitRefused;
  return rc;
}

}  // namespace korventa::cli
