#include "dialogue/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <utility>

#include "job/forms.h"

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
    "calendario.html (h), calendario.ics (i) oppure calendario.xlsx (e); con x e h\n"
    "anche temp.txt. Poi chiede se ricominciare.\n"
    "\n"
    "Con i calendari sulla riga di comando non chiede nulla: li unisce e scrive il\n"
    "risultato sullo standard output, o nel FILE di -o; nessun altro file viene\n"
    "scritto. Al posto di un CALENDARIO, '-' legge lo standard input.\n"
    "\n"
    "  -f, --formato=FORMA  il formato del risultato, una lettera (anche maiuscola);\n"
    "                       se manca, lo dice l'estensione del FILE di -o (.txt,\n"
    "                       .doc, .xls, .htm, .html, .ics, .xlsx), altrimenti t:\n"
    "                         t  testo\n"
    "                         w  testo per Word\n"
    "                         x  tabella per foglio di calcolo (colonne separate\n"
    "                            da tabulazioni)\n"
    "                         h  pagina web\n"
    "                         i  iCalendar (.ics) per le app di calendario e il\n"
    "                            telefono\n"
    "                         e  cartella di lavoro di Excel (.xlsx), con date e\n"
    "                            ore vere; sul terminale solo con -o\n"
    "  -a, --anni=CIFRE     le cifre dell'anno, 2 o 4, di ciascun calendario\n"
    "                       nell'ordine, separate da virgole (-a 2,4); un valore\n"
    "                       solo vale per tutti; se manca, il programma le ricava\n"
    "                       da ogni calendario\n"
    "  -o, --uscita=FILE    scrive il risultato in FILE; con '-', come senza -o,\n"
    "                       sullo standard output\n"
    "  -d, --durata=MINUTI  la durata di ogni gara nel formato i, e la distanza\n"
    "                       sotto cui due gare nello stesso luogo sono segnalate,\n"
    "                       in minuti da 1 a 10080 (una settimana); 120 se manca\n"
    "  -s, --ordina         ordina per data e ora le righe di gara di ogni\n"
    "                       calendario prima dell'unione (a pari data e ora resta\n"
    "                       l'ordine del file); per questo tiene in memoria le\n"
    "                       righe di gara di ogni calendario\n"
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

