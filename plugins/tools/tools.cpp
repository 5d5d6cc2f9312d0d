/** @file tools.cpp ** tools.so, the plug-in collection shipped with Pagemason: case changes and
 ** wrappers for the selection, dates and times, filler text and the caret position. **/
#include "pagemason_plugin.h"

#include <clocale>
#include <cstdio>
#include <ctime>
#include <cwctype>
#include <locale.h>
#include <string>

namespace {

// Every function hands back a pointer into this buffer; the host copies the text before the
// library is unloaded.
std::string result;

const char* answer(std::string text)
{
    result = std::move(text);
    return result.c_str();
}

/// The selection as text that stays text: a "{=" the user selected must not become a
/// request of the template this text is inserted into. Pagemason drops U+FDD0 when it types.
std::string selectionAsText()
{
    const std::string selected = getSelectedText();
    std::string out;
    out.reserve(selected.size());
    for (size_t i = 0; i < selected.size(); ++i) {
        out += selected[i];
        if (selected[i] == '{' && i + 1 < selected.size() && selected[i + 1] == '=')
            out += "\xEF\xB7\x90";
    }
    return out;
}

/// Decodes one UTF-8 sequence at `i` (moving on); a byte that starts none is taken alone.
char32_t decode(const std::string& s, size_t& i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) {
            ++i;
            return c;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    i += extra + 1;
    return cp;
}

void encode(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

enum class Case { upper, lower, title };

std::string changeCase(const std::string& text, Case to)
{
    static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    std::string out;
    out.reserve(text.size());
    bool wordStart = true;
    for (size_t i = 0; i < text.size();) {
        const char32_t c = decode(text, i);
        wint_t w = wint_t(c);
        const bool letter = utf8 ? iswalpha_l(w, utf8) : std::iswalpha(w);
        const bool upper = to == Case::upper || (to == Case::title && wordStart);
        if (utf8)
            w = upper ? towupper_l(w, utf8) : towlower_l(w, utf8);
        else
            w = upper ? std::towupper(w) : std::towlower(w);
        encode(char32_t(w), out);
        wordStart = !letter && c != '\'';
    }
    return out;
}

std::string wrapSelection(const char* tag)
{
    return std::string("<") + tag + ">" + selectionAsText() + "</" + tag + ">";
}

std::string formatNow(const char* format, bool utc = false)
{
    const std::time_t now = std::time(nullptr);
    std::tm parts {};
    if (utc)
        gmtime_r(&now, &parts);
    else
        localtime_r(&now, &parts);
    static const char* const weekdays[]
        = { "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday" };
    static const char* const months[] = { "January", "February", "March", "April", "May", "June",
        "July", "August", "September", "October", "November", "December" };
    // Names in English whatever the machine's locale: they end up in a page, not on screen.
    const std::string pattern(format);
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            out += pattern[i];
            continue;
        }
        char buffer[16];
        switch (pattern[++i]) {
        case 'Y':
            std::snprintf(buffer, sizeof buffer, "%04d", parts.tm_year + 1900);
            break;
        case 'm':
            std::snprintf(buffer, sizeof buffer, "%02d", parts.tm_mon + 1);
            break;
        case 'd':
            std::snprintf(buffer, sizeof buffer, "%02d", parts.tm_mday);
            break;
        case 'e':
            std::snprintf(buffer, sizeof buffer, "%d", parts.tm_mday);
            break;
        case 'H':
            std::snprintf(buffer, sizeof buffer, "%02d", parts.tm_hour);
            break;
        case 'M':
            std::snprintf(buffer, sizeof buffer, "%02d", parts.tm_min);
            break;
        case 'S':
            std::snprintf(buffer, sizeof buffer, "%02d", parts.tm_sec);
            break;
        case 'A':
            std::snprintf(buffer, sizeof buffer, "%s", weekdays[parts.tm_wday]);
            break;
        case 'a':
            std::snprintf(buffer, sizeof buffer, "%.3s", weekdays[parts.tm_wday]);
            break;
        case 'B':
            std::snprintf(buffer, sizeof buffer, "%s", months[parts.tm_mon]);
            break;
        case 'b':
            std::snprintf(buffer, sizeof buffer, "%.3s", months[parts.tm_mon]);
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "%%%c", pattern[i]);
            break;
        }
        out += buffer;
    }
    return out;
}

