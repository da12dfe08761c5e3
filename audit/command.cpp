#include "audit/command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <thread>

#include "audit/apply_todo.h"
#include "audit/csv.h"
#include "audit/leftover_files.h"
#include "audit/ordered_pool.h"
#include "audit/page_audit.h"
#include "audit/report.h"
#include "audit/report_page.h"
#include "audit/sarif.h"
#include "audit/sha256.h"
#include "audit/suggestions.h"
#include "audit/terminal_text.h"
#include "audit/todo_file.h"
#include "audit/web_lock.h"
#include "audit/web_pages.h"
#include "host/error.h"
#include "pages/encoding.h"
#include "pages/page.h"

namespace audit {
namespace {

constexpr const char* kUsage =
    "usage: mapnote-audit [--shared-target] [--aria] [--quality] [--format FORMAT | --json | --todo FILE.csv [--force]]\n"
    "                     [--report FILE.html] WEB\n"
    "       mapnote-audit --apply FILE.csv [--list-encoding utf-8|windows-1252] [--accept-suggestions] WEB\n"
    "       mapnote-audit --help | --version\n";

// --help: the usage, then a line per option.
constexpr const char* kOptionHelp[][2] = {
    {"--shared-target", "a blank alt is enough where another area of the map has one for the same link"},
    {"--aria", "a title, aria-label or aria-labelledby counts as the area's text"},
    {"--quality", "warn of alt texts that are file names, addresses, code, placeholders, too long, or shared"},
    {"--format FORMAT", "print the findings as text (the default), json or sarif (a SARIF 2.1.0 log)"},
    {"--json", "the same as --format json"},
    {"--todo FILE.csv", "write the missing-alt and empty-alt findings to a to-do list"},
    {"--force", "with --todo: write over a to-do list that holds texts, or a file that is no to-do list"},
    {"--report FILE.html", "write a report page: each map's image with its areas drawn, and texts to fill in"},
    {"--apply FILE.csv", "write the new_alt texts of a filled-in to-do list into the pages"},
    {"--list-encoding ENC", "with --apply: the list's encoding, utf-8 (the default) or windows-1252"},
    {"--accept-suggestions", "with --apply: where new_alt is empty, write suggested_alt"},
    {"--help", "print this help and exit"},
    {"--version", "print the name and version and exit"},
};

void PrintHelp(std::ostream& out) {
  out << kUsage << "\nChecks the image-map areas of every page of the web WEB for alt text.\n\nOptions:\n";
  for (const auto& [option, help] : kOptionHelp) {
    const std::size_t width = std::string_view(option).size();
    out << "  " << option << std::string(width < 23 ? 23 - width : 1, ' ') << help << "\n";
  }
  out << "\nExit status: 0 nothing found, 1 findings or a page refused, 2 a usage error or an incomplete audit.\n";
}

struct Options {
  AuditOptions audit;
  bool json = false, sarif = false, force = false, acceptSuggestions = false;
  bool help = false, version = false;  // print that and do nothing else
  std::optional<std::string> todo, apply, listEncoding, report;
  std::string web;
};

// nullopt after a usage error, told on `err`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
  Options options;
  std::optional<std::string> web;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // A value that looks like an option is one left out ("--todo --json WEB"):
    // no file of that name is written or read.
    bool told = false;
    const auto valueOf = [&](std::optional<std::string>& value) {
      if (i + 1 >= args.size()) return false;
      if (args[i + 1].starts_with("-")) {
        err << "mapnote-audit: " << ForTerminal(arg) << " takes a value, not \"" << ForTerminal(args[i + 1])
            << "\" (write ./" << ForTerminal(args[i + 1]) << " for a file of that name)\n";
        told = true;
        return false;
      }
      value = args[++i];
      return true;
    };
    bool ok = true;
    if (arg == "--shared-target") {
      options.audit.sharedTarget = true;
    } else if (arg == "--aria") {
      options.audit.aria = true;
    } else if (arg == "--quality") {
      options.audit.quality = true;
    } else if (arg == "--json") {
      options.json = true;
      options.sarif = false;
    } else if (arg == "--format") {
      std::optional<std::string> format;
      ok = valueOf(format);
      if (ok && *format != "text" && *format != "json" && *format != "sarif") {
        err << "mapnote-audit: unknown format \"" << *format << "\" (text, json or sarif)\n";
        return std::nullopt;
      }
      options.json = ok && *format == "json";
      options.sarif = ok && *format == "sarif";
    } else if (arg == "--help" || arg == "--version") {
      (arg == "--help" ? options.help : options.version) = true;
      return options;
    } else if (arg == "--todo") {
      ok = valueOf(options.todo);
    } else if (arg == "--apply") {
      ok = valueOf(options.apply);
    } else if (arg == "--force") {
      options.force = true;
    } else if (arg == "--list-encoding") {
      ok = valueOf(options.listEncoding) && (*options.listEncoding == "utf-8" || *options.listEncoding == "windows-1252");
    } else if (arg == "--report") {
      ok = valueOf(options.report);
    } else if (arg == "--accept-suggestions") {
      options.acceptSuggestions = true;
    } else if (arg.starts_with("-")) {
      err << "mapnote-audit: unknown option \"" << ForTerminal(arg) << "\"; see mapnote-audit --help\n";
      return std::nullopt;
    } else if (web) {
      ok = false;
    } else {
      web = arg;
    }
    if (!ok) {
      if (!told) err << "mapnote-audit: unexpected \"" << ForTerminal(arg) << "\"\n";
      err << kUsage;
      return std::nullopt;
    }
  }
  const bool formatted = options.json || options.sarif;
  const bool conflicting = (formatted && options.todo) || (options.force && !options.todo) ||
                           (options.listEncoding && !options.apply) || (options.acceptSuggestions && !options.apply) ||
                           (options.apply && (formatted || options.todo || options.audit.sharedTarget || options.audit.aria || options.audit.quality ||
                                              options.report));
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

// What one page gave: its findings, or why it could not be read.
// What the outputs that need the whole web keep of it until all are read.
struct KeptPage {
  std::optional<PageAudit> audit;
  std::string sha256;  // for the to-do list's rows and the report
  std::vector<std::string> snippets;  // each finding's area tag, for SARIF
  ReportPageWriter::PageDraft draft;  // the page's part of the report
  std::vector<KeptText> keptTexts;    // that the suggestions must not repeat
  std::string error;
};
struct PageResult : KeptPage {
  // The facts of the page's reading that the suggestions take in.
  PageReading reading;
};

// The threads to read and check pages on: MAPNOTE_AUDIT_JOBS when set to a
// number (1 for one thread), at most 256, as more only cost memory, else one
// per core.
unsigned AuditJobs() {
  constexpr unsigned kMostJobs = 256;
  if (const char* jobs = std::getenv("MAPNOTE_AUDIT_JOBS")) {
    unsigned value = 0;
    const std::string_view text(jobs);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return kMostJobs;
    if (error == std::errc() && end == text.data() + text.size() && value > 0) return std::min(value, kMostJobs);
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

// "; incomplete: 2 pages unreadable, 1 folder not listed", or nothing.
std::string Incomplete(std::size_t pagesUnreadable, std::size_t foldersUnlisted) {
  if (pagesUnreadable == 0 && foldersUnlisted == 0) return "";
  std::string text = "; incomplete: ";
  if (pagesUnreadable) text += Plural(pagesUnreadable, "page", "pages") + " unreadable";
  if (pagesUnreadable && foldersUnlisted) text += ", ";
  if (foldersUnlisted) text += Plural(foldersUnlisted, "folder", "folders") + " not listed";
  return text;
}

int Audit(const Options& options, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const WebPages web = ListWebPages(options.web);
  std::optional<SarifLog> sarif;
  if (options.sarif) sarif.emplace(options.web);
  std::size_t unreadable = 0, unlisted = 0;
  for (const WebNote& note : web.notes) {
    unreadable += note.kind == WebNote::PageUnreadable;
    unlisted += note.kind == WebNote::FolderUnlisted;
    err << "mapnote-audit: " << ForTerminal(note.message) << "\n";
    if (sarif && note.kind != WebNote::Skipped) {
      sarif->AddUnread(note.kind == WebNote::PageUnreadable ? note.path : "", note.message);
    }
  }

  // Text goes out page by page as it is found. Every other output carries
  // suggestions, which are worked out from what the whole web says: those
  // keep what each page's one reading gave and go out once all are read.
  const bool wholeWeb = options.todo || options.json || options.sarif || options.report;
  ReadingNeeds needs = NeedsOf(options.audit);
  needs.facts = wholeWeb;
  std::vector<KeptPage> results(wholeWeb ? web.pages.size() : 0);
  Suggestions suggestions;
  std::optional<ReportPageWriter> report;
  if (options.report) report.emplace(*options.report, options.web);
  std::size_t read = 0, areas = 0;
  std::array<std::size_t, kRuleCount> perRule{};
  {
    Progress progress(out, err, web.pages.size(), errIsTerminal && web.pages.size() > 200);
    const auto check = [&](std::size_t p) {
      PageResult result;
      try {
        const pages::Page page(options.web + "/" + web.pages[p]);
        result.reading = ReadPage(page.markup(), page.markupEncoding(), needs);
        result.audit = AuditPage(result.reading, page.markup(), page.markupEncoding(), options.audit, web.pages[p]);
        const bool found = !result.audit->findings.empty();
        if (wholeWeb && found) {
          for (Finding& finding : result.audit->findings) {
            if (finding.href) finding.suggestion = OwnSuggestion(result.reading.areas[finding.area], finding);
          }
          result.keptTexts = KeptTexts(web.pages[p], result.reading, *result.audit);
        }
        if ((options.todo || options.report) && found) result.sha256 = Sha256Hex(page.bytes());
        if (sarif) {
          for (const Finding& finding : result.audit->findings) {
            result.snippets.push_back(AreaTagText(finding, page.markup(), page.markupEncoding()));
          }
        }
        if (report && found) result.draft = report->Draft(web.pages[p], result.reading, *result.audit);
        // Only what the suggestions use is kept of the reading.
        result.reading.areas = {};
        result.reading.maps = {};
        result.reading.images = {};
        result.reading.mapIds = {};
        result.reading.mapImages = {};
        result.reading.names = {};
      } catch (const host::Error& e) {
        result.error = host::ToUtf8(e.description());
      }
      return result;
    };
    // Each page's lines go out at once and are flushed, so that a run cut
    // short has printed every page it finished.
    const auto take = [&](std::size_t p, PageResult&& result) {
      if (!result.audit) {
        ++unreadable;
        progress.Wipe();
        err << "mapnote-audit: " << ForTerminal(result.error) << "\n";
      } else {
        ++read;
        areas += result.audit->areas;
        std::string lines;
        for (const Finding& finding : result.audit->findings) {
          ++perRule[static_cast<std::size_t>(finding.rule)];
          if (!wholeWeb) lines += FindingLine(web.pages[p], finding) + "\n";
        }
        if (!lines.empty()) {
          progress.Wipe();
          out << lines << std::flush;
        }
      }
      if (wholeWeb) {
        // In path order, so that ties between texts go to the first page.
        if (result.audit) suggestions.AddPage(web.pages[p], result.reading);
        results[p] = std::move(static_cast<KeptPage&>(result));
      }
      progress.Done(p + 1);
    };
    TakeInOrder<PageResult>(web.pages.size(), AuditJobs(), check, take);
  }

  if (wholeWeb) {
    std::string todo = CsvRecord(kTodoHeader);
    std::string json;
    // Each page's part of every output is made on every core too, and
    // gathered in path order.
    struct PageOutput {
      std::string todo, json, report;
    };
    const auto render = [&](std::size_t p) {
      PageOutput output;
      KeptPage& result = results[p];
      const std::string& path = web.pages[p];
      if (!result.audit) return output;
      for (Finding& finding : result.audit->findings) {
        if (!finding.suggestion) finding.suggestion = suggestions.For(path, finding);
      }
      KeepSuggestionsDistinct(path, result.audit->findings, result.keptTexts);
      for (const Finding& finding : result.audit->findings) {
        if (options.todo && finding.rule != Rule::AltWithoutHref) {
          output.todo += CsvRecord(TodoRow(path, finding, result.sha256));
        }
        if (options.json) output.json += ",\n  " + FindingJson(path, finding);
      }
      if (report) output.report = report->PageData(path, result.draft, *result.audit, result.sha256);
      return output;
    };
    const auto gather = [&](std::size_t p, PageOutput&& output) {
      const KeptPage& result = results[p];
      if (!result.audit) {
        if (sarif) sarif->AddUnread(web.pages[p], result.error);
        if (report) report->AddUnreadable();
        return;
      }
      if (sarif) {
        for (std::size_t f = 0; f < result.audit->findings.size(); ++f) {
          sarif->AddFinding(web.pages[p], result.audit->findings[f], result.snippets[f]);
        }
      }
      todo += output.todo;
      json += output.json;
      if (report) report->AddPage(*result.audit, std::move(output.report));
      results[p] = {};
    };
    if (report) {
      std::vector<const ReportPageWriter::PageDraft*> drafts;
      for (const KeptPage& result : results) drafts.push_back(&result.draft);
      report->Reserve(drafts);
    }
    TakeInOrder<PageOutput>(results.size(), AuditJobs(), render, gather);
    if (!json.empty()) json.erase(0, 1);  // no comma before the first
    if (options.json) out << "[" << json << (json.empty() ? "]\n" : "\n]\n");
    if (sarif) {
      if (read == 0) sarif->AddUnread("", "no page could be read under " + options.web);
      out << sarif->Text();
    }
    try {
      if (options.todo) SaveTodoList(*options.todo, todo, options.force);
      if (report) report->Write(*options.report);
    } catch (const host::Error& e) {
      err << "mapnote-audit: " << ForTerminal(host::ToUtf8(e.description())) << "\n";
      return exit_status::Unusable;
    }
  }

  std::size_t found = 0, rows = 0, warnings = 0;
  std::string quality;
  for (std::size_t r = 0; r < kRuleCount; ++r) {
    const auto rule = static_cast<Rule>(r);
    found += perRule[r];
    rows += rule == Rule::AltWithoutHref ? 0 : perRule[r];
    if (!IsQualityRule(rule) || perRule[r] == 0) continue;
    warnings += perRule[r];
    quality += (quality.empty() ? "" : ", ") + std::to_string(perRule[r]) + " " + std::string(RuleName(rule));
  }
  std::ostream& summary = options.json || options.sarif ? err : out;
  summary << Plural(read, "page", "pages") << ", " << Plural(areas, "area", "areas") << ": " << perRule[0]
          << " missing-alt, " << perRule[1] << " empty-alt, " << perRule[2] << " alt-without-href";
  if (options.audit.quality) {
    summary << "; " << Plural(warnings, "quality warning", "quality warnings") << (quality.empty() ? "" : " (" + quality + ")");
  }
  if (options.todo) {
    summary << "; to-do list " << ForTerminal(*options.todo) << ": " << Plural(rows, "row", "rows");
  }
  summary << Incomplete(unreadable, unlisted) << "\n";
  if (read == 0) {
    err << "mapnote-audit: no page could be read under " << ForTerminal(options.web) << "\n";
    return exit_status::Unusable;
  }
  if (unreadable > 0 || unlisted > 0) return exit_status::Incomplete;
  return found > 0 ? exit_status::Found : exit_status::Clean;
}

int Apply(const Options& options, std::ostream& out, std::ostream& err) {
  std::string list;
  try {
    list = ReadListFile(*options.apply);
  } catch (const host::Error& e) {
    err << "mapnote-audit: " << ForTerminal(host::ToUtf8(e.description())) << "\n";
    return exit_status::Unusable;
  }
  // A list with a byte-order mark is UTF-8 whatever was said; one without
  // that is UTF-8 all the same would go into the pages garbled.
  if (options.listEncoding == "windows-1252" && !list.starts_with("\xEF\xBB\xBF")) {
    if (!pages::IsAscii(list) && pages::IsValidUtf8(list)) {
      err << "mapnote-audit: " << ForTerminal(*options.apply) << ": the list is in UTF-8, not windows-1252: leave out --list-encoding\n";
      return exit_status::Unusable;
    }
    list = host::ToUtf8(pages::Decode(list, pages::Encoding::Windows1252));
  }
  std::string refusal;
  const auto lock = LockWeb(options.web, refusal);
  if (!lock) {
    err << "mapnote-audit: " << ForTerminal(refusal) << "\n";
    return exit_status::Unusable;
  }
  const Leftovers leftovers = RemoveLeftovers(options.web);
  for (const auto& file : leftovers.removed) err << "mapnote-audit: removed " << ForTerminal(file) << ", left by a run that was stopped\n";
  for (const auto& file : leftovers.kept) err << "mapnote-audit: cannot remove " << ForTerminal(file) << ", left by a run that was stopped\n";
  try {
    const ApplyCounts counts = ApplyTodo(options.web, std::move(list), out, err, options.acceptSuggestions);
    out << "Wrote " << Plural(counts.texts, "alt text", "alt texts") << " to " << Plural(counts.pages, "page", "pages")
        << "; " << (counts.already ? Plural(counts.already, "page", "pages") + " already written; " : "")
        << Plural(counts.refused, "page", "pages") << " refused\n";
    return counts.refused > 0 ? exit_status::Found : exit_status::Clean;
  } catch (const host::Error& e) {
    err << "mapnote-audit: " << ForTerminal(*options.apply) << ": " << ForTerminal(host::ToUtf8(e.description())) << "\n";
    return exit_status::Unusable;
  }
}

}  // namespace

int RunAudit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  const auto options = ParseOptions(args, err);
  if (!options) return exit_status::Unusable;
  if (options->help) PrintHelp(out);
  if (options->version) out << "mapnote-audit " MAPNOTE_AUDIT_VERSION "\n";
  if (options->help || options->version) return exit_status::Clean;
  // The files the audit writes are checked before the web is read, not after.
  try {
    if (options->todo) CheckTodoListFile(*options->todo, options->force);
    if (options->report) CheckReportFile(*options->report);
  } catch (const host::Error& e) {
    err << "mapnote-audit: " << ForTerminal(host::ToUtf8(e.description())) << "\n";
    return exit_status::Unusable;
  }
  return options->apply ? Apply(*options, out, err) : Audit(*options, out, err, errIsTerminal);
}

}  // namespace audit
