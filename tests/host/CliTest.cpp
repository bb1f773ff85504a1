// tqfill about and params as a user runs them.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

Result RunProgram(const std::string& program, const std::string& args) {
  char errPath[] = "/tmp/tqfill-cli-XXXXXX";
  const int fd = mkstemp(errPath);
  EXPECT_GE(fd, 0);
  close(fd);
  const std::string command = "'" + program + "' " + args + " 2>" + errPath;
  Result r;
  FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr);
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream errFile(errPath);
  std::stringstream ss;
  ss << errFile.rdbuf();
  r.err = ss.str();
  unlink(errPath);
  return r;
}

Result RunCli(const std::string& args) { return RunProgram(TQ_CLI_PATH, args); }

// index -> "shown" column of `tqfill params`.
std::map<int, std::string> Shown(const std::string& table) {
  std::map<int, std::string> shown;
  std::istringstream lines(table);
  std::string line;
  std::getline(lines, line);  // header
  while (std::getline(lines, line)) {
    const size_t last = line.find_last_not_of(' ');
    const size_t start = line.find_last_of(' ', last) + 1;
    shown[std::stoi(line)] = line.substr(start, last - start + 1);
  }
  return shown;
}

TEST(Cli, AboutPrintsTheTextWithALineBreak) {
  const Result r = RunCli("about");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "TQ Fill v1.0\nTQ Fill\n");
  EXPECT_EQ(r.err, "");
}

TEST(Cli, ParamsListsEveryParameterWithItsDefaults) {
  const Result r = RunCli("params");
  ASSERT_EQ(r.status, 0) << r.err;
  // Standard output is a pipe here: the module's banner goes into neither.
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.find("OpenGL"), std::string::npos);
  const Result verbose = RunCli("params --verbose");
  EXPECT_EQ(verbose.status, 0) << verbose.err;
  EXPECT_EQ(verbose.out, r.out);
  EXPECT_NE(verbose.err.find("OpenGL Version:  "), std::string::npos) << verbose.err;
  std::istringstream lines(r.out);
  std::string line;
  int count = -1;
  while (std::getline(lines, line)) ++count;
  EXPECT_EQ(count, 67);
  EXPECT_NE(r.out.find("Radial Radius"), std::string::npos);
  EXPECT_NE(r.out.find("0 to 30000 (slider 0 to 3000, 0 decimals)"), std::string::npos);
  EXPECT_NE(r.out.find("0 to 100% (slider 0 to 100, 1 decimal)"), std::string::npos);
  EXPECT_NE(r.out.find("#FFFF0000"), std::string::npos);
  EXPECT_NE(r.out.find("100%, 50%"), std::string::npos);
  // Solid colour by default: no stop group shown.
  const auto shown = Shown(r.out);
  EXPECT_EQ(shown.at(2), "yes");
  EXPECT_EQ(shown.at(11), "no");
  EXPECT_EQ(shown.at(13), "no");
}

TEST(Cli, ParamsShowsWhatAFillTypeAndStopCountNeed) {
  for (const char* fill : {"sweep", "4", "\"Sweep Gradient\""}) {
    SCOPED_TRACE(fill);
    const Result r = RunCli(std::string("params --fill-type ") + fill + " --stops 3");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto shown = Shown(r.out);
    EXPECT_EQ(shown.at(9), "yes");   // Sweep Center
    EXPECT_EQ(shown.at(11), "yes");  // Color Stop Amount
    EXPECT_EQ(shown.at(2), "no");    // Solid Color
    EXPECT_EQ(shown.at(6), "no");    // Radial Center
    EXPECT_EQ(shown.at(26), "yes");  // end of group 3
    EXPECT_EQ(shown.at(27), "no");   // start of group 4
  }
}

TEST(Cli, MistakesGoToStderrWithStatusTwo) {
  struct Case {
    const char* args;
    const char* says;
  };
  for (const Case& c : {Case{"params --stops 12", "--stops"}, Case{"params --fill-type plaid", "plaid"},
                        Case{"params --stops", "needs a value"}, Case{"params --stops=", "--stops"},
                        Case{"params --fill-type=", "--fill-type"}, Case{"params --bogus", "--bogus"},
                        Case{"about --module /nonexistent/TQFill.so", "/nonexistent/TQFill.so"},
                        Case{"frobnicate", "frobnicate"}, Case{"", "usage"}}) {
    SCOPED_TRACE(c.args);
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

// A copy of tqfill in a folder of its own: the module is looked for beside
// it, and --module names one elsewhere.
TEST(Cli, ModuleBesideTheProgramOrNamed) {
  char dir[] = "/tmp/tqfill-alone-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string program = std::string(dir) + "/tqfill";
  std::filesystem::copy_file(TQ_CLI_PATH, program);

  const Result missing = RunProgram(program, "about");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find(std::string(dir) + "/TQFill.so"), std::string::npos) << missing.err;

  const Result named = RunProgram(program, std::string("about --module '") + TQ_MODULE_PATH + "'");
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.out, "TQ Fill v1.0\nTQ Fill\n");

  const Result params = RunProgram(program, std::string("params --module='") + TQ_MODULE_PATH + "' --stops 11");
  EXPECT_EQ(params.status, 0) << params.err;
  EXPECT_EQ(Shown(params.out).size(), 67u);
  std::filesystem::remove_all(dir);
}

TEST(Cli, HelpOnEachCommand) {
  for (const char* args : {"--help", "about --help", "params --help"}) {
    SCOPED_TRACE(args);
    const Result r = RunCli(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: tqfill", 0), 0u) << r.out;
  }
}

}  // namespace
