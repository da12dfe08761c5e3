#include "audit/command.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "audit/apply_todo.h"
#include "audit/csv.h"
#include "audit/page_audit.h"
#include "audit/report.h"
#include "audit/sha256.h"
#include "audit/web_pages.h"
#include "host/error.h"
#include "pages/page.h"
#include "pages/page_file.h"

namespace audit {
namespace {

constexpr const char* kUsage =
    "usage: mapnote-audit [--shared-target] [--aria] [--json | --todo FILE.csv] WEB\n"
    "       mapnote-audit --apply FILE.csv WEB\n";

struct Options {
  AuditOptions audit;
  bool json = false;
  std::optional<std::string> todo, apply;
  std::string web;
};

// nullopt after a usage error, told on `err`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
  Options options;
  std::optional<std::string> web;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto fileOf = [&](std::optional<std::string>& file) {
      if (i + 1 >= args.size()) return false;
      file = args[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--shared-target") {
      options.audit.sharedTarget = true;
    } else if (arg == "--aria") {
      options.audit.aria = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--todo") {
      ok = fileOf(options.todo);
    } else if (arg == "--apply") {
      ok = fileOf(options.apply);
    } else if (arg.starts_with("-") || web) {
      ok = false;
    } else {
      web = arg;
    }
    if (!ok) {
      err << "mapnote-audit: unexpected \"" << arg << "\"\n" << kUsage;
      return std::nullopt;
    }
  }
  const bool conflicting = (options.json && options.todo) ||
                           (options.apply && (options.json || options.todo || options.audit.sharedTarget || options.audit.aria));
  if (!web || conflicting) {
    err << kUsage;
    return std::nullopt;
  }
  options.web = *web;
  return options;
}

// A one-line bar on a terminal, redrawn when the share done moves on. The
// findings of a page go out on a line of their own: the bar is wiped first
// and drawn again after them.
class Progress {
 public:
  Progress(std::ostream& out, std::ostream& err, std::size_t total, bool shown)
      : out_(out), err_(err), total_(total), shown_(shown) {}
  ~Progress() { Wipe(); }

  void Wipe() {
    if (!shown_ || filled_ > kWidth) return;
    err_ << "\r" << std::string(kWidth + 40, ' ') << "\r" << std::flush;
    filled_ = kWidth + 1;
  }

  void Done(std::size_t done) {
    if (!shown_) return;
    out_.flush();
    const std::size_t filled = done * kWidth / total_;
    if (filled == filled_ && done != total_) return;
    filled_ = filled;
    err_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << done << "/" << total_
         << " pages" << std::flush;
  }

 private:
  static constexpr std::size_t kWidth = 40;
  std::ostream& out_;
  std::ostream& err_;
  std::size_t total_;
  bool shown_;
  std::size_t filled_ = kWidth + 1;  // past the width: no bar drawn
};

std::string Plural(std::size_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

int Audit(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const WebPages web = ListWebPages(options.web);
  for (const auto& problem : web.problems) err << "mapnote-audit: cannot list " << problem << "\n";

  std::string todo = CsvRecord(kTodoHeader);
  std::size_t read = 0, unreadable = 0, areas = 0;
  std::array<std::size_t, 3> perRule{};
  bool firstJson = true;
  if (options.json) out << "[";
  {
    Progress progress(out, err, web.pages.size(), errIsTerminal && web.pages.size() > 200);
    for (std::size_t p = 0; p < web.pages.size(); ++p) {
      const std::string& path = web.pages[p];
      try {
        const pages::Page page(options.web + "/" + path);
        const PageAudit audit = AuditPage(page.markup(), page.markupEncoding(), options.audit);
        ++read;
        areas += audit.areas;
        const std::string sha256 = options.todo && !audit.findings.empty() ? Sha256Hex(page.bytes()) : std::string();
        if (!audit.findings.empty() && !options.todo) progress.Wipe();
        for (const Finding& finding : audit.findings) {
          ++perRule[static_cast<std::size_t>(finding.rule)];
          if (options.todo) {
            if (finding.rule != Rule::AltWithoutHref) todo += CsvRecord(TodoRow(path, finding, sha256));
          } else if (options.json) {
            out << (firstJson ? "\n  " : ",\n  ") << FindingJson(path, finding);
            firstJson = false;
          } else {
            out << FindingLine(path, finding) << "\n";
          }
        }
      } catch (const host::Error& e) {
        ++unreadable;
        progress.Wipe();
        err << "mapnote-audit: " << host::ToUtf8(e.description()) << "\n";
      }
      progress.Done(p + 1);
    }
  }
  if (options.json) out << (firstJson ? "]\n" : "\n]\n");

  const std::size_t found = perRule[0] + perRule[1] + perRule[2];
  if (options.todo) {
    try {
      pages::ReplacePageFile(*options.todo, todo);
    } catch (const host::Error& e) {
      err << "mapnote-audit: " << host::ToUtf8(e.description()) << "\n";
      return exit_status::Unusable;
    }
  }
  std::ostream& summary = options.json ? err : out;
  summary << Plural(read, "page", "pages") << (unreadable ? " (" + std::to_string(unreadable) + " unreadable)" : "")
          << ", " << Plural(areas, "area", "areas") << ": " << perRule[0] << " missing-alt, " << perRule[1]
          << " empty-alt, " << perRule[2] << " alt-without-href";
  if (options.todo) summary << "; to-do list " << *options.todo << ": " << Plural(perRule[0] + perRule[1], "row", "rows");
  summary << "\n";
  if (read == 0) {
    err << "mapnote-audit: no page could be read under " << options.web << "\n";
    return exit_status::Unusable;
  }
  return found > 0 ? exit_status::Found : exit_status::Clean;
}

int Apply(const Options& options, std::ostream& out, std::ostream& err) {
  std::ifstream in(std::filesystem::path(std::u8string(options.apply->begin(), options.apply->end())), std::ios::binary);
  if (!in) {
    err << "mapnote-audit: cannot read the list \"" << *options.apply << "\"\n";
    return exit_status::Unusable;
  }
  const std::string list{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  try {
    const ApplyCounts counts = ApplyTodo(options.web, list, out, err);
    out << "Wrote " << Plural(counts.texts, "alt text", "alt texts") << " to " << Plural(counts.pages, "page", "pages")
        << "; " << Plural(counts.refused, "page", "pages") << " refused\n";
    return counts.refused > 0 ? exit_status::Found : exit_status::Clean;
  } catch (const host::Error& e) {
    err << "mapnote-audit: " << *options.apply << ": " << host::ToUtf8(e.description()) << "\n";
    return exit_status::Unusable;
  }
}

}  // namespace

int RunAudit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const auto options = ParseOptions(args, err);
  if (!options) return exit_status::Unusable;
  return options->apply ? Apply(*options, out, err) : Audit(*options, out, err, errIsTerminal);
}

}  // namespace audit
