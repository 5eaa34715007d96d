// Builds the real menus from the tables, marks their radio items and shows them.
#include "ui/popup_menu_win.h"

#include "win/window_win.h"

void CPopupMenu::Build(const TextOf& textOf, const RadioIndexOf& radioIndexOf) {
    // Submenus not yet attached are owned here, so a failed build leaks nothing.
    CMenuHandle built[static_cast<size_t>(EMenu::Count)];
    for (const EMenu menu : kMenuBuildOrder) {
        CMenuHandle& handle = built[static_cast<size_t>(menu)];
        handle.CreatePopup();
        m_menus[static_cast<size_t>(menu)] = handle.Get();
        const SMenuTable table = MenuTable(menu);
        for (size_t i = 0; i < table.count; ++i) {
            const SMenuEntry& entry = table.entries[i];
            if (entry.kind == SMenuEntry::EKind::Separator) {
                ::AppendMenuW(handle.Get(), MF_SEPARATOR, 0, nullptr);
            } else if (entry.kind == SMenuEntry::EKind::Submenu) {
                CMenuHandle& sub = built[static_cast<size_t>(entry.submenu)];
                if (::AppendMenuW(handle.Get(), MF_POPUP | MF_STRING,
                                  reinterpret_cast<UINT_PTR>(sub.Get()),
                                  WideOf(entry.text).c_str())) {
                    sub.Release();
                }
            } else {
                const std::string text = entry.HasOwnerText() ? textOf(entry) : entry.text;
                ::AppendMenuW(handle.Get(), MF_STRING, entry.id, WideOf(text).c_str());
            }
        }
        MarkRadio(menu, radioIndexOf(menu));
    }
    m_root = std::move(built[static_cast<size_t>(EMenu::Main)]);
}

void CPopupMenu::MarkRadio(EMenu menu, int index) {
    const SRadioGroup* group = RadioGroupOf(menu);
    if (group == nullptr) {
        return;
    }
    const HMENU handle = Handle(menu);
    const long long id = static_cast<long long>(group->first) + index;
    if (index >= 0 && id <= static_cast<long long>(group->last)) {
        ::CheckMenuRadioItem(handle, group->first, group->last, static_cast<UINT>(id),
                             MF_BYCOMMAND);
        return;
    }
    for (unsigned item = group->first; item <= group->last; ++item) {
        ::CheckMenuItem(handle, item, MF_BYCOMMAND | MF_UNCHECKED);
    }
}

void CPopupMenu::Check(EMenu menu, unsigned id, bool checked) {
    ::CheckMenuItem(Handle(menu), id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void CPopupMenu::SetText(EMenu menu, unsigned id, const std::string& text) {
    ::ModifyMenuW(Handle(menu), id, MF_BYCOMMAND | MF_STRING, id, WideOf(text).c_str());
}

void CPopupMenu::Show(HWND owner, POINT screenPoint) const {
    ::TrackPopupMenu(m_root.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, screenPoint.x,
                     screenPoint.y, 0, owner, nullptr);
}
