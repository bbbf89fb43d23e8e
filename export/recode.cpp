#include "export/recode.h"

#include "io/encoding.h"

namespace unisci {

void Windows1252ToUtf8::match_line(const MergedLine& line) {
  auto calendar = static_cast<std::size_t>(line.origin.calendar);
  if (calendar >= from_windows1252_.size() || !from_windows1252_[calendar]) {
    out_.match_line(line);
    return;
  }
  converted_.clear();
  append_windows1252_as_utf8(converted_, line.head);
  append_windows1252_as_utf8(converted_, line.tail);
  out_.match_line({converted_, {}, line.origin});
}

}  // namespace unisci
