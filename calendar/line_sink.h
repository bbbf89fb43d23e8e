// What receives the merged calendar: its lines, one at a time, in order.
//
// The merge hands every line it writes to one LineSink: the merged text file,
// the table, the page, the iCalendar file and, for three or more calendars,
// the next merge are all sinks. A sink is told each line once, as a line, and
// never has to split or count what the merge produced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/match_line.h"

namespace unisci {

// Where a match line came from.
struct LineOrigin {
  LineOrigin() = default;
  LineOrigin(int calendar, std::int64_t line_number, std::string_view as_read, Layout layout)
      : LineOrigin(calendar, line_number, as_read, layout, MatchLine(as_read, layout).key()) {}
  // With the key its calendar has already worked out.
  LineOrigin(int calendar, std::int64_t line_number, std::string_view as_read, Layout layout,
             SortKey key)
      : calendar(calendar), line_number(line_number), as_read(as_read), layout(layout), key(key) {}

  int calendar = 0;              // which calendar, counting from 0 in the order given
  std::int64_t line_number = 0;  // its line in that file, counting every line from 1
  std::string_view as_read;      // the line as read, without its newline
  Layout layout;                 // how it is read
  SortKey key;                   // its key, as its layout gives it

  MatchLine match_line() const { return {as_read, layout, key}; }
};

// A match line of the merged calendar, as written: `head` then `tail`,
// without the newline. A line of a calendar with four-digit years is written
// without its two century digits, which cut it in two; `tail` is empty for
// every other line. The views are valid only during the call that hands them.
struct MergedLine {
  std::string_view head;
  std::string_view tail;
  LineOrigin origin;

  std::size_t size() const { return head.size() + tail.size(); }
};

class LineSink {
 public:
  virtual ~LineSink() = default;
  // The next match line.
  virtual void match_line(const MergedLine& line) = 0;
  // An empty line of the merged text: after a line chosen for its earlier
  // date, and after a tying pair.
  virtual void empty_line() = 0;
  // The merged calendar is complete: write what is left and close the file,
  // if any. Throws FileError.
  virtual void close() = 0;
};

// Hands every line to each of several sinks, in the order given.
class LineTee : public LineSink {
 public:
  explicit LineTee(std::vector<LineSink*> sinks) : sinks_(std::move(sinks)) {}

  void match_line(const MergedLine& line) override {
    for (LineSink* sink : sinks_) sink->match_line(line);
  }
  void empty_line() override {
    for (LineSink* sink : sinks_) sink->empty_line();
  }
  void close() override {
    for (LineSink* sink : sinks_) sink->close();
  }

 private:
  std::vector<LineSink*> sinks_;
};

}  // namespace unisci
