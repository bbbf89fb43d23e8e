#include "export/icalendar.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <chrono>
#include <optional>
#include <system_error>

#include "calendar/match_line.h"
#include "export/file_name.h"
#include "export/sha1.h"
#include "io/encoding.h"

namespace unisci {

namespace {

// The calendar's properties before its name, and its time zone after it.
// Europe/Rome as the tz database has it from 1981: summer time from the last
// Sunday of March at 02:00 to the last Sunday of September at 03:00 until
// 1995, of October since 1996. It says nothing of earlier years.
constexpr std::string_view kOpening =
    "BEGIN:VCALENDAR\r\n"
    "VERSION:2.0\r\n"
    "PRODID:-//unisci-calendari//unisci-calendari " UNISCI_VERSION
    "//IT\r\n"
    "CALSCALE:GREGORIAN\r\n"
    "METHOD:PUBLISH\r\n";
constexpr std::string_view kTimeZone =
    "X-WR-TIMEZONE:Europe/Rome\r\n"
    "BEGIN:VTIMEZONE\r\n"
    "TZID:Europe/Rome\r\n"
    "BEGIN:DAYLIGHT\r\n"
    "TZOFFSETFROM:+0100\r\n"
    "TZOFFSETTO:+0200\r\n"
    "TZNAME:CEST\r\n"
    "DTSTART:19810329T020000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
    "END:DAYLIGHT\r\n"
    "BEGIN:STANDARD\r\n"
    "TZOFFSETFROM:+0200\r\n"
    "TZOFFSETTO:+0100\r\n"
    "TZNAME:CET\r\n"
    "DTSTART:19810927T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=9;BYDAY=-1SU;COUNT=15\r\n"
    "END:STANDARD\r\n"
    "BEGIN:STANDARD\r\n"
    "TZOFFSETFROM:+0200\r\n"
    "TZOFFSETTO:+0100\r\n"
    "TZNAME:CET\r\n"
    "DTSTART:19961027T030000\r\n"
    "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\n"
    "END:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

// The namespace of the events' UUIDs: this program's own, drawn at random.
constexpr std::array<char, 16> kUidNamespace{
    '\x70', '\xa8', '\x0a', '\xca', '\xbf', '\x87', '\x45', '\xb0',
    '\x86', '\x4e', '\xf2', '\x33', '\xda', '\xae', '\x02', '\x9d',
};

// The last second whose date has four digits: 9999-12-31T23:59:59Z.
constexpr std::int64_t kLastStamp = 253402300799;

// A content line longer than this many octets goes on in continuation lines.
constexpr std::size_t kLineOctets = 75;

// Whether a byte of a TEXT value needs a second look: one to escape, a
// control character, or the lead byte of the C1 controls U+0080 to U+009F.
constexpr std::array<bool, 256> kSpecialInText = [] {
  std::array<bool, 256> special{};
  for (std::size_t c = 0; c < 0x20; ++c) special[c] = true;
  for (unsigned char c : {'\\', ';', ',', '\x7F', '\xC2'}) special[c] = true;
  return special;
}();

// Appends `text`, UTF-8, as the value of a TEXT property: backslash,
// semicolon, comma and newline escaped, other control characters left out,
// the C1 controls of U+0080 to U+009F included.
void append_text(std::string& out, std::string_view text) {
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (!kSpecialInText[c]) continue;
    if (c == 0xC2) {
      auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
      if (next < 0x80 || next > 0x9F) continue;
    }
    out.append(text.substr(copied, i - copied));
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\\' || c == ';' || c == ',') {
      out += '\\';
      out += static_cast<char>(c);
    }
    i += c == 0xC2 ? 1 : 0;
    copied = i + 1;
  }
  out.append(text.substr(copied));
}

std::string escaped(std::string_view text) {
  std::string out;
  append_text(out, text);
  return out;
}

// Appends `value` in `width` decimal digits, zeros first.
void append_digits(std::string& out, int value, int width) {
  std::array<char, 12> digits{};
  for (int i = width - 1; i >= 0; --i, value /= 10)
    digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
  out.append(digits.data(), static_cast<std::size_t>(width));
}

