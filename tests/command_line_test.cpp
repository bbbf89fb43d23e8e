// Reading the command line: what it asks for, or how it is answered.
#include "dialogue/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "dialogue/dropped_calendars.h"

namespace unisci {

void PrintTo(const CommandLine& line, std::ostream* out) {
  *out << "{form " << line.form << ", years";
  for (int digits : line.year_digits) *out << ' ' << digits;
  *out << ", output '" << line.output << "', duration " << line.duration_minutes
       << (line.sort_calendars ? ", sorted" : "") << ", calendars";
  for (const std::string& calendar : line.calendars) *out << " '" << calendar << "'";
  *out << '}';
}

namespace testing {
namespace {

// The words of `arguments`, split at spaces; "''" is an empty word.
std::vector<std::string> words(const std::string& arguments) {
  std::vector<std::string> result;
  std::istringstream in(arguments);
  for (std::string word; in >> word;) result.push_back(word == "''" ? "" : word);
  return result;
}

TEST(CommandLine, ReadAsGetoptLongReadsIt) {
  using Line = CommandLine;
  const std::vector<std::string> ab{"a", "b"};
  const std::string usage = "Uso: unisci-calendari\n";
  const std::string version = "unisci-calendari " UNISCI_VERSION "\n";
  struct Case {
    std::string arguments;
    std::variant<CommandLine, int> result;
    std::string out;       // its first line
    std::string error;     // without the program's name and the hint
    bool dropped = false;  // calendars dropped on the program, given a console of its own
  };
  const std::vector<Case> cases{
      {"a b", Line{.calendars = ab}, "", "", true},
      {"a b c -", Line{.calendars = {"a", "b", "c", "-"}}, "", ""},
      {"-f x a b", Line{.form = 'x', .calendars = ab}, "", ""},
      {"a -fH b", Line{.form = 'h', .calendars = ab}, "", ""},
      {"--formato=i a b", Line{.form = 'i', .calendars = ab}, "", ""},
      {"--formato W a b", Line{.form = 'w', .calendars = ab}, "", ""},
      {"--form=x -f t a b", Line{.form = 't', .calendars = ab}, "", ""},
      {"-a 2,4 a b", Line{.year_digits = {2, 4}, .calendars = ab}, "", ""},
      {"-a4 a b c", Line{.year_digits = {4, 4, 4}, .calendars = {"a", "b", "c"}}, "", ""},
      {"a --anni 2 --a=4,2 b", Line{.year_digits = {4, 2}, .calendars = ab}, "", ""},
      {"-ofile a b", Line{.output = "file", .calendars = ab}, "", ""},
      {"--uscita - a b", Line{.output = "-", .calendars = ab}, "", ""},
      {"-o -f a b", Line{.output = "-f", .calendars = ab}, "", ""},
      {"-d 60 a b", Line{.duration_minutes = 60, .calendars = ab}, "", ""},
      {"--durata=10080 -d1 a b", Line{.duration_minutes = 1, .calendars = ab}, "", ""},
      {"-- -f -", Line{.calendars = {"-f", "-"}}, "", ""},
      {"-sfx a b", Line{.form = 'x', .sort_calendars = true, .calendars = ab}, "", ""},
      {"a --ord b", Line{.sort_calendars = true, .calendars = ab}, "", ""},
      {"--help", 0, usage, ""},
      {"-hV", 0, usage, ""},
      {"--vers --help a", 0, version, ""},
      {"-f x -a 2,4,2 -V -", 0, version, ""},
      {"--help --aiuto", 2, "", "opzione sconosciuta: '--aiuto'"},
      {"--pippo=3 a b", 2, "", "opzione sconosciuta: '--pippo=3'"},
      {"--=x a b", 2, "", "opzione sconosciuta: '--=x'"},
      {"a b -hz", 2, "", "opzione sconosciuta: '-z'"},
      {"-h-vers a b", 2, "", "opzione sconosciuta: '--'"},
      {"-\xC3\xA8 a b", 2, "", "opzione sconosciuta: '-\xC3\xA8'"},
      {"--help=x", 2, "", "--help non accetta un valore"},
      {"a b -f", 2, "", "manca il valore di -f"},
      {"a b --form", 2, "", "manca il valore di --formato"},
      {"-f z --help", 2, "", "formato sconosciuto: 'z' (t, w, x, h, i o e)"},
      {"-fxa4 a b", 2, "", "formato sconosciuto: 'xa4' (t, w, x, h, i o e)"},
      {"-f -a a b", 2, "", "formato sconosciuto: '-a' (t, w, x, h, i o e)"},
      {"--formato= a b", 2, "", "formato sconosciuto: '' (t, w, x, h, i o e)"},
      {"-a 3 a b", 2, "", "cifre dell'anno non valide: '3' (2 o 4)"},
      {"-a 2,24 a b", 2, "", "cifre dell'anno non valide: '24' (2 o 4)"},
      {"-a 2,4, a b", 2, "", "cifre dell'anno non valide: '' (2 o 4)"},
      {"-a 2,4 a b c", 2, "", "servono 1 o 3 valori di --anni, non 2"},
      {"-d 0 a b", 2, "", "durata non valida: '0' (minuti, da 1 a 10080)"},
      {"-d 10081 a b", 2, "", "durata non valida: '10081' (minuti, da 1 a 10080)"},
      {"-d 2h a b", 2, "", "durata non valida: '2h' (minuti, da 1 a 10080)"},
      {"-d 99999999999 a b", 2, "", "durata non valida: '99999999999' (minuti, da 1 a 10080)"},
      {"-o '' a b", 2, "", "nome di file vuoto per --uscita"},
      {"-f x", 2, "", "servono almeno due calendari"},
      {"-a 2 -- -", 2, "", "servono almeno due calendari"},
      {"- a -", 2, "", "lo standard input ('-') vale per un solo calendario"},
      {"a ''", 2, "", "nome di file vuoto per un calendario", true},
      {"a", 2, "", "servono almeno due calendari", true},
      {"", 2, "", "servono almeno due calendari"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::vector<std::string> arguments = words(c.arguments);
    std::vector<const char*> argv{"unisci-calendari"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out, err;
    EXPECT_EQ(parse_command_line(static_cast<int>(argv.size()), argv.data(), out, err), c.result);
    EXPECT_EQ(out.str().substr(0, out.str().find('\n') + 1), c.out);
    EXPECT_EQ(err.str(), c.error.empty() ? ""
                                         : "unisci-calendari: " + c.error +
                                               "\nPer l'aiuto: unisci-calendari --help\n");
    const int argc = static_cast<int>(argv.size());
    EXPECT_EQ(calendars_dropped(1, argc, argv.data()), c.dropped);
    // From a prompt or a script, or with no console at all: never.
    EXPECT_FALSE(calendars_dropped(2, argc, argv.data()) ||
                 calendars_dropped(0, argc, argv.data()));
  }
}

TEST(CommandLine, UsageNotWritten) {
  const char* const argv[] = {"unisci-calendari", "--help"};
  std::ostringstream out, err;
  out.setstate(std::ios::badbit);
  EXPECT_EQ(parse_command_line(2, argv, out, err), (std::variant<CommandLine, int>(1)));
  EXPECT_EQ(err.str(), "unisci-calendari: impossibile scrivere sullo standard output\n");
}

}  // namespace
}  // namespace testing
}  // namespace unisci
