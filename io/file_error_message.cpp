#include "io/file_error_message.h"

#include <cstring>

namespace unisci {

std::string file_error_message(const FileError& error) {
  const char* verb = "";
  switch (error.action()) {
    case FileError::Action::Open: verb = "impossibile aprire "; break;
    case FileError::Action::Read: verb = "impossibile leggere "; break;
    case FileError::Action::NotText:
      return "impossibile leggere " + error.file() +
             ": non sembra un file di testo (contiene byte nulli); salvalo come testo, per "
             "esempio in UTF-8";
    case FileError::Action::Create: verb = "impossibile creare "; break;
    case FileError::Action::Write: verb = "impossibile scrivere "; break;
    case FileError::Action::Replace: verb = "impossibile sostituire "; break;
    case FileError::Action::TooManyRows:
      return "impossibile scrivere " + error.file() +
             ": un foglio di calcolo contiene al massimo 1.048.575 gare e il calendario unito ne "
             "ha di più; scegli un'altra forma, per esempio il testo (t) o la tabella (x)";
  }
  std::string message = verb;
  message += error.file();
  message += ": ";
  message += std::strerror(error.reason());
  return message;
}

}  // namespace unisci
