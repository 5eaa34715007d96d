// The names sync programs give their conflict copies, and the names of recovery files.
#include "sync/copy_names.h"

#include <string_view>

namespace {

const char kNotes[] = "qlt_notes";

bool Take(std::string_view& text, std::string_view literal) {
    if (text.compare(0, literal.size(), literal) != 0) {
        return false;
    }
    text.remove_prefix(literal.size());
    return true;
}

bool TakeDigits(std::string_view& text, size_t count) {
    if (text.size() < count) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    text.remove_prefix(count);
    return true;
}

bool TakeDate(std::string_view& text) {
    return TakeDigits(text, 4) && Take(text, "-") && TakeDigits(text, 2) && Take(text, "-") &&
           TakeDigits(text, 2);
}

// "YYYYMMDD-HHMMSS"
bool TakeStamp(std::string_view& text) {
    return TakeDigits(text, 8) && Take(text, "-") && TakeDigits(text, 6);
}

bool IsNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// "qlt_notes (conflicted copy 2026-12-09).dat", "qlt_notes (Laptop's conflicted copy
// 2026-12-09).dat", "... 2026-12-09 (1)).dat"
bool IsDropbox(std::string_view text) {
    if (!Take(text, " (")) {
        return false;
    }
    const size_t copy = text.find("conflicted copy ");
    if (copy == std::string_view::npos ||
        (copy != 0 && (copy < 4 || text.compare(copy - 3, 3, "'s ") != 0))) {
        return false;
    }
    text.remove_prefix(copy + 16);
    if (!TakeDate(text)) {
        return false;
    }
    if (Take(text, " (")) {
        while (TakeDigits(text, 1)) {
        }
        if (!Take(text, ")")) {
            return false;
        }
    }
    return text == ").dat";
}

// "qlt_notes (conflicted copy 2026-12-09 101010).dat"
bool IsNextcloud(std::string_view text) {
    return Take(text, " (conflicted copy ") && TakeDate(text) && Take(text, " ") &&
           TakeDigits(text, 6) && text == ").dat";
}

// "qlt_notes-COMPUTERNAME.dat"; not a daily copy's date.
bool IsOneDrive(std::string_view text) {
    if (!Take(text, "-") || text.size() < 5 || text.compare(text.size() - 4, 4, ".dat") != 0) {
        return false;
    }
    const std::string_view computer = text.substr(0, text.size() - 4);
    if (computer.empty() || computer.size() > 63) {
        return false;
    }
    bool letter = false;
    for (char c : computer) {
        if (!IsNameChar(c)) {
            return false;
        }
        letter = letter || (c != '-' && (c < '0' || c > '9'));
    }
    return letter;
}

// "qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat"
bool IsSyncthing(std::string_view text) {
    if (!Take(text, ".sync-conflict-") || !TakeStamp(text) || !Take(text, "-") ||
        text.size() != 7 + 4) {
        return false;
    }
    for (size_t i = 0; i < 7; ++i) {
        const char c = text[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return text.substr(7) == ".dat";
}

// "qlt_notes_conflict-20261209-101010.dat"
bool IsOwnCloud(std::string_view text) {
    return Take(text, "_conflict-") && TakeStamp(text) && text == ".dat";
}

struct SSyncClientCopyNames {
    const char* name;
    bool (*matches)(std::string_view rest);
};

const SSyncClientCopyNames kClients[] = {
    {"Dropbox", IsDropbox},     {"Nextcloud", IsNextcloud}, {"OneDrive", IsOneDrive},
    {"Syncthing", IsSyncthing}, {"ownCloud", IsOwnCloud},
};

} // namespace

const char* ConflictClientOf(const std::string& name) {
    std::string_view rest(name);
    if (!Take(rest, kNotes)) {
        return nullptr;
    }
    for (const SSyncClientCopyNames& client : kClients) {
        if (client.matches(rest)) {
            return client.name;
        }
    }
    return nullptr;
}

std::string RecoveryName(QTime now, int n) {
    return std::string(kNotes) + ".recovered-" + FormatTime(now, "%Y%m%d-%H%M%S") +
           (n > 1 ? "-" + std::to_string(n) : std::string()) + ".dat";
}

bool IsRecoveryName(const std::string& name) {
    std::string_view rest(name);
    if (!Take(rest, kNotes) || !Take(rest, ".recovered-") || !TakeStamp(rest)) {
        return false;
    }
    if (Take(rest, "-")) {
        const size_t before = rest.size();
        while (TakeDigits(rest, 1)) {
        }
        if (rest.size() == before) {
            return false;
        }
    }
    return rest == ".dat";
}
