// mapnote-audit: checks the image-map areas of every page of a web for alt
// text, and writes the texts an author gives back into the pages.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "audit/command.h"
#include "audit/output_check.h"
#include "host/text.h"

#ifdef _WIN32
#include "audit/win/console_out.h"

// The arguments in UTF-16, so that any file name arrives whole.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(host::ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
#else
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  std::ios::sync_with_stdio(false);
  audit::CheckedOutput output;
#ifdef _WIN32
  const audit::win::ConsoleOut console;
#endif
  const int status = audit::RunAudit(args, std::cout, std::cerr, isatty(2) != 0);
  std::cout.flush();
  if (const auto failure = output.Failure()) {
    std::cerr << "mapnote-audit: cannot write standard output: " << *failure << "\n";
    return audit::exit_status::Unusable;
  }
  return status;
}
