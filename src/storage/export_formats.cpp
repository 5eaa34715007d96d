// The notes written for reading elsewhere, as iCalendar or Markdown, and the names of such files.
#include "storage/export_formats.h"

#include "base/stored_text.h"
#include "base/unicode.h"
#include "base/path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <tuple>
#include <vector>

namespace {

const char* const kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[12] = {"January",   "February", "March",    "April",
                                     "May",       "June",     "July",     "August",
                                     "September", "October",  "November", "December"};
// Characters of a summary: enough for a calendar's line, the rest is in the description.
constexpr size_t kSummaryCharacters = 80;

// Days since 1 January 1970 of a Gregorian date, and back.
long long DaysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long long>(era) * 146097 + doe - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

struct SDatedNote {
    int year, month, day;
    const std::string* note;
};

// The notes of real days in date order, the first entry of a day deciding as elsewhere.
std::vector<SDatedNote> InDateOrder(const DayArray& days) {
    std::vector<SDatedNote> dated;
    dated.reserve(days.size());
    for (const SDay& entry : days) {
        SDatedNote d{0, 0, 0, &entry.strNote};
        if (DateOfDayKey(entry.strDate, d.year, d.month, d.day)) {
            dated.push_back(d);
        }
    }
    std::stable_sort(dated.begin(), dated.end(), [](const SDatedNote& a, const SDatedNote& b) {
        return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
    });
    dated.erase(std::unique(dated.begin(), dated.end(),
                            [](const SDatedNote& a, const SDatedNote& b) {
                                return std::tie(a.year, a.month, a.day) ==
                                       std::tie(b.year, b.month, b.day);
                            }),
                dated.end());
    return dated;
}

std::string DateValue(int year, int month, int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

// The first line of a note with text on it, cut after a number of characters, never inside
// one (a letter and its marks, an emoji sequence).
std::string SummaryOf(const std::string& note) {
    size_t start = 0;
    for (;;) {
        size_t end = note.find("\r\n", start);
        if (end == std::string::npos) {
            end = note.size();
        }
        if (note.find_first_not_of(" \t", start) < end || end == note.size()) {
            size_t at = start;
            for (size_t n = 0; at < end && n < kSummaryCharacters; ++n) {
                at = NextCluster(note.data(), end, at);
            }
            std::string line = note.substr(start, at - start);
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
                line.pop_back();
            }
            return line;
        }
        start = end + 2;
    }
}

void AddLine(std::string& out, const std::string& line) {
    out += FoldCalendarLine(line);
    out += "\r\n";
}

bool AtLineStart(const std::string& text, size_t at) {
    size_t start = at;
    while (start > 0 && text[start - 1] == ' ' && at - start < 3) {
        --start;
    }
    return start == 0 || text[start - 1] == '\n';
}

bool IsAsciiPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The note with a backslash before each character that would start markup where it stands.
std::string EscapedMarkdown(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const char next = i + 1 < utf8.size() ? utf8[i + 1] : '\0';
        bool escape = false;
        switch (c) {
        case '*':
        case '_':
        case '`':
        case '[':
            escape = true;
            break;
        case '\\':
            escape = IsAsciiPunctuation(next);
            break;
        case '<': // a tag, a comment or an automatic link
            escape = IsAsciiLetter(next) || next == '/' || next == '!' || next == '?';
            break;
        case '&': // an entity
            escape = IsAsciiLetter(next) || next == '#';
            break;
        case '#':
        case '>':
        case '-':
        case '+':
        case '=':
            escape = AtLineStart(utf8, i);
            break;
        case '.':
        case ')': {
            // "1." or "1)" starting a line would become a numbered list.
            size_t digits = i;
            while (digits > 0 && std::isdigit(static_cast<unsigned char>(utf8[digits - 1]))) {
                --digits;
            }
            escape = digits < i && AtLineStart(utf8, digits);
            break;
        }
        default:
            break;
        }
        if (escape) {
            out += '\\';
        }
        out += c;
    }
    return out;
}

bool IsBlankLine(const std::string& text, size_t from, size_t to) {
    return text.find_first_not_of(" \t", from) >= to;
}

// The note as Markdown text that renders as what it says. A line followed by another ends in
// two blanks, a hard break that Notepad does not show; an empty line parts paragraphs as it is.
std::string MarkdownText(const std::string& utf8) {
    const std::string escaped = EscapedMarkdown(utf8);
    std::string out;
    out.reserve(escaped.size() + escaped.size() / 16);
    size_t start = 0;
    for (size_t end; (end = escaped.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const size_t next = escaped.find("\r\n", end + 2);
        out.append(escaped, start, end - start);
        if (!IsBlankLine(escaped, start, end) &&
            !IsBlankLine(escaped, end + 2, next == std::string::npos ? escaped.size() : next)) {
            out += "  ";
        }
        out += "\r\n";
    }
    out.append(escaped, start, std::string::npos);
    return out;
}

} // namespace

namespace {

// Where the extension of the name starts, or npos.
size_t ExtensionAt(const std::string& path) {
    const size_t dot = NameOf(path).find_last_of('.');
    return dot == std::string::npos ? dot : FolderOf(path).size() + dot;
}

} // namespace

