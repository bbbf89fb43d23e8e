#include "calendar/merge.h"

namespace unisci {

namespace {

// What the merge writes after a line: an empty line after one chosen for its
// earlier date and after a tying pair, nothing after one chosen for its
// earlier time on the same date.
enum class Then { Nothing, EmptyLine };

// Writes the current line of `calendar` and moves the calendar on.
void take(InputCalendar& calendar, TextWriter& out, Then then) {
  calendar.write(out);
  calendar.advance();
  if (then == Then::EmptyLine) out.put('\n');
}

}  // namespace

std::int64_t merge(InputCalendar& calendar1, InputCalendar& calendar2, TextWriter& out) {
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

std::int64_t drain(InputCalendar& calendar, TextWriter& out) {
  std::int64_t match_count = 0;
  for (; !calendar.ended(); calendar.advance()) {
    calendar.write(out);
    ++match_count;
  }
  return match_count;
}

}  // namespace unisci
