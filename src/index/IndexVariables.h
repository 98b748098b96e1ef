#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace velbrin {

// The variables of the index templates. In a template a variable is written
// "VLBN_" followed by its name; the names are tried in this order and the
// first one the text starts with is taken.
enum IndexVariable : int {
    VarVersion = 1,
    VarSommaire,
    VarTitle,
    VarUrl,
    VarHomePage,
    VarCaptureDate,
    VarCaptureTitle,
    VarCaptureUrl,
    VarCaptureSize,
    VarCaptureHomePage,
    VarCaptureImageCount,
    VarCaptureErrorCount,
    VarCaptureNotFoundCount,
    VarCaptureHtmlCount,
    VarCaptureFilteredCount,
    VarCaptureTodoCount,
    VarSessionErrorCount,
    VarSessionNotFoundCount,
    VarSessionCapturedCount,
    VarSessionFilteredCount,
    VarSessionStartTime,
    VarSessionStopTime,
    VarSessionTime,
    VarSessionSize,
    VarSessionSpeed,
    VarPageTitle,
    VarPageCount,
    VarPageNumber,
    VarPageNext,
    VarPageBack,
    VarPageIndex,
    VarImageCount,
    VarImageTable,
    VarHtmlTable,
    VarSoundTable,
    VarVideoTable,
    VarOtherTable,
    VarWebTable,
    VarLogTable,
    VarSiteTitle,
};

inline constexpr std::string_view kVariablePrefix = "VLBN_";

// The names after the prefix, variable 1 first.
inline constexpr std::array<std::string_view, 40> kIndexVariableNames = {
    "VERSION",
    "SOMMAIRE",
    "TITLE",
    "URL",
    "HOMEPAGE",
    "CAPTURE_DATE",
    "CAPTURE_TITLE",
    "CAPTURE_URL",
    "CAPTURE_SIZE",
    "CAPTURE_HOMEPAGE",
    "CAPTURE_IMAGECOUNT",
    "CAPTURE_ERRORCOUNT",
    "CAPTURE_NOTFOUNDCOUNT",
    "CAPTURE_HTMLCOUNT",
    "CAPTURE_FILTEREDCOUNT",
    "CAPTURE_TODOCOUNT",
    "SESSION_ERRORCOUNT",
    "SESSION_NOTFOUNDCOUNT",
    "SESSION_CAPTUREDCOUNT",
    "SESSION_FILTEREDCOUNT",
    "SESSION_STARTIME",
    "SESSION_STOPTIME",
    "SESSION_TIME",
    "SESSION_SIZE",
    "SESSION_SPEED",
    "PAGE_TITLE",
    "PAGE_COUNT",
    "PAGE_NUMBER",
    "PAGE_NEXT",
    "PAGE_BACK",
    "PAGE_INDEX",
    "IMAGE_COUNT",
    "IMAGE_TABLE",
    "HTML_TABLE",
    "SOUND_TABLE",
    "VIDEO_TABLE",
    "OTHER_TABLE",
    "WEB_TABLE",
    "LOG_TABLE",
    "SITE_TITLE",
};

// The variable whose name text starts with (exact case), or 0 for none.
int MatchIndexVariable(std::string_view text);

// Writes one template line into page with its variables replaced, then CR LF.
// Every "VLBN_" followed by a name gives way to what writeVariable writes for
// it; "VLBN_" followed by anything else loses only those five characters.
// Values are never searched for variables themselves.
using TVariableWriter = std::function<void(std::string& page, int variable)>;
void SubstituteLine(std::string_view line, std::string& page, const TVariableWriter& writeVariable);

} // namespace velbrin
