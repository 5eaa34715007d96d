#include "notes_corpus.h"

#include <cstdio>
#include <random>

namespace {

// No word holds a 'z': the rare token below is then the only text a 'z' query can find.
const char* const kWords[] = {
    "the",     "the",      "the",      "and",     "to",          "of",       "call",     "meeting",
    "with",    "tomorrow", "bring",    "lunch",   "at",          "office",   "doctor",   "pay",
    "rent",    "for",      "birthday", "party",   "Anna",        "Peter",    "buy",      "milk",
    "bread",   "eggs",     "train",    "leaves",  "from",        "platform", "remember", "send",
    "report",  "before",   "noon",     "dentist", "appointment", "garden",   "water",    "plants",
    "weekend", "trip",     "to",       "the",     "lake",        "car",      "service",  "check",
    "tyres",   "invoice",  "number",   "paid",    "back",        "home",     "late",     "cinema",
    "tickets", "book",     "library",  "return",  "gym",         "swim",     "walk",     "dog",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string MakeText(std::mt19937& rng, size_t length) {
    std::uniform_int_distribution<size_t> word(0, kWordCount - 1);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> perMille(0, 999);
    const bool multiLine = percent(rng) < 30;
    const bool rare = perMille(rng) < 2;
    std::string text;
    bool startOfLine = true;
    while (text.size() < length) {
        std::string w = kWords[word(rng)];
        if (rare && text.size() > length / 2 && text.find("Zephyrus") == std::string::npos) {
            w = "Zephyrus";
        }
        if (startOfLine && w[0] >= 'a' && w[0] <= 'z') {
            w[0] = static_cast<char>(w[0] - 'a' + 'A');
        }
        text += w;
        startOfLine = multiLine && percent(rng) < 12;
        text += startOfLine ? "\r\n" : (percent(rng) < 8 ? ", " : " ");
    }
    text.resize(length);
    return text;
}

} // namespace

std::string DayKey(int year, int month, int day) {
    char key[16];
    std::snprintf(key, sizeof key, "%02d%02d%02d", day, month, year % 100);
    return key;
}

SNotesCorpus MakeNotesCorpus(uint32_t seed, int firstYear, int lastYear) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> length(20, 400);
    SNotesCorpus corpus;
    for (int y = firstYear; y <= lastYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            for (int d = 1; d <= DaysInMonth(y, m); ++d) {
                corpus.days.push_back(SDay{DayKey(y, m, d), MakeText(rng, length(rng))});
            }
        }
    }
    // Two-digit years: 2000 onwards sorts before the years of the 1900s.
    SortDays(corpus.days, true);
    corpus.everyDay = MakeText(rng, 4096);
    return corpus;
}
