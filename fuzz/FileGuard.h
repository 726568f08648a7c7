#pragma once
// A guard on the file system for targets whose code under test writes
// files: between Begin and End, every call of the program that makes,
// changes or removes a file (open for writing, fopen, mkdir of what does
// not exist, mknod, chmod, chown, link, symlink, rename, unlink, rmdir,
// remove, truncate) acts only inside the given directory (symbolic links
// resolved), and no process is started; any other such call is refused and
// remembered. libFuzzer's own findings may still be written where it was
// told to put them.
#include <string>

namespace FileGuard {

// Reads -artifact_prefix= from libFuzzer's arguments (LLVMFuzzerInitialize).
void AllowFindingsFrom(int argc, char** argv);
// Guards every call until End; `root` must exist.
void Begin(const std::string& root);
// Ends the guard; the first call refused, empty when none was.
std::string End();
// Whether `path` lies inside the guarded directory (symbolic links of its
// directory part resolved).
bool Inside(const std::string& path);

}  // namespace FileGuard

// Asked by the interposed calls (FileGuardCalls.c): non-zero when the call
// may go ahead.
extern "C" int FileGuardAllowsPath(const char* call, int dirfd, const char* path);
extern "C" int FileGuardAllowsLink(const char* target, const char* path);
extern "C" int FileGuardAllowsProcess(const char* call);
