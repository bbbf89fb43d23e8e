// Fuzzes the merge and the drain: two calendars, in any encoding, and their
// year widths from the fuzzer's bytes, merged in memory through readers and
// a writer of small, chosen block sizes so that every buffer boundary is met.
//
// Input: one byte of options, one byte of sizes, then calendar 1, a NUL byte
// and calendar 2.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calendar/input_calendar.h"
#include "calendar/merge.h"
#include "export/merged_text.h"
#include "fuzz/reference.h"
#include "io/text_writer.h"
#include "testing/memory_files.h"

namespace {

using namespace unisci;
using namespace unisci::fuzzing;

constexpr std::size_t kSizes[8] = {1, 2, 3, 5, 16, 64, 4096, LineReader::kBlock};

std::vector<std::string> written_lines(const std::vector<fuzzing::MatchLine>& lines) {
  std::vector<std::string> written;
  for (const fuzzing::MatchLine& l : lines) written.push_back(l.written);
  return written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned options = data[0];
  const unsigned sizes = data[1];
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  std::size_t nul = rest.find('\0');
  std::string_view text1 = rest.substr(0, nul);
  std::string_view text2 = nul == rest.npos ? std::string_view() : rest.substr(nul + 1);
  const int year_digits1 = (options & 1) != 0 ? 4 : 2;
  const int year_digits2 = (options & 2) != 0 ? 4 : 2;

  testing::StringSource source1(text1, kSizes[sizes & 7]);
  testing::StringSource source2(text2, kSizes[(sizes >> 3) & 7]);
  std::string merged;
  testing::StringSink sink(merged);
  TextWriter out(sink, kSizes[(sizes >> 6) * 2 + 1]);
  MergedTextFile merged_text(out);
  std::int64_t match_count = 0;
  bool binary = decoded(text2).find('\0') != std::string::npos;
  try {
    InputCalendar calendar1(source1, {0, year_digits1, 0, {}, {}}, kSizes[(options >> 2) & 7]);
    InputCalendar calendar2(source2, {1, year_digits2, 0, {}, {}}, kSizes[(options >> 5) & 7]);
    match_count = merge(calendar1, calendar2, merged_text);
  } catch (const FileError& e) {
    require(binary && e.action() == FileError::Action::NotText,
            "only a calendar that holds a NUL byte is refused");
    return 0;
  }
  require(!binary, "a calendar that holds a NUL byte is refused");
  merged_text.close();

  std::vector<fuzzing::MatchLine> in1 = match_lines(decoded(text1), year_digits1);
  std::vector<fuzzing::MatchLine> in2 = match_lines(decoded(text2), year_digits2);
  require(merged.empty() || merged.back() == '\n', "the merged text ends with a newline");
  std::vector<std::string> written;
  bool after_line = false;
  for (const std::string& line : lines_of(merged, false)) {
    require(!line.empty() || after_line, "an empty line only follows a match line");
    if (!line.empty()) written.push_back(line);
    after_line = !line.empty();
  }
  require(interleaves(written, written_lines(in1), written_lines(in2)),
          "every match line of each calendar is written once, in its own order, two-digit year");
  require(match_count == static_cast<std::int64_t>(written.size()),
          "the count is the number of match lines written");

  Merged expected = merge_of(in1, in2);
  require(merged == expected.text, "the merged text is the one the merge rules give");
  if (ordered(pointers(in1)) && ordered(pointers(in2)))
    require(ordered(expected.order), "ordered calendars give an ordered merged text");
  return 0;
}
