// Fault injector, preloaded into the component: the Nth call of one chosen
// function fails with a chosen errno.
//
//   FWPACK_FAULT=FUNCTION:N[:ERRNO]   e.g. write:12:ENOSPC (N 0 or FUNCTION
//                                     "none": nothing fails, calls counted)
//   FWPACK_FAULT_TRACE=1              the failing call prints its stack on
//                                     standard error (to find a finding's place)
//   FWPACK_FAULT_REPORT=FILE          at exit, "FUNCTION CALLS" is appended
//                                     for every function, so that one run
//                                     tells a sweep where to stop
//
// Only the process it is preloaded into: the variables leave the environment
// at start, so the shells and tools the component starts never see them, and
// a forked child stops counting. FUNCTION is one of the names in kHooks.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <execinfo.h>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

enum Hook {
  kOpen, kOpenat, kFopen, kRead, kWrite, kClose, kFclose, kPopen, kSystem, kFork, kPosixSpawn,
  kDlopen, kMkdir, kChmod, kStat, kFlock, kMalloc, kCalloc, kRealloc, kHookCount
};

// Names as FWPACK_FAULT gives them; the 64-bit and "p" variants count as
// the function they stand for.
static const char* const kHooks[kHookCount] = {
    "open", "openat", "fopen", "read", "write", "close", "fclose", "popen", "system", "fork", "posix_spawn",
    "dlopen", "mkdir", "chmod", "stat", "flock", "malloc", "calloc", "realloc"};

static int g_hook = -1;       // the function chosen, or -1
static long g_fail_at = 0;    // its call that fails (1-based), 0: none
static int g_errno = EIO;
static long g_calls[kHookCount];  // calls of each function so far
static int g_active = 0;      // 0 in forked children and before set-up
static int g_trace = 0;
static char g_report[512];

static const struct {
  const char* name;
  int value;
} kErrnos[] = {{"EPERM", EPERM}, {"ENOENT", ENOENT}, {"EINTR", EINTR}, {"EIO", EIO}, {"EBADF", EBADF},
               {"EAGAIN", EAGAIN}, {"ENOMEM", ENOMEM}, {"EACCES", EACCES}, {"EEXIST", EEXIST},
               {"ENOTDIR", ENOTDIR}, {"EISDIR", EISDIR}, {"EINVAL", EINVAL}, {"ENFILE", ENFILE},
               {"EMFILE", EMFILE}, {"ENOSPC", ENOSPC}, {"EROFS", EROFS}, {"EPIPE", EPIPE},
               {"ENOLCK", ENOLCK}, {"ELOOP", ELOOP}, {"ENAMETOOLONG", ENAMETOOLONG}, {"EDQUOT", EDQUOT}};

// dlsym may allocate before the real allocator is known: those few
// requests come from here and are never freed.
static char g_boot[4096] __attribute__((aligned(16)));
static size_t g_boot_used = 0;
static int g_resolving = 0;

static void* BootAlloc(size_t size) {
  size = (size + 15) & ~(size_t)15;
  if (g_boot_used + size > sizeof g_boot) return NULL;
  void* p = g_boot + g_boot_used;
  g_boot_used += size;
  return p;
}

static int FromBoot(const void* p) {
  return (const char*)p >= g_boot && (const char*)p < g_boot + sizeof g_boot;
}

static void* Real(const char* name) {
  g_resolving++;
  void* f = dlsym(RTLD_NEXT, name);
  g_resolving--;
  return f;
}

