#include "calendar/clashes.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "calendar/match_line.h"

namespace unisci {

namespace {

// The entries of a date are looked through for dropping once they are this
// many more than after the last time.
constexpr std::size_t kDropAfter = 64;

// The most texts whose places are kept, but for those of one date.
constexpr std::size_t kPlacesMost = 4096;

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
  CuttingSpaces at{};
  if (!report_ || !start || cutting_spaces(line.origin.as_read, at, 3) < 3) return;
  std::string_view as_read = line.origin.as_read;
  auto calendar = static_cast<std::size_t>(line.origin.calendar);
  Encoding encoding = calendar < encodings_.size() ? encodings_[calendar] : Encoding::Unknown;
  // A line of unknown encoding is converted whole or not at all.
  if (encoding == Encoding::Unknown)
    encoding = is_utf8(as_read) ? Encoding::Utf8 : Encoding::Windows1252;
  std::string_view after_time = as_read.substr(at[2] + 1);
  Place* place = place_of(after_time, encoding);
  if (place == nullptr) return;
  int date = start->year * 10000 + start->month * 100 + start->day;
  if (date != date_) {
    start_date(date);
    place = place_of(after_time, encoding);  // the places may have been forgotten
  }
  int minutes = start->hour * 60 + start->minute;
  in_time_order_ = in_time_order_ && minutes >= latest_start_;
  latest_start_ = std::max(latest_start_, minutes);

  if (place->dates_seen != dates_seen_) {
    place->dates_seen = dates_seen_;
    place->newest = kNone;
    places_of_date_.push_back(place);
  }
  Entry entry;
  entry.start = minutes;
  entry.calendar = line.origin.calendar;
  entry.line_number = line.origin.line_number;
  entry.previous = place->newest;
  entry.encoding = encoding;
  // The time, its space and the text after it stand together in the line.
  entry.time_size = static_cast<std::uint32_t>(at[2] - at[1] - 1);
  entry.after_time_size = static_cast<std::uint32_t>(after_time.size());
  keep(entry, as_read.substr(at[1] + 1));
  report_clashes(line, entries_.back(), minutes, entry.previous);

  place->newest = static_cast<std::uint32_t>(entries_.size() - 1);
  if (in_time_order_ && entries_.size() >= 2 * kept_after_drop_ + kDropAfter) drop_the_past();
}

// The place of a line, from its text after the time as read (see
// text_after_time()); null for a line with no place. The place depends only
// on the text up to the end of the home side: the first " - ", or without
// one the first word.
ClashCheck::Place* ClashCheck::place_of(std::string_view after_time, Encoding encoding) {
  std::size_t apart = teams_apart_at(after_time);
  std::string_view home_side = after_time.substr(
      0, apart == after_time.npos ? after_time.find(' ') : apart + std::string_view(" - ").size());
  auto& places_by_text = places_by_text_[static_cast<std::size_t>(encoding)];
  auto found = places_by_text.find(home_side);
  if (found != places_by_text.end()) return found->second;
  std::string folded;
  PlaceAndMatch place_and_match_found =
      place_and_match(as_utf8(home_side, encoding, converted_), known_teams_.get());
  append_folded_case(folded, place_and_match_found.place);
  Place* place = folded.empty() ? nullptr : &places_.try_emplace(std::move(folded)).first->second;
  places_by_text.emplace(home_side, place);
  return place;
}

void ClashCheck::start_date(int date) {
  date_ = date;
  ++dates_seen_;
  latest_start_ = 0;
  in_time_order_ = true;
  entries_.clear();
  texts_.clear();
  places_of_date_.clear();
  // The names of places and teams are few: this bound only keeps odd
  // calendars from growing the places without end.
  std::size_t texts = 0;
  for (const auto& places_by_text : places_by_text_) texts += places_by_text.size();
  if (texts >= kPlacesMost) {
    for (auto& places_by_text : places_by_text_) places_by_text.clear();
    places_.clear();
  }
  kept_after_drop_ = 0;
}

// Tells of each entry at the place of the line, from the earliest, whose start
// is less than the duration from the line's. While the date's lines come in
// order of time, the entries of a place go back in time: the first that is
// too early ends the search.
void ClashCheck::report_clashes(const MergedLine& line, const Entry& later, int start,
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
  ClashingMatch later_match = match_of(later, later_);
  for (std::size_t i = clashing_.size(); i-- > 0;)
    report_({date, match_of(entries_[clashing_[i]], earlier_), later_match});
}

void ClashCheck::keep(const Entry& entry, std::string_view time_and_after) {
  Entry kept = entry;
  kept.text_at = texts_.size();
  texts_.append(time_and_after);
  entries_.push_back(kept);
}

// Drops the entries that no later line of the date can clash with, the date's
// lines so far being in order of time: those that start the duration or more
// before the latest start.
void ClashCheck::drop_the_past() {
  moved_to_.assign(entries_.size(), kNone);
  std::size_t kept = 0;
  std::size_t texts_kept = 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Entry entry = entries_[i];
    if (entry.start <= latest_start_ - duration_) continue;
    moved_to_[i] = static_cast<std::uint32_t>(kept);
    if (entry.previous != kNone) entry.previous = moved_to_[entry.previous];
    // Kept entries and their texts only move towards the front.
    std::size_t size = entry.time_size + 1 + entry.after_time_size;
    std::memmove(texts_.data() + texts_kept, texts_.data() + entry.text_at, size);
    entry.text_at = texts_kept;
    texts_kept += size;
    entries_[kept++] = entry;
  }
  for (Place* place : places_of_date_) place->newest = moved_to_[place->newest];
  std::erase_if(places_of_date_, [](const Place* place) { return place->newest == kNone; });
  entries_.resize(kept);
  texts_.resize(texts_kept);
  kept_after_drop_ = kept;
}

// The time, place and match of an entry in UTF-8, converted into `into`.
ClashingMatch ClashCheck::match_of(const Entry& entry, Converted& into) const {
  std::string_view texts = texts_;
  std::string_view time = texts.substr(entry.text_at, entry.time_size);
  std::string_view after_time =
      texts.substr(entry.text_at + entry.time_size + 1, entry.after_time_size);
  after_time = as_utf8(after_time, entry.encoding, into.after_time);
  PlaceAndMatch found = place_and_match(after_time, known_teams_.get());
  return {entry.calendar, entry.line_number, as_utf8(time, entry.encoding, into.time), found.place,
          found.match};
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