// "YYYYMMDDTHHMMSSZ" of a Unix time, kept within the years 1970 to 9999.
std::string utc_time(std::int64_t unix_time) {
  std::int64_t t = std::clamp<std::int64_t>(unix_time, 0, kLastStamp);
  namespace chrono = std::chrono;
  chrono::year_month_day date{chrono::sys_days{chrono::days{t / 86400}}};
  int seconds = static_cast<int>(t % 86400);
  std::string text;
  append_digits(text, static_cast<int>(date.year()), 4);
  append_digits(text, static_cast<int>(static_cast<unsigned>(date.month())), 2);
  append_digits(text, static_cast<int>(static_cast<unsigned>(date.day())), 2);
  text += 'T';
  append_digits(text, seconds / 3600, 2);
  append_digits(text, seconds / 60 % 60, 2);
  append_digits(text, seconds % 60, 2);
  text += 'Z';
  return text;
}

// Hashes one part of an event's name: its length, in 7-bit groups from the
// lowest, each but the last with its top bit set, then its bytes. So no two
// different lists of parts give the same bytes.
void hash_part(Sha1& hash, std::string_view part) {
  std::array<char, 10> length{};
  std::size_t n = 0;
  for (std::size_t left = part.size(); n == 0 || left > 0; left >>= 7)
    length[n++] = static_cast<char>((left & 0x7F) | (left > 0x7F ? 0x80 : 0));
  hash.update({length.data(), n});
  hash.update(part);
}

// The season of a match: seasons run from July to June, and a match of July
// 2024 to June 2025 is of season 2024.
int season_of(const LocalDateTime& start) {
  return std::max(0, start.month >= 7 ? start.year : start.year - 1);
}

}  // namespace

std::uint64_t ICalendarExport::RepeatCounter::add(std::uint64_t fingerprint) {
  std::uint64_t key = fingerprint & ~kCountMask;
  if (key == 0) key = kCountMask + 1;
  if ((used_ + 1) * 4 > slots_.size() * 3) grow();
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = (key >> kCountBits) & mask;; i = (i + 1) & mask) {
    std::uint64_t& slot = slots_[i];
    if (slot == 0) {
      slot = key;
      ++used_;
      return 0;
    }
    if ((slot & ~kCountMask) != key) continue;
    std::uint64_t repeats = slot & kCountMask;
    if (repeats < kCountMask) {
      slot = key | (repeats + 1);
      return repeats + 1;
    }
    auto many = std::find_if(many_.begin(), many_.end(), [&](auto& m) { return m.first == key; });
    if (many == many_.end()) many = many_.insert(many_.end(), {key, 0});
    return kCountMask + ++many->second;
  }
}

