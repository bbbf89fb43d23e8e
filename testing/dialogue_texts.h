// The dialogue's fixed texts, as standard output must show them.
#pragma once

#include <string>

namespace unisci::testing {

inline const std::string kFormatQuestion =
    "In quale formato vuoi che venga salvato il calendario?(scrivi t per file di testo,w per "
    "Word,x per Ecxel,h per pagina web e poi premi invio)\n";
inline const std::string kInvalidFormat = "Hai inserito un valore non corretto!\n";
inline const std::string kYearQuestion1 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario1.txt?\n";
inline const std::string kYearQuestion2 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario2.txt?\n";
inline const std::string kInvalidYear =
    "Inserimento delle cifre attribuite all'anno non corretto! Riprovare:\n";
inline const std::string kRestartQuestion =
    "\nVoui ricominciare?(y/n)\nNB:Scegliendo lo stesso formato dell'esecuzione precedente, si "
    "sovrascrive il vecchio file\n";

// The count text and the closing line of a run that completed.
inline std::string count_text(long long match_count, const std::string& file) {
  std::string text = "\n";
  text += std::to_string(match_count);
  text +=
      " gare presenti complessivamente\n- Intreccio successfully executed - Congratulations by "
      "Corvalo -\nComplimenti! Il tuo calendario si trova nel file ";
  text += file;
  text += "\n";
  return text;
}

}  // namespace unisci::testing
