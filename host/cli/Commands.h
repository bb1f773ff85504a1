// The subcommands of tqfill. Each lives in its own file and is listed once in
// the table in main.cpp.
#pragma once

#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tavrolin::Fill::Cli {

// A mistake in what the user asked for; reported on stderr, exit status 2.
class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct Command {
  const char* name;
  const char* summary;  // one line for `tqfill --help`
  // Arguments after the subcommand's name; returns the exit status. Throws
  // UsageError (or any std::exception) for main to report.
  int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

const std::vector<Command>& CommandTable();

int RunAbout(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunParams(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunSequence(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunGallery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// ---- shared option handling ----

// TQFill.so beside the running executable.
std::string DefaultModulePath();

// Walks the arguments of one subcommand: options with a value ("--name V" or
// "--name=V") and flags. Anything it is not asked about is an error.
class ArgReader {
public:
  explicit ArgReader(const std::vector<std::string>& args) : mArgs(args) {}
  bool done() const { return mPos >= mArgs.size(); }
  // True (and *value set) when the next argument is this option.
  bool option(const char* name, std::string* value);
  bool flag(const char* name);
  // Throws UsageError naming the next argument.
  [[noreturn]] void unknown() const;

private:
  const std::vector<std::string>& mArgs;
  size_t mPos = 0;
};

// What the module prints on standard output (its OpenGL banner, and why a
// frame or set-up failed) is kept aside in an unlinked temporary file while a
// ModuleOutput is alive, so that a command's own output stays clean and a
// command that works says nothing. main shows what was kept on standard error
// when the command failed, and drops it otherwise. With -v/--verbose it goes
// to standard error as it comes. Instances may nest; the first restores
// standard output.
class ModuleOutput {
public:
  ModuleOutput();
  ~ModuleOutput();
  ModuleOutput(const ModuleOutput&) = delete;
  ModuleOutput& operator=(const ModuleOutput&) = delete;

  // From now on the module's output goes straight to standard error.
  static void setVerbose();
  // Writes all that was kept to standard error, and keeps nothing more of it.
  static void show();
  // Drops what was kept, unseen.
  static void discard();
  // What was kept so far, for tests of the keeping.
  static std::string kept();

private:
  int mSaved = -1;
};

// Reads -v or --verbose: the module's output shown as it comes.
bool ReadVerbose(ArgReader& reader);

// Parses a whole decimal integer in [min, max]; throws UsageError naming `what`.
int ParseInt(const std::string& text, int min, int max, const char* what);

}  // namespace Tavrolin::Fill::Cli
