#include "job/forms.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "export/export.h"
#include "export/icalendar.h"
#include "export/merged_text.h"
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

std::unique_ptr<LineSink> spreadsheet_sink(ByteSink& out, const FormSettings& settings) {
  return std::make_unique<WrittenSink<TableExport>>(out, kSpreadsheet, settings.page_encoding);
}

std::unique_ptr<LineSink> page_sink(ByteSink& out, const FormSettings& settings) {
  return std::make_unique<WrittenSink<TableExport>>(out, kWebPage, settings.page_encoding);
}

std::unique_ptr<LineSink> icalendar_sink(ByteSink& out, const FormSettings& settings) {
  ICalendarSettings ics;
  ics.files = settings.calendars;
  ics.encodings = settings.encodings;
  ics.duration_minutes = settings.duration_minutes;
  ics.stamp_time = stamp_time(std::getenv("SOURCE_DATE_EPOCH"));
  std::string stem = name_of(path_of(settings.result).stem());
  ics.name = stem.empty() ? "calendario" : stem;
  ics.bad_date = settings.bad_date;
  ics.known_teams = settings.known_teams;
  return std::make_unique<WrittenSink<ICalendarExport>>(out, std::move(ics));
}

}  // namespace

const std::vector<Form>& forms() {
  // One row per form; the dialogue's files and closing lines are its users'.
  static const std::vector<Form> kForms{
      {'t', "calendario.txt", false, ".txt ", text_sink},
      {'w', "calendario.doc", false, ".doc ", text_sink},
      {'x', "calendario.xls", true, ".xls ", spreadsheet_sink},
      {'h', "calendario.html", true, ".htm .html ", page_sink},
      {'i', "calendario.ics", false, ".ics ", icalendar_sink},
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
