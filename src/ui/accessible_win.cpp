// The accessible object's answers for the painted parts; the rest go to the system's object.
#include "ui/accessible_win.h"

#include "win/system_dll_win.h"
#include "win/window_win.h"

#include <string>

namespace {

// The accessibility and automation DLLs are loaded only when a screen reader first asks, and
// only from the system folder: most starts never need them.
struct SAccessibilityDlls {
    using CreateStd = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using FromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    using AllocString = BSTR(WINAPI*)(const OLECHAR*);
    using InitCom = HRESULT(WINAPI*)(LPVOID, DWORD);

    CreateStd createStd = nullptr;
    FromObject fromObject = nullptr;
    AllocString allocString = nullptr;
    InitCom initCom = nullptr;

    static const SAccessibilityDlls& Get() {
        static const SAccessibilityDlls dlls;
        return dlls;
    }

private:
    SAccessibilityDlls() {
        const HMODULE oleacc = LoadSystemDll(L"oleacc.dll");
        createStd = SystemFunction<CreateStd>(oleacc, "CreateStdAccessibleObject");
        fromObject = SystemFunction<FromObject>(oleacc, "LresultFromObject");
        allocString = SystemFunction<AllocString>(LoadSystemDll(L"oleaut32.dll"), "SysAllocString");
        initCom = SystemFunction<InitCom>(LoadSystemDll(L"ole32.dll"), "CoInitializeEx");
    }
};

// A text as the string a screen reader reads; null when it cannot be made.
BSTR MakeText(const std::string& text) {
    const auto alloc = SAccessibilityDlls::Get().allocString;
    return alloc != nullptr ? alloc(WideOf(text).c_str()) : nullptr;
}

VARIANT Long(LONG value) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

LONG RoleOf(EPartRole role) {
    switch (role) {
    case EPartRole::Button:
        return ROLE_SYSTEM_PUSHBUTTON;
    case EPartRole::PageTab:
        return ROLE_SYSTEM_PAGETAB;
    default:
        return ROLE_SYSTEM_STATICTEXT;
    }
}

} // namespace

CPaintedAccessible::CPaintedAccessible(HWND window, IPaintedPartsOwner* owner, IAccessible* inner)
    : m_window(window), m_owner(owner), m_inner(inner) {
    if (m_inner != nullptr) {
        m_inner->AddRef();
    }
}

CPaintedAccessible::~CPaintedAccessible() {
    if (m_inner != nullptr) {
        m_inner->Release();
    }
}

void CPaintedAccessible::Disconnect() {
    m_owner = nullptr;
}

CPaintedAccessible::SChild CPaintedAccessible::Resolve(const VARIANT& child) const {
    SChild c;
    c.parts = m_owner != nullptr ? m_owner->PaintedPartsNow() : std::vector<SPaintedPart>();
    c.inner = child;
    if (child.vt == VT_I4 && child.lVal > CHILDID_SELF) {
        const size_t index = static_cast<size_t>(child.lVal) - 1;
        if (index < c.parts.size()) {
            c.index = static_cast<int>(index);
        } else {
            c.inner = Long(child.lVal - static_cast<LONG>(c.parts.size()));
        }
    }
    return c;
}

LONG CPaintedAccessible::PartCount() const {
    return m_owner != nullptr ? static_cast<LONG>(m_owner->PaintedPartsNow().size()) : 0;
}

HRESULT CPaintedAccessible::ShiftedPastParts(HRESULT result, VARIANT* child) const {
    if (SUCCEEDED(result) && child->vt == VT_I4 && child->lVal > CHILDID_SELF) {
        child->lVal += PartCount();
    }
    return result;
}

HRESULT CPaintedAccessible::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
        riid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CPaintedAccessible::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG CPaintedAccessible::Release() {
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}

HRESULT CPaintedAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT CPaintedAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT CPaintedAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CPaintedAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    return E_NOTIMPL;
}

HRESULT CPaintedAccessible::get_accParent(IDispatch** parent) {
    *parent = nullptr;
    return Forward([&](IAccessible* in) { return in->get_accParent(parent); }, S_FALSE);
}

