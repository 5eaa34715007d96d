// The settings file's bytes and defaults, and where a stored position puts the window.
#include "storage/settings.h"

#include "storage/archive.h"
#include "storage/file_io.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

std::string ScrambleText(const std::string& text, bool unscramble) {
    std::string out(text);
    for (char& c : out) {
        const unsigned b = static_cast<unsigned char>(c);
        c = static_cast<char>(unscramble ? b + kScrambleK : b - kScrambleK);
    }
    return out;
}

bool IsPointOnDesktop(SPoint point, const SRect& desktop) {
    return desktop.Contains(point);
}

SPoint CentreOnDesktop(const SRect& window, const SRect& desktop) {
    SPoint p;
    p.x = (desktop.left + desktop.right) / 2 - window.Width() / 2;
    p.y = (desktop.top + desktop.bottom) / 2 - window.Height() / 2;
    return p;
}

void SetDefaultSettings(SSettings& settings, const SRect& window, const SRect& desktop) {
    FillDefaultLogFont(settings.lfTitle);
    settings.lfTitle.lfWeight = 600;
    settings.lfTitle.lfHeight = -15;
    FillDefaultLogFont(settings.lfNotes);
    settings.lfNotes.lfItalic = 1;
    FillDefaultLogFont(settings.lfCalendar);
    settings.ptPos = CentreOnDesktop(window, desktop);
    settings.nShape = 0;
    settings.nColor = 0;
    settings.nGradient = 0;
    settings.nTimeFormat = kDefaultTimeFormat;
    settings.nFullView = 1;
    settings.nRoom = 0;
    settings.bLockMoving = false;
    settings.bAlwaysTop = false;
    settings.bMondayFirst = false;
    settings.bWeekNumbers = false;
    settings.nReserved1 = 0;
    settings.nReserved2 = 0;
    settings.nReserved3 = 0;
    settings.strReserved.clear();
    settings.strCustomFormat = kDefaultCustomFormat;
}

namespace {

// The square of the distance between two rectangles; 0 when they touch.
int64_t Gap(const SRect& a, const SRect& b) {
    const int64_t dx = std::max<int64_t>({0, int64_t(b.left) - a.right, int64_t(a.left) - b.right});
    const int64_t dy = std::max<int64_t>({0, int64_t(b.top) - a.bottom, int64_t(a.top) - b.bottom});
    return dx * dx + dy * dy;
}

int32_t Inside(int32_t at, int32_t size, int32_t low, int32_t high) {
    return std::max(low, std::min(at, high - size));
}

} // namespace

SPoint PlaceWindow(SPoint corner, const SRect& window, const SRect& desktop,
                   const std::vector<SRect>& workAreas, int titleHeight) {
    if (workAreas.size() < 2) {
        return IsPointOnDesktop(corner, desktop) ? corner : CentreOnDesktop(window, desktop);
    }
    const SRect title{corner.x, corner.y, corner.x + window.Width(),
                      corner.y + std::max(titleHeight, 1)};
    const SRect* nearest = &workAreas.front();
    for (const SRect& area : workAreas) {
        const bool overlaps = title.left < area.right && area.left < title.right &&
                              title.top < area.bottom && area.top < title.bottom;
        if (overlaps) {
            return corner;
        }
        if (Gap(title, area) < Gap(title, *nearest)) {
            nearest = &area;
        }
    }
    return SPoint{Inside(corner.x, window.Width(), nearest->left, nearest->right),
                  Inside(corner.y, window.Height(), nearest->top, nearest->bottom)};
}

void RefreshStoredPosition(SSettings& settings, const SRect& window, const SRect& desktop,
                           const std::vector<SRect>& workAreas, int titleHeight) {
    if (window.left == 0 || window.right == 0) {
        return;
    }
    settings.ptPos =
        PlaceWindow(SPoint{window.left, window.top}, window, desktop, workAreas, titleHeight);
}

