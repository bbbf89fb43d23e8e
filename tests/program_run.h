// Runs the built program in a fresh scratch folder with answers piped to its
// standard input, and collects everything it leaves behind.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace unisci::testing {

// What a run of the program produced.
struct ProgramRun {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status
  // Every entry of the folder after the run: a regular file's content, "<dir>"
  // for a folder, "-> target" for a symbolic link.
  std::map<std::string, std::string> folder;
};

// Where the program's standard output goes.
enum class Output { File, Pipe, Terminal };

// A temporary folder, removed with everything in it at the end of its scope.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder the program runs in.
  const std::string& path() const { return work_; }
  void write(const std::string& name, std::string_view content) const;
  void make_folder(const std::string& name) const;
  void link(const std::string& name, const std::string& target) const;

  // Runs the program here with `answers` as its whole standard input, in the
  // locale LC_ALL=C with standard output to a file.
  ProgramRun run(std::string_view answers) const;
  // The same in the locale named by LC_ALL, with standard output to a file, a
  // pipe or a terminal (one that does not change what is written); to a file
  // or a pipe with `arguments` as the shell reads them.
  ProgramRun run(std::string_view answers, const std::string& locale, Output output,
                 const std::string& arguments = "") const;

 private:
  ProgramRun run_on_terminal(const std::string& locale) const;
  void collect(ProgramRun& run) const;

  std::string root_;  // holds the work folder and the captured streams
  std::string work_;
};

std::string read_file(const std::string& path);

}  // namespace unisci::testing