HRESULT CPaintedAccessible::get_accChildCount(long* count) {
    long inner = 0;
    if (FAILED(Forward([&](IAccessible* in) { return in->get_accChildCount(&inner); }, S_OK))) {
        inner = 0;
    }
    *count = PartCount() + inner;
    return S_OK;
}

HRESULT CPaintedAccessible::get_accChild(VARIANT child, IDispatch** object) {
    *object = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        return S_FALSE; // a simple element, answered by this object
    }
    return Forward([&](IAccessible* in) { return in->get_accChild(c.inner, object); },
                   E_INVALIDARG);
}

HRESULT CPaintedAccessible::get_accName(VARIANT child, BSTR* name) {
    *name = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        *name = MakeText(c.Part().name);
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->get_accName(c.inner, name); }, S_FALSE);
}

HRESULT CPaintedAccessible::get_accValue(VARIANT child, BSTR* value) {
    *value = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        return S_FALSE;
    }
    return Forward([&](IAccessible* in) { return in->get_accValue(c.inner, value); }, S_FALSE);
}

HRESULT CPaintedAccessible::get_accDescription(VARIANT child, BSTR* text) {
    *text = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        return S_FALSE;
    }
    return Forward([&](IAccessible* in) { return in->get_accDescription(c.inner, text); }, S_FALSE);
}

HRESULT CPaintedAccessible::get_accRole(VARIANT child, VARIANT* role) {
    const SChild c = Resolve(child);
    *role = Long(c.index >= 0 ? RoleOf(c.Part().role) : ROLE_SYSTEM_CLIENT);
    if (c.index >= 0) {
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->get_accRole(c.inner, role); }, S_OK);
}

HRESULT CPaintedAccessible::get_accState(VARIANT child, VARIANT* state) {
    const SChild c = Resolve(child);
    *state = Long(0);
    if (c.index >= 0) {
        LONG flags = c.Part().role == EPartRole::Text ? STATE_SYSTEM_READONLY : 0;
        if (c.Part().role == EPartRole::PageTab) {
            flags |= STATE_SYSTEM_SELECTABLE | (c.Part().selected ? STATE_SYSTEM_SELECTED : 0);
        }
        *state = Long(flags);
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->get_accState(c.inner, state); }, S_OK);
}

HRESULT CPaintedAccessible::get_accHelp(VARIANT child, BSTR* help) {
    *help = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        return S_FALSE;
    }
    return Forward([&](IAccessible* in) { return in->get_accHelp(c.inner, help); }, S_FALSE);
}

HRESULT CPaintedAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    *file = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        return S_FALSE;
    }
    return Forward([&](IAccessible* in) { return in->get_accHelpTopic(file, c.inner, topic); },
                   S_FALSE);
}

HRESULT CPaintedAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* keys) {
    *keys = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        // The keys that do what a click on the part does.
        const char* shortcut = ShortcutOf(c.Part().keys);
        if (shortcut == nullptr) {
            return S_FALSE;
        }
        *keys = MakeText(shortcut);
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->get_accKeyboardShortcut(c.inner, keys); },
                   S_FALSE);
}

HRESULT CPaintedAccessible::get_accFocus(VARIANT* child) {
    child->vt = VT_EMPTY;
    return Forward(
        [&](IAccessible* in) { return ShiftedPastParts(in->get_accFocus(child), child); }, S_FALSE);
}

HRESULT CPaintedAccessible::get_accSelection(VARIANT* children) {
    // The shown room's tab.
    const SChild c = Resolve(Long(CHILDID_SELF));
    for (size_t i = 0; i < c.parts.size(); ++i) {
        if (c.parts[i].selected) {
            *children = Long(static_cast<LONG>(i) + 1);
            return S_OK;
        }
    }
    children->vt = VT_EMPTY;
    return S_FALSE;
}

HRESULT CPaintedAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    *action = nullptr;
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        if (c.Part().role == EPartRole::Text) {
            return S_FALSE;
        }
        *action = MakeText(c.Part().role == EPartRole::Button ? "Press" : "Switch");
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->get_accDefaultAction(c.inner, action); },
                   S_FALSE);
}

