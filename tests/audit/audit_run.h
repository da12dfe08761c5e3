#pragma once
// mapnote-audit run in-process on a scratch web.
#include <sstream>
#include <string>
#include <vector>

#include "audit/command.h"

struct AuditRun {
  int status;
  std::string out, err;
};

inline AuditRun RunAuditOn(const std::vector<std::string>& args, bool terminal = false) {
  std::ostringstream out, err;
  const int status = audit::RunAudit(args, out, err, terminal);
  return {status, out.str(), err.str()};
}
