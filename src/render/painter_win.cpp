// The painter's drawing: background, title gradient, menu button, clock, border and room tabs.
#include "render/painter_win.h"

#include "win/fonts_win.h"
#include "win/convert_win.h"
#include "win/window_win.h"

namespace {

TRIVERTEX Vertex(LONG x, LONG y, QColor color) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(ColorRed(color) << 8);
    v.Green = static_cast<COLOR16>(ColorGreen(color) << 8);
    v.Blue = static_cast<COLOR16>(ColorBlue(color) << 8);
    v.Alpha = 0;
    return v;
}

void SelectIfAny(HDC dc, HGDIOBJ object) {
    if (object != nullptr) {
        ::SelectObject(dc, object);
    }
}

const char* const kTabLabels[3] = {"A", "B", "C"};

} // namespace

void CWindowPainter::SetTheme(const STheme& theme) {
    m_crBack = theme.crBack;
    m_crFrame = theme.crFrame;
    m_crText = theme.crText;
}

void CWindowPainter::SetTitleFont(const SLogFont& font, int dpi) {
    m_fontTitle = CreateStoredFont(font, dpi);
}

void CWindowPainter::CreateTabFonts(int dpi) {
    m_pFontTab = CreateTahomaFont(0, dpi);
    m_pFontTabBold = CreateTahomaFont(2, dpi);
}

void CWindowPainter::Paint(HWND window, const SPaintScene& scene) const {
    const SLayout& layout = scene.layout;
    const auto px = [&layout](int measure) { return ScaleToDpi(measure, layout.dpi); };
    CPaintDc paint(window);
    const int width = layout.rcClient.Width();
    const int height = layout.rcClient.Height();
    CMemoryDc memory(paint.Get());
    CBitmapHandle bitmap(::CreateCompatibleBitmap(paint.Get(), width, height));
    const HDC dc = memory.Get();
    const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap.Get());
    const HGDIOBJ oldFont = ::GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ oldPen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ oldBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    {
        CBrushHandle backBrush(::CreateSolidBrush(m_crBack));
        CBrushHandle frameBrush(::CreateSolidBrush(m_crFrame));
        CPenHandle chevronPen(::CreatePen(PS_SOLID, px(3), m_crText));
        CPenHandle framePen(::CreatePen(PS_SOLID, px(1), m_crFrame));

        const RECT client = ToRECT(layout.rcClient);
        ::FillRect(dc, &client, backBrush.Get());

        SGradient gradient{};
        const STheme theme{"", m_crBack, m_crFrame, m_crText};
        if (GradientFor(scene.gradient, theme, gradient)) {
            TRIVERTEX vertices[2] = {
                Vertex(0, 0, gradient.first),
                Vertex(layout.rcTitle.right, layout.rcTitle.bottom, gradient.second)};
            GRADIENT_RECT rect{0, 1};
            ::GdiGradientFill(dc, vertices, 2, &rect, 1,
                              gradient.vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        }

        ::SelectObject(dc, chevronPen.Get());
        const POINT chevron[3] = {{px(3), px(9)}, {px(8), px(14)}, {px(13), px(9)}};
        ::Polyline(dc, chevron, 3);

        const RECT menuButton = ToRECT(layout.rcMenuButton);
        ::FrameRect(dc, &client, frameBrush.Get());
        ::FrameRect(dc, &menuButton, frameBrush.Get());

        SelectIfAny(dc, m_fontTitle.Get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, m_crText);
        RECT textBox{0, CalcTitleTextTop(px(scene.titleFontHeight), layout.rcTitle.bottom),
                     layout.rcTitle.right, layout.rcTitle.bottom};
        const std::wstring header = WideOf(scene.header);
        ::DrawTextW(dc, header.c_str(), static_cast<int>(header.size()), &textBox, DT_CENTER);

        ::SelectObject(dc, framePen.Get());
        ::MoveToEx(dc, 0, layout.rcTitle.bottom, nullptr);
        ::LineTo(dc, layout.rcTitle.right, layout.rcTitle.bottom);

        DrawRoomTabs(dc, layout, scene.room);

        if (scene.sizeGrip) {
            const SRect grip = SizeGripRect(layout);
            for (const POINT at :
                 {POINT{2, 2}, POINT{5, 2}, POINT{8, 2}, POINT{2, 5}, POINT{5, 5}, POINT{2, 8}}) {
                const RECT dot{grip.right - px(at.x + 2), grip.bottom - px(at.y + 2),
                               grip.right - px(at.x), grip.bottom - px(at.y)};
                ::FillRect(dc, &dot, frameBrush.Get());
            }
        }

        ::BitBlt(paint.Get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
    }
    ::SelectObject(dc, oldBitmap);
}

void CWindowPainter::DrawRoomTabs(HDC dc, const SLayout& layout, int room) const {
    const auto px = [&layout](int measure) { return ScaleToDpi(measure, layout.dpi); };
    CPenHandle framePen(::CreatePen(PS_SOLID, px(1), m_crFrame));
    CPenHandle jointPen(::CreatePen(PS_SOLID, px(3), RGB(255, 255, 255)));
    CBrushHandle whiteBrush(::CreateSolidBrush(RGB(255, 255, 255)));
    CBrushHandle backBrush(::CreateSolidBrush(m_crBack));
    const HGDIOBJ oldPen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ oldBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ oldFont = ::GetCurrentObject(dc, OBJ_FONT);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_crText);
    if (IsKnownRoom(room)) {
        ::SelectObject(dc, framePen.Get());
        for (int tabRoom = kRoomDynamic; tabRoom <= kRoomSearch; ++tabRoom) {
            const bool selected = tabRoom == room;
            const CFontHandle* font = selected ? m_pFontTabBold.get() : m_pFontTab.get();
            SelectIfAny(dc, font != nullptr ? font->Get() : nullptr);
            ::SelectObject(dc, selected ? whiteBrush.Get() : backBrush.Get());
            RECT tab = ToRECT(RoomTabRect(layout, tabRoom));
            ::RoundRect(dc, tab.left, tab.top, tab.right, tab.bottom, px(2), px(2));
            const wchar_t label = static_cast<wchar_t>(kTabLabels[tabRoom][0]);
            ::DrawTextW(dc, &label, 1, &tab, DT_CENTER);
        }
        const SRect& place = RoomNotesRect(layout, room);
        ::SelectObject(dc, whiteBrush.Get());
        ::SelectObject(dc, framePen.Get());
        ::RoundRect(dc, place.left - px(2), place.top - px(2), place.right + px(2),
                    place.bottom + px(2), px(4), px(4));
        const SRect& tab = RoomTabRect(layout, room);
        ::SelectObject(dc, jointPen.Get());
        ::MoveToEx(dc, tab.left, tab.top, nullptr);
        ::LineTo(dc, tab.right - 1, tab.top);
    }
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldFont);
}
