// The option parsing the three programs share: korventa, korventa-cli and
// korventa-sim describe their options with CLI11 and parse them here, so
// they accept the same forms ("--opt value" and "--opt=value"), word their
// faults alike and lay out their --help texts the same way.
#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace korventa {

// The common look of a program's help text; `footer` closes it (exit codes,
// notes).
void StyleCommandLine(CLI::App& app, const std::string& footer);

enum class CommandLine { Run, Help, Error };

// Parses args (without the program name). Help: --help was asked for,
// HelpText gives the text of the command it was given to. Error: `error`
// says what is wrong in one line.
CommandLine ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, std::string& error);
std::string HelpText(const CLI::App& app);

// A whole number from lo to hi, decimal or 0x-hexadecimal; anything else is
// refused as "--bank: "300" is not a whole number from 0 to 255".
template <class T>
CLI::Option* AddNumberOption(CLI::App& app, const std::string& name, T& target, long long lo, long long hi,
                             const std::string& help);

// The text-to-number step of AddNumberOption, for option strings checked by
// hand.
bool ParseWholeNumber(const std::string& text, long long lo, long long hi, long long& out);

template <class T>
CLI::Option* AddNumberOption(CLI::App& app, const std::string& name, T& target, long long lo, long long hi,
                             const std::string& help) {
  return app
      .add_option_function<std::string>(
          name,
          [&target, name, lo, hi](const std::string& text) {
            long long v = 0;
            if (!ParseWholeNumber(text, lo, hi, v))
              throw CLI::ValidationError(name, "\"" + text + "\" is not a whole number from " + std::to_string(lo) +
                                                   " to " + std::to_string(hi));
            target = static_cast<T>(v);
          },
          help)
      ->type_name("N");
}

}  // namespace korventa
