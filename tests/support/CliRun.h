#pragma once

// Runs a program as a user runs it (no shell), its standard output and error
// kept apart from the test's.

#include <string>
#include <vector>

namespace Tavrolin::Fill::Test {

struct CliRun {
    int status = -1;  // the exit status, 128 + the signal that ended it, -1 when it did not start
    std::string out, err;
};

// Runs argv[0] with `argv`. Standard error goes to `errFd` when it is given
// (a terminal, say), and `err` stays empty. `env` ("NAME=VALUE") is added to
// the test's environment, replacing a variable of the same name. Standard
// output goes to `outFd` when it is given, and `out` stays empty.
CliRun RunProgram(std::vector<std::string> argv, int errFd = -1, const std::vector<std::string>& env = {},
                  int outFd = -1);

// A pseudo-terminal for a program to write to as it would to a user's
// screen. Both ends are closed with it; a failure to open one fails the test.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool ok() const { return mTerminal >= 0; }
    // The program's side: give it as the program's output descriptor.
    int terminal() const { return mTerminal; }
    // Done writing: once every program that had it has ended too, the
    // reading side sees the end.
    void closeTerminal();
    // Everything written until the terminal side is closed everywhere. Read
    // on a thread of its own while a program may write more than the
    // terminal holds unread.
    std::string readAll();

private:
    int mMaster = -1;
    int mTerminal = -1;
};

// The whole contents of `file`; empty when it cannot be read.
std::string slurp(const std::string& file);

#ifdef TQ_CLI_PATH
// `tqfill COMMAND ARGS...`, the one the build made.
inline CliRun RunTqfill(const char* command, std::vector<std::string> args, int errFd = -1,
                        const std::vector<std::string>& env = {}, int outFd = -1) {
    args.insert(args.begin(), {TQ_CLI_PATH, command});
    return RunProgram(std::move(args), errFd, env, outFd);
}
#endif

}  // namespace Tavrolin::Fill::Test
