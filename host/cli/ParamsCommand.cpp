// tqfill params: the parameters as the host holds them after set-up, and
// which of them the effect shows for a fill type and a number of stops.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>

#include "host/cli/Commands.h"
#include "host/lib/HeadlessHost.h"

namespace Tavrolin::Fill::Cli {

namespace {

const char kParamsHelp[] =
    "usage: tqfill params [--fill-type CHOICE] [--stops N] [--module PATH] [-v|--verbose]\n"
    "\n"
    "Lists every parameter: index, name, type, default, range, and whether the\n"
    "effect shows it for the given fill type and number of colour stops.\n"
    "\n"
    "  --fill-type CHOICE  a \"Fill Type\" choice by its text (or the start of it,\n"
    "                      any case) or its number 1 to 4 (default: Solid Color)\n"
    "  --stops N           colour stops, 2 to 11 (default: 2)\n"
    "  --module PATH       the effect module (default: TQFill.so beside tqfill)\n"
    "  -v, --verbose       show what the effect prints (its OpenGL banner) on\n"
    "                      standard error; without it that is shown only when\n"
    "                      the effect fails\n"
    "  -h, --help          this text\n";

std::vector<std::string> SplitChoices(const char* text) {
  std::vector<std::string> out;
  if (!text) return out;
  std::string s(text);
  size_t start = 0;
  for (size_t bar; (bar = s.find('|', start)) != std::string::npos; start = bar + 1) out.push_back(s.substr(start, bar - start));
  out.push_back(s.substr(start));
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A 1-based choice from its number, its text or a unique start of it.
int ParseChoice(const std::string& text, const std::vector<std::string>& choices, const char* what) {
  const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };  // isdigit is undefined for a negative char
  if (!text.empty() && std::all_of(text.begin(), text.end(), digit))
    return ParseInt(text, 1, int(choices.size()), what);
  const std::string want = Lower(text);
  int found = 0;
  for (size_t i = 0; i < choices.size(); ++i) {
    const std::string c = Lower(choices[i]);
    if (c == want) return int(i) + 1;
    if (!want.empty() && c.compare(0, want.size(), want) == 0) found = found ? -1 : int(i) + 1;
  }
  if (found > 0) return found;
  std::string list;
  for (const std::string& c : choices) list += (list.empty() ? "" : ", ") + c;
  throw UsageError(std::string(what) + " \"" + text + "\" is none of: " + list);
}

std::string Number(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

std::string Fixed(PF_Fixed v) { return Number(v / 65536.0); }

const char* TypeName(PF_ParamType type) {
  switch (type) {
    case PF_Param_LAYER: return "layer";
    case PF_Param_SLIDER: return "slider";
    case PF_Param_FIX_SLIDER: return "fixed slider";
    case PF_Param_ANGLE: return "angle";
    case PF_Param_CHECKBOX: return "checkbox";
    case PF_Param_COLOR: return "color";
    case PF_Param_POINT: return "point";
    case PF_Param_POPUP: return "popup";
    case PF_Param_FLOAT_SLIDER: return "float slider";
    case PF_Param_GROUP_START: return "group start";
    case PF_Param_GROUP_END: return "group end";
    case PF_Param_POINT_3D: return "3D point";
    default: return "unknown";
  }
}

std::string Hex(PF_Pixel8 p) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X%02X", p.alpha, p.red, p.green, p.blue);
  return buffer;
}

void Describe(const PF_ParamDef& d, std::string& dflt, std::string& range) {
  dflt = range = "-";
  switch (d.param_type) {
    case PF_Param_POPUP: {
      const std::vector<std::string> choices = SplitChoices(d.u.pd.namesptr);
      const int k = d.u.pd.dephault;
      dflt = std::to_string(k);
      if (k >= 1 && size_t(k) <= choices.size()) dflt += " (" + choices[size_t(k) - 1] + ")";
      range = std::to_string(d.u.pd.num_choices) + " choices: " + (d.u.pd.namesptr ? d.u.pd.namesptr : "");
      break;
    }
    case PF_Param_COLOR: dflt = Hex(d.u.cd.dephault); break;
    case PF_Param_POINT:
      dflt = Fixed(d.u.td.x_dephault) + "%, " + Fixed(d.u.td.y_dephault) + "%";
      range = d.u.td.restrict_bounds ? "within the layer" : "unbounded";
      break;
    case PF_Param_POINT_3D:
      dflt = Number(d.u.point3d_d.x_dephault) + ", " + Number(d.u.point3d_d.y_dephault) + ", " +
             Number(d.u.point3d_d.z_dephault);
      break;
    case PF_Param_ANGLE:
      dflt = Fixed(d.u.ad.dephault) + " deg";
      if (d.u.ad.valid_min != 0 || d.u.ad.valid_max != 0)
        range = Fixed(d.u.ad.valid_min) + " to " + Fixed(d.u.ad.valid_max) + " deg";
      break;
    case PF_Param_CHECKBOX: dflt = d.u.bd.dephault ? "on" : "off"; break;
    case PF_Param_SLIDER:
      dflt = std::to_string(d.u.sd.dephault);
      range = std::to_string(d.u.sd.valid_min) + " to " + std::to_string(d.u.sd.valid_max) + " (slider " +
              std::to_string(d.u.sd.slider_min) + " to " + std::to_string(d.u.sd.slider_max) + ")";
      break;
    case PF_Param_FIX_SLIDER:
      dflt = Fixed(d.u.fd.dephault);
      range = Fixed(d.u.fd.valid_min) + " to " + Fixed(d.u.fd.valid_max) + " (slider " + Fixed(d.u.fd.slider_min) +
              " to " + Fixed(d.u.fd.slider_max) + ")";
      break;
    case PF_Param_FLOAT_SLIDER: {
      const bool percent = (d.u.fs_d.display_flags & PF_ValueDisplayFlag_PERCENT) != 0;
      const std::string unit = percent ? "%" : "";
      dflt = Number(d.u.fs_d.dephault) + unit;
      range = Number(d.u.fs_d.valid_min) + " to " + Number(d.u.fs_d.valid_max) + unit + " (slider " +
              Number(d.u.fs_d.slider_min) + " to " + Number(d.u.fs_d.slider_max) + ", " +
              std::to_string(d.u.fs_d.precision) + (d.u.fs_d.precision == 1 ? " decimal)" : " decimals)");
      break;
    }
    default: break;
  }
}

void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> width;
  for (const auto& row : rows)
    for (size_t c = 0; c < row.size(); ++c) {
      if (width.size() <= c) width.push_back(0);
      width[c] = std::max(width[c], row[c].size());
    }
  for (const auto& row : rows) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(width[c] - row[c].size() + 2, ' ');
    }
    out << line << "\n";
  }
}

