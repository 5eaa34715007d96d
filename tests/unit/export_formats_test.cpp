#include "storage/export_formats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// An emoji, Cyrillic, Hebrew, a combining accent, CJK.
const std::string kEveryScript =
    "\xF0\x9F\x8E\x82 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 "
    "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D e\xCC\x81 \xE6\x97\xA5\xE6\x9C\xAC";

const SNotebook& Sample() {
    static const SNotebook notes{
        {{"170325", "Call MOM\r\nabout Easter; bring eggs, \\paint\\\r\n\r\nthen lunch"},
         {"050125", "Dentist at 10"},
         {"311299", "  \r\nParty *tonight* - 1. <b>music</b> & [lights]\r\n# not a heading\r\n"
                    "1. no list\r\n> no quote &amp; \\* `no code` a_b <3"},
         {"010426", std::string(10000, 'x') + " \xc3\xa9t\xc3\xa9"},
         {"020426", kEveryScript}},
        "Buy milk\r\nWater the plants"};
    return notes;
}

TEST(ExportFormats, CalendarTextIsEscapedAndFoldedBetweenCharacters) {
    EXPECT_EQ(EscapeCalendarText("a,b;c\\d\r\ne\nf"), "a\\,b\\;c\\\\d\\ne\\nf");
    // 30 three-octet characters: lines of at most 75 octets, cut only between characters.
    std::string wide;
    for (int i = 0; i < 30; ++i) {
        wide += "\xe6\x97\xa5";
    }
    const std::string folded = FoldCalendarLine("DESCRIPTION:" + wide);
    size_t start = 0;
    std::string joined;
    for (size_t end;
         (end = folded.find("\r\n", start)) != std::string::npos || start < folded.size();
         start = end + 3) {
        end = end == std::string::npos ? folded.size() : end;
        const std::string line = folded.substr(start, end - start);
        EXPECT_LE(line.size() + (start == 0 ? 0 : 1), 75u);
        EXPECT_NE(static_cast<unsigned char>(folded[end - 1]) & 0xC0, 0xC0u)
            << "cut in a character";
        joined += line;
        if (end == folded.size()) {
            break;
        }
        EXPECT_EQ(folded[end + 2], ' ');
    }
    EXPECT_EQ(joined, "DESCRIPTION:" + wide);
    EXPECT_EQ(CalendarUid(2026, 12, 9), CalendarUid(2026, 12, 9));
    EXPECT_NE(CalendarUid(2026, 12, 9), CalendarUid(2026, 12, 10));
}

TEST(ExportFormats, TheTypeFollowsTheNameThenTheFilter) {
    EXPECT_EQ(ExportTypeFor(1, "C:\\x\\2026-12-09.qlt"), EExportType::Quillet);
    EXPECT_EQ(ExportTypeFor(2, "C:\\x\\2026-12-09"), EExportType::Calendar);
    EXPECT_EQ(ExportTypeFor(1, "C:\\x\\notes.ICS"), EExportType::Calendar);
    EXPECT_EQ(ExportTypeFor(4, "C:\\x.y\\notes.md"), EExportType::Text);
    EXPECT_EQ(ExportTypeFor(3, "C:\\x.y\\notes.qlt"), EExportType::Quillet);
    EXPECT_EQ(ExportTypeFor(4, "C:\\x.md\\notes"), EExportType::Quillet);
}

bool Shell(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Real readers: the distribution's iCalendar parser and cmark read the files back whole.
TEST(ExportFormats, RealReadersReadEveryNoteBack) {
    if (!Shell("/usr/bin/python3 -c 'import icalendar' 2>/dev/null") ||
        !Shell("cmark --version >/dev/null 2>&1")) {
        GTEST_SKIP() << "python3-icalendar or cmark is not installed";
    }
    const std::string dir = ::testing::TempDir();
    Write(dir + "notes.ics", ExportCalendar(Sample(), 1765300000));
    const std::string script = R"(
import icalendar, sys
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
print('CAL|' + str(cal.get('X-WR-CALDESC')).replace('\n', '~'))
for e in cal.walk('VEVENT'):
    print('|'.join([e.decoded('DTSTART').isoformat(), e.decoded('DTEND').isoformat(),
                    str(e.get('UID')), str(e.get('SUMMARY')),
                    str(e.get('DESCRIPTION')).replace('\n', '~')]))
)";
    Write(dir + "read.py", script);
    ASSERT_TRUE(
        Shell("/usr/bin/python3 " + dir + "read.py " + dir + "notes.ics > " + dir + "ics.txt"));
    const std::string x = std::string(10000, 'x') + " \xc3\xa9t\xc3\xa9";
    EXPECT_EQ(Slurp(dir + "ics.txt"),
              "CAL|Buy milk~Water the plants\n"
              "1999-12-31|2000-01-01|19991231-day-note@quillet|Party *tonight* - 1. <b>music</b> "
              "& [lights]|  ~Party *tonight* - 1. <b>music</b> & [lights]~# not a heading~1. no "
              "list~> no "
              "quote &amp; \\* `no code` a_b <3\n"
              "2025-01-05|2025-01-06|20250105-day-note@quillet|Dentist at 10|Dentist at 10\n"
              "2025-03-17|2025-03-18|20250317-day-note@quillet|Call MOM|Call MOM~about Easter; "
              "bring eggs, \\paint\\~~then lunch\n"
              "2026-04-01|2026-04-02|20260401-day-note@quillet|" +
                  x.substr(0, 80) + "|" + x + "\n" +
                  "2026-04-02|2026-04-03|20260402-day-note@quillet|" + kEveryScript + "|" +
                  kEveryScript + "\n");

    Write(dir + "notes.md", ExportText(Sample()));
    const std::string md = Slurp(dir + "notes.md");
    EXPECT_EQ(md.compare(0, 3, "\xEF\xBB\xBF"), 0);
    ASSERT_TRUE(Shell("cmark --to commonmark " + dir + "notes.md > /dev/null"));
    ASSERT_TRUE(Shell("cmark " + dir + "notes.md > " + dir + "md.html"));
    EXPECT_EQ(
        Slurp(dir + "md.html"),
        // Each line of a note a line of its own, an empty line a new paragraph.
        "<h1>Quillet notes</h1>\n<h2>Every day</h2>\n<p>Buy milk<br />\nWater the plants</p>\n"
        "<h2>Friday, 31 December 1999</h2>\n<p>Party *tonight* - 1. &lt;b&gt;music&lt;/b&gt; "
        "&amp; [lights]<br />\n# not a heading<br />\n1. no list<br />\n&gt; no quote &amp;amp; "
        "\\* `no code` a_b &lt;3</p>\n"
        "<h2>Sunday, 5 January 2025</h2>\n<p>Dentist at 10</p>\n"
        "<h2>Monday, 17 March 2025</h2>\n<p>Call MOM<br />\nabout Easter; bring eggs, "
        "\\paint\\</p>\n<p>then lunch</p>\n"
        "<h2>Wednesday, 1 April 2026</h2>\n<p>" +
            x + "</p>\n<h2>Thursday, 2 April 2026</h2>\n<p>" + kEveryScript + "</p>\n");
}

} // namespace
