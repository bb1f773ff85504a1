// tqfill: drives the effect module through the headless host.
#include <cstring>
#include <exception>
#include <iostream>

#include "host/cli/Commands.h"

namespace Tavrolin::Fill::Cli {

const std::vector<Command>& CommandTable() {
  static const std::vector<Command> kCommands = {
      {"about", "print the effect's about text", RunAbout},
      {"params", "list the parameters and which are shown", RunParams},
      {"render", "render one frame over a PNG or the built-in picture", RunRender},
      {"sequence", "render numbered frames with keyframed parameters", RunSequence},
      {"gallery", "draw every fill type with every blend mode in one picture", RunGallery},
  };
  return kCommands;
}

namespace {

void PrintUsage(std::ostream& out) {
  out << "usage: tqfill COMMAND [OPTIONS]\n\ncommands:\n";
  for (const Command& c : CommandTable()) {
    out << "  " << c.name;
    for (size_t i = std::strlen(c.name); i < 10; ++i) out << ' ';
    out << c.summary << "\n";
  }
  out << "\nRun 'tqfill COMMAND --help' for the options of a command.\n";
}

}  // namespace

}  // namespace Tavrolin::Fill::Cli

int main(int argc, char** argv) {
  using namespace Tavrolin::Fill::Cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintUsage(std::cout);
    return 0;
  }
  for (const Command& c : CommandTable()) {
    if (args[0] != c.name) continue;
    // What the module printed matters only when the effect failed: a wrong
    // argument is the user's, and the banner would bury its message.
    int status = 0;
    try {
      status = c.run(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    } catch (const UsageError& e) {
      ModuleOutput::discard();
      std::cerr << "tqfill " << c.name << ": " << e.what() << "\n"
                << "Run 'tqfill " << c.name << " --help' for usage.\n";
      return 2;
    } catch (const std::exception& e) {
      std::cerr << "tqfill " << c.name << ": " << e.what() << "\n";
      ModuleOutput::show();
      return 2;
    }
    if (status == 0)
      ModuleOutput::discard();
    else
      ModuleOutput::show();
    return status;
  }
  std::cerr << "tqfill: unknown command \"" << args[0] << "\"\n";
  PrintUsage(std::cerr);
  return 2;
}
