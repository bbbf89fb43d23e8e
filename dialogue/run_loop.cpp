#include "dialogue/run_loop.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "calendar/calendario.h"
#include "calendar/merge.h"
#include "calendar/text_writer.h"
#include "export/export.h"

namespace unisci {

namespace {

constexpr std::string_view kFormatQuestion =
    "In quale formato vuoi che venga salvato il calendario?(scrivi t per file di testo,w per "
    "Word,x per Ecxel,h per pagina web e poi premi invio)\n";
constexpr std::string_view kInvalidFormat = "Hai inserito un valore non corretto!\n";
constexpr std::string_view kYearQuestion1 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario1.txt?\n";
constexpr std::string_view kYearQuestion2 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario2.txt?\n";
constexpr std::string_view kInvalidYear =
    "Inserimento delle cifre attribuite all'anno non corretto! Riprovare:\n";
constexpr std::string_view kCountOpening = "\n";
constexpr std::string_view kCountClosing =
    " gare presenti complessivamente\n- Intreccio successfully executed - Congratulations by "
    "Corvalo -\n";
constexpr std::string_view kClosing = "Complimenti! Il tuo calendario si trova nel file ";
constexpr std::string_view kRestartQuestion =
    "\nVoui ricominciare?(y/n)\nNB:Scegliendo lo stesso formato dell'esecuzione precedente, si "
    "sovrascrive il vecchio file\n";

// An output form: where the merge writes, and the file the user gets.
struct OutputForm {
  const char* merged;            // the merged text
  const char* result;            // the file handed to the user
  const ExportForm* conversion;  // how the merged text becomes `result`, if it must
};

const OutputForm* form_for(char formato) {
  static const OutputForm kText{"calendario.txt", "calendario.txt", nullptr};
  static const OutputForm kWord{"calendario.doc", "calendario.doc", nullptr};
  static const OutputForm kExcel{"temp.txt", "calendario.xls", &kSpreadsheet};
  static const OutputForm kWeb{"temp.txt", "calendario.html", &kWebPage};
  switch (formato) {
    case 't':
    case 'T': return &kText;
    case 'w':
    case 'W': return &kWord;
    case 'x':
    case 'X': return &kExcel;
    case 'h':
    case 'H': return &kWeb;
    default: return nullptr;
  }
}

// The number offsets of the two calendars, which last from one run to the next.
struct NumberOffsets {
  std::ptrdiff_t v = 0;
  std::ptrdiff_t w = 0;
};

enum class Esito { Completed, Failed, InputEnded };

struct Target {
  const OutputForm* form = nullptr;
  std::unique_ptr<ByteSink> write1;
};

// Asks for the output form until a valid letter comes and its merged-text
// target could be created. Nothing if standard input ends.
std::optional<Target> ask_format(Console& console, Folder& folder) {
  for (;;) {
    console.say(kFormatQuestion);
    std::optional<char> formato = console.read_answer();
    if (!formato) return std::nullopt;
    const OutputForm* form = form_for(*formato);
    if (form == nullptr) {
      console.say(kInvalidFormat);
      continue;
    }
    try {
      return Target{form, folder.create(form->merged)};
    } catch (const FileError& e) {
      console.report(e);
    }
  }
}

std::optional<int> ask_year_width(Console& console, std::string_view question) {
  int anno = 7;
  while (anno != 2 && anno != 4) {
    console.say(question);
    if (console.read_number(anno) == Console::Number::End) return std::nullopt;
    if (anno != 2 && anno != 4) console.say(kInvalidYear);
  }
  return anno;
}

std::unique_ptr<ByteSource> open_calendar(Console& console, Folder& folder, const char* name) {
  try {
    return folder.open(name);
  } catch (const FileError& e) {
    console.report(e);
    return nullptr;
  }
}

// Merges the two calendars into the target and, for the table forms, converts
// the merged text. Returns the number of matches. Throws FileError.
std::int64_t merge_and_convert(Folder& folder, Target& target, ByteSource& read1, ByteSource& read2,
                               int anno1, int anno2, NumberOffsets& offsets) {
  TextWriter write1(*target.write1);
  InputCalendar cal1(read1, anno1, offsets.v);
  InputCalendar cal2(read2, anno2, offsets.w);
  std::int64_t gare = unisci(cal1, cal2, write1);
  write1.close();
  if (const ExportForm* conversion = target.form->conversion) {
    auto read3 = folder.open(target.form->merged);
    auto sink = folder.create(target.form->result);
    TextWriter write2(*sink);
    esporta(*read3, write2, gare, *conversion);
    write2.close();
  }
  return gare;
}

Esito run(Console& console, Folder& folder, NumberOffsets& offsets) {
  std::optional<Target> target = ask_format(console, folder);
  if (!target) return Esito::InputEnded;
  std::optional<int> anno1 = ask_year_width(console, kYearQuestion1);
  if (!anno1) return Esito::InputEnded;
  std::optional<int> anno2 = ask_year_width(console, kYearQuestion2);
  if (!anno2) return Esito::InputEnded;

  auto read1 = open_calendar(console, folder, "calendario1.txt");
  auto read2 = open_calendar(console, folder, "calendario2.txt");
  if (!read1 || !read2) return Esito::Failed;
  std::int64_t gare = 0;
  try {
    gare = merge_and_convert(folder, *target, *read1, *read2, *anno1, *anno2, offsets);
  } catch (const FileError& e) {
    console.report(e);
    return Esito::Failed;
  }
  console.say(kCountOpening);
  console.say(std::to_string(gare));
  console.say(kCountClosing);
  console.say(kClosing);
  console.say(target->form->result);
  console.say("\n");
  return Esito::Completed;
}

}  // namespace

int run_loop(Console& console, Folder& folder) {
  NumberOffsets offsets;
  Esito esito = Esito::Completed;
  char ciclo = 'y';
  while (ciclo == 'y' || ciclo == 'Y') {
    esito = run(console, folder, offsets);
    if (esito == Esito::InputEnded) break;
    console.say(kRestartQuestion);
    std::optional<char> answer = console.read_answer();
    if (!answer) break;
    ciclo = *answer;
  }
  return esito == Esito::Completed ? 0 : 1;
}

}  // namespace unisci
