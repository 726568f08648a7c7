/* Preloaded into the component by bench/e2e. In the process whose executable
   is named by FWRUSAGE_EXE it notes the start time and, at exit, appends the
   process's own CPU time (children excluded), its wall time and its peak
   resident memory to the file FWRUSAGE_OUT. The variables are removed from
   that process's environment at once, so the shells and tools it starts do
   not carry the library. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static int active;
static pid_t measured;
static struct timespec started;
static char out_path[4096];

/* Removes NAME from the environment array in place; done by hand because a
   program may bring its own unsetenv that knows nothing of environ yet. */
static void Drop(const char* name) {
  size_t len = strlen(name);
  char** ep = environ;
  if (ep == NULL) return;
  while (*ep != NULL) {
    if (strncmp(*ep, name, len) == 0 && (*ep)[len] == '=') {
      char** dp = ep;
      do dp[0] = dp[1];
      while (*dp++ != NULL);
    } else {
      ++ep;
    }
  }
}

static double Seconds(struct timeval tv) { return (double)tv.tv_sec + (double)tv.tv_usec / 1e6; }

__attribute__((constructor)) static void RusageStart(void) {
  const char* out = getenv("FWRUSAGE_OUT");
  const char* want = getenv("FWRUSAGE_EXE");
  if (out == NULL || want == NULL || strlen(out) >= sizeof out_path) return;
  char exe[4096];
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return;
  exe[n] = '\0';
  const char* base = strrchr(exe, '/');
  base = base != NULL ? base + 1 : exe;
  if (strcmp(base, want) != 0) return;
  memcpy(out_path, out, strlen(out) + 1);
  Drop("LD_PRELOAD");
  Drop("FWRUSAGE_OUT");
  Drop("FWRUSAGE_EXE");
  measured = getpid();
  clock_gettime(CLOCK_MONOTONIC, &started);
  active = 1;
}

__attribute__((destructor)) static void RusageEnd(void) {
  if (!active || getpid() != measured) return;  /* not in a forked child */
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  struct rusage self, children;
  if (getrusage(RUSAGE_SELF, &self) != 0 || getrusage(RUSAGE_CHILDREN, &children) != 0) return;
  double wall = (double)(now.tv_sec - started.tv_sec) + (double)(now.tv_nsec - started.tv_nsec) / 1e9;
  char line[512];
  int len = snprintf(line, sizeof line,
                     "pid=%d wall_s=%.6f self_user_s=%.6f self_sys_s=%.6f maxrss_kb=%ld "
                     "children_user_s=%.6f children_sys_s=%.6f\n",
                     (int)getpid(), wall, Seconds(self.ru_utime), Seconds(self.ru_stime), self.ru_maxrss,
                     Seconds(children.ru_utime), Seconds(children.ru_stime));
  if (len <= 0 || (size_t)len >= sizeof line) return;
  int fd = open(out_path, O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (fd < 0) return;
  ssize_t w = write(fd, line, (size_t)len);
  (void)w;
  close(fd);
}
