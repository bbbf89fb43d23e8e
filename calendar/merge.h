// The merge of calendars by date and time.
//
// One merge takes two sources of match lines, each in its own order, and
// hands on the earlier line of the two each time. The first source is a
// calendar or, for three or more calendars, the lines of the merge before,
// read back as the merged text would be read; the second is a calendar. When
// one source has ended, the rest of the other follows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "calendar/input_calendar.h"
#include "calendar/line_sink.h"
#include "io/encoding.h"

namespace unisci {

// The lines a merge hands on, one at a time, for the next merge to read.
class MergedLines {
 public:
  virtual ~MergedLines() = default;
  virtual bool ended() const = 0;
  // The current line; valid until advance().
  virtual const MergedLine& line() const = 0;
  virtual void advance() = 0;
};

// The lines of a merge as the merged text, read again as a calendar with
// two-digit years, would give them: each line in one piece, without a
// carriage return before its end, keyed with the number offset carried from
// line to line.
class ReadBack {
 public:
  explicit ReadBack(MergedLines& merged) : merged_(merged) { take(); }

  bool ended() const { return merged_.ended(); }
  const MergedLine& line() const { return line_; }
  const SortKey& key() const { return key_; }
  void advance() {
    merged_.advance();
    take();
  }

 private:
  void take();

  MergedLines& merged_;
  MergedLine line_;
  SortKey key_;
  std::ptrdiff_t number_offset_ = 0;
  std::string joined_;  // a line handed in two pieces, joined
};

// What follows a line in the merged text.
enum class Then {
  Nothing,    // the line was chosen for its earlier time on the same date
  EmptyLine,  // it was chosen for its earlier date, or ends a tying pair
};

// The merge of `First` (an InputCalendar or a ReadBack) and `Second` (an
// InputCalendar). The lines of each calendar `converted` holds true for are
// handed on converted from Windows-1252 to UTF-8, so that the merged lines
// are in one encoding; the merge itself compares the lines as read.
template <class First, class Second>
class Merge final : public MergedLines {
 public:
  Merge(First& first, Second& second, std::vector<bool> converted = {})
      : first_(first),
        second_(second),
        converted_(std::move(converted)),
        converts_(std::find(converted_.begin(), converted_.end(), true) != converted_.end()) {
    choose();
  }

  bool ended() const override { return ended_; }
  const MergedLine& line() const override { return *current_; }
  Then then() const { return then_; }
  void advance() override {
    if (from_first_)
      first_.advance();
    else
      second_.advance();
    choose();
  }

 private:
  // Picks the line to hand on next: the earlier of the two current lines, or
  // the second of a tying pair, or what is left of either.
  void choose() {
    if (tie_) {
      tie_ = false;
      pick(false, Then::EmptyLine);
    } else if (first_.ended() || second_.ended()) {
      ended_ = first_.ended() && second_.ended();
      if (!ended_) pick(!first_.ended(), Then::Nothing);
    } else {
      switch (compare(first_.key(), second_.key())) {
        case Order::EarlierDate: pick(true, Then::EmptyLine); break;
        case Order::EarlierTime: pick(true, Then::Nothing); break;
        case Order::LaterTime: pick(false, Then::Nothing); break;
        case Order::LaterDate: pick(false, Then::EmptyLine); break;
        case Order::Tie:
          tie_ = true;
          pick(true, Then::Nothing);
          break;
      }
    }
  }

  void pick(bool from_first, Then then) {
    from_first_ = from_first;
    then_ = then;
    current_ = from_first ? &first_.line() : &second_.line();
    if (converts_) {
      auto calendar = static_cast<std::size_t>(current_->origin.calendar);
      if (calendar < converted_.size() && converted_[calendar]) convert();
    }
  }

  void convert() {
    converted_line_.clear();
    append_windows1252_as_utf8(converted_line_, current_->head);
    append_windows1252_as_utf8(converted_line_, current_->tail);
    converted_current_ = {converted_line_, {}, current_->origin};
    current_ = &converted_current_;
  }

  First& first_;
  Second& second_;
  std::vector<bool> converted_;
  bool converts_;  // some calendar's lines are converted
  const MergedLine* current_ = nullptr;
  bool from_first_ = true;
  bool tie_ = false;
  bool ended_ = false;
  Then then_ = Then::Nothing;
  std::string converted_line_;
  MergedLine converted_current_;
};

// Hands every line of `merge` to `out`, each followed by the empty line the
// merged text has after it, if any. Returns the number of match lines.
template <class M>
std::int64_t hand_on(M& merge, LineSink& out) {
  std::int64_t match_count = 0;
  for (; !merge.ended(); merge.advance(), ++match_count) {
    out.match_line(merge.line());
    if (merge.then() == Then::EmptyLine) out.empty_line();
  }
  return match_count;
}

// Merges two or more calendars into `out`: the first two, then the merged
// lines with each later calendar in turn. `converted_by_merge`, if not empty,
// holds for each merge which calendars' lines it hands on converted from
// Windows-1252 (see Merge). Returns the number of match lines. Throws
// FileError. `out` is not closed.
std::int64_t merge(const std::vector<InputCalendar*>& calendars,
                   const std::vector<std::vector<bool>>& converted_by_merge, LineSink& out);

// The same for two calendars, none converted.
std::int64_t merge(InputCalendar& calendar1, InputCalendar& calendar2, LineSink& out);

}  // namespace unisci
