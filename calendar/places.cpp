#include "calendar/places.h"

#include "io/encoding.h"

namespace unisci {

namespace {

constexpr std::string_view kTeamsApart = " - ";

std::string_view trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == text.npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The place as the column rule cuts it: the first word.
PlaceAndMatch first_word_place(std::string_view after_time) {
  std::size_t space = after_time.find(' ');
  if (space == after_time.npos) return {after_time, {}};
  return {after_time.substr(0, space), after_time.substr(space + 1)};
}

}  // namespace

std::size_t teams_apart_at(std::string_view text) {
  for (std::size_t dash = text.find('-', 1); dash != text.npos; dash = text.find('-', dash + 1))
    if (text[dash - 1] == ' ' && dash + 1 < text.size() && text[dash + 1] == ' ') return dash - 1;
  return text.npos;
}

std::string_view text_after_time(std::string_view line) {
  CuttingSpaces at{};
  if (cutting_spaces(line, at, 3) < 3) return {};
  return line.substr(at[2] + 1);
}

void KnownTeams::add(std::string_view line) {
  std::string_view after_time = text_after_time(line);
  std::size_t apart = teams_apart_at(after_time);
  if (apart == after_time.npos) return;
  std::string_view team = trimmed(after_time.substr(apart + kTeamsApart.size()));
  if (team.empty() || teams_as_written_.find(team) != teams_as_written_.end()) return;
  teams_as_written_.emplace(team);
  team = as_utf8(team, Encoding::Unknown, converted_);
  if (!contains(team)) teams_.emplace(team);
}

bool KnownTeams::contains(std::string_view team) const {
  return teams_.find(team) != teams_.end();
}

PlaceAndMatch place_and_match(std::string_view after_time, const KnownTeams* teams) {
  std::size_t apart = teams_apart_at(after_time);
  if (teams == nullptr || teams->size() == 0 || apart == after_time.npos)
    return first_word_place(after_time);
  std::string_view home = trimmed(after_time.substr(0, apart));
  if (home.empty()) return first_word_place(after_time);
  if (teams->contains(home)) return {{}, after_time.substr(home.data() - after_time.data())};
  // The earliest space after which a known team ends the home side gives
  // the longest team.
  for (std::size_t space = home.find(' '); space != home.npos; space = home.find(' ', space + 1)) {
    std::string_view team = home.substr(space + 1);
    if (team.front() == ' ' || !teams->contains(team)) continue;
    return {trimmed(home.substr(0, space)), after_time.substr(team.data() - after_time.data())};
  }
  return first_word_place(after_time);
}

}  // namespace unisci
