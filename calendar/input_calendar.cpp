#include "calendar/input_calendar.h"

#include <algorithm>

namespace unisci {

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// Why a line that is no match line may have been meant as one: it is one
// once its leading spaces and tabs are gone, or its number is followed by a
// tab, as a spreadsheet saves its cells.
CalendarWarnings::Hint hint_of(std::string_view line) {
  std::size_t first = line.find_first_not_of(" \t");
  if (first == line.npos) return CalendarWarnings::Hint::None;
  if (first > 0 && is_match_line(line.substr(first))) return CalendarWarnings::Hint::Indented;
  std::size_t digits = 0;
  while (digits < line.size() && is_digit(line[digits])) ++digits;
  if (digits > 0 && digits < line.size() && line[digits] == '\t')
    return CalendarWarnings::Hint::TabSeparated;
  return CalendarWarnings::Hint::None;
}

}  // namespace

InputCalendar::InputCalendar(ByteSource& source, CalendarSettings settings, std::size_t block)
    : text_(source, block),
      reader_(text_, block),
      index_(settings.index),
      year_digits_(settings.year_digits),
      number_offset_(settings.number_offset),
      warnings_(settings.warnings),
      sorted_(settings.order == LineOrder::ByDateAndTime) {
  if (sorted_) read_in_order();
  advance();
}

// The next match line of the file, its number offset found; every other line
// is skipped. False at the end of the file.
bool InputCalendar::next_match_line(std::string_view& line) {
  while (reader_.next(line)) {
    ++line_number_;
    if (is_match_line(line)) {
      ++match_lines_;
      number_offset_ = unisci::number_offset(line, number_offset_);
      return true;
    }
    if (match_lines_ == 0 && warnings_ != nullptr) {
      has_text_ = has_text_ || line.find_first_not_of(" \t") != line.npos;
      if (hint_ == CalendarWarnings::Hint::None) hint_ = hint_of(line);
    }
  }
  return false;
}

bool InputCalendar::advance() {
  if (ended_) return false;
  if (sorted_) {
    if (next_kept_ == kept_.size()) {
      end();
      return false;
    }
    const Kept& kept = kept_[next_kept_++];
    key_ = kept.key;
    MatchLine line({kept_text_.data() + kept.begin, kept.size}, {kept.number_offset, year_digits_});
    take(line, kept.line_number);
    return true;
  }
  std::string_view text;
  if (!next_match_line(text)) {
    end();
    return false;
  }
  MatchLine line(text, {number_offset_, year_digits_});
  SortKey previous = key_;
  key_ = line.key();
  take(line, line_number_);
  if (warnings_ != nullptr) {
    check(line, line_number_);
    if (order_pending_ && match_lines_ > 1) {
      Order order = compare(key_, previous);
      if (order == Order::EarlierDate || order == Order::EarlierTime) {
        order_pending_ = false;
        warnings_->out_of_order(line_number_, previous, key_);
      }
    }
  }
  return true;
}

void InputCalendar::take(const MatchLine& line, std::int64_t line_number) {
  WrittenPieces written = line.written();
  line_ = {written.head, written.tail, {index_, line_number, line.text(), line.layout()}};
}

// Tells the warnings of a match line that are still to be told: a date laid
// out for the other year width, or a date and time out of any layout.
void InputCalendar::check(const MatchLine& line, std::int64_t line_number) {
  if (!year_width_pending_ && !layout_pending_) return;
  int shown = line.year_digits_shown();
  if (shown != year_digits_ &&
      MatchLine(line.text(), {line.layout().number_offset, shown}).in_layout()) {
    if (year_width_pending_) warnings_->year_width(line, line_number);
    year_width_pending_ = false;
  } else if (layout_pending_ && !line.in_layout()) {
    layout_pending_ = false;
    warnings_->out_of_layout(line, line_number);
  }
}

// Reads every match line into memory and sorts them by date and time, equal
// ones in the file's order.
void InputCalendar::read_in_order() {
  for (std::string_view text; next_match_line(text);) {
    MatchLine line(text, {number_offset_, year_digits_});
    if (warnings_ != nullptr) check(line, line_number_);
    kept_.push_back({kept_text_.size(), text.size(), line_number_, number_offset_, line.key()});
    kept_text_.append(text);
  }
  std::stable_sort(kept_.begin(), kept_.end(), [](const Kept& a, const Kept& b) {
    Order order = compare(a.key, b.key);
    return order == Order::EarlierDate || order == Order::EarlierTime;
  });
}

void InputCalendar::end() {
  ended_ = true;
  line_ = {};
  if (warnings_ != nullptr && match_lines_ == 0 && has_text_) warnings_->no_match_line(hint_);
}

}  // namespace unisci
