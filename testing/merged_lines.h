// Hands a merged text to a line sink line by line, as the merge would.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "calendar/line_sink.h"

namespace unisci::testing {

// Each non-empty line is a match line, handed as `split` bytes and the rest,
// as the merge hands a line cut by its century digits; each empty line is an
// empty line. A last line without its newline is a line all the same.
inline void hand_lines(std::string_view text, LineSink& sink, std::size_t split = 0) {
  while (!text.empty()) {
    std::string_view line = text.substr(0, text.find('\n'));
    text.remove_prefix(std::min(text.size(), line.size() + 1));
    if (line.empty()) {
      sink.empty_line();
      continue;
    }
    std::size_t cut = split == 0 ? line.size() : std::min(split, line.size());
    sink.match_line({line.substr(0, cut), line.substr(cut), {}});
  }
}

}  // namespace unisci::testing
