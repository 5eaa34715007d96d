# Writes the help page: the README's user guide (between the guide markers) turned into HTML by
# cmark and put into the page template. Run with cmake -P and
#   -DREADME=<README.md> -DTEMPLATE=<page template> -DCMARK=<cmark> -DVERSION=<x.y.z> -DOUTPUT=<page>
# and, with -DTEXT_OUTPUT=<README.txt>, the same guide as plain text for the portable zip.
cmake_minimum_required(VERSION 3.25)

set(open_marker "<!-- guide -->")
set(close_marker "<!-- /guide -->")
file(READ "${README}" readme)
string(FIND "${readme}" "${open_marker}" first)
string(FIND "${readme}" "${close_marker}" last)
if(first EQUAL -1 OR last LESS first)
    message(FATAL_ERROR "${README} has no ${open_marker} ... ${close_marker} part")
endif()
string(LENGTH "${open_marker}" marker_length)
math(EXPR first "${first} + ${marker_length}")
math(EXPR length "${last} - ${first}")
string(SUBSTRING "${readme}" ${first} ${length} guide)

file(WRITE "${OUTPUT}.md" "${guide}")
# cmark leaves raw HTML out (its safe default): the page holds only what the Markdown says.
execute_process(COMMAND "${CMARK}" --to html "${OUTPUT}.md"
    OUTPUT_VARIABLE body RESULT_VARIABLE result)
file(REMOVE "${OUTPUT}.md")
if(NOT result EQUAL 0 OR body STREQUAL "")
    message(FATAL_ERROR "cmark could not convert the guide: ${result}")
endif()

# Each section gets the anchor that the README's links use (the heading in lower case, spaces as
# hyphens, no punctuation) and a line in the contents at the top.
set(GUIDE "")
set(CONTENTS "")
while(TRUE)
    string(FIND "${body}" "<h2>" at)
    if(at EQUAL -1)
        break()
    endif()
    string(FIND "${body}" "</h2>" end)
    math(EXPR title_start "${at} + 4")
    math(EXPR title_length "${end} - ${title_start}")
    string(SUBSTRING "${body}" 0 ${at} before)
    string(SUBSTRING "${body}" ${title_start} ${title_length} title)
    math(EXPR after "${end} + 5")
    string(SUBSTRING "${body}" ${after} -1 body)
    string(TOLOWER "${title}" anchor)
    string(REGEX REPLACE "<[^>]*>|&[a-z]+;|[^a-z0-9 -]" "" anchor "${anchor}")
    string(REPLACE " " "-" anchor "${anchor}")
    string(APPEND GUIDE "${before}<h2 id=\"${anchor}\">${title}</h2>")
    string(APPEND CONTENTS "<li><a href=\"#${anchor}\">${title}</a></li>\n")
endwhile()
string(APPEND GUIDE "${body}")

configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)

# The guide as plain text: no markup, links as their words, headings underlined, CRLF line ends
# (Notepad before Windows 10 shows a text without CRs as one line).
if(TEXT_OUTPUT)
    set(text "${guide}")
    string(REGEX REPLACE "!\\[[^]]*\\]\\([^)]*\\)" "" text "${text}")
    string(REGEX REPLACE "\\[([^]]*)\\]\\([^)]*\\)" "\\1" text "${text}")
    string(REGEX REPLACE "<!--[^>]*-->" "" text "${text}")
    string(REPLACE "**" "" text "${text}")
    string(REPLACE "`" "" text "${text}")
    string(REPLACE "\\\\" "\\" text "${text}")
    string(REGEX REPLACE "(^|\n)## ([^\n]*)" "\\1\\2\n----------------------------------------" text "${text}")
    string(REGEX REPLACE "(^|\n)### ([^\n]*)" "\\1\\2" text "${text}")
    string(STRIP "${text}" text)
    set(text "Quillet ${VERSION}: user guide\n========================================\n\n${text}\n")
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE "${TEXT_OUTPUT}" "${text}")
endif()
