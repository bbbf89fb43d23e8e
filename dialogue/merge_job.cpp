#include "dialogue/merge_job.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "calendar/input_calendar.h"
#include "calendar/merge.h"
#include "export/recode.h"
#include "io/text_decoder.h"
#include "io/utf8_validator.h"

namespace unisci {

namespace {

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
  std::vector<Encoding> kinds;  // Other for a calendar not read ahead
  for (const CalendarToMerge& calendar : calendars) {
    bool unknown = !calendar.source->rereadable();
    Encoding kind = Encoding::Windows1252;
    if (!unknown) {
      auto source = folder.open(calendar.source->name());
      TextDecoder text(*source);
      kind = text_kind(text);
    }
    kinds.push_back(kind);
    encodings.unknown.push_back(unknown);
    encodings.utf8.push_back(!unknown && kind != Encoding::Windows1252);
  }
  // The merged lines so far: what they are made of, as a merged text read
  // ahead would show. A calendar not read ahead may be anything, and makes
  // what it is merged into unknown too: it is never converted, nor is
  // anything merged with it, since it may be UTF-8 itself.
  Encoding merged = kinds[0];
  bool merged_unknown = encodings.unknown[0];
  std::vector<bool> in_utf8 = encodings.utf8;  // as the merged lines hold them
  for (std::size_t next = 1; next < kinds.size(); ++next) {
    std::vector<bool>& converted = encodings.converted_by_merge.emplace_back(kinds.size(), false);
    Encoding kind = kinds[next];
    merged_unknown = merged_unknown || encodings.unknown[next];
    if (merged_unknown) continue;
    if (merged == Encoding::Utf8 && kind == Encoding::Windows1252) {
      converted[next] = true;
      in_utf8[next] = true;
    } else if (merged == Encoding::Windows1252 && kind == Encoding::Utf8) {
      for (std::size_t i = 0; i < next; ++i) {
        converted[i] = !in_utf8[i];
        in_utf8[i] = true;
      }
      merged = Encoding::Utf8;
    } else if (merged == Encoding::Windows1252 || kind == Encoding::Windows1252) {
      merged = Encoding::Windows1252;
    } else if (merged == Encoding::Utf8 || kind == Encoding::Utf8) {
      merged = Encoding::Utf8;
    }
  }
  encodings.page_charset =
      !merged_unknown && merged != Encoding::Windows1252 ? Encoding::Utf8 : Encoding::Windows1252;
  return encodings;
}

std::int64_t merge_calendars(Console& console, Folder& folder,
                             std::vector<CalendarToMerge>& calendars, const SinkMaker& make_sink) {
  Encodings encodings = read_encodings(folder, calendars);
  LineSink& out = make_sink(encodings);
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
    CalendarToMerge& calendar = calendars[i];
    const std::string& name = calendar.source->name();
    // A width to find is found through a second reading where there can be
    // one, with the memory of one line.
    if (calendar.year_digits == kFindYearDigits && calendar.source->rereadable())
      calendar.year_digits = find_year_digits(*folder.open(name));
    inputs[i].emplace(
        *calendar.source,
        CalendarSettings{static_cast<int>(i), calendar.year_digits, calendar.number_offset,
                         year_width_warning(console, name), order_warning(console, name)});
  }
  // Each later calendar is merged with the lines of the merge before it,
  // converted as that merge hands them on. Built from the last merge back.
  std::vector<std::unique_ptr<MergeStage>> stages;
  std::vector<std::unique_ptr<Windows1252ToUtf8>> conversions;
  LineSink* next = &out;
  for (std::size_t merge_index = calendars.size() - 1; merge_index-- > 0;) {
    const std::vector<bool>& converted = encodings.converted_by_merge[merge_index];
    if (std::find(converted.begin(), converted.end(), true) != converted.end())
      next = conversions.emplace_back(std::make_unique<Windows1252ToUtf8>(*next, converted)).get();
    if (merge_index == 0) break;
    next = stages.emplace_back(std::make_unique<MergeStage>(*inputs[merge_index + 1], *next)).get();
  }
  std::int64_t match_count = merge(*inputs[0], *inputs[1], *next);
  next->close();
  return stages.empty() ? match_count : stages.front()->match_count();
}

ICalendarSettings icalendar_settings(Console& console, const Encodings& encodings,
                                     std::vector<std::string> files, int duration_minutes,
                                     const std::string& result) {
  ICalendarSettings settings;
  for (std::size_t i = 0; i < files.size(); ++i)
    settings.encodings.push_back(encodings.unknown[i] ? Encoding::Unknown
                                 : encodings.utf8[i]  ? Encoding::Utf8
                                                      : Encoding::Windows1252);
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

}  // namespace unisci
