// A sink whose bytes another thread hands on, so that the work of the sink
// behind it overlaps with the work of the thread that writes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "io/files.h"

namespace unisci {

class BackgroundSink : public ByteSink {
 public:
  static constexpr std::size_t kBlock = std::size_t{256} * 1024;
  static constexpr std::size_t kBlocks = 4;  // in flight at most: the memory it takes

  // Starts the thread that writes to `target`.
  explicit BackgroundSink(ByteSink& target);
  // Stops the thread; a sink dropped before close() does not close `target`.
  ~BackgroundSink() override;
  BackgroundSink(const BackgroundSink&) = delete;
  BackgroundSink& operator=(const BackgroundSink&) = delete;

  // Queues a copy of the bytes, waiting for room. Throws what the thread met.
  void write(const char* buf, std::size_t n) override;
  // Waits until the thread has written everything and closed `target`.
  // Throws what the thread met.
  void close() override;

 private:
  void hand_on();
  void stop();
  void rethrow_failure();

  ByteSink& target_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<char>> queued_;  // full blocks, oldest first
  std::vector<std::vector<char>> free_;   // emptied blocks, for reuse
  std::size_t blocks_ = 0;                // blocks made so far
  bool ending_ = false;                   // no more bytes come; close the target
  bool abandoned_ = false;                // no more bytes come; leave the target
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace unisci
