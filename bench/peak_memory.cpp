// peak-memory FILE COMMAND [ARG...]: runs COMMAND with this process's standard
// streams and writes its peak resident memory, in KiB, to FILE.
//
// The benchmark needs this small parent: a child's peak memory as the system
// reports it includes that of the process it was forked from, and the
// benchmark's own interpreter is larger than the program it measures.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: peak-memory FILE COMMAND [ARG...]\n");
    return 2;
  }
  pid_t pid = fork();
  if (pid < 0) {
    std::perror("peak-memory: fork");
    return 2;
  }
  if (pid == 0) {
    execvp(argv[2], argv + 2);
    std::fprintf(stderr, "peak-memory: %s: %s\n", argv[2], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("peak-memory: wait4");
      return 2;
    }
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr || std::fprintf(out, "%ld\n", usage.ru_maxrss) < 0 || std::fclose(out) != 0) {
    std::fprintf(stderr, "peak-memory: %s: %s\n", argv[1], std::strerror(errno));
    return 2;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}
