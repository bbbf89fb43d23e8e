#include "program_run.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace unisci::testing {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "unisci-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  work_ = root_ + "/cartella";
  fs::create_directory(work_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::permissions(work_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root_, ignored);
}

void ScratchFolder::write(const std::string& name, std::string_view content) const {
  std::ofstream out(work_ + "/" + name, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void ScratchFolder::make_folder(const std::string& name) const {
  fs::create_directory(work_ + "/" + name);
}

void ScratchFolder::link(const std::string& name, const std::string& target) const {
  fs::create_symlink(target, work_ + "/" + name);
}

ProgramRun ScratchFolder::run(std::string_view answers) const {
  {
    std::ofstream in(root_ + "/answers", std::ios::binary);
    in.write(answers.data(), static_cast<std::streamsize>(answers.size()));
  }
  std::string command =
      "cd '" + work_ + "' && LC_ALL=C '" UNISCI_BINARY "' < ../answers > ../out 2> ../err";
  int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = read_file(root_ + "/out");
  run.err = read_file(root_ + "/err");
  for (const auto& entry : fs::directory_iterator(work_)) {
    std::string name = entry.path().filename().string();
    if (entry.is_symlink())
      run.folder[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_directory())
      run.folder[name] = "<dir>";
    else
      run.folder[name] = read_file(entry.path().string());
  }
  return run;
}

}  // namespace unisci::testing
