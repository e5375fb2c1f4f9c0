#include "app/command_line.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <sstream>

namespace korventa {

namespace {

constexpr std::size_t kColonne = 80;

// Breaks a text into lines of at most `larghezza` characters at blanks,
// keeping its own line breaks; a word longer than a line stands alone.
std::string Avvolgi(const std::string& testo, std::size_t larghezza) {
  std::string fuori, riga;
  std::istringstream righe(testo);
  std::string paragrafo;
  bool primo = true;
  while (std::getline(righe, paragrafo)) {
    if (!primo) fuori += '\n';
    primo = false;
    std::istringstream parole(paragrafo);
    std::string parola;
    riga.clear();
    while (parole >> parola) {
      if (!riga.empty() && riga.size() + 1 + parola.size() > larghezza) {
        fuori += riga + '\n';
        riga.clear();
      }
      riga += (riga.empty() ? "" : " ") + parola;
    }
    fuori += riga;
  }
  return fuori;
}

// Help in 80 columns. An option shows the name of its value only: what it
// defaults to and what it excludes its description says in words.
class Formato final : public CLI::Formatter {
 public:
  std::string make_option_name(const CLI::Option* o, bool posizionale) const override {
    std::string nome = Formatter::make_option_name(o, posizionale);
    // "--verify,--no-verify{false}": the flag pair without its parser notation.
    for (std::size_t a; (a = nome.find('{')) != std::string::npos;) {
      const std::size_t b = nome.find('}', a);
      nome.erase(a, b == std::string::npos ? std::string::npos : b - a + 1);
    }
    return nome;
  }
  std::string make_option_opts(const CLI::Option* o) const override {
    if (o->get_type_size() == 0) return {};
    const std::string tipo = o->get_type_name();
    return tipo.empty() ? std::string() : " " + tipo;
  }
  std::string make_option_desc(const CLI::Option* o) const override {
    return Avvolgi(o->get_description(), kColonne - get_column_width());
  }
  std::string make_subcommand(const CLI::App* sub) const override {
    std::stringstream out;
    CLI::detail::format_help(out, sub->get_display_name(true),
                             Avvolgi(sub->get_description(), kColonne - get_column_width()), get_column_width());
    return out.str();
  }
  std::string make_description(const CLI::App* app) const override {
    const std::string d = Formatter::make_description(app);
    return d.empty() ? d : Avvolgi(d, kColonne) + "\n";
  }
  std::string make_footer(const CLI::App* app) const override {
    const std::string f = Formatter::make_footer(app);
    return f.empty() ? f : Avvolgi(f, kColonne) + "\n";
  }
};

}  // namespace

void StyleCommandLine(CLI::App& app, const std::string& footer) {
  auto formato = std::make_shared<Formato>();
  formato->column_width(30);
  app.formatter(formato);
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
