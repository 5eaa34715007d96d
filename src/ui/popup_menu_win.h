// The popup menu of the main window, built from its tables.
#pragma once

#include "ui/popup_menu.h"
#include "win/handles_win.h"

#include <functional>
#include <string>

// The popup menu tree built from its tables: it owns the menus and their marks, and shows itself
// for an owner window that receives the chosen command.
class CPopupMenu {
public:
    // Texts of the entries whose text depends on the owner's state, and the stored index that
    // picks each radio group's mark.
    using TextOf = std::function<std::string(const SMenuEntry&)>;
    using RadioIndexOf = std::function<int(EMenu)>;

    void Build(const TextOf& textOf, const RadioIndexOf& radioIndexOf);
    // Moves the radio mark of a menu's group to the item of the index; an index outside the
    // group marks nothing.
    void MarkRadio(EMenu menu, int index);
    void Check(EMenu menu, unsigned id, bool checked);
    void SetText(EMenu menu, unsigned id, const std::string& text);
    // Returns when the menu closes; the command arrives later as a command message.
    void Show(HWND owner, POINT screenPoint) const;

private:
    HMENU Handle(EMenu menu) const { return m_menus[static_cast<size_t>(menu)]; }

    // The root owns the tree once its submenus are attached.
    CMenuHandle m_root;
    HMENU m_menus[static_cast<size_t>(EMenu::Count)] = {};
};
