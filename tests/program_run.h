// Runs the built program in a fresh scratch folder with answers piped to its
// standard input, and collects everything it leaves behind.
#pragma once

#include <cstddef>
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
  // for a folder, "-> target" for a symbolic link; and "$TMPDIR/" and the
  // name for whatever the run left in its temporary folder.
  std::map<std::string, std::string> folder;
};

// Where the program's standard output goes.
enum class StandardOutput { File, Pipe, Terminal };

// How a program started with ScratchFolder::start() differs from a plain run.
struct Limits {
  std::size_t memory = 0;       // its address space, in bytes; 0: no limit
  bool without_stderr = false;  // started with standard error closed
  std::size_t file_size = 0;    // the largest file it may write (ulimit -f); 0: no limit
  unsigned user = 0;            // run as this user and group id (nobody: 65534); 0: as is
  std::string tmpdir = {};      // its TMPDIR; empty: the scratch folder's own
};

// A program started in a scratch folder, still running.
struct RunningProgram {
  int pid = -1;
  std::string streams;  // where its standard streams go, without the suffix
};

// A temporary folder, removed with everything in it at the end of its scope.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder the program runs in.
  const std::string& path() const { return work_; }
  // The TMPDIR of every run, empty at the start.
  const std::string& temporary_folder() const { return tmp_; }
  void write(const std::string& name, std::string_view content) const;
  void make_folder(const std::string& name) const;
  void link(const std::string& name, const std::string& target) const;
  // Every entry of the folder, as ProgramRun::folder lists them.
  std::map<std::string, std::string> contents() const;

  // Runs the program here with `answers` as its whole standard input, in the
  // locale LC_ALL=C with standard output to a file.
  ProgramRun run(std::string_view answers) const;
  // The same in the locale named by LC_ALL, with standard output to a file, a
  // pipe or a terminal (one that does not change what is written); to a file
  // or a pipe with `arguments` as the shell reads them.
  ProgramRun run(std::string_view answers, const std::string& locale, StandardOutput output,
                 const std::string& arguments = "") const;

  // Starts the program here with `answers` as its standard input and returns
  // while it runs; `tag` tells the streams of programs run at once apart.
  RunningProgram start(std::string_view answers, const Limits& limits = {},
                       const std::string& tag = "") const;
  // Waits for a started program. A signal that ended it counts as the status
  // 128 + its number, as the shell reports it.
  ProgramRun finish(const RunningProgram& program) const;

 private:
  ProgramRun run_on_terminal(const std::string& locale) const;

  std::string root_;  // holds the work folder and the captured streams
  std::string work_;
  std::string tmp_;
};

std::string read_file(const std::string& path);

}  // namespace unisci::testing
