#include "calendar/clashes.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <optional>
#include <utility>

#include "calendar/match_line.h"

namespace unisci {

namespace {

// The entries of a date are looked through for dropping once they are this
// many more than after the last time.
constexpr std::size_t kDropAfter = 64;

// The date as the merged text writes it: the second cell of its line.
std::string date_as_written(const MergedLine& line) {
  std::string written(line.head);
  written.append(line.tail);
  Cells cells{};
  cut_cells(written, cells);
  std::string converted;
  return std::string(as_utf8(cells[1], Encoding::Unknown, converted));
}

}  // namespace

ClashCheck::ClashCheck(ClashSettings settings)
    : encodings_(std::move(settings.encodings)),
      known_teams_(std::move(settings.known_teams)),
      duration_(settings.duration_minutes),
      report_(std::move(settings.report)) {}

void ClashCheck::match_line(const MergedLine& line) {
  std::optional<LocalDateTime> start = line.origin.match_line().start();
  ClashingMatch match;
  if (!report_ || !start || !read_place(line.origin, match)) return;
  int date = start->year * 10000 + start->month * 100 + start->day;
  if (date != date_) start_date(date);
  int minutes = start->hour * 60 + start->minute;
  in_time_order_ = in_time_order_ && minutes >= latest_start_;
  latest_start_ = std::max(latest_start_, minutes);

  folded_.clear();
  append_folded_case(folded_, match.place);
  auto newest = newest_.find(folded_);
  std::uint32_t previous = newest == newest_.end() ? kNone : newest->second;
  report_clashes(line, match, minutes, previous);

  auto index = static_cast<std::uint32_t>(entries_.size());
  keep(match, minutes, previous);
  if (newest == newest_.end())
    newest_.emplace(folded_, index);
  else
    newest->second = index;
  if (in_time_order_ && entries_.size() >= 2 * kept_after_drop_ + kDropAfter) drop_the_past();
}

// The line's time, place and match in UTF-8, from its time and the text after
// it: between the second and third cutting spaces, and past the third (see
// text_after_time()). False for a line with no place.
bool ClashCheck::read_place(const LineOrigin& origin, ClashingMatch& match) {
  CuttingSpaces at{};
  if (cutting_spaces(origin.as_read, at) < 3) return false;
  auto calendar = static_cast<std::size_t>(origin.calendar);
  Encoding encoding = calendar < encodings_.size() ? encodings_[calendar] : Encoding::Unknown;
  // A line of unknown encoding is converted whole or not at all.
  if (encoding == Encoding::Unknown)
    encoding = is_utf8(origin.as_read) ? Encoding::Utf8 : Encoding::Windows1252;
  std::string_view after_time = as_utf8(origin.as_read.substr(at[2] + 1), encoding, after_time_);
  PlaceAndMatch found = place_and_match(after_time, known_teams_.get());
  if (found.place.empty()) return false;
  std::string_view time_cell = origin.as_read.substr(at[1] + 1, at[2] - at[1] - 1);
  match = {origin.calendar, origin.line_number, as_utf8(time_cell, encoding, time_), found.place,
           found.match};
  return true;
}

void ClashCheck::start_date(int date) {
  date_ = date;
  latest_start_ = 0;
  in_time_order_ = true;
  entries_.clear();
  texts_.clear();
  newest_.clear();
  kept_after_drop_ = 0;
}

// Tells of each entry at the place of the line, from the earliest, whose start
// is less than the duration from the line's. While the date's lines come in
// order of time, the entries of a place go back in time: the first that is
// too early ends the search.
void ClashCheck::report_clashes(const MergedLine& line, const ClashingMatch& later, int start,
                                std::uint32_t newest) {
  clashing_.clear();
  for (std::uint32_t i = newest; i != kNone; i = entries_[i].previous) {
    if (std::abs(start - entries_[i].start) < duration_)
      clashing_.push_back(i);
    else if (in_time_order_)
      break;
  }
  if (clashing_.empty()) return;
  std::string date = date_as_written(line);
  for (std::size_t i = clashing_.size(); i-- > 0;)
    report_({date, match_of(entries_[clashing_[i]]), later});
}

void ClashCheck::keep(const ClashingMatch& match, int start, std::uint32_t previous) {
  Entry entry;
  entry.start = start;
  entry.calendar = match.calendar;
  entry.line_number = match.line_number;
  entry.previous = previous;
  entry.text_at = texts_.size();
  entry.place_size = static_cast<std::uint32_t>(match.place.size());
  entry.time_size = static_cast<std::uint32_t>(match.time.size());
  entry.match_size = static_cast<std::uint32_t>(match.match.size());
  texts_.append(match.place).append(match.time).append(match.match);
  entries_.push_back(entry);
}

// Drops the entries that no later line of the date can clash with, the date's
// lines so far being in order of time: those that start the duration or more
// before the latest start.
void ClashCheck::drop_the_past() {
  std::vector<std::uint32_t> moved_to(entries_.size(), kNone);
  std::vector<Entry> kept;
  std::string texts;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry entry = entries_[i];
    if (entry.start <= latest_start_ - duration_) continue;
    moved_to[i] = static_cast<std::uint32_t>(kept.size());
    if (entry.previous != kNone) entry.previous = moved_to[entry.previous];
    std::size_t size = entry.place_size + entry.time_size + entry.match_size;
    texts.append(texts_, entry.text_at, size);
    entry.text_at = texts.size() - size;
    kept.push_back(entry);
  }
  for (auto place = newest_.begin(); place != newest_.end();) {
    place->second = moved_to[place->second];
    place = place->second == kNone ? newest_.erase(place) : std::next(place);
  }
  entries_.swap(kept);
  texts_.swap(texts);
  kept_after_drop_ = entries_.size();
}

