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

// Reads up to the next match line of the file and makes it the current one;
// every other line is skipped. False at the end of the file.
bool InputCalendar::read_match_line() {
  std::string_view text;
  for (;;) {
    if (!reader_.next(text)) return false;
    ++line_number_;
    if (is_match_line(text)) break;
    if (match_lines_ == 0 && warnings_ != nullptr) note_other_line(text);
  }
  ++match_lines_;
  number_offset_ = unisci::number_offset(text, number_offset_);
  MatchLine line(text, {number_offset_, year_digits_});
  SortKey previous = key_;
  key_ = line.key();
  WrittenPieces written = line.written();
  line_ = {written.head, written.tail, {index_, line_number_, text, line.layout(), key_}};
  // Most lines have nothing to warn of, which this tells at once.
  bool odd = line.year_digits_shown() != year_digits_ || !all_digits(key_) ||
             (match_lines_ > 1 && before(key_, previous));
  if (odd && warnings_ != nullptr) check(line, previous);
  return true;
}

// Makes the next line kept in memory the current one. False if none is left.
bool InputCalendar::take_kept() {
  if (next_kept_ == kept_.size()) return false;
  const Kept& kept = kept_[next_kept_++];
  MatchLine line({kept_text_.data() + kept.begin, kept.size}, {kept.number_offset, year_digits_});
  key_ = kept.key;
  WrittenPieces written = line.written();
  line_ = {
      written.head, written.tail, {index_, kept.line_number, line.text(), line.layout(), key_}};
  return true;
}

// What a line that is no match line shows, for a calendar that may have none.
void InputCalendar::note_other_line(std::string_view line) {
  has_text_ = has_text_ || line.find_first_not_of(" \t") != line.npos;
  if (hint_ == CalendarWarnings::Hint::None) hint_ = hint_of(line);
}

// Tells the warnings of the current line that are still to be told: a date
// laid out for the other year width, a date and time out of any layout, a
// line that comes before the one above it.
void InputCalendar::check(const MatchLine& line, const SortKey& previous) {
  if (year_width_pending_ || layout_pending_) {
    int shown = line.year_digits_shown();
    if (shown != year_digits_ &&
        MatchLine(line.text(), {line.layout().number_offset, shown}).in_layout()) {
      if (year_width_pending_) warnings_->year_width(line, line_number_);
      year_width_pending_ = false;
    } else if (layout_pending_ && !all_digits(key_)) {
      layout_pending_ = false;
      warnings_->out_of_layout(line, line_number_);
    }
  }
  if (order_pending_ && match_lines_ > 1 && !sorted_ && before(key_, previous)) {
    order_pending_ = false;
    warnings_->out_of_order(line_number_, previous, key_);
  }
}

// Reads every match line into memory and sorts them by date and time, equal
// ones in the file's order.
void InputCalendar::read_in_order() {
  while (read_match_line()) {
    std::string_view text = line_.origin.as_read;
    kept_.push_back({kept_text_.size(), text.size(), line_number_, number_offset_, key_});
    kept_text_.append(text);
  }
  std::stable_sort(kept_.begin(), kept_.end(),
                   [](const Kept& a, const Kept& b) { return before(a.key, b.key); });
}

void InputCalendar::end() {
  ended_ = true;
  line_ = {};
  if (warnings_ != nullptr && match_lines_ == 0 && has_text_) warnings_->no_match_line(hint_);
}

}  // namespace unisci
