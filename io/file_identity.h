// Which file a name or a descriptor leads to, on this system.
#pragma once

#include <optional>
#include <string>

#include "io/files.h"

namespace unisci {

// The identity of the open file `descriptor`; nothing if the system cannot
// tell it (a console on Windows, a closed descriptor).
std::optional<FileIdentity> identity_of_descriptor(int descriptor);

// The identity of the file that `name` leads to, links followed; nothing if
// there is none.
std::optional<FileIdentity> identity_of_name(const std::string& name);

}  // namespace unisci
