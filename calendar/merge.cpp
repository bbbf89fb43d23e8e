#include "calendar/merge.h"

namespace unisci {

namespace {

// Writes the current line of `cal`, moves it on, and follows the line with an
// empty line if it was chosen for its date.
void take(InputCalendar& cal, TextWriter& out, bool per_data) {
  cal.write(out);
  cal.advance();
  if (per_data) out.put('\n');
}

}  // namespace

std::int64_t unisci(InputCalendar& cal1, InputCalendar& cal2, TextWriter& out) {
  std::int64_t righe = 0;
  while (!cal1.ended() && !cal2.ended()) {
    switch (confronta(cal1.key(), cal2.key())) {
      case Ordine::PrimaPerData: take(cal1, out, true); break;
      case Ordine::PrimaPerOra: take(cal1, out, false); break;
      case Ordine::DopoPerOra: take(cal2, out, false); break;
      case Ordine::DopoPerData: take(cal2, out, true); break;
      case Ordine::Pari:
        take(cal1, out, false);
        take(cal2, out, true);
        ++righe;
        break;
    }
    ++righe;
  }
  // If one calendar is done, copy the rest of the other.
  return righe + drain(cal1.ended() ? cal2 : cal1, out);
}

std::int64_t drain(InputCalendar& cal, TextWriter& out) {
  std::int64_t righe = 0;
  for (; !cal.ended(); cal.advance()) {
    cal.write(out);
    ++righe;
  }
  return righe;
}

}  // namespace unisci
