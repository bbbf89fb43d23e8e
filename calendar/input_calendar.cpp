#include "calendar/input_calendar.h"

namespace unisci {

InputCalendar::InputCalendar(ByteSource& source, int year_digits, std::ptrdiff_t number_offset,
                             std::size_t block)
    : text_(source, block),
      reader_(text_, CarriageReturn::Drop, block),
      year_digits_(year_digits),
      number_offset_(number_offset) {
  advance();
}

bool InputCalendar::advance() {
  while (!ended_) {
    if (!reader_.next(line_)) {
      ended_ = true;
      line_ = {};
    } else if (is_match_line(line_)) {
      number_offset_ = unisci::number_offset(line_, number_offset_);
      key_ = sort_key(line_, number_offset_, year_offset(year_digits_));
      return true;
    }
  }
  return false;
}

}  // namespace unisci
