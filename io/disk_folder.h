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
// target's permission bits, owner and group, and renamed over the target at
// commit. Where a rename cannot keep what the user had (the target is a
// symbolic link, has several hard links or belongs to another user) or no new
// file may be made beside it, the output is written to a temporary file in
// the system's temporary folder and copied over the target at commit, with
// signals held; without such a file the output is refused. A device or a
// pipe is written directly. Whatever is not a regular file when the output is
// put in place (a folder made there meanwhile) is left as it is, and the
// commit fails.
class DiskFolder : public Folder {
 public:
  std::unique_ptr<ByteSource> open(const std::string& name) override;
  std::unique_ptr<Output> create(const std::string& name) override;
  std::optional<FileIdentity> identity(const std::string& name) override;
};

}  // namespace unisci
