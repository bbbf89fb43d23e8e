// The UTF-8 check, fed in pieces of every size, so that characters and
// machine words are cut everywhere.
#include "io/utf8_validator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "calendar/survey.h"
#include "testing/memory_files.h"

namespace unisci::testing {
namespace {

TEST(Utf8Validator, EveryPieceSize) {
  std::vector<std::string> valid{"", "1 07/09/08 Forl\xC3\xAC \xE2\x82\xAC \xF0\x9F\x98\x80",
                                 "\xED\x9F\xBF \xEE\x80\x80 \xF4\x8F\xBF\xBF \xEF\xBB\xBF"};
  // Latin-1; cut off; a lead byte without its continuation; overlong forms;
  // a surrogate; past U+10FFFF.
  std::vector<std::string> invalid{"1 07/09/08 Forl\xEC",
                                   "\x80",
                                   "\xC3",
                                   "\xE2\x82",
                                   "\xC3\xA8\xC3",
                                   "\xC3!",
                                   "\xE2\x82!",
                                   "\xC0\xAF",
                                   "\xE0\x9F\xBF",
                                   "\xF0\x8F\xBF\xBF",
                                   "\xED\xA0\x80",
                                   "\xF4\x90\x80\x80",
                                   "\xF5\x80\x80\x80",
                                   "\xFF"};
  // Characters in every place of a machine word, among ASCII: whatever the
  // word-at-a-time check lets through, the check by character must catch.
  for (std::size_t at = 0; at < 17; ++at) {
    auto among_ascii = [&](const char* bytes) {
      return std::string(at, 'a') + bytes + std::string(17 - at, 'b');
    };
    valid.push_back(among_ascii("\xC3\xA8"));
    for (const char* bytes : {"\xE8", "\xC0\x80", "\x80", "\xC3", "\xC3\xA8\xA8"})
      invalid.push_back(among_ascii(bytes));
  }
  for (bool expected : {true, false}) {
    for (const std::string& text : expected ? valid : invalid) {
      for (std::size_t piece : {1U, 2U, 3U, 5U, 9U, 1000U}) {
        SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(text) << ", piece " << piece);
        Utf8Validator validator;
        for (std::size_t from = 0; from < text.size(); from += piece)
          validator.add(std::string_view(text).substr(from, piece));
        EXPECT_EQ(validator.complete(), expected);
        StringSource source(text, piece);
        bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; });
        Survey found;
        survey(source, {}, found);
        EXPECT_EQ(found.encoding, !expected ? Encoding::Windows1252
                                  : ascii   ? Encoding::Ascii
                                            : Encoding::Utf8);
      }
    }
  }
}

}  // namespace
}  // namespace unisci::testing
