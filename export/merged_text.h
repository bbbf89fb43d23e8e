// The merged calendar as text: its lines, each ended by a newline.
#pragma once

#include "calendar/line_sink.h"
#include "io/text_writer.h"

namespace unisci {

class MergedTextFile : public LineSink {
 public:
  explicit MergedTextFile(TextWriter& out) : out_(out) {}

  void match_line(const MergedLine& line) override {
    out_.write(line.head);
    if (!line.tail.empty()) out_.write(line.tail);
    out_.put('\n');
  }
  void empty_line() override { out_.put('\n'); }
  // Writes what is left and closes the file. Throws FileError.
  void close() override { out_.close(); }

 private:
  TextWriter& out_;
};

}  // namespace unisci
