// Matches at the same place too close in time: two teams of one club at home
// in one hall an hour apart, the risk that merging their calendars brings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "calendar/line_sink.h"
#include "calendar/places.h"
#include "io/encoding.h"

namespace unisci {

// One of two clashing match lines. The texts are in UTF-8.
struct ClashingMatch {
  int calendar = 0;              // as LineOrigin::calendar
  std::int64_t line_number = 0;  // in its calendar, as LineOrigin::line_number
  std::string_view time;         // as written, "15:30"
  std::string_view place;        // as place_and_match() finds it
  std::string_view match;        // the same, "Forlì - Cantù"
};

// Two match lines at one place on one date whose starts are less than the
// duration apart. The views are valid only during the call that hands them.
struct Clash {
  std::string_view date;  // as the merged text writes it, "09/11/24"
  ClashingMatch earlier;  // the one the merge handed first
  ClashingMatch later;
};

using ClashReport = std::function<void(const Clash&)>;

struct ClashSettings {
  // The encoding of each calendar, by LineOrigin::calendar.
  std::vector<Encoding> encodings;
  // The teams that tell places of several words (see place_and_match()); null:
  // the place is the first word.
  std::shared_ptr<const KnownTeams> known_teams;
  // How long a match holds its place.
  int duration_minutes = 120;
  // Told of each clashing pair, once, when the later line comes.
  ClashReport report;
};

// Watches the merged lines for two matches at the same place, the places
// compared without regard to case, on the same date, whose starts are less
// than the duration apart; pairs from one calendar count too. A line with no
// place, or no real date and time, never clashes.
//
// It keeps the matches of one date, and drops them all when the date
// changes: the clashes are found when the calendars are in date order. While
// the lines of a date come in order of time, only those that a later line
// may clash with are kept.
class ClashCheck : public LineSink {
 public:
  explicit ClashCheck(ClashSettings settings);

  void match_line(const MergedLine& line) override;
  void empty_line() override {}
  void close() override {}

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

  // A match of the current date. Its time, a space and its text after the
  // time are in texts_, as read, from `text_at`: they are converted to UTF-8
  // only for a clash.
  struct Entry {
    int start = 0;  // minutes from midnight
    int calendar = 0;
    std::int64_t line_number = 0;
    std::uint32_t previous = kNone;  // the entry before it at the same place
    std::size_t text_at = 0;
    std::uint32_t time_size = 0;
    std::uint32_t after_time_size = 0;
    Encoding encoding = Encoding::Utf8;
  };

  // A match's texts converted to UTF-8, reused from clash to clash.
  struct Converted {
    std::string time;
    std::string after_time;
  };

  // A place, named folded to lower case, and its newest entry if it has one
  // on the current date.
  struct Place {
    std::uint64_t dates_seen = 0;  // as dates_seen_ when its newest entry came
    std::uint32_t newest = kNone;
  };

  Place* place_of(std::string_view after_time, Encoding encoding);
  void start_date(int date);
  void report_clashes(const MergedLine& line, const Entry& later, int start, std::uint32_t newest);
  void keep(const Entry& entry, std::string_view time_and_after);
  void drop_the_past();
  ClashingMatch match_of(const Entry& entry, Converted& into) const;

  std::vector<Encoding> encodings_;
  std::shared_ptr<const KnownTeams> known_teams_;
  int duration_;
  ClashReport report_;

  int date_ = -1;  // year, month and day as YYYYMMDD
  // The dates started so far: a date may come back after another.
  std::uint64_t dates_seen_ = 0;
  int latest_start_ = 0;       // of the date's lines so far
  bool in_time_order_ = true;  // the date's lines came in order of time
  std::vector<Entry> entries_;
  std::string texts_;
  // The places that have entries of the current date.
  std::vector<Place*> places_of_date_;
  std::size_t kept_after_drop_ = 0;
  // The places by their names folded to lower case; and, by encoding, by the
  // text after the time up to the end of the home side, as read, null for no
  // place. Lines repeat their places and home teams, so most lines find
  // theirs by the text and are neither converted nor folded.
  std::unordered_map<std::string, Place, NameHash, std::equal_to<>> places_;
  std::array<std::unordered_map<std::string, Place*, NameHash, std::equal_to<>>, 4> places_by_text_;
  // Reused, so that a line costs no allocation.
  std::string converted_;
  std::vector<std::uint32_t> moved_to_;
  Converted earlier_;
  Converted later_;
  std::vector<std::uint32_t> clashing_;
};

// Appends `text`, UTF-8, with its capital letters made small: those of ASCII
// and every capital letter of Windows-1252 and Latin-1 ("À", "Ì", "Œ", "Ÿ").
void append_folded_case(std::string& out, std::string_view text);

// The warning of a clash, for the console's report: "attenzione:
// sovrapposizione a Forlì il 09/11/24: 15:30 Forlì - Cantù (u14.txt, riga 7)
// e 16:30 Forlì - Rimini (u16.txt, riga 2)". The place is the earlier
// line's; `files` are the calendars' names as given, by calendar.
std::string clash_warning(const Clash& clash, const std::vector<std::string>& files);

}  // namespace unisci
