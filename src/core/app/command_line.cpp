#include "app/command_line.h"

#include <algorithm>
#include <charconv>

namespace korventa {

void StyleCommandLine(CLI::App& app, const std::string& footer) {
  app.get_formatter()->column_width(30);
  app.set_help_flag("-h,--help", "this text");
  app.footer(footer);
}

CommandLine ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::string& error) {
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return CommandLine::Help;
  } catch (const CLI::CallForAllHelp&) {
    return CommandLine::Help;
  } catch (const CLI::ExtrasError& e) {
    // Name the first argument nobody takes, an option before a stray word.
    const std::vector<std::string> extras = app.remaining();
    const auto option = std::find_if(extras.begin(), extras.end(), [](const std::string& a) { return a.rfind('-', 0) == 0; });
    if (option != extras.end())
      error = "unknown option \"" + *option + "\"";
    else if (!extras.empty())
      error = "unexpected argument \"" + extras.front() + "\"";
    else
      error = e.what();
    return CommandLine::Error;
  } catch (const CLI::ParseError& e) {
    error = e.what();
    return CommandLine::Error;
  }
  return CommandLine::Run;
}

std::string HelpText(const CLI::App& app) { return app.help(); }

bool ParseWholeNumber(const std::string& text, long long lo, long long hi, long long& out) {
  std::string_view digits = text;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  }
  if (digits.empty() || digits[0] == '+') return false;
  long long v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (ec != std::errc() || end != digits.data() + digits.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

}  // namespace korventa
