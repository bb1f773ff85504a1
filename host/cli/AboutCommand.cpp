// tqfill about: the text the effect gives for its about box.
#include <iostream>

#include "host/cli/Commands.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

namespace {

const char kAboutHelp[] =
    "usage: tqfill about [-v|--verbose] [--module PATH]\n"
    "\n"
    "Prints the effect's about text, its line break shown as a new line.\n"
    "\n"
    "      --module PATH  the effect module (default: TQFill.so beside tqfill)\n"
    "  -v, --verbose      show what the effect prints (its OpenGL banner) on\n"
    "                     standard error; without it that is shown only when\n"
    "                     the effect fails\n"
    "  -h, --help         this text\n";

}  // namespace

int RunAbout(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string module = DefaultModulePath();
  ArgReader reader(args);
  while (!reader.done()) {
    if (reader.flag("--help") || reader.flag("-h")) {
      out << kAboutHelp;
      return 0;
    }
    if (!ReadVerbose(reader) && !reader.option("--module", &module)) reader.unknown();
  }

  std::string text;
  {
    ModuleOutput quiet;
    HeadlessHost host(module);
    if (PF_Err e = host.about()) {
      err << "tqfill about: the effect answered with error " << e << "\n";
      return 2;
    }
    text = host.lastCommand().returnMsg;
  }
  for (char& c : text)
    if (c == '\r') c = '\n';
  out << text << "\n";
  return 0;
}

}  // namespace Tavrolin::Fill::Cli
