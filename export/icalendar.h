// The iCalendar form of a merged calendar (RFC 5545), for calendar programs
// and phones: one event per match line, at its date and time in Italy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/line_sink.h"
#include "calendar/places.h"
#include "export/sha1.h"
#include "io/encoding.h"
#include "io/text_writer.h"

namespace unisci {

struct ICalendarSettings {
  // The calendars' file names as given, by LineOrigin::calendar; "-" is
  // standard input. A name that is not valid UTF-8 is read as Windows-1252.
  std::vector<std::string> files;
  // The encoding of each calendar, in the same order.
  std::vector<Encoding> encodings;
  // How long each event lasts.
  int duration_minutes = 90;
  // The teams that tell where a place of several words ends, and which lines
  // have no place (see place_and_match()); null: the place is the first word.
  std::shared_ptr<const KnownTeams> known_teams;
  // The file's DTSTAMP, Unix time; see stamp_time().
  std::int64_t stamp_time = 0;
  // The calendar's name (NAME, X-WR-CALNAME), as the calendar program shows it.
  std::string name = "calendario";
  // Told of each match line whose date or time does not exist, or which has
  // no digits where they belong; the line gets no event.
  std::function<void(const LineOrigin&)> bad_date;
};

// Writes one VEVENT per match line to an iCalendar file, in the order
// handed. Each event starts at the line's local time in the file's own
// Europe/Rome time zone and lasts the settings' duration; its summary is the
// line's match, its location the place (as place_and_match() finds them, by
// the settings' known teams), its description the match number and
// the calendar's file name, its category the file name without extension.
//
// An event's UID is a version 5 UUID of the calendar's file name (without
// folders), the season (July to June, named by the year it starts in), the
// match number, the place and the match, so a calendar program updates the
// event when a match moves to another day or hour of its season, and the
// same match a season later is a new event. The second and later events of
// the same five values in one file count their repeat into the UUID as well.
// For that the export keeps a slot of 8 bytes for each distinct match, in a
// table at most three-quarters full that doubles when it is: from 11 to 21
// bytes per distinct match, up to 32 while the table doubles (25 measured
// at 1,000,000 and at 4,000,000 matches).
class ICalendarExport : public LineSink {
 public:
  // Writes the calendar's properties and time zone to `out`.
  ICalendarExport(TextWriter& out, ICalendarSettings settings);

  void match_line(const MergedLine& line) override;
  void empty_line() override {}
  // Ends the calendar and closes `out`. Throws FileError.
  void close() override;

 private:
  // How many times each 64-bit fingerprint came before.
  class RepeatCounter {
   public:
    // The times `fingerprint` was added before; adds it once more.
    std::uint64_t add(std::uint64_t fingerprint);

   private:
    static constexpr int kCountBits = 16;
    static constexpr std::uint64_t kCountMask = (std::uint64_t{1} << kCountBits) - 1;

    void grow();

    // A fingerprint's top 48 bits and, below them, its earlier repeats, up
    // to kCountMask; 0 is a free slot.
    std::vector<std::uint64_t> slots_;
    std::size_t used_ = 0;
    // Repeats past kCountMask, rarely any.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> many_;
  };

  // What every event of one calendar shares.
  struct Source {
    Sha1 uid_prefix;          // the start of its events' UUID names
    std::string description;  // " - " and the file name, escaped
    std::string category;     // the file name without folders and extension, escaped
    Encoding encoding;
  };

  // Writes the text property `name` with `value` escaped, folded.
  void write_text(std::string_view name, std::string_view value);
  void write_folded(std::string_view line);

  TextWriter& out_;
  std::function<void(const LineOrigin&)> bad_date_;
  std::shared_ptr<const KnownTeams> known_teams_;
  std::vector<Source> sources_;
  std::string stamp_;     // "DTSTAMP:...\r\n"
  std::string duration_;  // "DURATION:...\r\n"
  RepeatCounter repeats_;
  // Reused for every line, so that a line costs no allocation.
  std::string line_utf8_;
  std::string line_;
};

// The DTSTAMP of a run: the value of SOURCE_DATE_EPOCH, `source_date_epoch`
// (null if unset), if it is a Unix time in decimal digits up to the end of
// the year 9999; the current time otherwise.
std::int64_t stamp_time(const char* source_date_epoch);

}  // namespace unisci