HRESULT CPaintedAccessible::accSelect(long flags, VARIANT child) {
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        if (c.Part().role != EPartRole::PageTab || (flags & SELFLAG_TAKESELECTION) == 0 ||
            m_owner == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        m_owner->PressPaintedPart(c.index);
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->accSelect(flags, c.inner); }, E_INVALIDARG);
}

HRESULT CPaintedAccessible::accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) {
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        const SRect& r = c.Part().rect;
        POINT corner{r.left, r.top};
        ::ClientToScreen(m_window, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = r.Width();
        *height = r.Height();
        return S_OK;
    }
    return Forward(
        [&](IAccessible* in) { return in->accLocation(left, top, width, height, c.inner); },
        E_INVALIDARG);
}

HRESULT CPaintedAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    end->vt = VT_EMPTY;
    const SChild c = Resolve(start);
    const long parts = static_cast<long>(c.parts.size());
    const bool self = start.vt == VT_I4 && start.lVal == CHILDID_SELF;
    if (self && direction == NAVDIR_FIRSTCHILD && parts > 0) {
        *end = Long(1);
        return S_OK;
    }
    if (c.index >= 0 && (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS)) {
        const long to = c.index + 1 + (direction == NAVDIR_NEXT ? 1 : -1);
        if (to < 1) {
            return S_FALSE;
        }
        if (to <= parts) {
            *end = Long(to);
            return S_OK;
        }
        return Forward(
            [&](IAccessible* in) {
                return in->accNavigate(NAVDIR_FIRSTCHILD, Long(CHILDID_SELF), end);
            },
            S_FALSE);
    }
    if (c.index >= 0) {
        return S_FALSE;
    }
    return Forward([&](IAccessible* in) { return in->accNavigate(direction, c.inner, end); },
                   S_FALSE);
}

HRESULT CPaintedAccessible::accHitTest(long x, long y, VARIANT* child) {
    POINT at{x, y};
    ::ScreenToClient(m_window, &at);
    const SChild c = Resolve(Long(CHILDID_SELF));
    const int part = PaintedPartAt(c.parts, SPoint{at.x, at.y});
    *child = Long(part > 0 ? part : CHILDID_SELF);
    if (part > 0) {
        return S_OK;
    }
    return Forward(
        [&](IAccessible* in) { return ShiftedPastParts(in->accHitTest(x, y, child), child); },
        S_OK);
}

HRESULT CPaintedAccessible::accDoDefaultAction(VARIANT child) {
    const SChild c = Resolve(child);
    if (c.index >= 0) {
        if (c.Part().role == EPartRole::Text || m_owner == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        m_owner->PressPaintedPart(c.index);
        return S_OK;
    }
    return Forward([&](IAccessible* in) { return in->accDoDefaultAction(c.inner); }, E_INVALIDARG);
}

HRESULT CPaintedAccessible::put_accName(VARIANT, BSTR) {
    return E_NOTIMPL;
}

HRESULT CPaintedAccessible::put_accValue(VARIANT, BSTR) {
    return E_NOTIMPL;
}

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, IPaintedPartsOwner& owner,
                        CPaintedAccessible*& cached) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) {
        return 0;
    }
    const SAccessibilityDlls& dlls = SAccessibilityDlls::Get();
    if (dlls.createStd == nullptr || dlls.fromObject == nullptr) {
        return 0;
    }
    if (cached == nullptr) {
        // Handing the object to another process takes COM on this thread.
        if (dlls.initCom != nullptr) {
            dlls.initCom(nullptr, COINIT_APARTMENTTHREADED);
        }
        IAccessible* inner = nullptr;
        if (FAILED(dlls.createStd(window, OBJID_CLIENT, __uuidof(IAccessible),
                                  reinterpret_cast<void**>(&inner)))) {
            inner = nullptr;
        }
        cached = new CPaintedAccessible(window, &owner, inner);
        if (inner != nullptr) {
            inner->Release();
        }
    }
    return dlls.fromObject(__uuidof(IAccessible), wParam, cached);
}
