// The column rule and both table forms of a merged text.
#include "export/export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/memory_files.h"
#include "testing/merged_lines.h"
#include "testing/sample_calendars.h"

namespace unisci::testing {
namespace {

TEST(CutCells, AtTheFirstFourSpaces) {
  struct Case {
    std::string line;
    std::vector<std::string> cells;
  };
  const std::vector<Case> cases{
      {"12 14/09/08 15:00 Roma Alfa - Beta", {"12", "14/09/08", "15:00", "Roma", "Alfa - Beta"}},
      {"12 14/09/08 15:00 Roma AlfaBeta", {"12", "14/09/08", "15:00", "Roma", "AlfaBeta"}},
      {"12 14/09/08 15:00", {"12", "14/09/08", "15:00"}},
      {"12 14/09/08", {"12", "14/09/08"}},
      {"12", {"12"}},
      {"", {""}},
      {"1 ", {"1", ""}},
      {"1  2", {"1", "", "2"}},
      {"    ", {"", "", "", "", ""}},
      {"     ", {"", "", "", "", " "}},
      {"1 2 3 4 5 6 7", {"1", "2", "3", "4", "5 6 7"}},
      {"1\t2 3", {"1\t2", "3"}},
      // Lines that are not cut at all.
      {"1 o 14/09/08 15:00 Roma A", {"1 o 14/09/08 15:00 Roma A"}},
      {"Giornata 1", {"Giornata 1"}},
      {"Gx y", {"Gx y"}},
      {"1i 2 3", {"1i 2 3"}},
      // Only the third character, not a later one.
      {"12 o 3", {"12", "o", "3"}},
      {"1 O 3", {"1", "O", "3"}},
  };
  for (const Case& c : cases) {
    Cells cells;
    std::size_t n = cut_cells(c.line, cells);
    EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + static_cast<long>(n)),
              c.cells)
        << '"' << c.line << '"';
  }
}

// Exports a merged text through a writer of `size` bytes, each match line
// handed in two pieces cut at `size` bytes too.
std::string exported(const std::string& merged, const ExportForm& form,
                     std::size_t size = 1 << 20) {
  std::string text;
  StringSink sink(text);
  TextWriter table(sink, size);
  TableExport table_export(table, form, Encoding::Utf8);
  hand_lines(merged, table_export, size);
  table_export.close();
  return text;
}

// A web page row of the given cells; the last cell ends with the line's newline.
std::string page_row(const std::vector<std::string>& cells) {
  std::string row = kRowOpening;
  for (std::size_t i = 0; i < cells.size(); ++i) row += (i > 0 ? kCellBreak : "") + cells[i];
  return row + kRowClosing;
}

TEST(ExportTable, WorkedExampleSpreadsheet) {
  for (std::size_t size : {1U, 2U, 3U, 1U << 20}) {
    EXPECT_EQ(exported(kExampleMerged, kSpreadsheet, size), kExampleTable) << "size " << size;
  }
}

TEST(ExportTable, WorkedExampleWebPage) {
  for (std::size_t size : {1U, 2U, 3U, 1U << 20}) {
    EXPECT_EQ(exported(kExampleMerged, kWebPage, size), kExamplePage) << "size " << size;
  }
}

// Which lines of a merged text become rows, in the spreadsheet form.
TEST(ExportTable, RowsOfTheMergedText) {
  struct Case {
    const char* name;
    std::string merged;
    std::string table;
  };
  const std::vector<Case> cases{
      {"one match line", "12 14/09/08 15:00 Roma Alfa - Beta\n",
       "1\t12\t14/09/08\t15:00\tRoma\tAlfa - Beta\n"},
      {"an empty line between two matches", "1 a\n\n2 b\n", "1\t1\ta\n2\t\n3\t2\tb\n"},
      {"several empty lines", "1 a\n\n2 b\n\n\n3 c\n",
       "1\t1\ta\n2\t\n3\t2\tb\n4\t\n5\t\n6\t3\tc\n"},
      {"empty lines after the last match are not exported", "1 a\n2 b\n\n\n", "1\t1\ta\n2\t2\tb\n"},
      {"text without final newline", "1 a\n2 b", "1\t1\ta\n2\t2\tb\n"},
      {"no match at all", "", ""},
      {"fewer than five cells", "1 14/09/08 15:00 Roma\n", "1\t1\t14/09/08\t15:00\tRoma\n"},
      {"more than four spaces", "1 14/09/08 15:00 Roma Alfa  -  Beta \n",
       "1\t1\t14/09/08\t15:00\tRoma\tAlfa  -  Beta \n"},
      {"third character o", "1 o 14/09/08 15:00 Roma\n", "1\t1 o 14/09/08 15:00 Roma\n"},
      {"carriage return kept", "1 a\rb c\r\n", "1\t1\ta\rb\tc\r\n"},
      {"markup written as it is", "1 <b>&amp;</b>\n", "1\t1\t<b>&amp;</b>\n"},
  };
  for (const Case& c : cases) {
    for (std::size_t size : {1U, 3U, 1U << 20}) {
      EXPECT_EQ(exported(c.merged, kSpreadsheet, size), c.table) << c.name << ", size " << size;
    }
  }
}

TEST(ExportTable, WebPageRows) {
  EXPECT_EQ(exported("", kWebPage), kPageOpening + kPageClosing);
  EXPECT_EQ(
      exported("1 a\n\n2 b\n\n", kWebPage),
      kPageOpening + page_row({"1", "a"}) + page_row({""}) + page_row({"2", "b"}) + kPageClosing);
  EXPECT_EQ(exported("1 o 14/09/08 15:00\n", kWebPage),
            kPageOpening + page_row({"1 o 14/09/08 15:00"}) + kPageClosing);
}

TEST(ExportTable, WebPageEscapesMarkupInCellsOnly) {
  EXPECT_EQ(exported("12 14/09/08 15:00 Roma&Lazio <script>alert('x')</script> & >>\n", kWebPage),
            kPageOpening +
                page_row({"12", "14/09/08", "15:00", "Roma&amp;Lazio",
                          "&lt;script&gt;alert('x')&lt;/script&gt; &amp; &gt;&gt;"}) +
                kPageClosing);
  EXPECT_EQ(exported("1 &amp; \"q\" \xE8\n", kWebPage),
            kPageOpening + page_row({"1", "&amp;amp;", "\"q\"", "\xE8"}) + kPageClosing);
}

}  // namespace
}  // namespace unisci::testing
