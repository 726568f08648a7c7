/* The calls that FileGuard.h guards, interposed: each asks the guard, then
 * passes on to the C library's own. Written in C so that the definitions
 * match the C library's declarations exactly. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

int FileGuardAllowsPath(const char* call, int dirfd, const char* path);
int FileGuardAllowsLink(const char* target, const char* path);
int FileGuardAllowsProcess(const char* call);

#define REAL(type, name) ((type)dlsym(RTLD_NEXT, #name))

static int Writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0; }

/* The mode argument, present when the flags create a file. */
#define MODE_ARGUMENT(flags, mode)           \
  mode_t mode = 0;                           \
  if ((flags) & (O_CREAT | O_TMPFILE)) {     \
    va_list args;                            \
    va_start(args, flags);                   \
    mode = (mode_t)va_arg(args, int);        \
    va_end(args);                            \
  }

#define GUARDED_OPEN(name)                                                        \
  int name(const char* path, int flags, ...) {                                    \
    MODE_ARGUMENT(flags, mode)                                                    \
    if (Writes(flags) && !FileGuardAllowsPath(#name, AT_FDCWD, path)) return -1; \
    return REAL(int (*)(const char*, int, ...), name)(path, flags, mode);         \
  }
#define GUARDED_OPENAT(name)                                                      \
  int name(int dirfd, const char* path, int flags, ...) {                         \
    MODE_ARGUMENT(flags, mode)                                                    \
    if (Writes(flags) && !FileGuardAllowsPath(#name, dirfd, path)) return -1;     \
    return REAL(int (*)(int, const char*, int, ...), name)(dirfd, path, flags, mode); \
  }
GUARDED_OPEN(open)
GUARDED_OPEN(open64)
GUARDED_OPENAT(openat)
GUARDED_OPENAT(openat64)

static int WritesMode(const char* mode) {
  for (; mode != NULL && *mode != '\0'; ++mode)
    if (*mode == 'w' || *mode == 'a' || *mode == '+') return 1;
  return 0;
}

#define GUARDED_FOPEN(name)                                                     \
  FILE* name(const char* path, const char* mode) {                              \
    if (WritesMode(mode) && !FileGuardAllowsPath(#name, AT_FDCWD, path)) return NULL; \
    return REAL(FILE * (*)(const char*, const char*), name)(path, mode);        \
  }
GUARDED_FOPEN(fopen)
GUARDED_FOPEN(fopen64)

#define GUARD_PATH(name, path) \
  if (!FileGuardAllowsPath(#name, AT_FDCWD, path)) return -1
#define GUARD_AT(name, dirfd, path) \
  if (!FileGuardAllowsPath(#name, dirfd, path)) return -1

int creat(const char* path, mode_t mode) {
  GUARD_PATH(creat, path);
  return REAL(int (*)(const char*, mode_t), creat)(path, mode);
}
int mkdir(const char* path, mode_t mode) {
  GUARD_PATH(mkdir, path);
  return REAL(int (*)(const char*, mode_t), mkdir)(path, mode);
}
int mkdirat(int dirfd, const char* path, mode_t mode) {
  GUARD_AT(mkdirat, dirfd, path);
  return REAL(int (*)(int, const char*, mode_t), mkdirat)(dirfd, path, mode);
}
int mknod(const char* path, mode_t mode, dev_t dev) {
  GUARD_PATH(mknod, path);
  return REAL(int (*)(const char*, mode_t, dev_t), mknod)(path, mode, dev);
}
int mknodat(int dirfd, const char* path, mode_t mode, dev_t dev) {
  GUARD_AT(mknodat, dirfd, path);
  return REAL(int (*)(int, const char*, mode_t, dev_t), mknodat)(dirfd, path, mode, dev);
}
int chmod(const char* path, mode_t mode) {
  GUARD_PATH(chmod, path);
  return REAL(int (*)(const char*, mode_t), chmod)(path, mode);
}
int fchmodat(int dirfd, const char* path, mode_t mode, int flags) {
  GUARD_AT(fchmodat, dirfd, path);
  return REAL(int (*)(int, const char*, mode_t, int), fchmodat)(dirfd, path, mode, flags);
}
int chown(const char* path, uid_t owner, gid_t group) {
  GUARD_PATH(chown, path);
  return REAL(int (*)(const char*, uid_t, gid_t), chown)(path, owner, group);
}
int unlink(const char* path) {
  GUARD_PATH(unlink, path);
  return REAL(int (*)(const char*), unlink)(path);
}
int unlinkat(int dirfd, const char* path, int flags) {
  GUARD_AT(unlinkat, dirfd, path);
  return REAL(int (*)(int, const char*, int), unlinkat)(dirfd, path, flags);
}
int rmdir(const char* path) {
  GUARD_PATH(rmdir, path);
  return REAL(int (*)(const char*), rmdir)(path);
}
int remove(const char* path) {
  GUARD_PATH(remove, path);
  return REAL(int (*)(const char*), remove)(path);
}
int truncate(const char* path, off_t length) {
  GUARD_PATH(truncate, path);
  return REAL(int (*)(const char*, off_t), truncate)(path, length);
}
int link(const char* from, const char* path) {
  GUARD_PATH(link, from);
  GUARD_PATH(link, path);
  return REAL(int (*)(const char*, const char*), link)(from, path);
}
int symlink(const char* target, const char* path) {
  if (!FileGuardAllowsLink(target, path)) return -1;
  return REAL(int (*)(const char*, const char*), symlink)(target, path);
}
int rename(const char* from, const char* path) {
  GUARD_PATH(rename, from);
  GUARD_PATH(rename, path);
  return REAL(int (*)(const char*, const char*), rename)(from, path);
}
int renameat(int fromfd, const char* from, int dirfd, const char* path) {
  GUARD_AT(renameat, fromfd, from);
  GUARD_AT(renameat, dirfd, path);
  return REAL(int (*)(int, const char*, int, const char*), renameat)(fromfd, from, dirfd, path);
}

pid_t fork(void) {
  if (!FileGuardAllowsProcess("fork")) return -1;
  return REAL(pid_t(*)(void), fork)();
}
int posix_spawn(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  if (!FileGuardAllowsProcess("posix_spawn")) return EPERM;
  return REAL(int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*,
                      char* const*, char* const*),
              posix_spawn)(pid, path, actions, attributes, argv, envp);
}
int posix_spawnp(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                 const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]) {
  if (!FileGuardAllowsProcess("posix_spawnp")) return EPERM;
  return REAL(int (*)(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*,
                      char* const*, char* const*),
              posix_spawnp)(pid, path, actions, attributes, argv, envp);
}
