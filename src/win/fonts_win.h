// The program's own fonts: fixed Tahoma fonts of the tabs and links, and choosing a stored font.
#pragma once

#include "base/log_font.h"
#include "win/handles_win.h"

#include <memory>

// The fixed Tahoma fonts: 0 normal, 1 italic, 2 weight 600, 3 underlined (all 11 pixels),
// 4 normal at 8 pixels; any other kind as 0.
std::unique_ptr<CFontHandle> CreateTahomaFont(int kind, int dpi = 96);

// Lets the user choose a screen font, with effects, starting from the stored description, which
// OK replaces and Cancel leaves as it was (false). The colour chosen there is not used.
bool ChooseStoredFont(HWND owner, SLogFont& stored);
