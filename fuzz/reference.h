// Plain, slow models of the calendar rules, written apart from the program's
// own code, against which the fuzz targets check what the program produces.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "testing/sample_calendars.h"

namespace unisci::fuzzing {

// Stops the fuzzer with a message: a property of the output does not hold.
inline void require(bool ok, const char* property) {
  if (ok) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}

// The lines of a text without their newlines. With `drop_cr`, a carriage
// return that ends a line is dropped. A last line without a newline is a line.
inline std::vector<std::string> lines_of(std::string_view text, bool drop_cr) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (char c : text) {
    if (c != '\n') {
      line += c;
      open = true;
      continue;
    }
    if (drop_cr && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    line.clear();
    open = false;
  }
  if (open) {
    if (drop_cr && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A calendar's text as the program reads it: without a UTF-8 byte order
// mark, and UTF-16 with its mark as UTF-8, where a surrogate that is not half
// of a pair, and an odd last byte, stand for U+FFFD.
inline std::string decoded(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") return std::string(text.substr(3));
  bool little = text.substr(0, 2) == "\xFF\xFE";
  if (!little && text.substr(0, 2) != "\xFE\xFF") return std::string(text);
  std::vector<unsigned long> units;
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    unsigned long first = static_cast<unsigned char>(text[i]);
    unsigned long second = static_cast<unsigned char>(text[i + 1]);
    units.push_back(little ? first | second << 8 : first << 8 | second);
  }
  auto is_low = [](unsigned long u) { return 0xDC00 <= u && u < 0xE000; };
  std::vector<unsigned long> code_points;
  for (std::size_t k = 0; k < units.size(); ++k) {
    unsigned long u = units[k];
    if (0xD800 <= u && u < 0xDC00 && k + 1 < units.size() && is_low(units[k + 1]))
      code_points.push_back(0x10000 + ((u - 0xD800) << 10) + (units[++k] - 0xDC00));
    else
      code_points.push_back(0xD800 <= u && u < 0xE000 ? 0xFFFD : u);
  }
  if (text.size() % 2 == 1) code_points.push_back(0xFFFD);
  std::string utf8;
  for (unsigned long c : code_points) {
    int continuations = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    static const unsigned long kLead[4] = {0, 0xC0, 0xE0, 0xF0};
    utf8 += static_cast<char>(kLead[continuations] | c >> (6 * continuations));
    for (int k = continuations - 1; k >= 0; --k)
      utf8 += static_cast<char>(0x80 | (c >> (6 * k) & 0x3F));
  }
  return utf8;
}

inline bool digit(char c) {
  return '0' <= c && c <= '9';
}

// A match line of a calendar as the model sees it, with what the merge
// needs to know of it.
struct ModelLine {
  std::string text;     // as read, without its newline
  long offset;          // 3 minus the digits of the match number
  int year_offset;      // 0 for two-digit years, 2 for four
  std::string written;  // as it must appear in the merged text
};

// A calendar's text with the line ends the program reads: one whose first
// 256 KiB hold a CR and no LF ends its lines at every CR as well, which here
// becomes an LF unless one follows it.
inline std::string with_line_ends(std::string_view calendar) {
  std::string text(calendar);
  std::string_view head = calendar.substr(0, std::size_t{256} * 1024);
  if (head.find('\n') != head.npos || head.find('\r') == head.npos) return text;
  for (std::size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '\r' && text[i + 1] != '\n') text[i] = '\n';
  return text;
}

// The match lines of a calendar whose years have `year_digits` digits.
inline std::vector<ModelLine> match_lines(std::string_view calendar, int year_digits) {
  std::vector<ModelLine> found;
  long offset = 0;
  for (const std::string& line : lines_of(with_line_ends(calendar), true)) {
    if (line.size() < 2 || !digit(line[0]) || !(digit(line[1]) || line[1] == ' ')) continue;
    std::size_t digits = 0;
    while (digits < line.size() && digit(line[digits])) ++digits;
    if (line.size() > 3 && line[3] == ' ')
      offset = 0;
    else if (line.size() > 2 && line[2] == ' ')
      offset = 1;
    else if (line[1] == ' ')
      offset = 2;
    else if (digits >= 4 && digits < line.size() && line[digits] == ' ')
      offset = 3 - static_cast<long>(digits);
    std::string written = line;
    std::size_t century = static_cast<std::size_t>(10 - offset);
    if (year_digits == 4 && century < written.size()) written.erase(century, 2);
    found.push_back({line, offset, year_digits == 4 ? 2 : 0, written});
  }
  return found;
}

// Where two match lines first differ by date and time: the level (1 to 10,
// year to minute, 0 when they are equal) and which is earlier.
struct Verdict {
  int level = 0;
  int sign = 0;  // -1: the first line is earlier, 1: the second
};

inline int compared_char(const ModelLine& l, int level) {
  static const long kIndex[10] = {10, 11, 7, 8, 4, 5, 13, 14, 16, 17};
  static const bool kAfterYear[10] = {true,  true, false, false, false,
                                      false, true, true,  true,  true};
  long i = kIndex[level] - l.offset + (kAfterYear[level] ? l.year_offset : 0);
  long size = static_cast<long>(l.text.size());
  if (i < size) return static_cast<signed char>(l.text[static_cast<std::size_t>(i)]);
  return i == size ? '\n' : 0;
}

inline Verdict compare(const ModelLine& l1, const ModelLine& l2) {
  for (int level = 0; level < 10; ++level) {
    int c1 = compared_char(l1, level);
    int c2 = compared_char(l2, level);
    if (c1 != c2) return {level + 1, c1 < c2 ? -1 : 1};
  }
  return {};
}

// The merged text that two calendars must give, written step by step as the
// merge rules say, with the calendar (1 or 2) of each line written.
struct Merged {
  std::string text;
  std::vector<const ModelLine*> order;
  std::vector<int> from;
};

inline Merged merge_of(const std::vector<ModelLine>& in1, const std::vector<ModelLine>& in2) {
  Merged merged;
  auto put = [&](const ModelLine& l, int input) {
    merged.text += l.written + "\n";
    merged.order.push_back(&l);
    merged.from.push_back(input);
  };
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < in1.size() && j < in2.size()) {
    Verdict v = compare(in1[i], in2[j]);
    if (v.sign == 0) {
      put(in1[i++], 1);
      put(in2[j++], 2);
      merged.text += "\n";
    } else {
      if (v.sign < 0)
        put(in1[i++], 1);
      else
        put(in2[j++], 2);
      if (v.level <= 6) merged.text += "\n";
    }
  }
  while (i < in1.size()) put(in1[i++], 1);
  while (j < in2.size()) put(in2[j++], 2);
  return merged;
}

inline bool ordered(const std::vector<const ModelLine*>& lines) {
  for (std::size_t k = 1; k < lines.size(); ++k)
    if (compare(*lines[k - 1], *lines[k]).sign > 0) return false;
  return true;
}

inline std::vector<const ModelLine*> pointers(const std::vector<ModelLine>& lines) {
  std::vector<const ModelLine*> all;
  for (const ModelLine& l : lines) all.push_back(&l);
  return all;
}

// True if `lines` holds every line of `a` and of `b` exactly once, each in its
// own order: an interleaving of the two. Keeps every count of `a` lines taken
// that explains the lines seen so far, since equal lines may come from either.
inline bool interleaves(const std::vector<std::string>& lines, const std::vector<std::string>& a,
                        const std::vector<std::string>& b) {
  if (lines.size() != a.size() + b.size()) return false;
  std::vector<char> taken(a.size() + 1, 0);  // taken[i]: i lines of `a` used so far
  taken[0] = 1;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    std::vector<char> next(a.size() + 1, 0);
    bool any = false;
    for (std::size_t i = 0; i <= a.size() && i <= k; ++i) {
      if (!taken[i]) continue;
      std::size_t j = k - i;
      if (i < a.size() && lines[k] == a[i]) next[i + 1] = any = true;
      if (j < b.size() && lines[k] == b[j]) next[i] = any = true;
    }
    if (!any) return false;
    taken.swap(next);
  }
  return taken[a.size()] != 0;
}

// The rows of a merged text that the exports must write: every line up to the
// one that brings the non-empty lines to `match_count`.
inline std::vector<std::string> export_rows(std::string_view merged, long long match_count) {
  std::vector<std::string> rows;
  long long matches = 0;
  for (const std::string& line : lines_of(merged, false)) {
    if (matches >= match_count) break;
    rows.push_back(line);
    if (!line.empty()) ++matches;
  }
  return rows;
}

// A row cut at its first four spaces, unless it begins "G", "?i" or "??o".
inline std::vector<std::string> cells_of(const std::string& row) {
  bool cut = !(row.size() > 0 && row[0] == 'G') && !(row.size() > 1 && row[1] == 'i') &&
             !(row.size() > 2 && row[2] == 'o');
  std::vector<std::string> cells(1);
  for (char c : row) {
    if (cut && c == ' ' && cells.size() < 5)
      cells.emplace_back();
    else
      cells.back() += c;
  }
  return cells;
}

inline std::string spreadsheet_of(const std::vector<std::string>& rows) {
  std::string xls;
  for (std::size_t m = 0; m < rows.size(); ++m) {
    xls += std::to_string(m + 1);
    for (const std::string& cell : cells_of(rows[m])) xls += "\t" + cell;
    xls += "\n";
  }
  return xls;
}

using testing::kCellBreak;
using testing::kPageClosing;
using testing::kPageOpening;
using testing::kRowClosing;
using testing::kRowOpening;

// Reads the rows back out of a web page: the cells of each row, with the
// character references decoded. Fails if the page is not made of the fixed
// markup around cell text free of '<', '>' and bare '&'.
inline std::vector<std::vector<std::string>> page_cells(std::string_view page) {
  auto take = [&](const std::string& text) {
    if (page.substr(0, text.size()) != text) return false;
    page.remove_prefix(text.size());
    return true;
  };
  require(take(kPageOpening), "the page begins with its fixed opening");
  require(page.size() >= kPageClosing.size() &&
              page.substr(page.size() - kPageClosing.size()) == kPageClosing,
          "the page ends with its fixed closing");
  page.remove_suffix(kPageClosing.size());
  std::vector<std::vector<std::string>> rows;
  while (!page.empty()) {
    require(take(kRowOpening), "each row begins with the row opening");
    rows.emplace_back(1);
    for (;;) {
      std::size_t lt = page.find('<');
      require(lt != page.npos, "each cell is closed");
      std::string_view raw = page.substr(0, lt);
      page.remove_prefix(lt);
      std::string& cell = rows.back().back();
      for (std::size_t k = 0; k < raw.size(); ++k) {
        require(raw[k] != '>', "no raw '>' in a cell");
        if (raw[k] != '&') {
          cell += raw[k];
          continue;
        }
        std::string_view ref = raw.substr(k);
        if (ref.substr(0, 5) == "&amp;") {
          cell += '&';
          k += 4;
        } else if (ref.substr(0, 4) == "&lt;") {
          cell += '<';
          k += 3;
        } else {
          require(ref.substr(0, 4) == "&gt;", "no raw '&' in a cell");
          cell += '>';
          k += 3;
        }
      }
      if (take(kCellBreak)) {
        rows.back().emplace_back();
        continue;
      }
      require(cell.size() >= 2 && cell.substr(cell.size() - 2) == "\n\t",
              "the last cell ends with the line's newline");
      cell.resize(cell.size() - 2);
      require(take("</TD>\n</TR>\n"), "each row ends with the row closing");
      break;
    }
  }
  return rows;
}

// The page of `rows`, declaring `charset`.
inline std::string page_of(const std::vector<std::string>& rows,
                           const std::string& charset = "utf-8") {
  std::string page = kPageOpening;
  page.replace(page.find("utf-8"), 5, charset);
  for (const std::string& row : rows) {
    page += kRowOpening;
    std::vector<std::string> cells = cells_of(row);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) page += kCellBreak;
      for (char c : cells[i]) {
        if (c == '&')
          page += "&amp;";
        else if (c == '<')
          page += "&lt;";
        else if (c == '>')
          page += "&gt;";
        else
          page += c;
      }
    }
    page += kRowClosing;
  }
  return page + kPageClosing;
}

}  // namespace unisci::fuzzing