void Check(PF_Err err, const char* what) {
  if (err) throw std::runtime_error(std::string("the effect's ") + what + " failed with error " + std::to_string(err));
}

int Require(const HeadlessHost& host, const char* name) {
  const int index = host.indexOf(name);
  if (index < 0) throw std::runtime_error(std::string("the effect has no \"") + name + "\" parameter");
  return index;
}

}  // namespace

int RunParams(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
  std::string module = DefaultModulePath();
  // Unset until given: an empty value given is a mistake, not the default.
  std::optional<std::string> fillText, stopsText;
  std::string value;
  ArgReader reader(args);
  while (!reader.done()) {
    if (reader.flag("--help") || reader.flag("-h")) {
      out << kParamsHelp;
      return 0;
    }
    if (ReadVerbose(reader) || reader.option("--module", &module)) continue;
    if (reader.option("--fill-type", &value)) {
      fillText = value;
      continue;
    }
    if (reader.option("--stops", &value)) {
      stopsText = value;
      continue;
    }
    reader.unknown();
  }
  const int stops = stopsText ? ParseInt(*stopsText, 2, 11, "--stops") : 2;

  std::vector<std::vector<std::string>> rows = {{"index", "name", "type", "default", "range", "shown"}};
  {
    ModuleOutput quiet;
    HeadlessHost host(module);
    Check(host.globalSetup(), "global set-up");
    Check(host.paramsSetup(), "parameter set-up");
    const int fillIndex = Require(host, "Fill Type");
    const int stopsIndex = Require(host, "Color Stop Amount");
    const int fill =
        fillText ? ParseChoice(*fillText, SplitChoices(host.registered(fillIndex).u.pd.namesptr), "--fill-type") : 1;
    host.setValue(fillIndex, ParamValue::scalar(fill));
    host.setValue(stopsIndex, ParamValue::scalar(stops - 1));  // choice 1 is two stops
    Check(host.updateParamsUI(), "parameter UI update");
    for (int i = 0; i < host.paramCount(); ++i) {
      const PF_ParamDef& d = host.registered(i);
      std::string dflt, range;
      Describe(d, dflt, range);
      // A module may fill all 32 bytes of the name: read no further.
      const std::string name(d.name, strnlen(d.name, sizeof d.name));
      rows.push_back({std::to_string(i), name.empty() ? "-" : name, TypeName(d.param_type), dflt, range,
                      host.isHidden(i) ? "no" : "yes"});
    }
    Check(host.globalSetdown(), "global set-down");
  }
  PrintTable(out, rows);
  return 0;
}

}  // namespace Tavrolin::Fill::Cli