// getopt_long's options: each long name answers with its short letter.
constexpr std::array<option, 8> kOptions{{
    {"formato", required_argument, nullptr, 'f'},
    {"anni", required_argument, nullptr, 'a'},
    {"uscita", required_argument, nullptr, 'o'},
    {"durata", required_argument, nullptr, 'd'},
    {"ordina", no_argument, nullptr, 's'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
}};
// The leading '-' has getopt_long answer kCalendar for each calendar, in its
// place among the options, whatever POSIXLY_CORRECT says; the ':' after it has
// it answer ':' rather than '?' for a missing value, and write nothing.
constexpr const char* kShortOptions = "-:f:a:o:d:shV";
constexpr int kCalendar = 1;

// No two long names start with the same letter, so that any beginning of one,
// as getopt_long takes it, names that option alone.
constexpr bool long_names_start_apart() {
  for (std::size_t i = 0; kOptions[i].name != nullptr; ++i)
    for (std::size_t j = i + 1; kOptions[j].name != nullptr; ++j)
      if (kOptions[i].name[0] == kOptions[j].name[0]) return false;
  return true;
}
static_assert(long_names_start_apart());

// The option whose short letter is `letter`, or null.
const option* find_option(int letter) {
  const auto* last = kOptions.end() - 1;  // the closing null entry, whose letter is 0
  const auto* found =
      std::find_if(kOptions.begin(), last, [letter](const option& o) { return o.val == letter; });
  return found == last ? nullptr : found;
}

// The command line as read so far.
struct Reading {
  CommandLine line;
  std::string_view answer;  // the usage or the version, whichever was asked for first
};

std::string quoted(std::string_view text) {
  return '\'' + std::string(text) + '\'';
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

// Sets what getopt_long's answer `letter` asks for with `value`, a calendar
// for kCalendar; the message of a wrong value, if any.
std::string apply(int letter, std::string_view value, Reading& reading) {
  CommandLine& line = reading.line;
  switch (letter) {
    case kCalendar: line.calendars.emplace_back(value); return {};
    case 'f': {
      const Form* form = value.size() == 1 ? find_form(value[0]) : nullptr;
      if (form == nullptr)
        return "formato sconosciuto: " + quoted(value) + " (" + form_letters() + ")";
      line.form = form->letter;
      return {};
    }
    case 'a': return read_year_digits(value, line.year_digits);
    case 'o':
      if (value.empty()) return "nome di file vuoto per --uscita";
      line.output = value;
      return {};
    case 'd': {
      const char* end = value.data() + value.size();
      const auto [stop, fault] = std::from_chars(value.data(), end, line.duration_minutes);
      if (fault != std::errc() || stop != end || line.duration_minutes < 1 ||
          line.duration_minutes > kLongestDuration)
        return "durata non valida: " + quoted(value) + " (minuti, da 1 a " +
               std::to_string(kLongestDuration) + ")";
      return {};
    }
    case 's': line.sort_calendars = true; return {};
    case 'h':
      if (reading.answer.empty()) reading.answer = kUsage;
      return {};
    case 'V':
      if (reading.answer.empty()) reading.answer = kVersion;
      return {};
    default: return {};  // getopt_long answers only the letters of kShortOptions
  }
}

// The message for getopt_long's '?' or ':' about optopt, met in `argument`.
// The option, not the answer, tells a missing value from an unwanted one:
// glibc answers '?' for "--help=x", mingw-w64 ':'.
std::string option_error(std::string_view argument) {
  const bool long_name = argument.starts_with("--");
  const option* known = find_option(optopt);
  if (known == nullptr) {
    // A long name, or a byte of a multibyte character, is named with the whole argument.
    const bool whole = long_name || static_cast<unsigned char>(optopt) >= 0x80;
    return "opzione sconosciuta: " +
           quoted(whole ? std::string(argument) : std::string{'-', static_cast<char>(optopt)});
  }
  const std::string name =
      long_name ? std::string("--") + known->name : std::string{'-', static_cast<char>(optopt)};
  if (known->has_arg == no_argument) return name + " non accetta un valore";
  return "manca il valore di " + name;
}

// Whether the short options of `argument` ("-hV", "-fx") hold a '-' where a
// letter belongs: an unknown option to glibc, while mingw-w64's getopt_long
// reads the rest as a long name ("-h-vers" as -h --version).
bool has_dash_among_letters(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-' || argument[1] == '-') return false;
  for (const char letter : argument.substr(1)) {
    if (letter == '-') return true;
    const option* known = find_option(letter);
    if (known == nullptr || known->has_arg != no_argument) return false;  // the rest is a value
  }
  return false;
}

// Reads every argument, options and calendars; the first usage error, if any.
std::string read_arguments(int argc, const char* const argv[], Reading& reading) {
  // getopt_long takes modifiable arguments, which it may reorder, with a name
  // first and a null last, as main has them: mingw-w64's reads the null as a
  // missing value.
  std::vector<std::string> copies{"unisci-calendari"};
  if (argc > 1) copies.insert(copies.end(), argv + 1, argv + argc);
  std::vector<char*> arguments;
  arguments.reserve(copies.size() + 1);
  for (std::string& copy : copies) arguments.push_back(copy.data());
  arguments.push_back(nullptr);
  const int count = static_cast<int>(copies.size());
  // getopt_long keeps its place in globals: optind 0 starts it afresh.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int at = std::max(optind, 1);  // the argument being read
    if (at < count && has_dash_among_letters(arguments[at])) return "opzione sconosciuta: '--'";
    const int letter =
        getopt_long(count, arguments.data(), kShortOptions, kOptions.data(), nullptr);
    if (letter == -1) break;
    if (letter == '?' || letter == ':') return option_error(arguments[at]);
    if (std::string error = apply(letter, optarg != nullptr ? optarg : "", reading); !error.empty())
      return error;
  }
  // Calendars only, after "--".
  for (int at = optind; at < count; ++at) reading.line.calendars.emplace_back(arguments[at]);
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
  std::string error = read_arguments(argc, argv, reading);
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
