// What screen readers see of the painted parts of the main window.
#pragma once

#include "ui/painted_parts.h"

#include <windows.h>
#include <oleacc.h>

// The window that paints the parts: what they are now, and what pressing one does.
class IPaintedPartsOwner {
public:
    virtual std::vector<SPaintedPart> PaintedPartsNow() const = 0;
    // index counts from 0 in the order of the parts.
    virtual void PressPaintedPart(int index) = 0;

protected:
    ~IPaintedPartsOwner() = default;
};

// The accessible object of the main window's client area: the painted parts as simple children
// first, then everything the system's own object of the client knows (the child controls), to
// which the rest is handed.
class CPaintedAccessible : public IAccessible {
public:
    // Takes a reference to inner, which may be null.
    CPaintedAccessible(HWND window, IPaintedPartsOwner* owner, IAccessible* inner);
    // The window is going: the object may live on in a screen reader, without it.
    void Disconnect();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: not offered, as the system's own objects do not need it here.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    virtual ~CPaintedAccessible();
    // What a child id names, from one look at the parts per call: a painted part, or a child
    // of the inner object under its own id.
    struct SChild {
        std::vector<SPaintedPart> parts;
        int index = -1; // of the part, from 0
        VARIANT inner;
        const SPaintedPart& Part() const { return parts[static_cast<size_t>(index)]; }
    };
    SChild Resolve(const VARIANT& child) const;
    LONG PartCount() const;
    // A child id the inner object gave, as this object numbers it.
    HRESULT ShiftedPastParts(HRESULT result, VARIANT* child) const;
    // The call on the inner object; without one, the answer given.
    template <typename Call> HRESULT Forward(Call call, HRESULT without) const {
        return m_inner != nullptr ? call(m_inner) : without;
    }

    LONG m_refs = 1;
    HWND m_window;
    IPaintedPartsOwner* m_owner;
    IAccessible* m_inner;
};

// Answers WM_GETOBJECT for the client area with the object kept in cached (made on the first
// request, with the system's object of the client inside); 0 for what it does not answer.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, IPaintedPartsOwner& owner,
                        CPaintedAccessible*& cached);
