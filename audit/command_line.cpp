#include "audit/command_line.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "audit/terminal_text.h"

namespace audit {
namespace {

constexpr const char* kUsage =
    "usage: mapnote-audit [OPTION]... WEB|PAGE|-...\n"
    "       mapnote-audit --apply FILE.csv [--list-encoding utf-8|windows-1252] [--accept-suggestions] WEB\n"
    "       mapnote-audit --help | --version\n";

struct OptionSpec {
  const char* name;
  const char* value;  // what it takes, for the help and for "needs ..."; nullptr for none
  const char* help;
  std::function<bool(Options&, const std::string&, std::ostream&)> take;  // false after a usage error, told
};

bool Told(std::ostream& err, const std::string& what) {
  err << "mapnote-audit: " << ForTerminal(what) << "; see mapnote-audit --help\n";
  return false;
}

std::nullopt_t Refused(std::ostream& err, const std::string& what) {
  Told(err, what);
  return std::nullopt;
}

bool TakeFormat(Options& o, const std::string& format, std::ostream& err) {
  if (format != "text" && format != "json" && format != "sarif") {
    return Told(err, "unknown format \"" + format + "\" (text, json or sarif)");
  }
  const bool json = format == "json", sarif = format == "sarif";
  if ((o.json && !json) || (o.sarif && !sarif)) {
    return Told(err, std::string(o.json ? "--json" : "--format sarif") + " and --format " + format +
                         " cannot be used together");
  }
  o.json = json;
  o.sarif = sarif;
  return true;
}

bool TakeRule(Options& o, const std::string& setting, std::ostream& err) {
  const std::size_t equals = setting.find('=');
  const auto rule = RuleNamed(std::string_view(setting).substr(0, equals));
  if (!rule) return Told(err, "--rule: unknown rule \"" + setting.substr(0, equals) + "\"");
  const auto severity = equals == std::string::npos ? std::nullopt : SeverityNamed(std::string_view(setting).substr(equals + 1));
  if (!severity) return Told(err, "--rule " + setting + ": give the rule off, warning or error (--rule NAME=error)");
  o.rules.given[static_cast<std::size_t>(*rule)] = *severity;
  return true;
}

bool TakeCount(Options& o, const std::string& text, std::ostream& err) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return Told(err, "--max-warnings takes a number, not \"" + text + "\"");
  }
  o.maxWarnings = value;
  return true;
}

bool TakeExtensions(Options& o, const std::string& list, std::ostream& err) {
  std::vector<std::string> extensions;
  for (std::size_t at = 0; at <= list.size();) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    if (comma > at) extensions.push_back(list.substr(at, comma - at));
    at = comma + 1;
  }
  if (extensions.empty()) return Told(err, "--ext takes extensions, as --ext htm,html,php");
  o.extensions = std::move(extensions);
  return true;
}

const auto kFlag = [](bool Options::*flag) {
  return [flag](Options& o, const std::string&, std::ostream&) {
    o.*flag = true;
    return true;
  };
};
const auto kValue = [](std::optional<std::string> Options::*value) {
  return [value](Options& o, const std::string& text, std::ostream&) {
    o.*value = text;
    return true;
  };
};

