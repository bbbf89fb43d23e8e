// The real working folder of the process.
#pragma once

#include <memory>
#include <string>

#include "io/files.h"

namespace unisci {

// Calendars are read and outputs written in binary mode: line ends are the
// line reader's business, and every output uses LF on every platform.
//
// An output is written to a hidden temporary file beside its target, with the
// target's permission bits, and renamed over the target at commit. Where a
// rename cannot keep what the user had (the target is a symbolic link, has
// several hard links or belongs to another user), the output is written to
// the target itself, which is emptied at the first write.
class DiskFolder : public Folder {
 public:
  std::unique_ptr<ByteSource> open(const std::string& name) override;
  std::unique_ptr<Output> create(const std::string& name) override;
  std::optional<FileIdentity> identity(const std::string& name) override;
};

}  // namespace unisci
