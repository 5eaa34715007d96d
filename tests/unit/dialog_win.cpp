// The dialog framework on the real platform: an exception that escapes a handler never unwinds
// through the system's frames.
#include "win/dialog_win.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

constexpr UINT kThrowMessage = WM_APP + 7;

enum class EThrowIn { Handler, Idle, PreTranslate };

// A dialog that throws from a handler or from the loop's own calls; it records the error and
// ends itself.
class CThrowingDialog : public CDialog {
public:
    CThrowingDialog(const DLGTEMPLATE* dialogTemplate, EThrowIn where)
        : CDialog(dialogTemplate, nullptr), m_where(where) {}
    int m_errors = 0;

protected:
    BOOL OnInitDialog() override {
        ::PostMessageA(m_hWnd, kThrowMessage, 0, 0);
        return TRUE;
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == kThrowMessage && m_where == EThrowIn::Handler) {
            throw std::runtime_error("a handler failed");
        }
        return false;
    }
    bool OnIdle() override {
        if (m_where == EThrowIn::Idle) {
            throw std::runtime_error("idle work failed");
        }
        return false;
    }
    bool PreTranslateMessage(MSG* msg) override {
        if (msg->message == kThrowMessage && m_where == EThrowIn::PreTranslate) {
            throw std::runtime_error("a key filter failed");
        }
        return CDialog::PreTranslateMessage(msg);
    }
    bool OnUnexpectedError() override {
        ++m_errors;
        EndDialog(42);
        return true;
    }

private:
    EThrowIn m_where;
};

// A visible dialog that ends while it starts, as the main window does when the user cancels.
class CEndingDialog : public CDialog {
public:
    explicit CEndingDialog(const DLGTEMPLATE* dialogTemplate) : CDialog(dialogTemplate, nullptr) {}
    bool m_shown = false;

protected:
    BOOL OnInitDialog() override {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT&) override {
        m_shown = m_shown || (msg == WM_WINDOWPOSCHANGED &&
                              (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW));
        return false;
    }
};

// A dialog that is told to colour a window of somebody else's whose property looks like one of
// ours.
class CColorProbeDialog : public CDialog {
public:
    explicit CColorProbeDialog(const DLGTEMPLATE* dialogTemplate)
        : CDialog(dialogTemplate, nullptr) {}

protected:
    BOOL OnInitDialog() override {
        const HWND foreign = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                               nullptr, nullptr, nullptr);
        ::SetPropA(foreign, "Quillet.CRoutedWnd", reinterpret_cast<HANDLE>(16));
        const HDC dc = ::GetDC(foreign);
        SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                    reinterpret_cast<LPARAM>(foreign));
        ::ReleaseDC(foreign, dc);
        ::DestroyWindow(foreign);
        EndDialog(IDOK);
        return FALSE;
    }
};

// An empty popup dialog template.
std::vector<WORD> EmptyTemplate(DWORD style = WS_POPUP) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = style;
    t->cx = 40;
    t->cy = 20;
    return words;
}

} // namespace

TEST(DialogFramework, AnErrorInAHandlerOrTheLoopReachesTheDialogInsteadOfEndingTheProcess) {
    const std::vector<WORD> words = EmptyTemplate();
    for (EThrowIn where : {EThrowIn::Handler, EThrowIn::Idle, EThrowIn::PreTranslate}) {
        SCOPED_TRACE(static_cast<int>(where));
        CThrowingDialog dialog(reinterpret_cast<const DLGTEMPLATE*>(words.data()), where);
        EXPECT_EQ(dialog.DoModal(), 42);
        EXPECT_EQ(dialog.m_errors, 1);
    }
}

TEST(DialogFramework, AColourRequestNamingAWindowThatIsNotAChildIsNotTakenForOneOfOurs) {
    const std::vector<WORD> words = EmptyTemplate();
    CColorProbeDialog dialog(reinterpret_cast<const DLGTEMPLATE*>(words.data()));
    EXPECT_EQ(dialog.DoModal(), IDOK); // a crash otherwise
}

TEST(DialogFramework, ADialogThatEndsWhileItStartsNeverShows) {
    const std::vector<WORD> words = EmptyTemplate(WS_POPUP | WS_VISIBLE);
    CEndingDialog dialog(reinterpret_cast<const DLGTEMPLATE*>(words.data()));
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_FALSE(dialog.m_shown);
}
