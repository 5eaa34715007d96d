// Paints the whole client area off-screen and copies it in one block, so nothing flickers.
#include "app/quillet_dlg_win.h"

#include "render/clock_format.h"
#include "render/themes.h"
#include "win/convert_win.h"

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

} // namespace

bool CQuilletDlg::OnPaint() {
    CPaintDc paint(m_hWnd);
    const int width = m_rcClient.Width();
    const int height = m_rcClient.Height();
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
        CPenHandle chevronPen(::CreatePen(PS_SOLID, 3, m_crText));
        CPenHandle framePen(::CreatePen(PS_SOLID, 1, m_crFrame));

        const RECT client = ToRECT(m_rcClient);
        ::FillRect(dc, &client, backBrush.Get());

        SGradient gradient{};
        const STheme theme{"", m_crBack, m_crFrame, m_crText};
        if (GradientFor(m_settings.nGradient, theme, gradient)) {
            TRIVERTEX vertices[2] = {Vertex(0, 0, gradient.first),
                                     Vertex(m_rcTitle.right, m_rcTitle.bottom, gradient.second)};
            GRADIENT_RECT rect{0, 1};
            ::GradientFill(dc, vertices, 2, &rect, 1,
                           gradient.vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        }

        ::SelectObject(dc, chevronPen.Get());
        const POINT chevron[3] = {{3, 9}, {8, 14}, {13, 9}};
        ::Polyline(dc, chevron, 3);

        const RECT menuButton = ToRECT(m_rcMenuButton);
        ::FrameRect(dc, &client, frameBrush.Get());
        ::FrameRect(dc, &menuButton, frameBrush.Get());

        SelectIfAny(dc, m_fontTitle.Get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, m_crText);
        const std::string header = FormatHeaderText(m_settings.nTimeFormat, true,
                                                    m_settings.strCustomFormat, CurrentTime());
        RECT textBox{0, CalcTitleTextTop(m_settings.lfTitle.lfHeight, m_nTitleHeight),
                     m_rcTitle.right, m_rcTitle.bottom};
        ::DrawTextA(dc, header.c_str(), static_cast<int>(header.size()), &textBox, DT_CENTER);

        ::SelectObject(dc, framePen.Get());
        ::MoveToEx(dc, 0, m_rcTitle.bottom, nullptr);
        ::LineTo(dc, m_rcTitle.right, m_rcTitle.bottom);

        DrawRoomTabs(dc, m_settings.nRoom);

        ::BitBlt(paint.Get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldPen);
        ::SelectObject(dc, oldBrush);
    }
    ::SelectObject(dc, oldBitmap);
    return true;
}

void CQuilletDlg::DrawRoomTabs(HDC dc, int room) {
    CPenHandle framePen(::CreatePen(PS_SOLID, 1, m_crFrame));
    CPenHandle jointPen(::CreatePen(PS_SOLID, 3, RGB(255, 255, 255)));
    CBrushHandle whiteBrush(::CreateSolidBrush(RGB(255, 255, 255)));
    CBrushHandle backBrush(::CreateSolidBrush(m_crBack));
    const HGDIOBJ oldPen = ::GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ oldBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ oldFont = ::GetCurrentObject(dc, OBJ_FONT);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, m_crText);
    if (room >= 0 && room <= 2) {
        const SRect* tabs[3] = {&m_rcTabDynamic, &m_rcTabStatic, &m_rcTabSearch};
        const char* labels[3] = {"A", "B", "C"};
        ::SelectObject(dc, framePen.Get());
        for (int i = 0; i < 3; ++i) {
            const bool selected = i == room;
            const CFontHandle* font = selected ? m_pFontTabBold.get() : m_pFontTab.get();
            SelectIfAny(dc, font != nullptr ? font->Get() : nullptr);
            ::SelectObject(dc, selected ? whiteBrush.Get() : backBrush.Get());
            RECT tab = ToRECT(*tabs[i]);
            ::RoundRect(dc, tab.left, tab.top, tab.right, tab.bottom, 2, 2);
            ::DrawTextA(dc, labels[i], 1, &tab, DT_CENTER);
        }
        const SRect* places[3] = {&m_rcNotesHome, &m_rcNotesStatic, &m_rcNotesSearch};
        const SRect& place = *places[room];
        ::SelectObject(dc, whiteBrush.Get());
        ::SelectObject(dc, framePen.Get());
        ::RoundRect(dc, place.left - 2, place.top - 2, place.right + 2, place.bottom + 2, 4, 4);
        const SRect& tab = *tabs[room];
        ::SelectObject(dc, jointPen.Get());
        ::MoveToEx(dc, tab.left, tab.top, nullptr);
        ::LineTo(dc, tab.right - 1, tab.top);
    }
    ::SelectObject(dc, oldPen);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldFont);
}
