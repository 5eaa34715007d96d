// The steps between a text and its stored form in the data files.
#include "base/stored_text.h"

#include "base/utf8.h"

#include <cstring>

namespace {

constexpr size_t kMarkSize = 3;

bool StartsWithMark(const char* bytes, size_t size) {
    return size >= kMarkSize && std::memcmp(bytes, kUtf8Mark, kMarkSize) == 0;
}

// What a stored string says, whether or not the text would be stored the same way.
std::string Decode(const char* bytes, size_t size, const CCodePage& cp) {
    if (StartsWithMark(bytes, size) && IsValidUtf8(bytes + kMarkSize, size - kMarkSize)) {
        return std::string(bytes + kMarkSize, size - kMarkSize);
    }
    return cp.ToText(bytes, size);
}

std::string Encode(const std::string& text, const CCodePage& cp) {
    if (IsKeptBytes(text)) {
        return text.substr(1);
    }
    if (IsAscii(text)) {
        return text;
    }
    // Texts put together from pieces are whole characters; anything else would be a fault.
    const std::string valid = IsValidUtf8(text) ? std::string() : RepairedUtf8(text);
    const std::string& whole = valid.empty() ? text : valid;
    std::string bytes;
    if (cp.FromText(whole, bytes) && !StartsWithMark(bytes.data(), bytes.size())) {
        return bytes;
    }
    return kUtf8Mark + whole;
}

} // namespace

std::string TextFromStored(std::string stored, const CCodePage& cp) {
    if (IsAscii(stored)) {
        return stored;
    }
    const bool marked = StartsWithMark(stored.data(), stored.size());
    std::string text = Decode(stored.data(), stored.size(), cp);
    // A one-to-one code page writes the text back as these bytes; otherwise that is tried.
    if ((!marked && cp.OneToOne()) || Encode(text, cp) == stored) {
        return text;
    }
    stored.insert(stored.begin(), kKeptBytesMark);
    return stored;
}

std::string StoredFromText(const std::string& text, const CCodePage& cp) {
    return Encode(text, cp);
}

uint64_t StoredSize(const std::string& text, const CCodePage& cp) {
    if (IsKeptBytes(text)) {
        return text.size() - 1;
    }
    return IsAscii(text) ? text.size() : Encode(text, cp).size();
}

std::string ShownText(const std::string& text, const CCodePage& cp) {
    if (!IsKeptBytes(text)) {
        return text;
    }
    return RepairedUtf8(Decode(text.data() + 1, text.size() - 1, cp));
}