ClashingMatch ClashCheck::match_of(const Entry& entry) const {
  std::string_view texts = texts_;
  std::string_view place = texts.substr(entry.text_at, entry.place_size);
  std::string_view time = texts.substr(entry.text_at + entry.place_size, entry.time_size);
  std::string_view match =
      texts.substr(entry.text_at + entry.place_size + entry.time_size, entry.match_size);
  return {entry.calendar, entry.line_number, time, place, match};
}

void append_folded_case(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c >= 'A' && c <= 'Z') {
      out += static_cast<char>(c + ('a' - 'A'));
    } else if (c == 0xC3 && next >= 0x80 && next <= 0x9E && next != 0x97) {
      // U+00C0 to U+00DE, but for the sign ×: "À" to "Þ".
      out += static_cast<char>(c);
      out += static_cast<char>(next + 0x20);
      ++i;
    } else if (c == 0xC5 && (next == 0x92 || next == 0xA0 || next == 0xBD)) {
      // "Œ", "Š", "Ž": the small letter follows its capital.
      out += static_cast<char>(c);
      out += static_cast<char>(next + 1);
      ++i;
    } else if (c == 0xC5 && next == 0xB8) {
      out += "\xC3\xBF";  // "Ÿ" to "ÿ"
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
}

std::string clash_warning(const Clash& clash, const std::vector<std::string>& files) {
  auto described = [&](const ClashingMatch& match) {
    assert(match.calendar >= 0 && static_cast<std::size_t>(match.calendar) < files.size());
    std::string text(match.time);
    text.append(" ").append(match.match).append(" (");
    text.append(files[static_cast<std::size_t>(match.calendar)]);
    return text.append(", riga ").append(std::to_string(match.line_number)).append(")");
  };
  std::string warning = "attenzione: sovrapposizione a ";
  warning.append(clash.earlier.place).append(" il ").append(clash.date).append(": ");
  return warning.append(described(clash.earlier)).append(" e ").append(described(clash.later));
}

}  // namespace unisci