bool AddExportExtension(int filterIndex, std::string& path) {
    if (path.empty() || ExtensionAt(path) != std::string::npos) {
        return false;
    }
    path += filterIndex == 2 ? ".ics" : filterIndex == 3 ? ".md" : ".qlt";
    return true;
}

EExportType ExportTypeFor(int filterIndex, const std::string& path) {
    const size_t dot = ExtensionAt(path);
    if (dot != std::string::npos) {
        std::string extension = path.substr(dot + 1);
        for (char& c : extension) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (extension == "ics") {
            return EExportType::Calendar;
        }
        if (extension == "md") {
            return EExportType::Text;
        }
        if (extension == "qlt") {
            return EExportType::Quillet;
        }
    }
    return filterIndex == 2   ? EExportType::Calendar
           : filterIndex == 3 ? EExportType::Text
                              : EExportType::Quillet;
}

std::string EscapeCalendarText(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 16);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
        case '\\':
        case ';':
        case ',':
            out += '\\';
            out += c;
            break;
        case '\r':
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n') {
                ++i;
            }
            out += "\\n";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string FoldCalendarLine(const std::string& utf8) {
    constexpr size_t kOctets = 75;
    if (utf8.size() <= kOctets) {
        return utf8;
    }
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 30);
    size_t used = 0;
    for (size_t i = 0; i < utf8.size();) {
        size_t n = 1;
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xC0) {
            while (i + n < utf8.size() &&
                   (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80) {
                ++n;
            }
        }
        if (used + n > kOctets) {
            out += "\r\n ";
            used = 1; // the blank that continues the line counts
        }
        out.append(utf8, i, n);
        used += n;
        i += n;
    }
    return out;
}

std::string CalendarUid(int year, int month, int day) {
    return DateValue(year, month, day) + "-day-note@quillet";
}

std::string ExportCalendar(const SNotebook& notes, QTime stamp) {
    const long long seconds = static_cast<long long>(stamp);
    const long long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const long long inDay = seconds - days * 86400;
    int year = 1970;
    int month = 1;
    int day = 1;
    CivilFromDays(days, year, month, day);
    char dtstamp[40];
    std::snprintf(dtstamp, sizeof dtstamp, "%04d%02d%02dT%02d%02d%02dZ", year, month, day,
                  static_cast<int>(inDay / 3600), static_cast<int>(inDay / 60 % 60),
                  static_cast<int>(inDay % 60));

    std::string out;
    AddLine(out, "BEGIN:VCALENDAR");
    AddLine(out, "VERSION:2.0");
    AddLine(out, "PRODID:-//Quillet//Quillet notes//EN");
    AddLine(out, "CALSCALE:GREGORIAN");
    AddLine(out, "X-WR-CALNAME:Quillet");
    if (!IsBlankNote(notes.everyDay)) {
        const std::string everyDay = EscapeCalendarText(ShownText(notes.everyDay));
        AddLine(out, "X-WR-CALDESC:" + everyDay);
        AddLine(out, "DESCRIPTION:" + everyDay);
    }
    for (const SDatedNote& d : InDateOrder(notes.days)) {
        int nextYear = 0;
        int nextMonth = 0;
        int nextDay = 0;
        CivilFromDays(DaysFromCivil(d.year, d.month, d.day) + 1, nextYear, nextMonth, nextDay);
        AddLine(out, "BEGIN:VEVENT");
        AddLine(out, "UID:" + CalendarUid(d.year, d.month, d.day));
        AddLine(out, std::string("DTSTAMP:") + dtstamp);
        AddLine(out, "DTSTART;VALUE=DATE:" + DateValue(d.year, d.month, d.day));
        AddLine(out, "DTEND;VALUE=DATE:" + DateValue(nextYear, nextMonth, nextDay));
        const std::string note = ShownText(*d.note);
        AddLine(out, "SUMMARY:" + EscapeCalendarText(SummaryOf(note)));
        AddLine(out, "DESCRIPTION:" + EscapeCalendarText(note));
        AddLine(out, "TRANSP:TRANSPARENT");
        AddLine(out, "END:VEVENT");
    }
    AddLine(out, "END:VCALENDAR");
    return out;
}

std::string ExportText(const SNotebook& notes) {
    std::string out = "\xEF\xBB\xBF# Quillet notes\r\n\r\n";
    if (!IsBlankNote(notes.everyDay)) {
        out += "## Every day\r\n\r\n" + MarkdownText(ShownText(notes.everyDay)) + "\r\n\r\n";
    }
    for (const SDatedNote& d : InDateOrder(notes.days)) {
        const long long days = DaysFromCivil(d.year, d.month, d.day);
        const int weekday = static_cast<int>(((days % 7) + 11) % 7); // 1 January 1970: Thursday
        out += "## ";
        out += kDayNames[weekday];
        out += ", " + std::to_string(d.day) + " " + kMonthNames[d.month - 1] + " " +
               std::to_string(d.year) + "\r\n\r\n" + MarkdownText(ShownText(*d.note)) + "\r\n\r\n";
    }
    return out;
}
