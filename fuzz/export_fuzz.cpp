// Fuzzes the exports: the fuzzer's bytes as a merged text, handed to both
// table forms line by line, each line in two pieces, through a writer of
// small, chosen sizes.
//
// Input: one byte of options, then the merged text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "export/export.h"
#include "fuzz/reference.h"
#include "io/text_writer.h"
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
  TableExport table_export(table, form, Charset::Utf8);
  testing::hand_lines(merged, table_export, split);
  table_export.close();
  return text;
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
  return 0;
}
