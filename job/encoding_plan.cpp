#include "job/encoding_plan.h"

#include <cstddef>

namespace unisci {

EncodingPlan plan_encodings(const std::vector<Encoding>& calendars) {
  EncodingPlan plan;
  // The merged lines so far: what they are made of, as a merged text read
  // ahead would show, and which calendars' lines they hold in UTF-8.
  Encoding merged = calendars[0];
  std::vector<bool> in_utf8(calendars.size());
  for (std::size_t i = 0; i < calendars.size(); ++i)
    in_utf8[i] = calendars[i] == Encoding::Ascii || calendars[i] == Encoding::Utf8;
  for (std::size_t next = 1; next < calendars.size(); ++next) {
    std::vector<bool>& converted = plan.converted_by_merge.emplace_back(calendars.size(), false);
    Encoding encoding = calendars[next];
    if (merged == Encoding::Unknown || encoding == Encoding::Unknown) {
      merged = Encoding::Unknown;
    } else if (merged == Encoding::Utf8 && encoding == Encoding::Windows1252) {
      converted[next] = true;
      in_utf8[next] = true;
    } else if (merged == Encoding::Windows1252 && encoding == Encoding::Utf8) {
      for (std::size_t i = 0; i < next; ++i) {
        converted[i] = !in_utf8[i];
        in_utf8[i] = true;
      }
      merged = Encoding::Utf8;
    } else if (merged == Encoding::Windows1252 || encoding == Encoding::Windows1252) {
      merged = Encoding::Windows1252;
    } else if (merged == Encoding::Utf8 || encoding == Encoding::Utf8) {
      merged = Encoding::Utf8;
    }
  }
  plan.page = merged == Encoding::Ascii || merged == Encoding::Utf8 ? Encoding::Utf8
                                                                    : Encoding::Windows1252;
  return plan;
}

}  // namespace unisci
