#pragma once
// mapnote-audit run in-process on a scratch web.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "audit/command.h"

struct AuditRun {
  int status;
  std::string out, err;
};

// Pages are named under the web as given ("WEB/a.htm:1:2: ..."); the
// scratch webs' own paths are taken off the lines that begin with them
// again, so that the tables can name the pages as the web does.
// AuditCommand.NamesPagesUnderThePathsGiven checks the paths themselves.
inline AuditRun RunAuditOn(const std::vector<std::string>& args, bool terminal = false) {
  std::ostringstream out, err;
  const int status = audit::RunAudit(args, out, err, terminal);
  AuditRun run{status, out.str(), err.str()};
  for (const std::string& arg : args) {
    std::error_code ec;
    if (arg.empty() || arg.starts_with("-") || !std::filesystem::is_directory(arg, ec)) continue;
    for (const auto& [text, lead] : {std::pair(&run.out, std::string()), std::pair(&run.err, std::string("mapnote-audit: "))}) {
      const std::string shown = lead + arg + "/";
      for (std::size_t at = 0; (at = text->find(shown, at)) != std::string::npos;) {
        if (at == 0 || (*text)[at - 1] == '\n') text->erase(at + lead.size(), arg.size() + 1);
        at += lead.size() + 1;
      }
    }
  }
  return run;
}
