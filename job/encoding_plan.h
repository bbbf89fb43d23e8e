// How the outputs write calendars of different encodings.
#pragma once

#include <vector>

#include "io/encoding.h"

namespace unisci {

struct EncodingPlan {
  // What a page declares: Utf8 when no calendar is known to be anything
  // else, Windows1252 otherwise.
  Encoding page = Encoding::Windows1252;
  // Per merge, the first one of the first two calendars and each later one of
  // the merged lines with one more calendar: which calendars' lines it hands
  // on converted from Windows-1252, since it merges one that is and one that
  // is UTF-8. So the merged lines are in one encoding, and each merge
  // compares the lines as a merge of the merged text, read again, would.
  std::vector<std::vector<bool>> converted_by_merge;
};

// The plan for calendars of these encodings, in the order they are merged. A
// calendar of unknown encoding may be anything: it is never converted, nor is
// anything merged with it, since it may be UTF-8 itself.
EncodingPlan plan_encodings(const std::vector<Encoding>& calendars);

}  // namespace unisci
