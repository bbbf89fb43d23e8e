// A sink that hands every byte written to two others.
#pragma once

#include <cstddef>

#include "io/files.h"

namespace unisci {

class TeeSink : public ByteSink {
 public:
  TeeSink(ByteSink& first, ByteSink& second) : first_(first), second_(second) {}

  void write(const char* buf, std::size_t n) override {
    first_.write(buf, n);
    second_.write(buf, n);
  }
  void close() override {
    first_.close();
    second_.close();
  }

 private:
  ByteSink& first_;
  ByteSink& second_;
};

}  // namespace unisci
