// Reading answers and writing texts at the console, over string streams.
#include "dialogue/console.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/dropped_calendars.h"
#include "dialogue/terminal.h"
#include "testing/memory_files.h"
#include "testing/sample_calendars.h"

namespace unisci::testing {
namespace {

std::string rest_of(std::istream& in) {
  in.clear();
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Console, ReadAnswerTakesTwoCharacters) {
  struct Case {
    std::string input;
    std::vector<char> answers;  // until the input ends
  };
  const std::vector<Case> cases{
      {"t\n", {'t'}},
      {"tw\n", {'t', '\n'}},  // 'w' is discarded, the newline is the next answer
      {"\nxt\n", {'\n', 't'}},
      {"  y\n", {' ', 'y'}},
      {"t", {'t'}},  // the discarded character is missing
      {"", {}},
      {"\xE8\xE8x", {'\xE8', 'x'}},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.input);
    std::ostringstream out, err;
    Console console(in, out, err, kEGraveWestern);
    std::vector<char> answers;
    while (std::optional<char> answer = console.read_answer()) answers.push_back(*answer);
    EXPECT_EQ(answers, c.answers) << '"' << c.input << '"';
    EXPECT_EQ(out.str(), "");
  }
}

TEST(Console, ReadNumberAsACFormattedRead) {
  constexpr int kUnchanged = 7;
  constexpr int kWrong = -1;  // any value but 2 and 4
  struct Case {
    std::string input;
    Console::Number result;
    int value;
    std::string rest;  // what stays in the input
  };
  using N = Console::Number;
  const std::vector<Case> cases{
      {"2\n", N::Read, 2, ""},
      {"4\nn\n", N::Read, 4, "n\n"},
      {" \t\n\n\v\f\r 4\nx", N::Read, 4, "x"},
      {"+4\n", N::Read, 4, ""},
      {"-2\n", N::Read, -2, ""},
      {"0004\n", N::Read, 4, ""},
      {"42\n", N::Read, 42, ""},
      {"2x\n", N::Read, 2, "\n"},  // 'x' is the discarded character
      {"2 4\n", N::Read, 2, "4\n"},
      {"24", N::Read, 24, ""},
      {"2147483647\n", N::Read, INT_MAX, ""},
      {"-2147483648\n", N::Read, INT_MIN, ""},
      // A character that cannot begin a number is the discarded one.
      {"x\n", N::NotANumber, kUnchanged, "\n"},
      {"ab\n", N::NotANumber, kUnchanged, "b\n"},
      {"\n\n ab\n", N::NotANumber, kUnchanged, "b\n"},
      {"-x\n", N::NotANumber, kUnchanged, "\n"},
      {"+ 2\n", N::NotANumber, kUnchanged, "2\n"},
      {".4\n", N::NotANumber, kUnchanged, "4\n"},
      {"\xE8"
       "4\n",
       N::NotANumber, kUnchanged, "4\n"},
      // Out of the int range: a wrong width, never 2 or 4 by wrapping around.
      {"2147483648\n", N::Read, kWrong, ""},
      {"4294967298\n", N::Read, kWrong, ""},
      {"4294967300\n", N::Read, kWrong, ""},
      {"-4294967294\n", N::Read, kWrong, ""},
      {"-4294967292\n", N::Read, kWrong, ""},
      {"18446744073709551618\n", N::Read, kWrong, ""},
      {"18446744073709551620\n", N::Read, kWrong, ""},
      {"-18446744073709551614\n", N::Read, kWrong, ""},
      {std::string(200, '9') + "4\nx", N::Read, kWrong, "x"},
      // The end of the input.
      {"", N::End, kUnchanged, ""},
      {" \n\n", N::End, kUnchanged, ""},
      {"-", N::End, kUnchanged, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE('"' + c.input + '"');
    std::istringstream in(c.input);
    std::ostringstream out, err;
    Console console(in, out, err, kEGraveWestern);
    int value = kUnchanged;
    EXPECT_EQ(console.read_number(value), c.result);
    if (c.value == kWrong) {
      EXPECT_NE(value, 2);
      EXPECT_NE(value, 4);
    } else {
      EXPECT_EQ(value, c.value);
    }
    EXPECT_EQ(rest_of(in), c.rest);
  }
}

TEST(Console, SayWritesTheBytesOrUtf8) {
  const std::string text = "Di quante cifre \xE8 composto l'anno?\n";
  std::istringstream in;
  std::ostringstream plain, utf8, err;
  Console(in, plain, err, kEGraveWestern).say(text);
  Console(in, utf8, err, kEGraveUtf8).say(text);
  EXPECT_EQ(plain.str(), text);
  EXPECT_EQ(utf8.str(), "Di quante cifre \xC3\xA8 composto l'anno?\n");
  EXPECT_EQ(err.str(), "");
}

TEST(Terminal, LocaleIsUtf8) {
  struct Case {
    const char* lc_all;
    const char* lc_ctype;
    const char* lang;
    bool utf8;
  };
  const std::vector<Case> cases{
      {nullptr, nullptr, nullptr, false},
      {"", "", "", false},
      {nullptr, nullptr, "it_IT.UTF-8", true},
      {nullptr, nullptr, "it_IT.utf8", true},
      {nullptr, nullptr, "C.UTF-8", true},
      {nullptr, nullptr, "it_IT.UTF-8@euro", true},
      {nullptr, nullptr, "it_IT.ISO-8859-1", false},
      {nullptr, nullptr, "it_IT@euro", false},
      {nullptr, nullptr, "C", false},
      {"C", nullptr, "it_IT.UTF-8", false},  // LC_ALL wins
      {"POSIX", "it_IT.UTF-8", "it_IT.UTF-8", false},
      {"", nullptr, "it_IT.UTF-8", true},  // an empty variable counts as unset
      {nullptr, "it_IT.UTF-8", "C", true},
      {nullptr, "C", "it_IT.UTF-8", false},
      {"", "", "en_US.UTF-8", true},
      {"it_IT.UTF-8", "C", "C", true},
  };
  for (const Case& c : cases) {
    auto show = [](const char* s) {
      return s == nullptr ? std::string("(unset)") : '"' + std::string(s) + '"';
    };
    EXPECT_EQ(locale_is_utf8(c.lc_all, c.lc_ctype, c.lang), c.utf8)
        << show(c.lc_all) << ' ' << show(c.lc_ctype) << ' ' << show(c.lang);
  }
}

TEST(DroppedCalendars, AskTheFormWriteBesideTheFirstWaitForEnter) {
  const std::string question =
      "Scegli il formato (t testo, w Word, x tabella, h pagina web, i calendario per il "
      "telefono, e cartella di Excel): ";
  const std::string shown = "Calendari da unire:\n  Gare/a.txt\n  b.txt\n";
  const std::string wait = "\nPremi Invio per chiudere";
  const std::string missing = "impossibile aprire c.txt: file o cartella inesistente";
  struct Case {
    std::vector<std::string> calendars;
    std::string answers;  // the last line is left unread
    int status;
    std::string out;
    std::string error;    // without the program's name
    std::string written;  // the file written, if any
    std::string written_text;
  };
  const std::vector<Case> cases{
      {{"Gare/a.txt", "b.txt"},
       "t\n\nx",
       0,
       shown + "\n" + question + "Il calendario unito \xE8 in Gare/calendario.txt\n" + wait,
       "",
       "Gare/calendario.txt",
       kExampleMerged},
      {{"Gare/a.txt", "b.txt"},
       "hh\n H \n\nx",
       0,
       shown + "\n" + question + "Lettera non valida.\n" + question +
           "Il calendario unito \xE8 in Gare/calendario.html\n" + wait,
       "",
       "Gare/calendario.html",
       kExamplePage},
      {{"Gare/a.txt"},
       "\nx",
       2,
       "Calendari da unire:\n  Gare/a.txt\nNe servono almeno due: selezionali insieme e "
       "trascinali sul programma.\n" +
           wait,
       "",
       "",
       ""},
      {{"Gare/a.txt", "c.txt"},
       "x\n\nx",
       1,
       "Calendari da unire:\n  Gare/a.txt\n  c.txt\n\n" + question + wait,
       missing,
       "",
       ""},
      {{"Gare/a.txt", "b.txt"}, "", 1, shown + "\n" + question + wait, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    MemoryFolder folder;
    folder.files = {{"Gare/a.txt", kExample1}, {"b.txt", kExample2}};
    std::istringstream in(c.answers);
    std::ostringstream out, err;
    Console console(in, out, err, kEGraveWestern);
    StringSource no_input("");
    std::string no_output;
    StringSink standard_output(no_output);
    EXPECT_EQ(run_dropped_calendars(c.calendars, console, folder, no_input, standard_output),
              c.status);
    EXPECT_EQ(out.str(), c.out);
    EXPECT_EQ(err.str(), c.error.empty() ? "" : "unisci-calendari: " + c.error + "\n");
    EXPECT_EQ(rest_of(in), c.answers.empty() ? "" : "x");
    std::map<std::string, std::string> expected{{"Gare/a.txt", kExample1}, {"b.txt", kExample2}};
    if (!c.written.empty()) expected[c.written] = c.written_text;
    EXPECT_EQ(folder.files, expected);
  }
}

}  // namespace
}  // namespace unisci::testing
