#include "export/export.h"

#include <charconv>
#include <cstring>

namespace unisci {

namespace {

// What `form` writes before its first row: its opening and, for a form that
// declares its character set, the head line that names `charset` as the
// second line. `charset` means nothing to other forms.
std::string table_opening(const ExportForm& form, Encoding charset) {
  std::string text(form.opening);
  if (form.declares_charset) {
    std::string head = "<HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=";
    head += charset == Encoding::Utf8 ? "utf-8" : "windows-1252";
    head += "\"></HEAD>\n";
    text.insert(text.find('\n') + 1, head);
  }
  return text;
}

// What a page writes around and between the cells of a row; known here at
// compile time, so that the page's row writer copies them inline.
constexpr std::string_view kPageRowOpening = "<TR bgcolor=#c0ffff>\n\t<TD>";
constexpr std::string_view kPageColumnBreak = "</TD>\n\t<TD>";
constexpr std::string_view kPageRowClosing = "\t</TD>\n</TR>\n";

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
bool has_markup(std::string_view line) {
  for (char c : {'&', '<', '>'})
    if (line.find(c) != line.npos) return true;
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

// Copies `text` to `to`, as memcpy does, for any view; returns the end.
char* copy(char* to, std::string_view text) {
  if (!text.empty()) std::memcpy(to, text.data(), text.size());
  return to + text.size();
}

// Copies one of the page's fixed texts, whose size the compiler knows.
template <const std::string_view& kText>
char* append_fixed(char* to) {
  std::memcpy(to, kText.data(), kText.size());
  return to + kText.size();
}

// Assembles a spreadsheet row right in the writer's block, from the two
// pieces of a merged line: the number, a tab, the line copied at once, and a
// tab put in place of each cutting space. One bounds check for the row, and
// the line is never joined or cut into cells first. False, with nothing
// written, if the row is longer than a block.
bool write_spreadsheet_row(TextWriter& out, std::string_view head, std::string_view tail,
                           std::int64_t row_number) {
  constexpr std::size_t kLongestNumber = 20;
  char* row = out.reserve(kLongestNumber + 1 + head.size() + tail.size() + 1);
  if (row == nullptr) return false;
  char* to = std::to_chars(row, row + kLongestNumber, row_number).ptr;
  *to++ = '\t';
  char* line = to;
  to = copy(copy(to, head), tail);
  CuttingSpaces at{};
  std::size_t n = cutting_spaces({line, static_cast<std::size_t>(to - line)}, at);
  for (std::size_t i = 0; i < n; ++i) line[at[i]] = '\t';
  *to++ = '\n';
  out.commit(static_cast<std::size_t>(to - row));
  return true;
}

// Assembles a page row of a line without markup right in the writer's block:
// the cells copied between the fixed texts, which are copied inline. False,
// with nothing written, if the row is longer than a block.
bool write_page_row(TextWriter& out, std::string_view line) {
  CuttingSpaces at{};
  std::size_t n = cutting_spaces(line, at);
  char* row = out.reserve(kPageRowOpening.size() + line.size() + n * kPageColumnBreak.size() + 1 +
                          kPageRowClosing.size());
  if (row == nullptr) return false;
  char* to = append_fixed<kPageRowOpening>(row);
  std::size_t from = 0;
  for (std::size_t i = 0; i < n; ++i) {
    to = append_fixed<kPageColumnBreak>(copy(to, line.substr(from, at[i] - from)));
    from = at[i] + 1;
  }
  to = copy(to, line.substr(from));
  *to++ = '\n';
  to = append_fixed<kPageRowClosing>(to);
  out.commit(static_cast<std::size_t>(to - row));
  return true;
}

// Writes the row of `line` numbered `row_number` (if the form numbers them),
// piece by piece through the writer: for rows too long to be assembled in the
// writer's block, and for page rows with markup to escape.
void write_row_in_pieces(TextWriter& out, std::string_view line, std::int64_t row_number,
                         const ExportForm& form) {
  std::string digits = form.numbered ? std::to_string(row_number) : "";
  Cells cells;
  std::size_t n = cut_cells(line, cells);
  bool escape = form.escape_markup && has_markup(line);
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

// The line of two pieces in one.
std::string_view joined_line(std::string_view head, std::string_view tail, std::string& joined) {
  return tail.empty() ? head : std::string_view(joined.assign(head).append(tail));
}

// A spreadsheet row is assembled in the writer's block in one piece; this
// saves about half of the form's processor time on two calendars of 500,000
// lines.
void spreadsheet_row(TextWriter& out, std::string_view head, std::string_view tail,
                     std::int64_t row_number, std::string& joined) {
  if (!write_spreadsheet_row(out, head, tail, row_number))
    write_row_in_pieces(out, joined_line(head, tail, joined), row_number, kSpreadsheet);
}

// So is a page row without markup.
void page_row(TextWriter& out, std::string_view head, std::string_view tail,
              std::int64_t row_number, std::string& joined) {
  std::string_view line = joined_line(head, tail, joined);
  if (has_markup(line) || !write_page_row(out, line))
    write_row_in_pieces(out, line, row_number, kWebPage);
}

}  // namespace

const ExportForm kSpreadsheet{
    "", true, "\t", "\t", "", "", false, false, spreadsheet_row,
};

const ExportForm kWebPage{
    "<HTML>\n<BODY>\n<TABLE border=1 bgcolor=#80ff80>\n"
    "<TR><TD><b>N</b></TD><TD align=center><b>DATA</b></TD>"
    "<TD align=center><b>ORARIO</b></TD><TD align=center><b>LUOGO</b></TD>"
    "<TD align=center><b>PARTITA</b></TD></TR>",
    false,
    kPageRowOpening,
    kPageColumnBreak,
    kPageRowClosing,
    "\n</TABLE>\n</BODY>\n</HTML>",
    true,
    true,
    page_row,
};

TableExport::TableExport(TextWriter& table, const ExportForm& form, Encoding charset)
    : table_(table), form_(form) {
  table_.write(table_opening(form_, charset));
}

void TableExport::match_line(const MergedLine& line) {
  for (; empty_lines_waiting_ > 0; --empty_lines_waiting_) write_row({}, {});
  write_row(line.head, line.tail);
}

void TableExport::write_row(std::string_view head, std::string_view tail) {
  form_.write_row(table_, head, tail, ++row_number_, joined_);
}

void TableExport::close() {
  table_.write(form_.closing);
  table_.close();
}

}  // namespace unisci
