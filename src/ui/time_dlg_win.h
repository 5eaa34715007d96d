// The dialog that asks for the user's own clock pattern.
#pragma once

#include "win/dialog_win.h"

#include <string>

// Asks for the user's own clock pattern. OK keeps the text exactly as typed; Escape and the
// close box cancel.
class CTimeDlg : public CDialog {
public:
    // Starts with the pattern in use.
    explicit CTimeDlg(std::string pattern, HWND owner = nullptr);

    const std::string& Pattern() const { return m_pattern; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_pattern;
};
