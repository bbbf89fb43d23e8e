#include "calendar/merge.h"

namespace unisci {

namespace {

// What the merge writes after a line: an empty line after one chosen for its
// earlier date and after a tying pair, nothing after one chosen for its
// earlier time on the same date.
enum class Then { Nothing, EmptyLine };

// Hands the current line of `calendar` to `out` and moves the calendar on.
void take(InputCalendar& calendar, LineSink& out, Then then) {
  out.match_line(calendar.merged_line());
  calendar.advance();
  if (then == Then::EmptyLine) out.empty_line();
}

}  // namespace

std::int64_t merge(InputCalendar& calendar1, InputCalendar& calendar2, LineSink& out) {
  std::int64_t match_count = 0;
  while (!calendar1.ended() && !calendar2.ended()) {
    switch (compare(calendar1.key(), calendar2.key())) {
      case Order::EarlierDate: take(calendar1, out, Then::EmptyLine); break;
      case Order::EarlierTime: take(calendar1, out, Then::Nothing); break;
      case Order::LaterTime: take(calendar2, out, Then::Nothing); break;
      case Order::LaterDate: take(calendar2, out, Then::EmptyLine); break;
      case Order::Tie:
        take(calendar1, out, Then::Nothing);
        take(calendar2, out, Then::EmptyLine);
        ++match_count;
        break;
    }
    ++match_count;
  }
  // If one calendar is done, copy the rest of the other.
  return match_count + drain(calendar1.ended() ? calendar2 : calendar1, out);
}

std::int64_t drain(InputCalendar& calendar, LineSink& out) {
  std::int64_t match_count = 0;
  for (; !calendar.ended(); calendar.advance()) {
    out.match_line(calendar.merged_line());
    ++match_count;
  }
  return match_count;
}

// The merged line is the current line of the first calendar of merge(): the
// calendar's lines that come before it go first, then it. Once the calendar
// has ended, the merged lines are drained.
void MergeStage::match_line(const MergedLine& merged) {
  MergedLine line = merged;
  if (!line.tail.empty()) line = {joined_.assign(line.head).append(line.tail), {}, line.origin};
  // Read again, a line loses the carriage return right before its newline.
  if (line.head.ends_with('\r')) line.head.remove_suffix(1);
  std::string_view text = line.head;
  // Every merged line is a match line: its first two bytes are never cut.
  number_offset_ = number_offset(text, number_offset_);
  SortKey key = sort_key(text, number_offset_, year_offset(2));
  for (;;) {
    ++match_count_;
    if (calendar_.ended()) {
      out_.match_line(line);
      return;
    }
    switch (compare(key, calendar_.key())) {
      case Order::EarlierDate:
        out_.match_line(line);
        out_.empty_line();
        return;
      case Order::EarlierTime: out_.match_line(line); return;
      case Order::Tie:
        out_.match_line(line);
        take(calendar_, out_, Then::EmptyLine);
        ++match_count_;
        return;
      case Order::LaterTime: take(calendar_, out_, Then::Nothing); break;
      case Order::LaterDate: take(calendar_, out_, Then::EmptyLine); break;
    }
  }
}

void MergeStage::close() {
  match_count_ += drain(calendar_, out_);
  out_.close();
}

}  // namespace unisci
