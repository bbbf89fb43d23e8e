#include "job/forms.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "export/export.h"
#include "export/icalendar.h"
#include "export/merged_text.h"
#include "export/workbook.h"
#include "io/file_names.h"
#include "io/text_writer.h"

namespace unisci {

namespace {

// A sink together with the writer it writes through.
template <class Sink>
class WrittenSink : public LineSink {
 public:
  template <class... Args>
  explicit WrittenSink(ByteSink& out, Args&&... args)
      : writer_(out), sink_(writer_, std::forward<Args>(args)...) {}

  void match_line(const MergedLine& line) override { sink_.match_line(line); }
  void empty_line() override { sink_.empty_line(); }
  void close() override { sink_.close(); }

 private:
  TextWriter writer_;
  Sink sink_;
};

std::unique_ptr<LineSink> text_sink(ByteSink& out, const FormSettings&) {
  return std::make_unique<WrittenSink<MergedTextFile>>(out);
}

template <const ExportForm& kTable>
std::unique_ptr<LineSink> table_sink(ByteSink& out, const FormSettings& settings) {
  return std::make_unique<WrittenSink<TableExport>>(out, kTable, settings.page_encoding);
}

std::unique_ptr<LineSink> icalendar_sink(ByteSink& out, const FormSettings& settings) {
  ICalendarSettings ics;
  ics.files = settings.calendars;
  ics.encodings = settings.encodings;
  ics.duration_minutes = settings.duration_minutes;
  ics.stamp_time = stamp_time(std::getenv("SOURCE_DATE_EPOCH"));
  std::string stem = name_of(path_of(settings.result).stem());
  ics.name = stem.empty() ? "calendario" : stem;
  std::string where = settings.result.empty() ? "dal calendario" : "da " + settings.result;
  ics.bad_date = [bad_date = settings.bad_date, where](const LineOrigin& origin) {
    bad_date(origin, "la gara resta fuori " + where);
  };
  ics.known_teams = settings.known_teams;
  return std::make_unique<WrittenSink<ICalendarExport>>(out, std::move(ics));
}

std::unique_ptr<LineSink> workbook_sink(ByteSink& out, const FormSettings& settings) {
  WorkbookSettings workbook;
  workbook.files = settings.calendars;
  workbook.encodings = settings.encodings;
  workbook.created = stamp_time(std::getenv("SOURCE_DATE_EPOCH"));
  workbook.name = settings.result.empty() ? "sullo standard output" : settings.result;
  workbook.bad_date = [bad_date = settings.bad_date](const LineOrigin& origin) {
    bad_date(origin, "DATA e ORARIO restano come sono scritte");
  };
  workbook.known_teams = settings.known_teams;
  return std::make_unique<WorkbookExport>(out, std::move(workbook));
}

}  // namespace

const std::vector<Form>& forms() {
  // One row per form; the dialogue's files and closing lines are its users'.
  static const std::vector<Form> kForms{
      {'t', "testo", "calendario.txt", false, ".txt ", false, text_sink},
      {'w', "Word", "calendario.doc", false, ".doc ", false, text_sink},
      {'x', "tabella", "calendario.xls", true, ".xls ", false, table_sink<kSpreadsheet>},
      {'h', "pagina web", "calendario.html", true, ".htm .html ", false, table_sink<kWebPage>},
      {'i', "calendario per il telefono", "calendario.ics", false, ".ics ", false, icalendar_sink},
      {'e', "cartella di Excel", "calendario.xlsx", false, ".xlsx ", true, workbook_sink},
  };
  return kForms;
}

const Form* find_form(char letter) {
  auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  for (const Form& form : forms())
    if (form.letter == lower) return &form;
  return nullptr;
}

const Form& form_for_file(std::string_view name) {
  std::size_t dot = name.rfind('.');
  std::size_t folder = name.find_last_of("/\\");
  if (dot != name.npos && (folder == name.npos || dot > folder)) {
    std::string extension;
    for (char c : name.substr(dot))
      extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    extension += ' ';
    for (const Form& form : forms())
      if (form.extensions.find(extension) != std::string_view::npos) return form;
  }
  return merged_text_form();
}

const Form& merged_text_form() {
  return forms().front();
}

std::string form_letters() {
  std::string letters;
  const std::vector<Form>& all = forms();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i > 0) letters += i + 1 == all.size() ? " o " : ", ";
    letters += all[i].letter;
  }
  return letters;
}

}  // namespace unisci
