#include "audit/command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <optional>
#include <thread>

#include "audit/apply_todo.h"
#include "audit/baseline.h"
#include "audit/command_line.h"
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
#include "audit/web_settings.h"
#include "host/error.h"
#include "pages/encoding.h"
#include "pages/page.h"
#include "pages/utf8_path.h"

namespace audit {
namespace {

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
  Suggestions::PageSays says;  // what the suggestions take in of the page
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

// One thing the command line names to check: a web folder, or a page of
// the web that is its folder.
struct Target {
  std::string web;    // the folder, as its files are reached
  std::string shown;  // what the pages' paths are shown under; empty for none
  std::vector<std::string> pages;    // the pages to report on, relative to the web, in order; none for all
  std::optional<std::string> stdinPage, bytes;  // a page read from standard input, and its bytes
};

std::string Joined(const std::string& base, const std::string& relative) {
  return base.empty() ? relative : base + "/" + relative;
}

Target TargetOf(const std::string& given, const Options& options) {
  namespace fs = std::filesystem;
  Target target;
  std::string path = given;
  if (given == "-") {
    std::ostringstream bytes;
    bytes << std::cin.rdbuf();
    target.bytes = bytes.str();
    path = options.stdinName.value_or("-");
  }
  std::error_code ec;
  if (target.bytes || (!fs::is_directory(pages::PathOf(path), ec) && fs::exists(pages::PathOf(path), ec))) {
    const std::size_t slash = path.find_last_of('/');
    target.web = slash == std::string::npos ? "." : path.substr(0, std::max<std::size_t>(slash, 1));
    target.shown = slash == std::string::npos ? "" : path.substr(0, slash);
    target.pages = {slash == std::string::npos ? path : path.substr(slash + 1)};
    if (target.bytes) target.stdinPage = target.pages.front();
    return target;
  }
  target.web = path;
  while (path.size() > 1 && path.ends_with("/")) path.pop_back();
  target.shown = path == "." ? "" : path;
  return target;
}

// Whether two targets are of one web folder, however it was written: by a
// relative or an absolute path, or through a link.
bool SameWeb(const Target& a, const Target& b) {
  const auto folder = [](const std::string& web) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path path = fs::weakly_canonical(pages::PathOf(web), ec);
    if (ec) path = pages::PathOf(web).lexically_normal();
    std::string normal = pages::Utf8Of(path.generic_u8string());
    while (normal.size() > 1 && normal.ends_with("/")) normal.pop_back();
    return normal;
  };
  return folder(a.web) == folder(b.web);
}

// Targets of one web become one, so that the web is read once and every
// output of the run holds each of its pages once: a folder takes in the
// pages of it that are named too.
void TakeInto(Target& into, Target&& other) {
  if (other.bytes) {
    into.stdinPage = std::move(other.stdinPage);
    into.bytes = std::move(other.bytes);
  }
  if (into.pages.empty() || other.pages.empty()) {
    into.pages.clear();
    return;
  }
  for (std::string& page : other.pages) {
    const auto at = std::lower_bound(into.pages.begin(), into.pages.end(), page);
    if (at == into.pages.end() || *at != page) into.pages.insert(at, std::move(page));
  }
}

// What the run found, over every target.
struct Tally {
  std::size_t read = 0, areas = 0, unreadable = 0, unlisted = 0, otherPages = 0, errors = 0, warnings = 0;
  std::array<std::size_t, kRuleCount> perRule{};
  bool firstJson = true;
};

// The audit of one target, its findings going out to the outputs as they are
// found (text) or once the whole web is read (the others).
bool AuditTarget(const Target& target, std::size_t webIndex, const Options& options, std::optional<SarifLog>& sarif,
                 std::optional<Baseline>& baseline, const std::string& baselineWeb, Tally& tally, std::ostream& out,
                 std::ostream& err, bool errIsTerminal) {
  PageSelection selection;
  if (options.extensions) selection.SetExtensions(*options.extensions);
  for (const std::string& pattern : options.excluded) selection.Exclude(pattern);
  // Text goes out page by page as it is found. Every other output carries
  // suggestions, which are worked out from what the whole web says: those
  // keep what each page's one reading gave and go out once all are read.
  const bool wholeWeb = options.todo || options.json || options.sarif || options.report;
  WebPages web;
  if (target.pages.empty() || wholeWeb) web = ListWebPages(target.web, selection);
  if (!target.pages.empty()) {
    // The pages themselves even where the selection would pass them over;
    // the web's other pages only for what they say.
    auto& listed = web.pages;
    for (const std::string& page : target.pages) {
      const auto at = std::lower_bound(listed.begin(), listed.end(), page);
      if (at == listed.end() || *at != page) listed.insert(at, page);
    }
    web.notes.clear();
  }
  tally.otherPages += web.otherPages;
  const auto reported = [&](std::size_t p) {
    return target.pages.empty() || std::binary_search(target.pages.begin(), target.pages.end(), web.pages[p]);
  };
  for (const WebNote& note : web.notes) {
    tally.unreadable += note.kind == WebNote::PageUnreadable;
    tally.unlisted += note.kind == WebNote::FolderUnlisted;
    err << "mapnote-audit: " << ForTerminal(note.path.empty() || note.message.starts_with("cannot list") ? note.message : Joined(target.shown, note.message)) << "\n";
    if (sarif && note.kind != WebNote::Skipped) {
      sarif->AddUnread(webIndex, note.kind == WebNote::PageUnreadable ? note.path : "", note.message);
    }
  }

  AuditOptions audit = options.audit;
  for (std::size_t r = 0; r < kRuleCount; ++r) {
    if (IsQualityRule(static_cast<Rule>(r)) && options.rules.Of(static_cast<Rule>(r), audit.quality) != Severity::Off) audit.quality = true;
  }
  const auto severity = [&](Rule rule) { return options.rules.Of(rule, options.audit.quality); };
  ReadingNeeds needs = NeedsOf(audit);
  needs.facts = needs.facts || wholeWeb;
  needs.shapes = options.report.has_value();
  std::vector<KeptPage> results(wholeWeb ? web.pages.size() : 0);
  Suggestions suggestions;
  std::optional<ReportPageWriter> report;
  if (options.report) report.emplace(*options.report, target.web);
  std::size_t read = 0;
  {
    Progress progress(out, err, web.pages.size(), errIsTerminal && web.pages.size() > 200);
    const auto check = [&](std::size_t p) {
      PageResult result;
      try {
        const std::string file = target.web + "/" + web.pages[p];
        // Each thread reads into the memory of the page it read last.
        thread_local std::string spare;
        pages::Page page = target.bytes && web.pages[p] == *target.stdinPage ? pages::Page::OfBytes(file, *target.bytes)
                                                                             : pages::Page::Read(file, std::move(spare));
        const PageReading reading = ReadPage(page.markup(), page.markupEncoding(), needs);
        result.audit = AuditPage(reading, page.markup(), page.markupEncoding(), audit, web.pages[p]);
        auto& findings = result.audit->findings;
        std::erase_if(findings, [&](const Finding& f) { return !reported(p) || severity(f.rule) == Severity::Off; });
        const bool found = !findings.empty();
        if (wholeWeb && found) {
          for (Finding& finding : findings) {
            if (finding.href) finding.suggestion = OwnSuggestion(reading.areas[finding.area], finding);
          }
          result.keptTexts = KeptTexts(web.pages[p], reading, *result.audit);
        }
        // Only rows carry the digest, and a page may have none:
        // hashing is the dearest step of a to-do list.
        const bool rows = std::any_of(findings.begin(), findings.end(), [](const Finding& f) { return GivesRow(f.rule); });
        if ((options.todo || options.report) && rows) result.sha256 = Sha256Hex(page.bytes());
        if (sarif || baseline) {
          for (const Finding& finding : findings) {
            result.snippets.push_back(AreaTagText(finding, page.markup(), page.markupEncoding()));
          }
        }
        if (report && found) result.draft = report->Draft(web.pages[p], reading, *result.audit);
        if (wholeWeb) result.says = Suggestions::WhatPageSays(web.pages[p], reading);
        spare = std::move(page).TakeBytes();
      } catch (const host::Error& e) {
        result.error = host::ToUtf8(e.description());
      }
      return result;
    };
    // Each page's lines go out at once and are flushed, so that a run cut
    // short has printed every page it finished.
    const auto take = [&](std::size_t p, PageResult&& result) {
      if (!result.audit) {
        ++tally.unreadable;
        progress.Wipe();
        err << "mapnote-audit: " << ForTerminal(result.error) << "\n";
      } else {
        if (reported(p)) {
          ++read;
          tally.areas += result.audit->areas;
        }
        std::string lines;
        auto& findings = result.audit->findings;
        std::size_t kept = 0;
        for (std::size_t f = 0; f < findings.size(); ++f) {
          const Finding& finding = findings[f];
          if (baseline && options.updateBaseline) {
            baseline->Record(baselineWeb, web.pages[p], finding, result.snippets[f]);
            continue;
          }
          if (baseline && baseline->Takes(baselineWeb, web.pages[p], finding, result.snippets[f])) continue;
          ++tally.perRule[static_cast<std::size_t>(finding.rule)];
          ++(severity(finding.rule) == Severity::Error ? tally.errors : tally.warnings);
          if (!wholeWeb) lines += FindingLine(Joined(target.shown, web.pages[p]), finding) + "\n";
          if (kept != f) {
            findings[kept] = std::move(findings[f]);
            if (!result.snippets.empty()) result.snippets[kept] = std::move(result.snippets[f]);
          }
          ++kept;
        }
        findings.resize(kept);
        if (!result.snippets.empty()) result.snippets.resize(kept);
        if (!lines.empty()) {
          progress.Wipe();
          out << lines << std::flush;
        }
      }
      if (wholeWeb) {
        // In path order, so that ties between texts go to the first page.
        if (result.audit) suggestions.AddPage(web.pages[p], std::move(result.says));
        results[p] = std::move(static_cast<KeptPage&>(result));
      }
      progress.Done(p + 1);
    };
    TakeInOrder<PageResult>(web.pages.size(), AuditJobs(), check, take);
  }
  tally.read += read;

  if (wholeWeb) {
    std::string todo = CsvRecord(kTodoHeader);
    // Each page's part of every output is made on every core too, and
    // gathered in path order.
    struct PageOutput {
      std::string todo, json, report;
      std::vector<std::string> sarif;
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
        if (options.todo && GivesRow(finding.rule)) {
          output.todo += CsvRecord(TodoRow(path, finding, result.sha256));
        }
        if (options.json) output.json += ",\n  " + FindingJson(path, finding, SeverityName(severity(finding.rule)));
      }
      if (sarif) {
        const auto& findings = result.audit->findings;
        for (std::size_t f = 0; f < findings.size(); ++f) {
          output.sarif.push_back(sarif->ResultText(webIndex, path, findings[f], result.snippets[f],
                                                   severity(findings[f].rule) == Severity::Error, baseline.has_value()));
        }
      }
      if (report) output.report = report->PageData(path, result.draft, *result.audit, result.sha256);
      return output;
    };
    const auto gather = [&](std::size_t p, PageOutput&& output) {
      const KeptPage& result = results[p];
      if (!result.audit) {
        if (sarif) sarif->AddUnread(webIndex, web.pages[p], result.error);
        if (report) report->AddUnreadable();
        return;
      }
      for (const std::string& text : output.sarif) sarif->AddResult(text);
      todo += output.todo;
      if (!output.json.empty()) {
        // The array goes out as it is made; no comma before its first.
        out << (tally.firstJson ? output.json.substr(1) : output.json);
        tally.firstJson = false;
      }
      if (report && (reported(p))) report->AddPage(*result.audit, output.report);
      results[p] = {};
    };
    // Only pages with findings, or that could not be read, have a part; the
    // report counts every page.
    std::vector<std::size_t> parts;
    for (std::size_t p = 0; p < results.size(); ++p) {
      if (report || !results[p].audit || !results[p].audit->findings.empty()) parts.push_back(p);
    }
    const auto renderAll = [&] {
      TakeInOrder<PageOutput>(
          parts.size(), AuditJobs(), [&](std::size_t k) { return render(parts[k]); },
          [&](std::size_t k, PageOutput&& output) { gather(parts[k], std::move(output)); });
    };
    try {
      // The report goes out as its pages' parts are made.
      if (report) {
        report->Write(*options.report, renderAll);
      } else {
        renderAll();
      }
      if (options.todo) SaveTodoList(*options.todo, todo, options.force);
    } catch (const host::Error& e) {
      err << "mapnote-audit: " << ForTerminal(host::ToUtf8(e.description())) << "\n";
      return false;
    }
  }
  return true;
}

