// Builds the popup menu tree from its tables and shows it.
#include "app/quillet_dlg_win.h"

#include "render/clock_format.h"
#include "ui/commands.h"

CMenuHandle& CQuilletDlg::Menu(EMenu menu) {
    switch (menu) {
    case EMenu::Backup:
        return m_menuBackup;
    case EMenu::Flags:
        return m_menuFlags;
    case EMenu::Color:
        return m_menuColor;
    case EMenu::Time:
        return m_menuTime;
    case EMenu::Title:
        return m_menuTitle;
    case EMenu::Style:
        return m_menuStyle;
    case EMenu::Font:
        return m_menuFont;
    case EMenu::Help:
        return m_menuHelp;
    default:
        return m_menuMain;
    }
}

void CQuilletDlg::BuildPopupMenu() {
    const QTime now = CurrentTime();
    for (const EMenu menu : kMenuBuildOrder) {
        CMenuHandle& handle = Menu(menu);
        handle.CreatePopup();
        const SMenuTable table = MenuTable(menu);
        for (size_t i = 0; i < table.count; ++i) {
            const SMenuEntry& entry = table.entries[i];
            switch (entry.kind) {
            case SMenuEntry::EKind::Separator:
                ::AppendMenuA(handle.Get(), MF_SEPARATOR, 0, nullptr);
                break;
            case SMenuEntry::EKind::Submenu:
                ::AppendMenuA(handle.Get(), MF_POPUP | MF_STRING,
                              reinterpret_cast<UINT_PTR>(Menu(entry.submenu).Get()), entry.text);
                break;
            case SMenuEntry::EKind::TimeFormat: {
                const std::string text =
                    FormatHeaderText(static_cast<int>(entry.id - ID_TIME_FIRST), true,
                                     m_settings.strCustomFormat, now);
                ::AppendMenuA(handle.Get(), MF_STRING, entry.id, text.c_str());
                break;
            }
            case SMenuEntry::EKind::FullCompact:
                ::AppendMenuA(handle.Get(), MF_STRING, entry.id,
                              m_settings.nFullView != 0 ? "Compact" : "Full");
                break;
            default:
                ::AppendMenuA(handle.Get(), MF_STRING, entry.id, entry.text);
                break;
            }
        }
        MarkRadioGroup(menu);
    }
}

void CQuilletDlg::MarkRadioGroup(EMenu menu) {
    // Each group's range of items and the stored index that picks its mark.
    struct SGroup {
        unsigned first;
        unsigned last;
        int index;
    };
    SGroup group;
    switch (menu) {
    case EMenu::Color:
        group = {ID_COLOR_FIRST, ID_COLOR_LAST, m_settings.nColor};
        break;
    case EMenu::Style:
        group = {ID_SHAPE_FIRST, ID_SHAPE_MARK_LAST, m_settings.nShape};
        break;
    case EMenu::Time:
        group = {ID_TIME_FIRST, ID_TIME_CUSTOM, m_settings.nTimeFormat};
        break;
    case EMenu::Title:
        group = {ID_GRADIENT_FIRST, ID_GRADIENT_MARK_LAST, m_settings.nGradient};
        break;
    default:
        return; // menus without a radio group
    }
    const unsigned first = group.first;
    const unsigned last = group.last;
    const int index = group.index;
    const HMENU handle = Menu(menu).Get();
    const long long id = static_cast<long long>(first) + index;
    if (index >= 0 && id <= static_cast<long long>(last)) {
        ::CheckMenuRadioItem(handle, first, last, static_cast<UINT>(id), MF_BYCOMMAND);
        return;
    }
    // An index outside the range marks nothing.
    for (unsigned item = first; item <= last; ++item) {
        ::CheckMenuItem(handle, item, MF_BYCOMMAND | MF_UNCHECKED);
    }
}

void CQuilletDlg::CheckFlag(unsigned id, bool checked) {
    ::CheckMenuItem(m_menuFlags.Get(), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CQuilletDlg::RefreshTimeMenu() {
    const QTime now = CurrentTime();
    for (int i = 0; i < 9; ++i) {
        const std::string text = FormatHeaderText(i, true, m_settings.strCustomFormat, now);
        ::ModifyMenuA(m_menuTime.Get(), ID_TIME_FIRST + i, MF_BYCOMMAND | MF_STRING,
                      ID_TIME_FIRST + i, text.c_str());
    }
    MarkRadioGroup(EMenu::Time);
}

void CQuilletDlg::ShowPopupMenu(POINT screenPoint) {
    ::TrackPopupMenu(m_menuMain.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, screenPoint.x,
                     screenPoint.y, 0, m_hWnd, nullptr);
}
