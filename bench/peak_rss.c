/* Runs a program and prints its peak resident set size in KiB on standard
   error, as "peak_rss_kib N". The peak is the VmHWM of the program's own
   address space, read at its exit stop under ptrace. (ru_maxrss from wait4
   would also count the forked parent's image before the exec.)
   usage: peak_rss PROGRAM [ARGS...]; standard streams pass through. */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

static long vm_hwm_kib(pid_t pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE *f = fopen(path, "r");
  if (!f) return -1;
  char line[256];
  long kib = -1;
  while (fgets(line, sizeof line, f)) {
    if (strncmp(line, "VmHWM:", 6) == 0) kib = strtol(line + 6, NULL, 10);
  }
  fclose(f);
  return kib;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
    return 2;
  }
  pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    ptrace(PTRACE_TRACEME, 0, NULL, NULL);
    raise(SIGSTOP);
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status;
  if (waitpid(pid, &status, 0) < 0 || !WIFSTOPPED(status)) return 2;
  ptrace(PTRACE_SETOPTIONS, pid, NULL, (void *)(PTRACE_O_TRACEEXIT | PTRACE_O_TRACEEXEC));
  ptrace(PTRACE_CONT, pid, NULL, NULL);
  long peak = -1;
  for (;;) {
    if (waitpid(pid, &status, 0) < 0) return 2;
    if (WIFEXITED(status) || WIFSIGNALED(status)) break;
    int sig = 0;
    if (WIFSTOPPED(status)) {
      int event = status >> 16;
      if (event == PTRACE_EVENT_EXIT) {
        peak = vm_hwm_kib(pid);
      } else if (event == 0 && WSTOPSIG(status) != SIGTRAP) {
        sig = WSTOPSIG(status); /* pass real signals (SIGABRT...) on */
      }
    }
    ptrace(PTRACE_CONT, pid, NULL, (void *)(long)sig);
  }
  fprintf(stderr, "peak_rss_kib %ld\n", peak);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