const std::vector<OptionSpec>& KnownOptions() {
  static const std::vector<OptionSpec> known = {
      {"--shared-target", nullptr, "a blank alt is enough where another area of the map has one for the same link",
       [](Options& o, const std::string&, std::ostream&) { return o.audit.sharedTarget = o.sharedTargetGiven = true; }},
      {"--aria", nullptr, "a title, aria-label or aria-labelledby counts as the area's text",
       [](Options& o, const std::string&, std::ostream&) { return o.audit.aria = o.ariaGiven = true; }},
      {"--quality", nullptr, "warn of alt texts that are file names, addresses, code, placeholders, too long, or shared",
       [](Options& o, const std::string&, std::ostream&) { return o.audit.quality = o.qualityGiven = true; }},
      {"--rule", "NAME=SEVERITY", "a rule off, a warning or an error (repeatable)", TakeRule},
      {"--max-warnings", "N", "fail (exit 1) when there are more warnings than N", TakeCount},
      {"--ext", "LIST", "the extensions of the pages, as htm,html,shtml,asp (the default)", TakeExtensions},
      {"--exclude", "PATTERN", "leave out what the pattern matches, as .gitignore writes it (repeatable)",
       [](Options& o, const std::string& pattern, std::ostream&) {
         o.excluded.push_back(pattern);
         return true;
       }},
      {"--stdin-name", "PATH", "with -: the path of the page read from standard input, for links and messages",
       kValue(&Options::stdinName)},
      {"--format", "FORMAT", "print the findings as text (the default), json or sarif (a SARIF 2.1.0 log)", TakeFormat},
      {"--json", nullptr, "the same as --format json",
       [](Options& o, const std::string&, std::ostream& err) { return TakeFormat(o, "json", err); }},
      {"--baseline", "FILE", "leave out the findings recorded in FILE, and say how many", kValue(&Options::baseline)},
      {"--update-baseline", nullptr, "with --baseline: record today's findings in FILE", kFlag(&Options::updateBaseline)},
      {"--todo", "FILE.csv", "write the findings that want a text to a to-do list", kValue(&Options::todo)},
      {"--force", nullptr, "with --todo: write over a to-do list that holds texts, or a file that is no to-do list",
       kFlag(&Options::force)},
      {"--report", "FILE.html", "write a report page: each map's image with its areas drawn, and texts to fill in",
       kValue(&Options::report)},
      {"--apply", "FILE.csv", "write the new_alt texts of a filled-in to-do list into the pages", kValue(&Options::apply)},
      {"--list-encoding", "ENC", "with --apply: the list's encoding, utf-8 (the default) or windows-1252",
       [](Options& o, const std::string& encoding, std::ostream& err) {
         if (encoding != "utf-8" && encoding != "windows-1252") {
           return Told(err, "--list-encoding takes utf-8 or windows-1252, not \"" + encoding + "\"");
         }
         o.listEncoding = encoding;
         return true;
       }},
      {"--accept-suggestions", nullptr, "with --apply: where new_alt is empty, write suggested_alt",
       kFlag(&Options::acceptSuggestions)},
      {"--help", nullptr, "print this help and exit (-h)", kFlag(&Options::help)},
      {"--version", nullptr, "print the name and version and exit (-V)", kFlag(&Options::version)},
  };
  return known;
}

// What a value is called in "--todo needs a file name".
std::string Needs(const OptionSpec& option) {
  const std::string_view value = option.value;
  if (value.starts_with("FILE")) return "a file name";
  if (value == "N") return "a number";
  if (value == "PATH") return "a path";
  if (value == "LIST") return "a list of extensions";
  if (value == "PATTERN") return "a pattern";
  if (value == "ENC") return "an encoding";
  if (value == "FORMAT") return "a format (text, json or sarif)";
  return "a rule and a severity (NAME=SEVERITY)";
}

// The first option of the pair that cannot be used together, as given.
std::optional<std::string> Conflict(const Options& o) {
  const std::string format = o.json ? "--json" : o.sarif ? "--format sarif" : "";
  const auto together = [](const std::string& a, const std::string& b) { return a + " and " + b + " cannot be used together"; };
  if (!format.empty() && o.todo) return together(format, "--todo");
  if (o.force && !o.todo) return std::string("--force only goes with --todo");
  if (o.listEncoding && !o.apply) return std::string("--list-encoding only goes with --apply");
  if (o.acceptSuggestions && !o.apply) return std::string("--accept-suggestions only goes with --apply");
  if (o.updateBaseline && !o.baseline) return std::string("--update-baseline needs --baseline FILE");
  if (o.stdinName && std::find(o.targets.begin(), o.targets.end(), "-") == o.targets.end()) {
    return std::string("--stdin-name only goes with - (a page on standard input)");
  }
  if (o.apply) {
    const std::pair<bool, const char*> others[] = {
        {!format.empty(), format.c_str()}, {o.todo.has_value(), "--todo"}, {o.report.has_value(), "--report"},
        {o.audit.sharedTarget, "--shared-target"}, {o.audit.aria, "--aria"}, {o.audit.quality, "--quality"},
        {o.baseline.has_value(), "--baseline"}, {o.maxWarnings.has_value(), "--max-warnings"}};
    for (const auto& [given, name] : others) {
      if (given) return together("--apply", name);
    }
    if (o.targets.size() != 1 || o.targets[0] == "-") return std::string("--apply takes the one web folder its list is of");
  }
  if (std::count(o.targets.begin(), o.targets.end(), "-") > 1) return std::string("- (standard input) can be given once");
  return std::nullopt;
}

}  // namespace

