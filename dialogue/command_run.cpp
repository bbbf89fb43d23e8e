#include "dialogue/command_run.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calendar/input_calendar.h"
#include "dialogue/merge_job.h"
#include "export/export.h"
#include "export/icalendar.h"
#include "export/merged_text.h"
#include "io/text_writer.h"

namespace unisci {

namespace {

bool is_standard_stream(const std::string& name) {
  return name.empty() || name == "-";
}

// The sinks of one form, built once the encodings are known.
class FormSinks {
 public:
  FormSinks(const CommandLine& command_line, Console& console, ByteSink& result)
      : command_line_(command_line), console_(console), writer_(result) {}

  LineSink& make(const Encodings& encodings) {
    LineSink* sink = nullptr;
    switch (command_line_.form) {
      case 'i': {
        std::string result = is_standard_stream(command_line_.output) ? "" : command_line_.output;
        return icalendar_.emplace(writer_,
                                  icalendar_settings(console_, encodings, command_line_.calendars,
                                                     command_line_.duration_minutes, result));
      }
      case 'x': sink = &table_.emplace(writer_, kSpreadsheet, encodings.page_charset); break;
      case 'h': sink = &table_.emplace(writer_, kWebPage, encodings.page_charset); break;
      default: sink = &text_.emplace(writer_); break;
    }
    return *sink;
  }

 private:
  const CommandLine& command_line_;
  Console& console_;
  TextWriter writer_;
  std::optional<ICalendarExport> icalendar_;
  std::optional<MergedTextFile> text_;
  std::optional<TableExport> table_;
};

}  // namespace

int run_command_line(const CommandLine& command_line, Console& console, Folder& folder,
                     ByteSource& standard_input, ByteSink& standard_output) {
  std::vector<std::unique_ptr<ByteSource>> opened;
  std::vector<CalendarToMerge> calendars;
  try {
    for (std::size_t i = 0; i < command_line.calendars.size(); ++i) {
      const std::string& name = command_line.calendars[i];
      ByteSource* source = &standard_input;
      if (!is_standard_stream(name)) source = opened.emplace_back(folder.open(name)).get();
      int year_digits =
          command_line.year_digits.empty() ? kFindYearDigits : command_line.year_digits[i];
      calendars.push_back({source, year_digits, 0});
    }
    std::unique_ptr<Output> file;
    ByteSink* result = &standard_output;
    if (!is_standard_stream(command_line.output)) {
      // An output that is one of the calendars, through a link, would
      // destroy it: refused before anything is written.
      for (const std::string& calendar : command_line.calendars) {
        if (!is_standard_stream(calendar) && folder.same_file(command_line.output, calendar)) {
          console.report("impossibile scrivere " + command_line.output + ": coincide con " +
                         calendar);
          return 1;
        }
      }
      file = folder.create(command_line.output);
      result = file.get();
    }
    FormSinks sinks(command_line, console, *result);
    merge_calendars(console, folder, calendars, [&sinks](const Encodings& encodings) -> LineSink& {
      return sinks.make(encodings);
    });
    if (file) file->commit();
  } catch (const FileError& e) {
    console.report(file_error_message(e));
    return 1;
  }
  return 0;
}

}  // namespace unisci
