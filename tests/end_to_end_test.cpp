// The built program, run in a scratch folder with its answers piped in: its
// standard output, exit status and every file it leaves, byte for byte.
#include <gtest/gtest.h>

#include "program_run.h"

namespace unisci::testing {
namespace {

const std::string kFormatQuestion =
    "In quale formato vuoi che venga salvato il calendario?(scrivi t per file di testo,w per "
    "Word,x per Ecxel,h per pagina web e poi premi invio)\n";
const std::string kYearQuestion1 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario1.txt?\n";
const std::string kYearQuestion2 =
    "Di quante cifre \xE8 composto l'anno delle date presenti in calendario2.txt?\n";
const std::string kRestartQuestion =
    "\nVoui ricominciare?(y/n)\nNB:Scegliendo lo stesso formato dell'esecuzione precedente, si "
    "sovrascrive il vecchio file\n";

std::string count_text(int gare, const std::string& file) {
  std::string text = "\n";
  text += std::to_string(gare);
  text +=
      " gare presenti complessivamente\n- Intreccio successfully executed - Congratulations by "
      "Corvalo -\nComplimenti! Il tuo calendario si trova nel file ";
  text += file;
  text += "\n";
  return text;
}

const std::string kExample1 =
    "Giornata 1\n1 07/09/08 15:00 Roma Alfa - Beta\n2 14/09/08 20:45 Bari Gamma - Delta\n";
const std::string kExample2 =
    "10 07/09/2008 18:00 Lecce Epsilon - Zeta\n11 10/09/2008 15:00 Siena Eta - Theta\n";
const std::string kExampleMerged =
    "1 07/09/08 15:00 Roma Alfa - Beta\n10 07/09/08 18:00 Lecce Epsilon - Zeta\n\n"
    "11 10/09/08 15:00 Siena Eta - Theta\n\n2 14/09/08 20:45 Bari Gamma - Delta\n";

TEST(WorkedExample, TextForm) {
  ScratchFolder folder;
  folder.write("calendario1.txt", kExample1);
  folder.write("calendario2.txt", kExample2);
  ProgramRun run = folder.run("t\n2\n4\nn\n");
  EXPECT_EQ(run.out, kFormatQuestion + kYearQuestion1 + kYearQuestion2 +
                         count_text(4, "calendario.txt") + kRestartQuestion);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.status, 0);
  std::map<std::string, std::string> expected{{"calendario1.txt", kExample1},
                                              {"calendario2.txt", kExample2},
                                              {"calendario.txt", kExampleMerged}};
  EXPECT_EQ(run.folder, expected);
}

}  // namespace
}  // namespace unisci::testing
