// The dialog framework on the real platform: an exception that escapes a handler never unwinds
// through the system's frames.
#include "win/dialog_win.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

constexpr UINT kThrowMessage = WM_APP + 7;

// A dialog whose handler throws; it records the error and ends itself.
class CThrowingDialog : public CDialog {
public:
    explicit CThrowingDialog(const DLGTEMPLATE* dialogTemplate)
        : CDialog(dialogTemplate, nullptr) {}
    int m_errors = 0;

protected:
    BOOL OnInitDialog() override {
        ::PostMessageA(m_hWnd, kThrowMessage, 0, 0);
        return TRUE;
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == kThrowMessage) {
            throw std::runtime_error("a handler failed");
        }
        return false;
    }
    bool OnUnexpectedError() override {
        ++m_errors;
        EndDialog(42);
        return true;
    }
};

// An empty popup dialog template.
std::vector<WORD> EmptyTemplate() {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = WS_POPUP;
    t->cx = 40;
    t->cy = 20;
    return words;
}

} // namespace

TEST(DialogFramework, AnErrorInAHandlerReachesTheDialogInsteadOfEndingTheProcess) {
    const std::vector<WORD> words = EmptyTemplate();
    CThrowingDialog dialog(reinterpret_cast<const DLGTEMPLATE*>(words.data()));
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.m_errors, 1);
}
