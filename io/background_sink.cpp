#include "io/background_sink.h"

#include <algorithm>

namespace unisci {

BackgroundSink::BackgroundSink(ByteSink& target)
    : target_(target), thread_([this] { hand_on(); }) {}

BackgroundSink::~BackgroundSink() {
  stop();
}

void BackgroundSink::write(const char* buf, std::size_t n) {
  while (n > 0) {
    std::vector<char> block;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return failure_ || !free_.empty() || blocks_ < kBlocks; });
      rethrow_failure();
      if (!free_.empty()) {
        block = std::move(free_.back());
        free_.pop_back();
      } else {
        ++blocks_;
      }
    }
    std::size_t piece = std::min(n, kBlock);
    block.assign(buf, buf + piece);
    buf += piece;
    n -= piece;
    {
      std::lock_guard lock(mutex_);
      queued_.push_back(std::move(block));
    }
    changed_.notify_all();
  }
}

void BackgroundSink::close() {
  if (!thread_.joinable()) return rethrow_failure();
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
  rethrow_failure();
}

void BackgroundSink::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

// Called with the mutex held, or once the thread has ended.
void BackgroundSink::rethrow_failure() {
  if (failure_) std::rethrow_exception(failure_);
}

// The thread: writes the queued blocks in order, then closes the target.
void BackgroundSink::hand_on() {
  try {
    for (;;) {
      std::vector<char> block;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return abandoned_ || ending_ || !queued_.empty(); });
        if (abandoned_) return;
        if (queued_.empty()) break;  // ending, with everything written
        block = std::move(queued_.front());
        queued_.pop_front();
      }
      target_.write(block.data(), block.size());
      {
        std::lock_guard lock(mutex_);
        free_.push_back(std::move(block));
      }
      changed_.notify_all();
    }
    target_.close();
  } catch (...) {
    std::lock_guard lock(mutex_);
    failure_ = std::current_exception();
  }
  changed_.notify_all();
}

}  // namespace unisci
