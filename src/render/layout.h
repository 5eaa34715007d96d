#pragma once

#include "base/geometry.h"

// Pixel layout of the main window, derived from the client rectangle and the place the dialog
// template gives the notes edit.
struct SLayout {
    static constexpr int kTitleHeight = 23;

    SRect rcClient;
    SRect rcTitle;
    SRect rcMenuButton;
    SRect rcNotesHome;
    SRect rcNotesStatic;
    SRect rcNotesSearch;
    SRect rcSearchBox;
    SRect rcTabDynamic;
    SRect rcTabStatic;
    SRect rcTabSearch;
};

SLayout ComputeLayout(const SRect& client, const SRect& notesHome);

// Top of the header text box for a title font height (negative: character height).
int CalcTitleTextTop(int fontHeight, int titleHeight);
