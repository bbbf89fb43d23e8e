// Where a match is played and who plays it, found by the teams.
//
// A match line's text after its time is the place, then the match,
// "Home - Away". A place may have several words ("San Lazzaro", "Città di
// Castello"), and a line may have no place at all: the teams that play away
// somewhere in the calendars tell where the home team's name begins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "calendar/match_line.h"

namespace unisci {

// The line's text after its time, where the column rule cuts it (see
// cutting_spaces()): from the byte after its third cutting space to its end.
// Empty for a line with fewer than three.
std::string_view text_after_time(std::string_view line);

// Where the first " - ", which parts the home side from the away team, starts
// in `text`; npos if nowhere. Found by its dash, which names seldom hold,
// rather than by each space.
std::size_t teams_apart_at(std::string_view text);

// A hash for the names of teams and places, looked up by views. Mixes the
// text eight bytes at a time: the names are short and every line looks up
// one or two, where the standard hash costs about twice as much.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    constexpr std::uint64_t kOdd = 0x9E3779B97F4A7C15;
    std::uint64_t hash = text.size() * kOdd;
    auto mix = [&hash](std::uint64_t word) {
      hash = (hash ^ word) * kOdd;
      hash ^= hash >> 32;
    };
    auto word_at = [&text](std::size_t at) {
      std::uint64_t word = 0;
      std::memcpy(&word, text.data() + at, 8);
      return word;
    };
    if (text.size() < 8) {
      std::uint64_t word = 0;
      for (char c : text) word = word << 8 | static_cast<unsigned char>(c);
      mix(word);
    } else {
      // The last word may overlap the one before it.
      for (std::size_t at = 0; at + 8 < text.size(); at += 8) mix(word_at(at));
      mix(word_at(text.size() - 8));
    }
    return static_cast<std::size_t>(hash);
  }
};

// The away teams of the match lines of the calendars: in the text after the
// time, what follows its first " - ", spaces trimmed. Kept in UTF-8: a team
// that is not valid UTF-8 is read as Windows-1252, so that the same name
// from calendars in different encodings is one team. The memory is one entry
// per distinct team and one per distinct way its name is written: a name
// already seen as written costs one look-up, no conversion.
class KnownTeams {
 public:
  // Adds the away team of the match line `line`, if it has one.
  void add(std::string_view line);
  // Whether `team`, in UTF-8, is the name of a known team, byte for byte.
  bool contains(std::string_view team) const;
  std::size_t size() const { return teams_.size(); }

 private:
  std::unordered_set<std::string, NameHash, std::equal_to<>> teams_;
  std::unordered_set<std::string, NameHash, std::equal_to<>> teams_as_written_;
  std::string converted_;  // a team read as Windows-1252, in UTF-8
};

// The place and the match of a line, as views into the text they were found in.
struct PlaceAndMatch {
  std::string_view place;  // empty: the line has no place
  std::string_view match;
};

// The place and match in `after_time`, a line's text after its time (see
// text_after_time()), in UTF-8: as_utf8() gives it for a line of any calendar. Its first " - "
// parts the home side from the away team. If the home side, spaces trimmed, is a known team, there
// is no place and the match is the whole text. If it ends with a space and a known team, the
// longest that fits, the place is what stands before that team, trimmed, and the match goes from
// that team on. Otherwise, and always when `teams` is null, the place is the text's first word and
// the match the rest, as the column rule cuts them.
PlaceAndMatch place_and_match(std::string_view after_time, const KnownTeams* teams);

}  // namespace unisci
