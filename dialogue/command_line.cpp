#include "dialogue/command_line.h"

#include <string_view>

namespace unisci {

namespace {

// Plain ASCII, so that every terminal shows it alike, whatever its encoding.
constexpr std::string_view kUsage =
    "Uso: unisci-calendari [--help | --version]\n"
    "\n"
    "Unisce due calendari di gare in un solo calendario, ordinato per data e ora.\n"
    "Si avvia senza argomenti nella cartella dei due calendari, calendario1.txt e\n"
    "calendario2.txt, e chiede sulla console il formato del risultato e le cifre\n"
    "dell'anno di ciascun calendario. Scrive il calendario unito nella stessa\n"
    "cartella: calendario.txt (t), calendario.doc (w), calendario.xls (x) oppure\n"
    "calendario.html (h); con x e h anche temp.txt. Poi chiede se ricominciare.\n"
    "\n"
    "  --help     mostra questo aiuto ed esce\n"
    "  --version  mostra la versione ed esce\n"
    "\n"
    "Stato d'uscita: 0 se l'ultima unione riesce; 1 se non riesce o se l'input\n"
    "finisce prima della domanda finale; 2 con un argomento sconosciuto.\n"
    "\n"
    "Il manuale: man unisci-calendari; su Windows, LEGGIMI.txt accanto al programma.\n";
constexpr std::string_view kVersion = "unisci-calendari " UNISCI_VERSION "\n";

}  // namespace

int answer_arguments(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  std::string_view answer;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument != "--help" && argument != "--version") {
      err << "unisci-calendari: argomento sconosciuto: '" << argument
          << "'\nPer l'aiuto: unisci-calendari --help\n";
      return 2;
    }
    if (answer.empty()) answer = argument == "--help" ? kUsage : kVersion;
  }
  out << answer;
  out.flush();
  if (!out) {
    err << "unisci-calendari: impossibile scrivere sullo standard output\n";
    return 1;
  }
  return 0;
}

}  // namespace unisci
