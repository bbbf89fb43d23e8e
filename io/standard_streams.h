// Standard input as a calendar and standard output as an output, for the
// command line.
#pragma once

#include <string>

#include "io/files.h"

namespace unisci {

// Standard input, read as it comes: a pipe or a terminal cannot be read
// twice. On Windows, read_standard_input_as_bytes() readies it first.
class StandardInput : public ByteSource {
 public:
  std::size_t read(char* buf, std::size_t n) override;
  const std::string& name() const override { return name_; }
  std::optional<FileIdentity> identity() const override;

 private:
  std::string name_ = "standard input";
};

// Whether standard output is a terminal.
bool standard_output_is_terminal();

// Standard output. `closed`: the program was started without it, so that
// writing to it must fail rather than go nowhere.
class StandardOutput : public ByteSink {
 public:
  explicit StandardOutput(bool closed) : closed_(closed) {}
  void write(const char* buf, std::size_t n) override;
  void close() override;
  std::optional<FileIdentity> identity() const override;

 private:
  bool closed_;
  std::string name_ = "sullo standard output";  // as messages name it
};

}  // namespace unisci
