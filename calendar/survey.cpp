#include "calendar/survey.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "calendar/match_line.h"
#include "io/line_reader.h"
#include "io/text_decoder.h"
#include "io/utf8_validator.h"

namespace unisci {

namespace {

// Hands on the bytes of a text and tells, on the way, whether they are UTF-8
// and whether they are ASCII.
class EncodingTap : public ByteSource {
 public:
  explicit EncodingTap(ByteSource& text) : text_(text) {}

  std::size_t read(char* buf, std::size_t n) override {
    std::size_t got = text_.read(buf, n);
    if (valid_ && got > 0) {
      valid_ = validator_.add({buf, got});
      ascii_ = ascii_ && std::all_of(buf, buf + got,
                                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    }
    return got;
  }
  const std::string& name() const override { return text_.name(); }

  // Whether the encoding is known before the end: the text is no UTF-8.
  bool decided() const { return !valid_; }
  // The encoding, once the text has been read to its end or decided.
  Encoding encoding() const {
    if (!valid_ || !validator_.complete()) return Encoding::Windows1252;
    return ascii_ ? Encoding::Ascii : Encoding::Utf8;
  }

 private:
  ByteSource& text_;
  Utf8Validator validator_;
  bool valid_ = true;
  bool ascii_ = true;
};

// Keeps every byte read from a source.
class Recorder : public ByteSource {
 public:
  explicit Recorder(ByteSource& source) : source_(source) {}
  std::size_t read(char* buf, std::size_t n) override {
    std::size_t got = source_.read(buf, n);
    bytes_.append(buf, got);
    return got;
  }
  const std::string& name() const override { return source_.name(); }
  std::string take() { return std::move(bytes_); }

 private:
  ByteSource& source_;
  std::string bytes_;
};

// The bytes a survey read from a source that cannot go back, then the rest.
class Replay : public ByteSource {
 public:
  Replay(std::string bytes, ByteSource& rest) : bytes_(std::move(bytes)), rest_(rest) {}
  std::size_t read(char* buf, std::size_t n) override {
    if (at_ == bytes_.size()) return rest_.read(buf, n);
    std::size_t got = bytes_.copy(buf, n, at_);
    at_ += got;
    if (at_ == bytes_.size()) std::string().swap(bytes_), at_ = 0;
    return got;
  }
  const std::string& name() const override { return rest_.name(); }
  std::optional<FileIdentity> identity() const override { return rest_.identity(); }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
  ByteSource& rest_;
};

// The width the first line that shows one shows, 2 if none; reads `reader`
// as far as that line.
int find_year_digits(LineReader& reader) {
  for (std::string_view line; reader.next(line);)
    if (int digits = year_digits_of(line); digits != 0) return digits;
  return 2;
}

}  // namespace

std::unique_ptr<ByteSource> survey(ByteSource& source, const SurveyNeeds& needs, Survey& result) {
  if (!source.rewind()) {
    result.encoding = Encoding::Unknown;
    if (!needs.year_digits) return nullptr;
    Recorder recorder(source);
    TextDecoder text(recorder);
    LineReader reader(text);
    result.year_digits = find_year_digits(reader);
    return std::make_unique<Replay>(recorder.take(), source);
  }
  TextDecoder text(source);
  EncodingTap tap(text);
  LineReader reader(tap);
  bool width_wanted = needs.year_digits;
  result.year_digits = width_wanted ? 2 : 0;
  for (std::string_view line; (width_wanted || needs.match_line) && reader.next(line);) {
    if (!is_match_line(line)) continue;
    if (width_wanted && (result.year_digits = year_digits_of(line)) != 0) width_wanted = false;
    if (needs.match_line) needs.match_line(line);
  }
  if (width_wanted) result.year_digits = 2;
  // The rest of the text only for its encoding, in blocks.
  std::vector<char> block;
  while (!tap.decided()) {
    block.resize(LineReader::kBlock);
    if (tap.read(block.data(), block.size()) == 0) break;
  }
  result.encoding = tap.encoding();
  if (!source.rewind()) throw FileError(FileError::Action::Read, source.name(), EIO);
  return nullptr;
}

}  // namespace unisci
