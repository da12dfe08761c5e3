#pragma once
// A web's own settings for the audit, in .mapnote-audit.json at its root,
// as a team keeps them beside its pages: which rules matter, which files
// are pages. What the command line gives wins.
#include <string>

#include "audit/command_line.h"

namespace audit {

inline constexpr const char* kSettingsFileName = ".mapnote-audit.json";

// `options` with the settings of the web at `web` taken in where the
// command line gave none: {"rules": {"alt-without-href": "off"}, "ext":
// ["htm", "php"], "exclude": ["drafts/"], "shared-target": true, "aria":
// true, "quality": true}. Throws host::Error naming the file for one that
// cannot be read or holds what it should not.
Options WithWebSettings(const Options& options, const std::string& web);

}  // namespace audit
