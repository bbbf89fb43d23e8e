#include "dialogue/command_line.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

namespace unisci {

namespace {

// Plain ASCII, so that every terminal shows it alike, whatever its encoding.
constexpr std::string_view kUsage =
    "Uso: unisci-calendari\n"
    "     unisci-calendari [OPZIONI] CALENDARIO CALENDARIO [CALENDARIO...]\n"
    "\n"
    "Unisce calendari di gare in un solo calendario, ordinato per data e ora.\n"
    "\n"
    "Senza argomenti si avvia nella cartella dei due calendari, calendario1.txt e\n"
    "calendario2.txt, e chiede sulla console il formato del risultato e le cifre\n"
    "dell'anno di ciascun calendario. Scrive il calendario unito nella stessa\n"
    "cartella: calendario.txt (t), calendario.doc (w), calendario.xls (x),\n"
    "calendario.html (h) oppure calendario.ics (i); con x e h anche temp.txt. Poi\n"
    "chiede se ricominciare.\n"
    "\n"
    "Con i calendari sulla riga di comando non chiede nulla: li unisce e scrive il\n"
    "risultato sullo standard output, o nel FILE di -o; nessun altro file viene\n"
    "scritto. Al posto di un CALENDARIO, '-' legge lo standard input.\n"
    "\n"
    "  -f, --formato=FORMA  il formato del risultato, una lettera (anche maiuscola);\n"
    "                       t se manca:\n"
    "                         t  testo\n"
    "                         w  testo per Word\n"
    "                         x  tabella per foglio di calcolo (colonne separate\n"
    "                            da tabulazioni)\n"
    "                         h  pagina web\n"
    "                         i  iCalendar (.ics) per le app di calendario e il\n"
    "                            telefono\n"
    "  -a, --anni=CIFRE     le cifre dell'anno, 2 o 4, di ciascun calendario\n"
    "                       nell'ordine, separate da virgole (-a 2,4); un valore\n"
    "                       solo vale per tutti; se manca, il programma le ricava\n"
    "                       da ogni calendario\n"
    "  -o, --uscita=FILE    scrive il risultato in FILE; con '-', come senza -o,\n"
    "                       sullo standard output\n"
    "  -d, --durata=MINUTI  la durata di ogni gara nel formato i, in minuti da 1 a\n"
    "                       10080 (una settimana); 120 se manca\n"
    "  -h, --help           mostra questo aiuto ed esce\n"
    "  -V, --version        mostra la versione ed esce\n"
    "\n"
    "Stato d'uscita con i calendari: 0 se l'unione riesce; 1 se un calendario non\n"
    "si apre o non si legge, o se l'uscita non si scrive; 2 per un uso sbagliato,\n"
    "e allora nulla viene letto o scritto. Nel dialogo: 0 se l'ultima unione\n"
    "riesce; 1 se non riesce o se l'input finisce prima della domanda finale.\n"
    "\n"
    "Il manuale: man unisci-calendari; su Windows, LEGGIMI.txt accanto al programma.\n";
constexpr std::string_view kVersion = "unisci-calendari " UNISCI_VERSION "\n";

constexpr int kLongestDuration = 7 * 24 * 60;  // minutes: a week

enum class Option { Form, YearDigits, Output, Duration, Help, Version };

struct OptionName {
  char short_name;
  std::string_view long_name;
  Option option;
};

constexpr std::array<OptionName, 6> kOptions{{
    {'f', "formato", Option::Form},
    {'a', "anni", Option::YearDigits},
    {'o', "uscita", Option::Output},
    {'d', "durata", Option::Duration},
    {'h', "help", Option::Help},
    {'V', "version", Option::Version},
}};

// No two long names start with the same letter, so that any beginning of one,
// as getopt_long takes it, names that option alone.
constexpr bool long_names_start_apart() {
  for (std::size_t i = 0; i < kOptions.size(); ++i)
    for (std::size_t j = i + 1; j < kOptions.size(); ++j)
      if (kOptions[i].long_name[0] == kOptions[j].long_name[0]) return false;
  return true;
}
static_assert(long_names_start_apart());

bool takes_value(Option option) {
  return option != Option::Help && option != Option::Version;
}

// The arguments after the program's name, taken one at a time.
class Arguments {
 public:
  Arguments(int argc, const char* const argv[])
      : next_(argc > 0 ? argv + 1 : argv), end_(argc > 0 ? argv + argc : argv) {}
  std::optional<std::string_view> next() {
    if (next_ == end_) return std::nullopt;
    return *next_++;
  }

