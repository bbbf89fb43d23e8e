// The spreadsheet and web page forms of a merged calendar: one table row per
// line of the merged text, each match line cut into five cells.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "calendar/line_sink.h"
#include "calendar/match_line.h"
#include "io/encoding.h"
#include "io/text_writer.h"

namespace unisci {

// What a form writes around and between the cells of its rows.
struct ExportForm {
  std::string_view opening;       // before the first row
  bool numbered;                  // each row begins with its number, from 1
  std::string_view row_opening;   // after the number, if any
  std::string_view column_break;  // in place of each cutting space
  std::string_view row_closing;   // after the line's own newline
  std::string_view closing;       // after the last row
  bool escape_markup;             // write & < > as character references
  bool declares_charset;          // a head line naming the charset follows
                                  // the opening's first line
  // Writes the row of a merged line handed in two pieces, numbered
  // `row_number`; `joined` is room for the line in one piece.
  void (*write_row)(TextWriter& out, std::string_view head, std::string_view tail,
                    std::int64_t row_number, std::string& joined);
};

// "calendario.xls": tab-separated columns, numbered rows, no heading.
extern const ExportForm kSpreadsheet;
// "calendario.html": a page with one table and a heading row.
extern const ExportForm kWebPage;

// Turns the merged calendar into the rows of a table: one row per line, up
// to and including the last match line. Empty lines between match lines are
// rows too; empty lines after the last match line are not.
class TableExport : public LineSink {
 public:
  // Writes the form's opening to `table`; a page declares `charset`.
  TableExport(TextWriter& table, const ExportForm& form, Encoding charset);

  void match_line(const MergedLine& line) override;
  void empty_line() override { ++empty_lines_waiting_; }
  // Writes the form's closing and closes the table. Throws FileError.
  void close() override;

 private:
  void write_row(std::string_view head, std::string_view tail);

  TextWriter& table_;
  const ExportForm& form_;
  std::string joined_;  // a line written in two pieces, joined
  std::int64_t empty_lines_waiting_ = 0;
  std::int64_t row_number_ = 0;
};

}  // namespace unisci
