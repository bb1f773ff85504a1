// Option handling shared by the subcommands.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>

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

ModuleOutputToStderr::ModuleOutputToStderr() {
  std::cout.flush();
  std::fflush(stdout);
  mSaved = dup(STDOUT_FILENO);
  if (mSaved >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
}

ModuleOutputToStderr::~ModuleOutputToStderr() {
  std::cout.flush();
  std::fflush(stdout);
  if (mSaved >= 0) {
    dup2(mSaved, STDOUT_FILENO);
    close(mSaved);
  }
}

}  // namespace Tavrolin::Fill::Cli
