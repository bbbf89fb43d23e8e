#include "dialogue/merge_job.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "calendar/input_calendar.h"
#include "calendar/merge.h"
#include "io/text_decoder.h"
#include "io/utf8_validator.h"

namespace unisci {

namespace {

// The date and time of a key as a calendar writes them: DD/MM/YY HH:MM.
std::string date_time_text(const SortKey& key) {
  auto date = [&](int byte) { return static_cast<char>((key.date >> (8 * byte) ^ 0x80) & 0xFF); };
  auto time = [&](int byte) { return static_cast<char>((key.time >> (8 * byte) ^ 0x80) & 0xFF); };
  return {date(1), date(0), '/',     date(3), date(2), '/',     date(5),
          date(4), ' ',     time(3), time(2), ':',     time(1), time(0)};
}

// Warns of a line whose date does not fit the year width given for its
// calendar. The merge goes on as asked: the user decides whether to run again.
YearWidthReport year_width_warning(Console& console, const std::string& calendar) {
  return [&console, calendar](std::int64_t line_number, int year_digits_shown, int year_digits) {
    console.report("attenzione: " + calendar + ", riga " + std::to_string(line_number) +
                   ": l'anno ha " + std::to_string(year_digits_shown) + " cifre, non " +
                   std::to_string(year_digits));
  };
}

// Warns of a match line dated before the one above it: the calendar is taken
// in its own order all the same, as a merge takes each of its inputs.
OrderReport order_warning(Console& console, const std::string& calendar) {
  return [&console, calendar](std::int64_t line_number, const SortKey& previous,
                              const SortKey& current) {
    console.report("attenzione: " + calendar + ", riga " + std::to_string(line_number) + ": " +
                   date_time_text(current) + " viene prima di " + date_time_text(previous) +
                   ", la gara precedente: il calendario non segue l'ordine delle date e le sue "
                   "gare restano nel loro ordine");
  };
}

}  // namespace

Encodings read_encodings(Folder& folder, const std::vector<CalendarToMerge>& calendars) {
  Encodings encodings;
  bool any_utf8 = false;
  bool any_other = false;
  bool any_unknown = false;
  std::vector<TextKind> kinds;
  for (const CalendarToMerge& calendar : calendars) {
    bool unknown = !calendar.source->rereadable();
    TextKind kind = TextKind::Other;
    if (!unknown) {
      auto source = folder.open(calendar.source->name());
      TextDecoder text(*source);
      kind = text_kind(text);
    }
    kinds.push_back(kind);
    encodings.unknown.push_back(unknown);
    encodings.utf8.push_back(!unknown && kind != TextKind::Other);
    any_utf8 = any_utf8 || kind == TextKind::Utf8;
    any_other = any_other || (!unknown && kind == TextKind::Other);
    any_unknown = any_unknown || unknown;
  }
  // Only a known mix of UTF-8 and another encoding is converted: any other
  // set of calendars keeps its bytes, and a calendar not read ahead is
  // never converted, since it may be UTF-8 itself.
  bool mixed = any_utf8 && any_other;
  for (std::size_t i = 0; i < kinds.size(); ++i)
    encodings.from_windows1252.push_back(mixed && !encodings.unknown[i] &&
                                         kinds[i] == TextKind::Other);
  encodings.page_charset =
      (mixed || !any_other) && !any_unknown ? Charset::Utf8 : Charset::Windows1252;
  return encodings;
}

std::int64_t merge_calendars(Console& console, Folder& folder,
                             std::vector<CalendarToMerge>& calendars, const SinkMaker& make_sink) {
  LineSink& out = make_sink(read_encodings(folder, calendars));
  std::vector<std::optional<InputCalendar>> inputs(calendars.size());
  // Even a merge that fails hands the offsets it reached on.
  struct KeepOffsets {
    std::vector<CalendarToMerge>& calendars;
    std::vector<std::optional<InputCalendar>>& inputs;
    ~KeepOffsets() {
      for (std::size_t i = 0; i < inputs.size(); ++i)
        if (inputs[i]) calendars[i].number_offset = inputs[i]->number_offset();
    }
  } keep_offsets{calendars, inputs};
  for (std::size_t i = 0; i < calendars.size(); ++i) {
    const CalendarToMerge& calendar = calendars[i];
    const std::string& name = calendar.source->name();
    inputs[i].emplace(
        *calendar.source,
        CalendarSettings{static_cast<int>(i), calendar.year_digits, calendar.number_offset,
                         year_width_warning(console, name), order_warning(console, name)});
  }
  // Each later calendar is merged with the lines of the merge before it.
  std::vector<std::unique_ptr<MergeStage>> stages;
  LineSink* next = &out;
  for (std::size_t i = calendars.size() - 1; i >= 2; --i) {
    stages.push_back(std::make_unique<MergeStage>(*inputs[i], *next));
    next = stages.back().get();
  }
  std::int64_t match_count = merge(*inputs[0], *inputs[1], *next);
  next->close();
  return stages.empty() ? match_count : stages.front()->match_count();
}

bool needs_recoding(const Encodings& encodings) {
  return std::find(encodings.from_windows1252.begin(), encodings.from_windows1252.end(), true) !=
         encodings.from_windows1252.end();
}

ICalendarSettings icalendar_settings(Console& console, const Encodings& encodings,
                                     std::vector<std::string> files, int duration_minutes,
                                     const std::string& result) {
  ICalendarSettings settings;
  for (std::size_t i = 0; i < files.size(); ++i)
    settings.encodings.push_back(encodings.unknown[i] ? TextEncoding::Unknown
                                 : encodings.utf8[i]  ? TextEncoding::Utf8
                                                      : TextEncoding::Windows1252);
  settings.duration_minutes = duration_minutes;
  settings.stamp_time = stamp_time(std::getenv("SOURCE_DATE_EPOCH"));
  std::string stem = std::filesystem::path(result).stem().string();
  settings.name = stem.empty() ? "calendario" : stem;
  std::string where = result.empty() ? "dal calendario" : "da " + result;
  settings.bad_date = [&console, files, where](const LineOrigin& origin) {
    console.report("attenzione: " + files[static_cast<std::size_t>(origin.calendar)] + ", riga " +
                   std::to_string(origin.line_number) +
                   ": la data o l'ora non esiste, la gara resta fuori " + where);
  };
  settings.files = std::move(files);
  return settings;
}

std::string file_error_message(const FileError& error) {
  const char* verb = "";
  switch (error.action()) {
    case FileError::Action::Open: verb = "impossibile aprire "; break;
    case FileError::Action::Read: verb = "impossibile leggere "; break;
    case FileError::Action::NotText:
      return "impossibile leggere " + error.file() +
             ": non sembra un file di testo (contiene byte nulli); salvalo come testo, per "
             "esempio in UTF-8";
    case FileError::Action::Create: verb = "impossibile creare "; break;
    case FileError::Action::Write: verb = "impossibile scrivere "; break;
    case FileError::Action::Replace: verb = "impossibile sostituire "; break;
  }
  return verb + error.file() + ": " + std::strerror(error.reason());
}

}  // namespace unisci
