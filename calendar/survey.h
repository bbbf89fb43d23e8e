// What a calendar is found to be before it is merged: its encoding, the width
// of its years and, for the forms that need them, its teams. A calendar is
// opened once: the survey reads it from its start and goes back there for the
// merge, or, for a source that cannot go back, keeps what it had to read.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "io/encoding.h"
#include "io/files.h"

namespace unisci {

// A year width to be found from the calendar itself.
inline constexpr int kFindYearDigits = 0;

struct SurveyNeeds {
  bool year_digits = false;  // find the width of the years
  // Told of every match line of a calendar that can be read again, if set.
  std::function<void(std::string_view line)> match_line;
};

struct Survey {
  // Unknown for a calendar that cannot be read again, such as a pipe.
  Encoding encoding = Encoding::Unknown;
  // The width the first match line that shows one shows (see
  // year_digits_of()), 2 if none does; 0 if it was not asked for.
  int year_digits = 0;
};

// Surveys `source` as `needs` asks. Returns the source to merge: null for
// `source` itself, back at its start; otherwise one that hands out again the
// bytes the survey read, then the rest of `source`. Throws FileError.
std::unique_ptr<ByteSource> survey(ByteSource& source, const SurveyNeeds& needs, Survey& result);

}  // namespace unisci
