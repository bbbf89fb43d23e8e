#include "calendar/merge.h"

#include <memory>

namespace unisci {

void ReadBack::take() {
  if (merged_.ended()) return;
  const MergedLine& merged = merged_.line();
  line_ = merged;
  if (!merged.tail.empty())
    line_ = {joined_.assign(merged.head).append(merged.tail), {}, merged.origin};
  // Read again, a line loses the carriage return right before its newline.
  if (line_.head.ends_with('\r')) line_.head.remove_suffix(1);
  // Every merged line is a match line: its first two bytes are never cut.
  number_offset_ = number_offset(line_.head, number_offset_);
  key_ = sort_key(line_.head, number_offset_, year_offset(2));
}

std::int64_t merge(const std::vector<InputCalendar*>& calendars,
                   const std::vector<std::vector<bool>>& converted_by_merge, LineSink& out) {
  auto converted = [&](std::size_t merge_index) {
    return merge_index < converted_by_merge.size() ? converted_by_merge[merge_index]
                                                   : std::vector<bool>{};
  };
  Merge<InputCalendar, InputCalendar> first(*calendars[0], *calendars[1], converted(0));
  if (calendars.size() == 2) return hand_on(first, out);
  // Each later calendar is merged with the lines of the merge before it.
  using Later = Merge<ReadBack, InputCalendar>;
  std::vector<std::unique_ptr<ReadBack>> read_backs;
  std::vector<std::unique_ptr<Later>> merges;
  MergedLines* before = &first;
  for (std::size_t next = 2; next < calendars.size(); ++next) {
    ReadBack& merged = *read_backs.emplace_back(std::make_unique<ReadBack>(*before));
    before =
        merges.emplace_back(std::make_unique<Later>(merged, *calendars[next], converted(next - 1)))
            .get();
  }
  return hand_on(*merges.back(), out);
}

std::int64_t merge(InputCalendar& calendar1, InputCalendar& calendar2, LineSink& out) {
  return merge({&calendar1, &calendar2}, {}, out);
}

}  // namespace unisci