 private:
  const char* const* next_;
  const char* const* end_;
};

// The command line as read so far.
struct Reading {
  CommandLine line;
  std::string_view answer;  // the usage or the version, whichever was asked for first
};

std::string quoted(std::string_view text) {
  std::string result(1, '\'');
  result.append(text).push_back('\'');
  return result;
}

// Reads "2,4" into {2, 4}; the message of a wrong value, if any.
std::string read_year_digits(std::string_view value, std::vector<int>& year_digits) {
  year_digits.clear();
  for (std::size_t start = 0;;) {
    const std::size_t comma = value.find(',', start);
    const std::string_view digits = value.substr(start, comma - start);
    if (digits != "2" && digits != "4")
      return "cifre dell'anno non valide: " + quoted(digits) + " (2 o 4)";
    year_digits.push_back(digits[0] - '0');
    if (comma == std::string_view::npos) return {};
    start = comma + 1;
  }
}

// Sets what `option` asks for with `value`; the message of a wrong value, if any.
std::string apply(Option option, std::string_view value, Reading& reading) {
  CommandLine& line = reading.line;
  switch (option) {
    case Option::Form: {
      constexpr std::string_view kForms = "twxhiTWXHI";
      const std::size_t at = value.size() == 1 ? kForms.find(value[0]) : std::string_view::npos;
      if (at == std::string_view::npos)
        return "formato sconosciuto: " + quoted(value) + " (t, w, x, h o i)";
      line.form = kForms[at % 5];  // a capital letter as its small one
      return {};
    }
    case Option::YearDigits: return read_year_digits(value, line.year_digits);
    case Option::Output:
      if (value.empty()) return "nome di file vuoto per --uscita";
      line.output = value;
      return {};
    case Option::Duration: {
      const char* end = value.data() + value.size();
      const auto [stop, fault] = std::from_chars(value.data(), end, line.duration_minutes);
      if (fault != std::errc() || stop != end || line.duration_minutes < 1 ||
          line.duration_minutes > kLongestDuration)
        return "durata non valida: " + quoted(value) + " (minuti, da 1 a " +
               std::to_string(kLongestDuration) + ")";
      return {};
    }
    case Option::Help:
      if (reading.answer.empty()) reading.answer = kUsage;
      return {};
    case Option::Version:
      if (reading.answer.empty()) reading.answer = kVersion;
      return {};
  }
  return {};
}

// Reads "--name", "--name=value" or "--name value"; the usage error, if any.
std::string read_long_option(std::string_view argument, Arguments& arguments, Reading& reading) {
  const std::size_t equals = argument.find('=');
  const std::string_view name = argument.substr(2, equals - 2);
  const auto* found = std::find_if(kOptions.begin(), kOptions.end(), [name](const OptionName& o) {
    return !name.empty() && o.long_name.starts_with(name);
  });
  if (found == kOptions.end()) return "opzione sconosciuta: " + quoted(argument);
  const OptionName& option = *found;
  const std::string full_name = "--" + std::string(option.long_name);
  if (!takes_value(option.option)) {
    if (equals != std::string_view::npos) return full_name + " non accetta un valore";
    return apply(option.option, {}, reading);
  }
  const std::optional<std::string_view> value =
      equals != std::string_view::npos ? argument.substr(equals + 1) : arguments.next();
  if (!value) return "manca il valore di " + full_name;
  return apply(option.option, *value, reading);
}

// Reads a group of short options, "-hV", "-fx", "-f x"; the usage error, if any.
std::string read_short_options(std::string_view argument, Arguments& arguments, Reading& reading) {
  for (std::size_t at = 1; at < argument.size(); ++at) {
    const char letter = argument[at];
    const auto* option =
        std::find_if(kOptions.begin(), kOptions.end(),
                     [letter](const OptionName& o) { return o.short_name == letter; });
    // A byte of a multibyte character is named with the whole argument.
    if (option == kOptions.end())
      return "opzione sconosciuta: " + quoted(static_cast<unsigned char>(letter) < 0x80
                                                  ? std::string{'-', letter}
                                                  : std::string(argument));
    if (!takes_value(option->option)) {
      if (std::string error = apply(option->option, {}, reading); !error.empty()) return error;
      continue;
    }
    const std::optional<std::string_view> value =
        at + 1 < argument.size() ? argument.substr(at + 1) : arguments.next();
    if (!value) return std::string("manca il valore di -") + letter;
    return apply(option->option, *value, reading);
  }
  return {};
}

// Reads every argument, options and calendars; the first usage error, if any.
std::string read_arguments(Arguments arguments, Reading& reading) {
  bool options_ended = false;
  while (const std::optional<std::string_view> argument = arguments.next()) {
    std::string error;
    if (options_ended || argument->size() < 2 || argument->front() != '-')
      reading.line.calendars.emplace_back(*argument);
    else if (*argument == "--")
      options_ended = true;
    else if (argument->starts_with("--"))
      error = read_long_option(*argument, arguments, reading);
    else
      error = read_short_options(*argument, arguments, reading);
    if (!error.empty()) return error;
  }
  return {};
}

// Checks the calendars, and the year digits against them; the usage error, if any.
std::string check_calendars(CommandLine& line) {
  const std::vector<std::string>& calendars = line.calendars;
  if (calendars.size() < 2) return "servono almeno due calendari";
  if (std::count(calendars.begin(), calendars.end(), "-") > 1)
    return "lo standard input ('-') vale per un solo calendario";
  if (std::find(calendars.begin(), calendars.end(), "") != calendars.end())
    return "nome di file vuoto per un calendario";
  if (line.year_digits.size() == 1) line.year_digits.assign(calendars.size(), line.year_digits[0]);
  if (!line.year_digits.empty() && line.year_digits.size() != calendars.size())
    return "servono 1 o " + std::to_string(calendars.size()) + " valori di --anni, non " +
           std::to_string(line.year_digits.size());
  return {};
}

}  // namespace

std::variant<CommandLine, int> parse_command_line(int argc, const char* const argv[],
                                                  std::ostream& out, std::ostream& err) {
  Reading reading;
  std::string error = read_arguments(Arguments(argc, argv), reading);
  if (error.empty() && reading.answer.empty()) error = check_calendars(reading.line);
  if (!error.empty()) {
    err << "unisci-calendari: " << error << "\nPer l'aiuto: unisci-calendari --help\n";
    return 2;
  }
  if (reading.answer.empty()) return std::move(reading.line);
  out << reading.answer;
  out.flush();
  if (!out) {
    err << "unisci-calendari: impossibile scrivere sullo standard output\n";
    return 1;
  }
  return 0;
}

}  // namespace unisci
