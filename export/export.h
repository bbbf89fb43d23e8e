// The spreadsheet and web page forms of a merged calendar: one table row per
// line of the merged text, each match line cut into five cells.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "calendar/files.h"
#include "calendar/text_writer.h"

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
};

// "calendario.xls": tab-separated columns, numbered rows, no heading.
extern const ExportForm kSpreadsheet;
// "calendario.html": a page with one table and a heading row.
extern const ExportForm kWebPage;

using Cells = std::array<std::string_view, 5>;

// The column rule: cuts a merged line at its first four spaces into at most
// five cells: match number, date, time, place and the match with its spaces.
// A line whose first character is 'G', second 'i' or third 'o' is not cut.
// Returns the number of cells.
std::size_t cut_cells(std::string_view riga, Cells& cells);

// Writes one row per line of the merged text until `righe` match lines have
// been exported or the text ends. Empty lines become rows too, but do not count
// against `righe`, so an empty line after the last match line is left out.
void esporta(ByteSource& read3, TextWriter& write2, std::int64_t righe, const ExportForm& form);

}  // namespace unisci
