#include "program_run.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

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
  // Every run stamps its iCalendar files with the same time, so that they
  // can be compared byte for byte, across runs and with examples/esempio.ics.
  setenv("SOURCE_DATE_EPOCH", "1220227200", 1);
  std::string pattern = (fs::temp_directory_path() / "unisci-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  work_ = root_ + "/cartella";
  tmp_ = root_ + "/tmp";
  fs::create_directory(work_);
  fs::create_directory(tmp_);
  fs::permissions(tmp_, fs::perms::all | fs::perms::sticky_bit);
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
  return run(answers, "C", StandardOutput::File);
}

ProgramRun ScratchFolder::run(std::string_view answers, const std::string& locale,
                              StandardOutput output, const std::string& arguments) const {
  {
    std::ofstream in(root_ + "/answers", std::ios::binary);
    in.write(answers.data(), static_cast<std::streamsize>(answers.size()));
  }
  ProgramRun run;
  if (output == StandardOutput::Terminal) {
    run = run_on_terminal(locale);
  } else {
    std::string program = "LC_ALL='" + locale + "' TMPDIR='" + tmp_ + "' '" UNISCI_BINARY "' " +
                          arguments + " < ../answers 2> ../err; echo $? > ../status";
    std::string command = "cd '" + work_ + "' && ";
    if (output == StandardOutput::File)
      command += "{ " + program + "; } > ../out";
    else
      command += "{ " + program + "; } | cat > ../out";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("the shell failed");
    run.out = read_file(root_ + "/out");
    run.status = std::stoi(read_file(root_ + "/status"));
  }
  run.err = read_file(root_ + "/err");
  run.folder = contents();
  return run;
}

// Standard output is a pseudo-terminal that passes every byte as it is;
// standard input and error are files as in the other runs.
ProgramRun ScratchFolder::run_on_terminal(const std::string& locale) const {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
    throw std::runtime_error("no pseudo-terminal");
  const std::string slave_name = ptsname(master);
  const std::string answers = root_ + "/answers";
  const std::string err = root_ + "/err";
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    int slave = open(slave_name.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(slave, &tio);
    tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // no CR before each newline
    tcsetattr(slave, TCSANOW, &tio);
    int in = open(answers.c_str(), O_RDONLY);
    int errors = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (slave < 0 || in < 0 || errors < 0 || dup2(in, 0) < 0 || dup2(slave, 1) < 0 ||
        dup2(errors, 2) < 0 || chdir(work_.c_str()) != 0 ||
        setenv("LC_ALL", locale.c_str(), 1) != 0 || setenv("TMPDIR", tmp_.c_str(), 1) != 0)
      _exit(126);
    close(master);
    close(slave);
    close(in);
    close(errors);
    execl(UNISCI_BINARY, UNISCI_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  ProgramRun run;
  char buf[4096];
  // The read fails with EIO once the program has closed the terminal.
  for (ssize_t got; (got = read(master, buf, sizeof buf)) > 0;)
    run.out.append(buf, static_cast<std::size_t>(got));
  int raw = 0;
  waitpid(child, &raw, 0);
  close(master);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

RunningProgram ScratchFolder::start(std::string_view answers, const Limits& limits,
                                    const std::string& tag) const {
  RunningProgram program{-1, root_ + "/stream" + tag};
  {
    std::ofstream in(program.streams + ".in", std::ios::binary);
    in.write(answers.data(), static_cast<std::streamsize>(answers.size()));
  }
  const std::string in = program.streams + ".in";
  const std::string out = program.streams + ".out";
  const std::string err = program.streams + ".err";
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    int in_fd = open(in.c_str(), O_RDONLY);
    int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string& tmpdir = limits.tmpdir.empty() ? tmp_ : limits.tmpdir;
    if (in_fd < 0 || out_fd < 0 || err_fd < 0 || dup2(in_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
        dup2(err_fd, 2) < 0 || chdir(work_.c_str()) != 0 || setenv("LC_ALL", "C", 1) != 0 ||
        setenv("TMPDIR", tmpdir.c_str(), 1) != 0)
      _exit(126);
    close(in_fd);
    close(out_fd);
    close(err_fd);
    if (limits.without_stderr) close(2);
    for (auto [resource, size] :
         {std::pair{RLIMIT_AS, limits.memory}, {RLIMIT_FSIZE, limits.file_size}}) {
      rlimit limit{size, size};
      if (size > 0 && setrlimit(resource, &limit) != 0) _exit(126);
    }
    // Another user reaches the work folder through the scratch folder.
    if (limits.user != 0 && (chmod(root_.c_str(), 0755) != 0 || setgroups(0, nullptr) != 0 ||
                             setgid(limits.user) != 0 || setuid(limits.user) != 0))
      _exit(126);
    execl(UNISCI_BINARY, UNISCI_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  program.pid = child;
  return program;
}

ProgramRun ScratchFolder::finish(const RunningProgram& program) const {
  int raw = 0;
  waitpid(program.pid, &raw, 0);
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = read_file(program.streams + ".out");
  run.err = read_file(program.streams + ".err");
  run.folder = contents();
  return run;
}

std::map<std::string, std::string> ScratchFolder::contents() const {
  std::map<std::string, std::string> folder;
  for (const auto& entry : fs::directory_iterator(tmp_))
    folder["$TMPDIR/" + entry.path().filename().string()] = "<left>";
  for (const auto& entry : fs::directory_iterator(work_)) {
    std::string name = entry.path().filename().string();
    if (entry.is_symlink())
      folder[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_directory())
      folder[name] = "<dir>";
    else if (entry.is_regular_file())
      folder[name] = read_file(entry.path().string());
    else
      folder[name] = "<other>";
  }
  return folder;
}

}  // namespace unisci::testing
