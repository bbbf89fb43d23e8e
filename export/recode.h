// Lines of calendars in Windows-1252 written as UTF-8, so that an output made
// of a UTF-8 calendar and a Windows-1252 one is in one encoding.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "calendar/line_sink.h"

namespace unisci {

class Windows1252ToUtf8 : public LineSink {
 public:
  // Converts the lines of each calendar `from_windows1252` holds true for,
  // and hands every line on to `out`. Only what is written changes: the
  // line as read, in the line's origin, stays as it was.
  Windows1252ToUtf8(LineSink& out, std::vector<bool> from_windows1252)
      : out_(out), from_windows1252_(std::move(from_windows1252)) {}

  void match_line(const MergedLine& line) override;
  void empty_line() override { out_.empty_line(); }
  void close() override { out_.close(); }

 private:
  LineSink& out_;
  std::vector<bool> from_windows1252_;
  std::string converted_;
};

}  // namespace unisci