#define REAL(name) \
  static __typeof__(&name) real_##name = NULL; \
  if (real_##name == NULL) real_##name = (__typeof__(&name))Real(#name)

// True when this call of `hook` is the one to fail; errno is set then.
static int Fails(int hook) {
  if (!g_active) return 0;
  long n = __atomic_add_fetch(&g_calls[hook], 1, __ATOMIC_RELAXED);
  if (hook != g_hook || n != g_fail_at) return 0;
  if (g_trace) {
    void* frames[48];
    int depth = backtrace(frames, 48);
    backtrace_symbols_fd(frames, depth, 2);
  }
  errno = g_errno;
  return 1;
}

static void ChildStops(void) { g_active = 0; }

static void RawWrite(int fd, const char* text) {
  size_t n = strlen(text);
  while (n > 0) {
    ssize_t w = syscall(SYS_write, fd, text, n);
    if (w <= 0) return;
    text += w;
    n -= (size_t)w;
  }
}

__attribute__((constructor)) static void SetUp(void) {
  const char* spec = getenv("FWPACK_FAULT");
  const char* report = getenv("FWPACK_FAULT_REPORT");
  g_trace = getenv("FWPACK_FAULT_TRACE") != NULL;
  if (report != NULL) {
    strncpy(g_report, report, sizeof g_report - 1);
  }
  if (spec != NULL) {
    char name[32] = "";
    const char* colon = strchr(spec, ':');
    size_t len = colon ? (size_t)(colon - spec) : strlen(spec);
    if (len < sizeof name) {
      memcpy(name, spec, len);
      name[len] = '\0';
    }
    for (int i = 0; i < kHookCount; i++)
      if (strcmp(name, kHooks[i]) == 0) g_hook = i;
    if (g_hook < 0 && strcmp(name, "none") != 0) RawWrite(2, "faultinject: unknown function in FWPACK_FAULT\n");
    if (colon != NULL) {
      g_fail_at = strtol(colon + 1, NULL, 10);
      const char* code = strchr(colon + 1, ':');
      if (code != NULL) {
        code++;
        g_errno = 0;
        for (size_t i = 0; i < sizeof kErrnos / sizeof kErrnos[0]; i++)
          if (strcmp(code, kErrnos[i].name) == 0) g_errno = kErrnos[i].value;
        if (g_errno == 0) g_errno = (int)strtol(code, NULL, 10);
        if (g_errno <= 0) g_errno = EIO;
      }
    }
  }
  // The shells and tools the component starts run without the injector.
  unsetenv("FWPACK_FAULT");
  unsetenv("FWPACK_FAULT_REPORT");
  unsetenv("FWPACK_FAULT_TRACE");
  unsetenv("LD_PRELOAD");
  pthread_atfork(NULL, NULL, ChildStops);
  g_active = 1;
}

__attribute__((destructor)) static void Report(void) {
  if (!g_active || g_report[0] == '\0') return;
  int fd = (int)syscall(SYS_openat, AT_FDCWD, g_report, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // One write, so that the report holds no half lines from a run cut short.
  char text[kHookCount * 40];
  size_t used = 0;
  for (int i = 0; i < kHookCount; i++) {
    int n = snprintf(text + used, sizeof text - used, "%s %ld\n", kHooks[i], g_calls[i]);
    if (n < 0 || (size_t)n >= sizeof text - used) break;
    used += (size_t)n;
  }
  text[used] = '\0';
  RawWrite(fd, text);
  syscall(SYS_close, fd);
}

// ---------------------------------------------------------------- files

// The mode argument, passed only when the flags create a file.
static mode_t ModeArgument(int flags, va_list ap) {
  return (flags & (O_CREAT | __O_TMPFILE)) ? (mode_t)va_arg(ap, int) : 0;
}

int open(const char* path, int flags, ...) {
  REAL(open);
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = ModeArgument(flags, ap);
  va_end(ap);
  return Fails(kOpen) ? -1 : real_open(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  REAL(open64);
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = ModeArgument(flags, ap);
  va_end(ap);
  return Fails(kOpen) ? -1 : real_open64(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
  REAL(openat);
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = ModeArgument(flags, ap);
  va_end(ap);
  return Fails(kOpenat) ? -1 : real_openat(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
  REAL(openat64);
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = ModeArgument(flags, ap);
  va_end(ap);
  return Fails(kOpenat) ? -1 : real_openat64(dirfd, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode) {
  REAL(fopen);
  return Fails(kFopen) ? NULL : real_fopen(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
  REAL(fopen64);
  return Fails(kFopen) ? NULL : real_fopen64(path, mode);
}

ssize_t read(int fd, void* buffer, size_t size) {
  REAL(read);
  return Fails(kRead) ? -1 : real_read(fd, buffer, size);
}

ssize_t write(int fd, const void* buffer, size_t size) {
  REAL(write);
  return Fails(kWrite) ? -1 : real_write(fd, buffer, size);
}

// As on Linux, a close that reports an error has closed the descriptor.
int close(int fd) {
  REAL(close);
  int saved_fail = Fails(kClose);
  int saved_errno = errno;
  int r = real_close(fd);
  if (!saved_fail) return r;
  errno = saved_errno;
  return -1;
}

// The stream is gone whatever fclose reports.
int fclose(FILE* stream) {
  REAL(fclose);
  int fail = Fails(kFclose);
  int saved_errno = errno;
  int r = real_fclose(stream);
  if (!fail) return r;
  errno = saved_errno;
  return EOF;
}

int mkdir(const char* path, mode_t mode) {
  REAL(mkdir);
  return Fails(kMkdir) ? -1 : real_mkdir(path, mode);
}

int chmod(const char* path, mode_t mode) {
  REAL(chmod);
  return Fails(kChmod) ? -1 : real_chmod(path, mode);
}

int stat(const char* path, struct stat* out) {
  REAL(stat);
  return Fails(kStat) ? -1 : real_stat(path, out);
}

int stat64(const char* path, struct stat64* out) {
  REAL(stat64);
  return Fails(kStat) ? -1 : real_stat64(path, out);
}

int flock(int fd, int operation) {
  REAL(flock);
  return Fails(kFlock) ? -1 : real_flock(fd, operation);
}

// ---------------------------------------------------------------- processes

FILE* popen(const char* command, const char* mode) {
  REAL(popen);
  return Fails(kPopen) ? NULL : real_popen(command, mode);
}

int system(const char* command) {
  REAL(system);
  return Fails(kSystem) ? -1 : real_system(command);
}

pid_t fork(void) {
  REAL(fork);
  return Fails(kFork) ? -1 : real_fork();
}

int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attr, char* const argv[], char* const envp[]) {
  REAL(posix_spawn);
  if (Fails(kPosixSpawn)) return errno;
  return real_posix_spawn(pid, path, actions, attr, argv, envp);
}

int posix_spawnp(pid_t* pid, const char* file, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attr, char* const argv[], char* const envp[]) {
  REAL(posix_spawnp);
  if (Fails(kPosixSpawn)) return errno;
  return real_posix_spawnp(pid, file, actions, attr, argv, envp);
}

void* dlopen(const char* file, int mode) {
  REAL(dlopen);
  return Fails(kDlopen) ? NULL : real_dlopen(file, mode);
}

// ---------------------------------------------------------------- memory

void* malloc(size_t size) {
  static void* (*real_malloc)(size_t) = NULL;
  if (real_malloc == NULL) {
    if (g_resolving) return BootAlloc(size);
    real_malloc = (void* (*)(size_t))Real("malloc");
  }
  return Fails(kMalloc) ? NULL : real_malloc(size);
}

void* calloc(size_t count, size_t size) {
  static void* (*real_calloc)(size_t, size_t) = NULL;
  if (real_calloc == NULL) {
    if (g_resolving) {
      if (size != 0 && count > (size_t)-1 / size) return NULL;
      return BootAlloc(count * size);  // static, so already zero
    }
    real_calloc = (void* (*)(size_t, size_t))Real("calloc");
  }
  return Fails(kCalloc) ? NULL : real_calloc(count, size);
}

void* realloc(void* block, size_t size) {
  static void* (*real_realloc)(void*, size_t) = NULL;
  if (FromBoot(block)) {
    // Its old size is not kept: copy what the boot buffer can hold.
    size_t room = (size_t)(g_boot + sizeof g_boot - (char*)block);
    void* fresh = malloc(size);
    if (fresh != NULL) memcpy(fresh, block, size < room ? size : room);
    return fresh;
  }
  if (real_realloc == NULL) real_realloc = (void* (*)(void*, size_t))Real("realloc");
  // A failing realloc leaves the block as it was.
  return Fails(kRealloc) ? NULL : real_realloc(block, size);
}

void free(void* block) {
  static void (*real_free)(void*) = NULL;
  if (block == NULL || FromBoot(block)) return;
  if (real_free == NULL) {
    // dlsym itself frees while it looks free up: that block is left.
    if (g_resolving) return;
    real_free = (void (*)(void*))Real("free");
  }
  real_free(block);
}