int Audit(const Options& given, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  std::optional<Baseline> baseline;
  std::vector<std::pair<Target, Options>> targets;
  try {
    if (given.baseline) baseline = given.updateBaseline ? Baseline() : Baseline::Read(*given.baseline);
    for (const std::string& path : given.targets) {
      Target target = TargetOf(path, given);
      const auto same = std::find_if(targets.begin(), targets.end(), [&](const auto& t) { return SameWeb(t.first, target); });
      if (same != targets.end()) {
        TakeInto(same->first, std::move(target));
        continue;
      }
      Options options = WithWebSettings(given, target.web);
      targets.emplace_back(std::move(target), std::move(options));
    }
  } catch (const host::Error& e) {
    err << "mapnote-audit: " << ForTerminal(host::ToUtf8(e.description())) << "\n";
    return exit_status::Unusable;
  }
  // A to-do list and a report are of one web, as --apply writes into one.
  for (const auto& [asked, name] : {std::pair(given.todo.has_value(), "--todo"), std::pair(given.report.has_value(), "--report")}) {
    if (asked && targets.size() > 1) {
      err << "mapnote-audit: " << name << " takes pages of one web, not of " << targets.size() << " folders; see mapnote-audit --help\n";
      return exit_status::Unusable;
    }
  }
  std::optional<SarifLog> sarif;
  if (given.sarif) {
    std::vector<std::string> webs;
    for (const auto& [target, options] : targets) webs.push_back(target.web);
    sarif.emplace(out, webs);
  }
  if (given.json) out << "[";
  Tally tally;
  for (std::size_t t = 0; t < targets.size(); ++t) {
    const auto& [target, options] = targets[t];
    // Findings of one web are recorded as of their page in it, as a baseline
    // of one web always was; of several, with the web as given.
    const std::string baselineWeb = targets.size() > 1 ? (target.shown.empty() ? "." : target.shown) : "";
    if (!AuditTarget(target, t, options, sarif, baseline, baselineWeb, tally, out, err, errIsTerminal)) {
      return exit_status::Unusable;
    }
  }
  if (given.json) out << (tally.firstJson ? "]\n" : "\n]\n");
  if (sarif) {
    if (tally.read == 0) sarif->AddUnread(std::nullopt, "", "no page could be read under " + given.targets.front());
    sarif->Finish();
  }
  if (baseline && given.updateBaseline) {
    try {
      baseline->Write(*given.baseline);
    } catch (const host::Error& e) {
      err << "mapnote-audit: " << ForTerminal(host::ToUtf8(e.description())) << "\n";
      return exit_status::Unusable;
    }
  }

  std::size_t rows = 0, warnings = 0;
  std::string quality;
  for (std::size_t r = 0; r < kRuleCount; ++r) {
    const auto rule = static_cast<Rule>(r);
    rows += GivesRow(rule) ? tally.perRule[r] : 0;
    if (!IsQualityRule(rule) || tally.perRule[r] == 0) continue;
    warnings += tally.perRule[r];
    quality += (quality.empty() ? "" : ", ") + std::to_string(tally.perRule[r]) + " " + std::string(RuleName(rule));
  }
  std::ostream& summary = given.json || given.sarif ? err : out;
  const auto& perRule = tally.perRule;
  summary << Plural(tally.read, "page", "pages") << ", " << Plural(tally.areas, "area", "areas") << ": " << perRule[0]
          << " missing-alt, " << perRule[1] << " empty-alt, " << perRule[2] << " alt-without-href";
  if (given.audit.quality || !quality.empty()) {
    summary << "; " << Plural(warnings, "quality warning", "quality warnings") << (quality.empty() ? "" : " (" + quality + ")");
  }
  if (given.todo) summary << "; to-do list " << ForTerminal(*given.todo) << ": " << Plural(rows, "row", "rows");
  if (baseline && given.updateBaseline) {
    summary << "; baseline " << ForTerminal(*given.baseline) << ": " << Plural(baseline->Gone(), "finding", "findings")
            << " recorded";
  } else if (baseline) {
    summary << "; baseline: " << baseline->Taken() << " known left out, " << baseline->Gone() << " gone";
  }
  if (tally.otherPages > 0) {
    summary << "; " << Plural(tally.otherPages, "file", "files") << " of other kinds of page left out (see --ext)";
  }
  summary << Incomplete(tally.unreadable, tally.unlisted) << "\n";
  if (tally.read == 0) {
    err << "mapnote-audit: no page could be read under " << ForTerminal(given.targets.front()) << "\n";
    return exit_status::Unusable;
  }
  if (tally.unreadable > 0 || tally.unlisted > 0) return exit_status::Incomplete;
  const bool tooManyWarnings = given.maxWarnings && tally.warnings > *given.maxWarnings;
  return tally.errors > 0 || tooManyWarnings ? exit_status::Found : exit_status::Clean;
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
  const std::string& web = options.targets.front();
  const auto lock = LockWeb(web, refusal);
  if (!lock) {
    err << "mapnote-audit: " << ForTerminal(refusal) << "\n";
    return exit_status::Unusable;
  }
  const Leftovers leftovers = RemoveLeftovers(web);
  for (const auto& file : leftovers.removed) err << "mapnote-audit: removed " << ForTerminal(file) << ", left by a run that was stopped\n";
  for (const auto& file : leftovers.kept) err << "mapnote-audit: cannot remove " << ForTerminal(file) << ", left by a run that was stopped\n";
  try {
    PageSelection selection;
    if (options.extensions) selection.SetExtensions(*options.extensions);
    for (const std::string& pattern : options.excluded) selection.Exclude(pattern);
    const ApplyCounts counts = ApplyTodo(web, std::move(list), out, err, options.acceptSuggestions, selection);
    if (counts.texts == 0 && counts.already == 0 && counts.refused == 0 && counts.empty > 0) {
      out << "Nothing to write: " << Plural(counts.empty, "row has", "rows have") << " no new_alt";
      if (counts.emptyWithSuggestion > 0 && !options.acceptSuggestions) {
        out << " (" << counts.emptyWithSuggestion << " of them a suggested_alt, which --accept-suggestions writes)";
      }
      out << "\n";
    }
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