void ICalendarExport::RepeatCounter::grow() {
  std::vector<std::uint64_t> old(std::max<std::size_t>(1024, slots_.size() * 2));
  old.swap(slots_);
  std::size_t mask = slots_.size() - 1;
  for (std::uint64_t slot : old) {
    if (slot == 0) continue;
    std::size_t i = (slot >> kCountBits) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

ICalendarExport::ICalendarExport(TextWriter& out, ICalendarSettings settings)
    : out_(out),
      bad_date_(std::move(settings.bad_date)),
      known_teams_(std::move(settings.known_teams)) {
  assert(settings.files.size() == settings.encodings.size());
  for (std::size_t i = 0; i < settings.files.size(); ++i) {
    std::string file = shown_file_name(settings.files[i]);
    std::string_view name = without_folders(file);
    // The name of an event's UUID begins with the file name, padded with
    // zeros to the end of a SHA-1 block: that block is hashed once for all
    // the calendar's events, and most events then hash one block alone.
    Sha1 prefix;
    prefix.update({kUidNamespace.data(), kUidNamespace.size()});
    hash_part(prefix, name);
    prefix.update(std::string((64 - prefix.size() % 64) % 64, '\0'));
    sources_.push_back(
        {prefix, " - " + escaped(file), escaped(without_extension(name)), settings.encodings[i]});
  }
  stamp_ = "DTSTAMP:" + utc_time(settings.stamp_time) + "\r\n";
  int minutes = std::max(0, settings.duration_minutes);
  duration_ = "DURATION:PT";
  if (minutes >= 60) duration_ += std::to_string(minutes / 60) + 'H';
  if (minutes % 60 != 0 || minutes == 0) duration_ += std::to_string(minutes % 60) + 'M';
  duration_ += "\r\n";

  out_.write(kOpening);
  // The name comes from a file name, which may be in Windows-1252 too.
  std::string buffer;
  std::string_view name = as_utf8(settings.name, Encoding::Unknown, buffer);
  write_text("NAME", name);
  write_text("X-WR-CALNAME", name);
  out_.write(kTimeZone);
}

void ICalendarExport::match_line(const MergedLine& line) {
  const LineOrigin& origin = line.origin;
  MatchLine match_line = origin.match_line();
  std::optional<LocalDateTime> start = match_line.start();
  if (!start) {
    if (bad_date_) bad_date_(origin);
    return;
  }
  assert(origin.calendar >= 0 && static_cast<std::size_t>(origin.calendar) < sources_.size());
  const Source& source = sources_[static_cast<std::size_t>(origin.calendar)];

  // A line of unknown encoding is converted whole or not at all.
  std::string_view text = as_utf8(origin.as_read, source.encoding, line_utf8_);
  Cells cells{};
  cut_cells(text, cells);
  std::string_view number = cells[0];
  auto [place, match] = place_and_match(text_after_time(text), known_teams_.get());

  Sha1 hash = source.uid_prefix;
  std::string season;
  append_digits(season, season_of(*start), 4);
  hash_part(hash, season);
  hash_part(hash, number);
  hash_part(hash, place);
  hash_part(hash, match);
  Sha1 repeated = hash;
  Sha1::Digest digest = hash.finish();
  std::uint64_t fingerprint = 0;
  for (std::size_t i = 0; i < 8; ++i) fingerprint = fingerprint << 8 | digest[i];
  if (std::uint64_t repeat = repeats_.add(fingerprint); repeat > 0) {
    hash_part(repeated, std::to_string(repeat));
    digest = repeated.finish();
  }

  line_ = "BEGIN:VEVENT\r\nUID:";
  append_uuid(line_, name_based_uuid(digest));
  line_ += "\r\n";
  line_ += stamp_;
  line_ += "DTSTART;TZID=Europe/Rome:";
  append_digits(line_, start->year, 4);
  append_digits(line_, start->month, 2);
  append_digits(line_, start->day, 2);
  line_ += 'T';
  append_digits(line_, start->hour, 2);
  append_digits(line_, start->minute, 2);
  line_ += "00\r\n";
  line_ += duration_;
  out_.write(line_);

  write_text("SUMMARY", match);
  if (!place.empty()) write_text("LOCATION", place);
  line_ = "DESCRIPTION:Gara ";
  append_text(line_, number);
  line_ += source.description;
  write_folded(line_);
  line_ = "CATEGORIES:";
  line_ += source.category;
  write_folded(line_);
  out_.write("END:VEVENT\r\n");
}

void ICalendarExport::close() {
  out_.write("END:VCALENDAR\r\n");
  out_.close();
}

void ICalendarExport::write_text(std::string_view name, std::string_view value) {
  line_ = name;
  line_ += ':';
  append_text(line_, value);
  write_folded(line_);
}

// Folds before the octet that would make a line longer than kLineOctets, or
// before the character that this octet belongs to: a UTF-8 character is
// never cut. A run of more than three continuation bytes, which is no UTF-8,
// is cut anywhere.
void ICalendarExport::write_folded(std::string_view line) {
  auto continues = [&](std::size_t i) {
    return (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80;
  };
  for (std::size_t room = kLineOctets; line.size() > room; room = kLineOctets - 1) {
    std::size_t cut = room;
    while (cut > room - 3 && continues(cut)) --cut;
    if (continues(cut)) cut = room;
    out_.write(line.substr(0, cut));
    out_.write("\r\n ");
    line.remove_prefix(cut);
  }
  out_.write(line);
  out_.write("\r\n");
}

std::int64_t stamp_time(const char* source_date_epoch) {
  if (source_date_epoch != nullptr) {
    std::string_view text(source_date_epoch);
    std::int64_t value = -1;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc() && end == text.data() + text.size() && value >= 0 &&
        value <= kLastStamp)
      return value;
  }
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace unisci
