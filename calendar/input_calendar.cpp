#include "calendar/input_calendar.h"

#include <utility>

namespace unisci {

InputCalendar::InputCalendar(ByteSource& source, int year_digits, std::ptrdiff_t number_offset,
                             YearWidthReport report, std::size_t block)
    : text_(source, block),
      reader_(text_, block),
      year_digits_(year_digits),
      number_offset_(number_offset),
      report_(std::move(report)) {
  advance();
}

bool InputCalendar::advance() {
  while (!ended_) {
    if (!reader_.next(line_)) {
      ended_ = true;
      line_ = {};
      break;
    }
    ++line_number_;
    if (is_match_line(line_)) {
      number_offset_ = unisci::number_offset(line_, number_offset_);
      key_ = sort_key(line_, number_offset_, year_offset(year_digits_));
      if (report_ && year_digits_shown(line_, number_offset_, year_digits_) != year_digits_)
        report_year_width();
      return true;
    }
  }
  return false;
}

// Tells the report of the current line, whose date does not fit the year
// width, and never again.
void InputCalendar::report_year_width() {
  YearWidthReport report = std::exchange(report_, {});
  report(line_number_, year_digits_shown(line_, number_offset_, year_digits_));
}

}  // namespace unisci