std::string escapeHtml(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string linesToList(const std::string& text)
{
    std::string out = "<ul>\r\n";
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            out += "  <li>" + line + "</li>\r\n";
        start = end + 1;
    }
    return out + "</ul>";
}

std::string caretPosition()
{
    PagemasonCaretPoint point { 0, 0 };
    getCaretPoint(&point);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "line %d, column %d", int(point.y) + 1, int(point.x) + 1);
    return buffer;
}

const char* const loremIpsum
    = "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
      "incididunt ut labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
      "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat. Duis aute irure "
      "dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat nulla pariatur. "
      "Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia deserunt "
      "mollit anim id est laborum.</p>";

} // namespace

// Each function is exported under three names: as written, and in lower and upper case. The
// menus file's tag case setting applies to the function names of plugin requests, so a menu
// entry naming UpperCase asks for uppercase or UPPERCASE when the user wants lower or upper
// case tags.
// clang-format off
#define PAGEMASON_TOOL(Name, lower, UPPER, ...)                                                    \
    PAGEMASON_PLUGIN const char* Name(void) { __VA_ARGS__ }                                       \
    PAGEMASON_PLUGIN const char* lower(void) { return Name(); }                                   \
    PAGEMASON_PLUGIN const char* UPPER(void) { return Name(); }
// clang-format on

// Case of the selection.
PAGEMASON_TOOL(
    UpperCase, uppercase, UPPERCASE, return answer(changeCase(selectionAsText(), Case::upper));)
PAGEMASON_TOOL(
    LowerCase, lowercase, LOWERCASE, return answer(changeCase(selectionAsText(), Case::lower));)
PAGEMASON_TOOL(
    TitleCase, titlecase, TITLECASE, return answer(changeCase(selectionAsText(), Case::title));)

// The selection wrapped in a tag.
PAGEMASON_TOOL(WrapInStrong, wrapinstrong, WRAPINSTRONG, return answer(wrapSelection("strong"));)
PAGEMASON_TOOL(WrapInEm, wrapinem, WRAPINEM, return answer(wrapSelection("em"));)
PAGEMASON_TOOL(WrapInCode, wrapincode, WRAPINCODE, return answer(wrapSelection("code"));)
PAGEMASON_TOOL(
    WrapInParagraph, wrapinparagraph, WRAPINPARAGRAPH, return answer(wrapSelection("p"));)

// Each selected line becomes an item of a bulleted list.
PAGEMASON_TOOL(
    LinesToList, linestolist, LINESTOLIST, return answer(linesToList(selectionAsText()));)

// The selection shown as text in a page: & < > and " as entities.
PAGEMASON_TOOL(EscapeHtml, escapehtml, ESCAPEHTML, return answer(escapeHtml(selectionAsText()));)

// Dates and times, now. HttpDate is for HTTP-EQUIV meta tags: "Mon, 03 Mar 2025 14:05:00 GMT".
PAGEMASON_TOOL(IsoDate, isodate, ISODATE, return answer(formatNow("%Y-%m-%d"));)
PAGEMASON_TOOL(TimeOfDay, timeofday, TIMEOFDAY, return answer(formatNow("%H:%M"));)
PAGEMASON_TOOL(DateTime, datetime, DATETIME, return answer(formatNow("%Y-%m-%d %H:%M"));)
PAGEMASON_TOOL(LongDate, longdate, LONGDATE, return answer(formatNow("%A, %e %B %Y"));)
PAGEMASON_TOOL(
    HttpDate, httpdate, HTTPDATE, return answer(formatNow("%a, %d %b %Y %H:%M:%S GMT", true));)

PAGEMASON_TOOL(LoremIpsum, loremipsum, LOREMIPSUM, return loremIpsum;)

// Where the caret is, counted from 1 as the status bar shows it.
PAGEMASON_TOOL(CaretPosition, caretposition, CARETPOSITION, return answer(caretPosition());)
