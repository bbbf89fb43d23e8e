#include "calendar/input_calendar.h"

#include <utility>

namespace unisci {

int year_digits_of(std::string_view line) {
  if (!is_match_line(line)) return 0;
  std::size_t digits = 0;
  while (digits < line.size() && digits < 4 && line[digits] >= '0' && line[digits] <= '9') ++digits;
  if (digits > 3 || digits >= line.size() || line[digits] != ' ') return 0;
  auto is_digit = [&](std::size_t i) {
    return i < line.size() && line[i] >= '0' && line[i] <= '9';
  };
  return is_digit(digits + 9) && is_digit(digits + 10) ? 4 : 2;
}

int find_year_digits(ByteSource& source) {
  TextDecoder text(source);
  LineReader reader(text);
  for (std::string_view line; reader.next(line);)
    if (int digits = year_digits_of(line); digits != 0) return digits;
  return 2;
}

InputCalendar::InputCalendar(ByteSource& source, CalendarSettings settings, std::size_t block)
    : text_(source, block),
      reader_(text_, block),
      index_(settings.index),
      year_digits_(settings.year_digits),
      number_offset_(settings.number_offset),
      year_width_report_(std::move(settings.year_width_report)),
      order_report_(std::move(settings.order_report)) {
  if (year_digits_ == kFindYearDigits) {
    // Reads ahead, without taking any line, as far as the first line that
    // shows the width, within a bound on the memory.
    constexpr std::size_t kLookAhead = std::size_t{1} << 20;
    int found = 2;
    reader_.look_ahead(
        [&found](std::string_view line) {
          found = year_digits_of(line);
          return found != 0;
        },
        kLookAhead);
    year_digits_ = found == 0 ? 2 : found;
  }
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
      SortKey previous = key_;
      key_ = sort_key(line_, number_offset_, year_offset(year_digits_));
      WrittenPieces written = without_century(line_, number_offset_, year_digits_);
      merged_ = {written.head,
                 written.tail,
                 {index_, line_number_, line_, {number_offset_, year_digits_}}};
      if (year_width_report_ &&
          year_digits_shown(line_, number_offset_, year_digits_) != year_digits_)
        report_year_width();
      if (order_report_ && has_key_) {
        Order order = compare(key_, previous);
        if (order == Order::EarlierDate || order == Order::EarlierTime)
          std::exchange(order_report_, {})(line_number_, previous, key_);
      }
      has_key_ = true;
      return true;
    }
  }
  return false;
}

// Tells the report of the current line, whose date does not fit the year
// width, and never again.
void InputCalendar::report_year_width() {
  YearWidthReport report = std::exchange(year_width_report_, {});
  report(line_number_, year_digits_shown(line_, number_offset_, year_digits_), year_digits_);
}

}  // namespace unisci