namespace {

void WriteFontHead(CDataArchive& ar, const SLogFont& font) {
    ar.WriteInt(font.lfHeight).WriteByte(font.lfItalic).WriteByte(font.lfUnderline);
    ar.WriteInt(font.lfWeight);
}

void ReadFontHead(CDataArchive& ar, SLogFont& font) {
    font.lfHeight = ar.ReadInt();
    font.lfItalic = ar.ReadByte();
    font.lfUnderline = ar.ReadByte();
    font.lfWeight = ar.ReadInt();
}

} // namespace

std::string SerializeSettings(const SSettings& s) {
    CMemoryWriter out;
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteInt(s.nRoom);
    ar.WriteFlag(s.bLockMoving).WriteFlag(s.bAlwaysTop).WriteFlag(s.bMondayFirst);
    ar.WriteFlag(s.bWeekNumbers);
    ar.WriteInt(s.nReserved1).WriteInt(s.nReserved2).WriteInt(s.nReserved3);
    ar.WriteInt(s.nFullView).WriteInt(s.nColor).WriteInt(s.nShape).WriteInt(s.nGradient);
    ar.WriteInt(s.nTimeFormat).WriteInt(s.ptPos.x).WriteInt(s.ptPos.y);
    WriteFontHead(ar, s.lfTitle);
    ar.WriteString(ScrambleText(s.lfTitle.Face(), false));
    WriteFontHead(ar, s.lfNotes);
    ar.WriteString(ScrambleText(s.lfNotes.Face(), false));
    ar.WriteText(s.strCustomFormat);
    ar.WriteString(ScrambleText(s.strReserved, false));
    ar.WriteString(ScrambleText(s.lfCalendar.Face(), false));
    ar.WriteInt(s.lfCalendar.lfHeight).WriteByte(s.lfCalendar.lfItalic);
    ar.Close();
    return out.TakeBytes();
}

bool ReadSettings(SSettings& s, IArchiveReader& stream) {
    FillDefaultLogFont(s.lfTitle);
    FillDefaultLogFont(s.lfNotes);
    FillDefaultLogFont(s.lfCalendar);
    return ReadOrFail([&] {
        CDataArchive ar(stream, CDataArchive::Mode::Load);
        s.nRoom = ar.ReadInt();
        s.bLockMoving = ar.ReadFlag();
        s.bAlwaysTop = ar.ReadFlag();
        s.bMondayFirst = ar.ReadFlag();
        s.bWeekNumbers = ar.ReadFlag();
        s.nReserved1 = ar.ReadInt();
        s.nReserved2 = ar.ReadInt();
        s.nReserved3 = ar.ReadInt();
        s.nFullView = ar.ReadInt();
        s.nColor = ar.ReadInt();
        s.nShape = ar.ReadInt();
        s.nGradient = ar.ReadInt();
        s.nTimeFormat = ar.ReadInt();
        s.ptPos.x = ar.ReadInt();
        s.ptPos.y = ar.ReadInt();
        ReadFontHead(ar, s.lfTitle);
        const std::string titleFace = ar.ReadString();
        ReadFontHead(ar, s.lfNotes);
        const std::string notesFace = ar.ReadString();
        s.strCustomFormat = ar.ReadText();
        s.strReserved = ar.ReadString();
        const std::string calendarFace = ar.ReadString();
        s.lfCalendar.lfHeight = ar.ReadInt();
        s.lfCalendar.lfItalic = ar.ReadByte();
        ar.Close();

        s.lfTitle.SetFace(ScrambleText(titleFace, true));
        s.lfNotes.SetFace(ScrambleText(notesFace, true));
        s.lfCalendar.SetFace(ScrambleText(calendarFace, true));
        s.strReserved = ScrambleText(s.strReserved, true);
        return true;
    });
}

SPoint AwayFromCorners(SPoint corner, const std::vector<SPoint>& taken, int step) {
    for (size_t tries = 0; tries <= taken.size(); ++tries) {
        const bool onOne = std::any_of(taken.begin(), taken.end(), [&](const SPoint& p) {
            return p.x == corner.x && p.y == corner.y;
        });
        if (!onOne) {
            break;
        }
        corner.x += step;
        corner.y += step;
    }
    return corner;
}