Severity RuleSettings::Of(Rule rule, bool quality) const {
  if (const auto& setting = given[static_cast<std::size_t>(rule)]) return *setting;
  if (IsQualityRule(rule)) return quality ? Severity::Warning : Severity::Off;
  return rule == Rule::AltWithoutHref ? Severity::Warning : Severity::Error;
}

std::optional<Rule> RuleNamed(std::string_view name) {
  for (std::size_t r = 0; r < kRuleCount; ++r) {
    if (RuleName(static_cast<Rule>(r)) == name) return static_cast<Rule>(r);
  }
  return std::nullopt;
}

std::optional<Severity> SeverityNamed(std::string_view name) {
  for (const Severity severity : {Severity::Off, Severity::Warning, Severity::Error}) {
    if (SeverityName(severity) == name) return severity;
  }
  return std::nullopt;
}

std::string_view SeverityName(Severity severity) {
  switch (severity) {
    case Severity::Off: return "off";
    case Severity::Warning: return "warning";
    case Severity::Error: return "error";
  }
  return {};
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
  Options options;
  if (args.empty()) {
    err << kUsage;
    return std::nullopt;
  }
  bool onlyPaths = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (onlyPaths || arg == "-" || !arg.starts_with("-")) {
      options.targets.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPaths = true;
      continue;
    }
    if (arg == "-h") arg = "--help";
    if (arg == "-V") arg = "--version";
    std::optional<std::string> value;
    if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.resize(equals);
    }
    const auto& known = KnownOptions();
    const auto option = std::find_if(known.begin(), known.end(), [&](const OptionSpec& s) { return arg == s.name; });
    if (option == known.end()) {
      err << "mapnote-audit: unknown option \"" << ForTerminal(arg) << "\"; see mapnote-audit --help\n";
      return std::nullopt;
    }
    if (!option->value && value) return Refused(err, arg + " takes no value");
    if (option->value && !value) {
      if (i + 1 >= args.size()) return Refused(err, arg + " needs " + Needs(*option));
      // A value that looks like an option is one left out ("--todo --json
      // WEB"): no file of that name is written or read.
      if (args[i + 1].starts_with("-")) {
        err << "mapnote-audit: " << ForTerminal(arg) << " takes a value, not \"" << ForTerminal(args[i + 1])
            << "\" (write ./" << ForTerminal(args[i + 1]) << " for a file of that name)\n";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (!option->take(options, value.value_or(""), err)) return std::nullopt;
    if (options.help || options.version) return options;
  }
  if (options.targets.empty()) return Refused(err, "no web given: name a web folder, a page, or - for standard input");
  if (const auto conflict = Conflict(options)) return Refused(err, *conflict);
  return options;
}

void PrintHelp(std::ostream& out) {
  out << kUsage
      << "\nChecks the image-map areas of the pages of each web folder or page for alt text. A page's folder is its "
         "web.\n\nOptions:\n";
  for (const OptionSpec& option : KnownOptions()) {
    const std::string shown = option.value ? std::string(option.name) + " " + option.value : std::string(option.name);
    out << "  " << shown << std::string(shown.size() < 23 ? 23 - shown.size() : 1, ' ') << option.help << "\n";
  }
  out << "  --                     what follows is a path, whatever it looks like\n"
         "\nRules: ";
  for (std::size_t r = 0; r < kRuleCount; ++r) out << (r ? ", " : "") << RuleName(static_cast<Rule>(r));
  out << ".\nA web's settings file .mapnote-audit.json gives rules, ext, exclude, shared-target, aria and quality; "
         "the command line wins.\n"
         "\nExit status: 0 nothing found but warnings, 1 errors, warnings beyond --max-warnings, or a page refused, "
         "2 a usage error, an incomplete audit, or output that cannot be written.\n";
}

}  // namespace audit
