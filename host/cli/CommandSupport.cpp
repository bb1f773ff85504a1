// Option handling shared by the subcommands.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/cli/Commands.h"

namespace Tavrolin::Fill::Cli {

std::string DefaultModulePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "TQFill.so";
  std::string exe(buffer, size_t(n));
  const size_t slash = exe.rfind('/');
  return (slash == std::string::npos ? std::string(".") : exe.substr(0, slash)) + "/TQFill.so";
}

bool ArgReader::option(const char* name, std::string* value) {
  if (done()) return false;
  const std::string& a = mArgs[mPos];
  const std::string prefix = std::string(name) + "=";
  if (a.compare(0, prefix.size(), prefix) == 0) {
    *value = a.substr(prefix.size());
    ++mPos;
    return true;
  }
  if (a != name) return false;
  if (mPos + 1 >= mArgs.size()) throw UsageError(std::string(name) + " needs a value");
  *value = mArgs[mPos + 1];
  mPos += 2;
  return true;
}

bool ArgReader::flag(const char* name) {
  if (done() || mArgs[mPos] != name) return false;
  ++mPos;
  return true;
}

void ArgReader::unknown() const {
  const std::string& a = mArgs[mPos];
  throw UsageError(a.size() > 1 && a[0] == '-' ? "unknown option " + a : "unexpected argument " + a);
}

int ParseInt(const std::string& text, int min, int max, const char* what) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || v < min || v > max)
    throw UsageError(std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not \"" + text + "\"");
  return int(v);
}

bool ReadVerbose(ArgReader& reader) {
  if (!reader.flag("-v") && !reader.flag("--verbose")) return false;
  ModuleOutput::setVerbose();
  return true;
}

namespace {

// The module's output of this process: one file for all of it, and how many
// ModuleOutputs are alive.
struct KeptOutput {
  int fd = -1;
  int depth = 0;
  bool verbose = false;
};

KeptOutput& keptOutput() {
  static KeptOutput kept;
  return kept;
}

// A file with no name, so that nothing is left behind however the process
// ends; -1 when none can be made.
int makeNamelessFile() {
  std::vector<std::string> dirs;
  if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) dirs.push_back(tmp);
  dirs.push_back("/tmp");
  for (const std::string& dir : dirs) {
    int fd = open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    // A file system without O_TMPFILE: a named file, unlinked at once.
    std::string name = dir + "/tqfill-XXXXXX";
    fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) {
      unlink(name.c_str());
      return fd;
    }
  }
  return -1;
}

// Whatever the module (or a command) has buffered reaches the descriptor
// before it changes.
void flushStdout() {
  std::cout.flush();
  std::fflush(stdout);
}

void writeAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= size_t(n);
  }
}

}  // namespace

ModuleOutput::ModuleOutput() {
  KeptOutput& kept = keptOutput();
  if (kept.depth++ > 0) return;  // an outer one has redirected it already
  flushStdout();
  int target = STDERR_FILENO;
  if (!kept.verbose) {
    if (kept.fd < 0) kept.fd = makeNamelessFile();
    // Without a file the output is shown as it comes rather than lost.
    if (kept.fd >= 0) target = kept.fd;
  }
  mSaved = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
  if (mSaved >= 0 && dup2(target, STDOUT_FILENO) < 0) {
    close(mSaved);
    mSaved = -1;
  }
}

ModuleOutput::~ModuleOutput() {
  KeptOutput& kept = keptOutput();
  --kept.depth;
  if (mSaved < 0) return;
  flushStdout();
  dup2(mSaved, STDOUT_FILENO);
  close(mSaved);
}

void ModuleOutput::setVerbose() { keptOutput().verbose = true; }

std::string ModuleOutput::kept() {
  const int fd = keptOutput().fd;
  if (fd < 0) return {};
  flushStdout();
  std::string text;
  char buffer[4096];
  for (off_t at = 0;;) {
    const ssize_t n = pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, size_t(n));
    at += n;
  }
  return text;
}

void ModuleOutput::show() {
  std::string text = kept();
  discard();
  if (text.empty()) return;
  // The module may end without a new line ("framebuffer incomplete:N").
  if (text.back() != '\n') text += '\n';
  std::cerr.flush();
  writeAll(STDERR_FILENO, text.data(), text.size());
}

void ModuleOutput::discard() {
  const int fd = keptOutput().fd;
  if (fd < 0) return;
  flushStdout();
  if (ftruncate(fd, 0) == 0) lseek(fd, 0, SEEK_SET);
}

}  // namespace Tavrolin::Fill::Cli
