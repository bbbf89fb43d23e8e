// Fuzzes the exports: the fuzzer's bytes as a merged text, handed to both
// table forms line by line, each line in two pieces, through a writer of
// small, chosen sizes; and the same lines, as a calendar's, to the
// iCalendar form.
//
// Input: one byte of options, then the merged text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calendar/match_line.h"
#include "export/export.h"
#include "export/icalendar.h"
#include "fuzz/reference.h"
#include "io/text_writer.h"
#include "io/utf8_validator.h"
#include "testing/memory_files.h"
#include "testing/merged_lines.h"

namespace {

using namespace unisci;
using namespace unisci::fuzzing;

constexpr std::size_t kSizes[8] = {1, 2, 3, 5, 16, 64, 4096, 1 << 18};

std::string exported(std::string_view merged, std::size_t split, std::size_t block,
                     const ExportForm& form) {
  std::string text;
  testing::StringSink sink(text);
  TextWriter table(sink, block);
  TableExport table_export(table, form, Encoding::Utf8);
  testing::hand_lines(merged, table_export, split);
  table_export.close();
  return text;
}

// The iCalendar file of the lines as those of a calendar in an unknown
// encoding, with `year_digits`: one event or one warning per match line, in
// lines of at most 75 octets ended by CR LF, all of it UTF-8.
void check_icalendar(const std::vector<std::string>& lines, int year_digits, std::size_t block) {
  std::string text;
  testing::StringSink sink(text);
  TextWriter out(sink, block);
  std::int64_t warnings = 0;
  ICalendarSettings settings;
  settings.files = {"-"};
  settings.encodings = {Encoding::Unknown};
  settings.duration_minutes = 120;
  settings.bad_date = [&warnings](const LineOrigin&) { ++warnings; };
  ICalendarExport ics(out, std::move(settings));
  std::ptrdiff_t offset = 0;
  std::int64_t match_lines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (!is_match_line(line)) continue;
    offset = number_offset(line, offset);
    WrittenPieces written = without_century(line, offset, year_digits);
    ics.match_line({written.head,
                    written.tail,
                    {0, static_cast<std::int64_t>(i + 1), line, {offset, year_digits}}});
    ++match_lines;
  }
  ics.close();
  Utf8Validator utf8;
  require(utf8.add(text) && utf8.complete(), "the iCalendar file is UTF-8");
  std::size_t events = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find("\r\n", at);
    require(end != text.npos, "every line of the iCalendar file ends with CR LF");
    require(end - at <= 75, "no line of the iCalendar file is longer than 75 octets");
    events += text.compare(at, end - at, "BEGIN:VEVENT") == 0 ? 1 : 0;
    at = end + 2;
  }
  require(static_cast<std::int64_t>(events) + warnings == match_lines,
          "each match line is an event or a warning");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const unsigned options = data[0];
  std::string_view merged(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::size_t split = kSizes[options & 7];
  std::size_t block = kSizes[((options >> 3) & 3) * 2 + 1];
  std::vector<std::string> lines = lines_of(merged, false);
  long long match_count = std::count_if(lines.begin(), lines.end(),
                                        [](const std::string& line) { return !line.empty(); });

  std::vector<std::string> rows = export_rows(merged, match_count);
  std::size_t last = lines.size();
  while (last > 0 && lines[last - 1].empty()) --last;
  require(rows.size() == last, "one row per merged line up to the last match");

  std::string xls = exported(merged, split, block, kSpreadsheet);
  require(xls == spreadsheet_of(rows), "the spreadsheet holds the rows of the merged text");

  std::string page = exported(merged, split, block, kWebPage);
  std::vector<std::vector<std::string>> cells = page_cells(page);
  require(cells.size() == rows.size(), "the web page has one row per exported line");
  for (std::size_t m = 0; m < rows.size(); ++m)
    require(cells[m] == cells_of(rows[m]), "each web page row shows its line's cells");
  require(page == page_of(rows), "the web page is the one the export rules give");
  check_icalendar(lines, (options & 0x40) != 0 ? 4 : 2, block);
  return 0;
}
