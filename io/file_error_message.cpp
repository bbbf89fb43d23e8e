#include "io/file_error_message.h"

#include <cerrno>
#include <cstring>

namespace unisci {

// The texts are plain ASCII, so that they read the same in any character set.
std::string error_reason(int error_number) {
  switch (error_number) {
    case ENOENT: return "file o cartella inesistente";
    case EACCES:
    case EPERM: return "permesso negato";
    case EISDIR: return "si tratta di una cartella";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "disco pieno";
    case EFBIG: return "file troppo grande";
    case EROFS: return "file system in sola lettura";
    case ENAMETOOLONG: return "nome troppo lungo";
    case EMFILE:
    case ENFILE: return "troppi file aperti";
#ifdef ELIBACC
    case ELIBACC: return "manca una libreria del programma";
#endif
    default: return std::strerror(error_number);
  }
}

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
    case FileError::Action::CreateTemporary:
      return "impossibile creare " + error.file() + ": nessun file temporaneo in " +
             error.temporary_folder() + ": " + error_reason(error.reason());
    case FileError::Action::Write: verb = "impossibile scrivere "; break;
    case FileError::Action::Replace:
      // Something other than a file took the output's place during the run.
      if (error.reason() == EEXIST)
        return "impossibile sostituire " + error.file() + ": non si tratta di un file normale";
      verb = "impossibile sostituire ";
      break;
    case FileError::Action::TooManyRows:
      return "impossibile scrivere " + error.file() +
             ": un foglio di calcolo contiene al massimo 1.048.575 gare e il calendario unito ne "
             "ha di più; scegli un'altra forma, per esempio il testo (t) o la tabella (x)";
  }
  return verb + error.file() + ": " + error_reason(error.reason());
}

}  // namespace unisci
