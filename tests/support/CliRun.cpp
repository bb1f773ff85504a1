#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

extern char** environ;

namespace Tavrolin::Fill::Test {

namespace {

// A new empty file under /tmp, for the child to write into.
std::string scratchFile() {
    char name[] = "/tmp/tq-run-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        ADD_FAILURE() << "cannot make a file for a program's output";
        return "/dev/null";
    }
    close(fd);
    return name;
}

}  // namespace

std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

CliRun RunProgram(std::vector<std::string> argv, int errFd, const std::vector<std::string>& env, int outFd) {
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    std::vector<std::string> variables(env);
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& v : env) replaced = replaced || (!name.empty() && v.compare(0, name.size(), name) == 0);
        if (!replaced) variables.push_back(entry);
    }
    std::vector<char*> environment;
    for (std::string& v : variables) environment.push_back(v.data());
    environment.push_back(nullptr);
    const std::string outFile = outFd >= 0 ? std::string() : scratchFile();
    const std::string errFile = errFd >= 0 ? std::string() : scratchFile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    CliRun run;
    pid_t child = 0;
    if (posix_spawn(&child, pointers[0], &actions, nullptr, pointers.data(), environment.data()) == 0) {
        int status = 0;
        waitpid(child, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (outFd < 0) run.out = slurp(outFile);
    if (errFd < 0) run.err = slurp(errFile);
    for (const std::string& f : {outFile, errFile})
        if (!f.empty() && f != "/dev/null") std::remove(f.c_str());
    return run;
}

PseudoTerminal::PseudoTerminal() {
    mMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (mMaster < 0 || grantpt(mMaster) != 0 || unlockpt(mMaster) != 0) {
        ADD_FAILURE() << "no pseudo-terminal could be opened";
        return;
    }
    mTerminal = open(ptsname(mMaster), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (mTerminal < 0) ADD_FAILURE() << "the pseudo-terminal's terminal side could not be opened";
}

PseudoTerminal::~PseudoTerminal() {
    closeTerminal();
    if (mMaster >= 0) close(mMaster);
}

void PseudoTerminal::closeTerminal() {
    if (mTerminal >= 0) close(mTerminal);
    mTerminal = -1;
}

std::string PseudoTerminal::readAll() {
    std::string shown;
    char buffer[4096];
    // The end shows as EIO once no terminal side is open.
    for (ssize_t n; mMaster >= 0 && (n = read(mMaster, buffer, sizeof buffer)) > 0;) shown.append(buffer, size_t(n));
    return shown;
}

}  // namespace Tavrolin::Fill::Test
