// A text link of a dialog that opens its target with the shell.
#pragma once

#include "win/controls_win.h"
#include "win/handles_win.h"
#include "win/subclass_win.h"

#include <memory>
#include <string>

// A static text that opens its target with the shell when clicked: underlined while the mouse is
// over it, with a hand cursor and a tooltip. Its target is its own text until SetURL.
class CSimpleLink : public CSubclassWnd {
public:
    void SetURL(const std::string& url) { m_strURL = url; }
    void SetTipText(const std::string& tip);
    void SetLinkColors();

    bool PreTranslateMessage(MSG* msg) override;
    HBRUSH OnCtlColorReflect(HDC dc) override;

protected:
    void PreSubclassWindow() override;
    bool OnMouseMove(UINT flags, POINT point) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnLButtonUp(UINT flags, POINT point) override;
    bool OnSetCursor(HWND window, UINT hitTest, UINT message) override;

private:
    void ShowFont(const CFontHandle* font) const;

    bool m_bHover = false;
    COLORREF m_crLinkText = 0;
    COLORREF m_crLinkBack = 0;
    COLORREF m_crHoverBack = 0;
    COLORREF m_crHoverText = 0;
    std::string m_strTip;
    std::string m_strURL;
    std::unique_ptr<CFontHandle> m_pFontNormal;
    std::unique_ptr<CFontHandle> m_pFontHover;
    HCURSOR m_hCursor = nullptr;
    SRect m_rcLink;
    CToolTipCtrl m_toolTip;
};
