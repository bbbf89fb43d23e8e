#include "export/export.h"

#include <algorithm>
#include <array>

#include "calendar/line_reader.h"

namespace unisci {

const ExportForm kSpreadsheet{
    "", true, "\t", "\t", "", "", false,
};

const ExportForm kWebPage{
    "<HTML>\n<BODY>\n<TABLE border=1 bgcolor=#80ff80>\n"
    "<TR><TD><b>N</b></TD><TD align=center><b>DATA</b></TD>"
    "<TD align=center><b>ORARIO</b></TD><TD align=center><b>LUOGO</b></TD>"
    "<TD align=center><b>PARTITA</b></TD></TR>",
    false,
    "<TR bgcolor=#c0ffff>\n\t<TD>",
    "</TD>\n\t<TD>",
    "\t</TD>\n</TR>\n",
    "\n</TABLE>\n</BODY>\n</HTML>",
    true,
};

std::size_t cut_cells(std::string_view riga, Cells& cells) {
  auto at = [&](std::size_t i) { return i < riga.size() ? riga[i] : '\0'; };
  std::size_t n = 0;
  if (at(0) != 'G' && at(1) != 'i' && at(2) != 'o') {
    for (std::size_t space; n < cells.size() - 1 && (space = riga.find(' ')) != riga.npos; ++n) {
      cells[n] = riga.substr(0, space);
      riga.remove_prefix(space + 1);
    }
  }
  cells[n] = riga;
  return n + 1;
}

namespace {

// The first of '&', '<' and '>' in `text`, or npos. One pass over the text:
// find_first_of would search the three characters for every byte.
std::size_t find_markup(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '&' || c == '<' || c == '>') return i;
  }
  return text.npos;
}

// Whether the line holds a character to escape. Most lines hold none, and
// three searches with memchr tell that faster than a loop over the line.
bool has_markup(std::string_view riga) {
  for (char c : {'&', '<', '>'})
    if (riga.find(c) != riga.npos) return true;
  return false;
}

void write_escaped(TextWriter& out, std::string_view text) {
  for (std::size_t special; (special = find_markup(text)) != text.npos;) {
    out.write(text.substr(0, special));
    switch (text[special]) {
      case '&': out.write("&amp;"); break;
      case '<': out.write("&lt;"); break;
      default: out.write("&gt;"); break;
    }
    text.remove_prefix(special + 1);
  }
  out.write(text);
}

// The row number as decimal text, counted up in place: cheaper than
// converting the number for every row.
class RowNumber {
 public:
  // The next number, 1 the first time.
  std::string_view next() {
    std::size_t i = digits_.size();
    while (i > first_ && digits_[i - 1] == '9') digits_[--i] = '0';
    if (i == first_)
      digits_[--first_] = '1';
    else
      ++digits_[i - 1];
    return {digits_.data() + first_, digits_.size() - first_};
  }

 private:
  std::array<char, 24> digits_{};  // more digits than any count of rows
  std::size_t first_ = digits_.size();
};

// Copies `text` to `to`; returns the end of the copy.
char* append(char* to, std::string_view text) {
  return std::copy(text.begin(), text.end(), to);
}

// Assembles the row of a line with nothing to escape right in the writer's
// block: one bounds check for the row and no copy in between, where writing
// the parts one by one costs a check each. False, with nothing written, if the
// row is longer than a block.
bool write_plain_row(TextWriter& out, std::string_view riga, const Cells& cells, std::size_t n,
                     std::string_view number, const ExportForm& form) {
  std::size_t most = number.size() + form.row_opening.size() + riga.size() +
                     (n - 1) * form.column_break.size() + 1 + form.row_closing.size();
  char* row = out.reserve(most);
  if (row == nullptr) return false;
  char* end = append(append(row, number), form.row_opening);
  if (form.column_break.size() == 1) {
    // The cells stand in the line one space apart: the line is copied at
    // once and the break put in place of those spaces.
    char* line = end;
    end = append(end, riga);
    for (std::size_t i = 1; i < n; ++i)
      line[cells[i].data() - riga.data() - 1] = form.column_break[0];
  } else {
    for (std::size_t i = 0; i < n; ++i)
      end = append(i > 0 ? append(end, form.column_break) : end, cells[i]);
  }
  *end++ = '\n';
  end = append(end, form.row_closing);
  out.commit(static_cast<std::size_t>(end - row));
  return true;
}

void write_row(TextWriter& out, std::string_view riga, RowNumber& number, const ExportForm& form) {
  std::string_view digits = form.numbered ? number.next() : std::string_view{};
  Cells cells;
  std::size_t n = cut_cells(riga, cells);
  bool escape = form.escape_markup && has_markup(riga);
  if (!escape && write_plain_row(out, riga, cells, n, digits, form)) return;
  // A row with markup to escape, or longer than a block, goes part by part.
  out.write(digits);
  out.write(form.row_opening);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) out.write(form.column_break);
    if (escape)
      write_escaped(out, cells[i]);
    else
      out.write(cells[i]);
  }
  out.put('\n');
  out.write(form.row_closing);
}

}  // namespace

void esporta(ByteSource& read3, TextWriter& write2, std::int64_t righe, const ExportForm& form) {
  LineReader reader(read3, false);
  write2.write(form.opening);
  std::string_view riga;
  RowNumber number;
  for (std::int64_t m = 0; m < righe && reader.next(riga); ++m) {
    if (riga.empty()) ++righe;
    write_row(write2, riga, number, form);
  }
  write2.write(form.closing);
}

}  // namespace unisci
