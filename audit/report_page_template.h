#pragma once
// The report page's HTML, styles and script, with a place for its data.
#include <string_view>

namespace audit {

extern const std::string_view kReportPageTemplate;
// Where in the template the data goes: a JSON object inside a
// <script type="application/json"> element.
inline constexpr std::string_view kReportPageData = "@REPORT_DATA@";
// Where the web's name goes in the <title>, as HTML text.
inline constexpr std::string_view kReportPageTitle = "@REPORT_TITLE@";

}  // namespace audit
