#include "ui/accessible_win.h"

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
        const auto load = [](const wchar_t* name) {
            return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        };
        const HMODULE oleacc = load(L"oleacc.dll");
        const HMODULE oleaut = load(L"oleaut32.dll");
        const HMODULE ole = load(L"ole32.dll");
        const auto find = [](HMODULE module, const char* name) {
            return module != nullptr ? reinterpret_cast<void*>(::GetProcAddress(module, name))
                                     : nullptr;
        };
        createStd = reinterpret_cast<CreateStd>(find(oleacc, "CreateStdAccessibleObject"));
        fromObject = reinterpret_cast<FromObject>(find(oleacc, "LresultFromObject"));
        allocString = reinterpret_cast<AllocString>(find(oleaut, "SysAllocString"));
        initCom = reinterpret_cast<InitCom>(find(ole, "CoInitializeEx"));
    }
};

// A text of the code page as the string a screen reader reads; null when it cannot be made.
BSTR MakeText(const std::string& text) {
    const auto alloc = SAccessibilityDlls::Get().allocString;
    if (alloc == nullptr) {
        return nullptr;
    }
    std::wstring wide(text.size() + 1, L'\0');
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                        wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return alloc(wide.c_str());
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

std::vector<SPaintedPart> CPaintedAccessible::Parts() const {
    return m_owner != nullptr ? m_owner->PaintedPartsNow() : std::vector<SPaintedPart>();
}

int CPaintedAccessible::PartOf(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal <= CHILDID_SELF) {
        return -1;
    }
    const size_t index = static_cast<size_t>(child.lVal) - 1;
    return index < Parts().size() ? static_cast<int>(index) : -1;
}

VARIANT CPaintedAccessible::InnerChild(const VARIANT& child) const {
    if (child.vt != VT_I4 || child.lVal <= CHILDID_SELF) {
        return child;
    }
    return Long(child.lVal - static_cast<LONG>(Parts().size()));
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
    if (m_inner != nullptr) {
        return m_inner->get_accParent(parent);
    }
    *parent = nullptr;
    return S_FALSE;
}

HRESULT CPaintedAccessible::get_accChildCount(long* count) {
    long inner = 0;
    if (m_inner != nullptr && FAILED(m_inner->get_accChildCount(&inner))) {
        inner = 0;
    }
    *count = static_cast<long>(Parts().size()) + inner;
    return S_OK;
}

HRESULT CPaintedAccessible::get_accChild(VARIANT child, IDispatch** object) {
    *object = nullptr;
    if (PartOf(child) >= 0) {
        return S_FALSE; // a simple element, answered by this object
    }
    return m_inner != nullptr ? m_inner->get_accChild(InnerChild(child), object) : E_INVALIDARG;
}

HRESULT CPaintedAccessible::get_accName(VARIANT child, BSTR* name) {
    const int part = PartOf(child);
    if (part >= 0) {
        *name = MakeText(Parts()[static_cast<size_t>(part)].name);
        return S_OK;
    }
    return m_inner != nullptr ? m_inner->get_accName(InnerChild(child), name) : S_FALSE;
}

HRESULT CPaintedAccessible::get_accValue(VARIANT child, BSTR* value) {
    *value = nullptr;
    if (PartOf(child) >= 0) {
        return S_FALSE;
    }
    return m_inner != nullptr ? m_inner->get_accValue(InnerChild(child), value) : S_FALSE;
}

HRESULT CPaintedAccessible::get_accDescription(VARIANT child, BSTR* text) {
    *text = nullptr;
    if (PartOf(child) >= 0) {
        return S_FALSE;
    }
    return m_inner != nullptr ? m_inner->get_accDescription(InnerChild(child), text) : S_FALSE;
}

HRESULT CPaintedAccessible::get_accRole(VARIANT child, VARIANT* role) {
    const int part = PartOf(child);
    if (part >= 0) {
        *role = Long(RoleOf(Parts()[static_cast<size_t>(part)].role));
        return S_OK;
    }
    if (m_inner != nullptr) {
        return m_inner->get_accRole(InnerChild(child), role);
    }
    *role = Long(ROLE_SYSTEM_CLIENT);
    return S_OK;
}

HRESULT CPaintedAccessible::get_accState(VARIANT child, VARIANT* state) {
    const int part = PartOf(child);
    if (part >= 0) {
        const SPaintedPart& p = Parts()[static_cast<size_t>(part)];
        LONG flags = p.role == EPartRole::Text ? STATE_SYSTEM_READONLY : 0;
        if (p.role == EPartRole::PageTab) {
            flags |= STATE_SYSTEM_SELECTABLE | (p.selected ? STATE_SYSTEM_SELECTED : 0);
        }
        *state = Long(flags);
        return S_OK;
    }
    if (m_inner != nullptr) {
        return m_inner->get_accState(InnerChild(child), state);
    }
    *state = Long(0);
    return S_OK;
}

HRESULT CPaintedAccessible::get_accHelp(VARIANT child, BSTR* help) {
    *help = nullptr;
    if (PartOf(child) >= 0 || m_inner == nullptr) {
        return S_FALSE;
    }
    return m_inner->get_accHelp(InnerChild(child), help);
}

HRESULT CPaintedAccessible::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    *file = nullptr;
    if (PartOf(child) >= 0 || m_inner == nullptr) {
        return S_FALSE;
    }
    return m_inner->get_accHelpTopic(file, InnerChild(child), topic);
}

HRESULT CPaintedAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* keys) {
    *keys = nullptr;
    const int part = PartOf(child);
    if (part >= 0) {
        // The keys that do what a click on the part does.
        static const char* const kKeys[] = {"Shift+F10", "Ctrl+1", "Ctrl+2", "Ctrl+3"};
        if (static_cast<size_t>(part) < sizeof kKeys / sizeof kKeys[0]) {
            *keys = MakeText(kKeys[part]);
            return S_OK;
        }
        return S_FALSE;
    }
    return m_inner != nullptr ? m_inner->get_accKeyboardShortcut(InnerChild(child), keys) : S_FALSE;
}

HRESULT CPaintedAccessible::get_accFocus(VARIANT* child) {
    if (m_inner != nullptr) {
        const HRESULT result = m_inner->get_accFocus(child);
        if (SUCCEEDED(result) && child->vt == VT_I4 && child->lVal > CHILDID_SELF) {
            child->lVal += static_cast<LONG>(Parts().size());
        }
        return result;
    }
    child->vt = VT_EMPTY;
    return S_FALSE;
}

HRESULT CPaintedAccessible::get_accSelection(VARIANT* children) {
    // The shown room's tab.
    const std::vector<SPaintedPart> parts = Parts();
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].selected) {
            *children = Long(static_cast<LONG>(i) + 1);
            return S_OK;
        }
    }
    children->vt = VT_EMPTY;
    return S_FALSE;
}

HRESULT CPaintedAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    *action = nullptr;
    const int part = PartOf(child);
    if (part >= 0) {
        const EPartRole role = Parts()[static_cast<size_t>(part)].role;
        if (role == EPartRole::Text) {
            return S_FALSE;
        }
        *action = MakeText(role == EPartRole::Button ? "Press" : "Switch");
        return S_OK;
    }
    return m_inner != nullptr ? m_inner->get_accDefaultAction(InnerChild(child), action) : S_FALSE;
}

HRESULT CPaintedAccessible::accSelect(long flags, VARIANT child) {
    const int part = PartOf(child);
    if (part >= 0) {
        if (Parts()[static_cast<size_t>(part)].role != EPartRole::PageTab ||
            (flags & SELFLAG_TAKESELECTION) == 0 || m_owner == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        m_owner->PressPaintedPart(part);
        return S_OK;
    }
    return m_inner != nullptr ? m_inner->accSelect(flags, InnerChild(child)) : E_INVALIDARG;
}

HRESULT CPaintedAccessible::accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) {
    const int part = PartOf(child);
    if (part >= 0) {
        const SRect& r = Parts()[static_cast<size_t>(part)].rect;
        POINT corner{r.left, r.top};
        ::ClientToScreen(m_window, &corner);
        *left = corner.x;
        *top = corner.y;
        *width = r.Width();
        *height = r.Height();
        return S_OK;
    }
    return m_inner != nullptr ? m_inner->accLocation(left, top, width, height, InnerChild(child))
                              : E_INVALIDARG;
}

HRESULT CPaintedAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    end->vt = VT_EMPTY;
    const long parts = static_cast<long>(Parts().size());
    const int part = PartOf(start);
    const bool self = start.vt == VT_I4 && start.lVal == CHILDID_SELF;
    if (self && direction == NAVDIR_FIRSTCHILD && parts > 0) {
        *end = Long(1);
        return S_OK;
    }
    if (part >= 0 && (direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS)) {
        const long to = part + 1 + (direction == NAVDIR_NEXT ? 1 : -1);
        if (to < 1) {
            return S_FALSE;
        }
        if (to <= parts) {
            *end = Long(to);
            return S_OK;
        }
        return m_inner != nullptr ? m_inner->accNavigate(NAVDIR_FIRSTCHILD, Long(CHILDID_SELF), end)
                                  : S_FALSE;
    }
    if (part >= 0 || m_inner == nullptr) {
        return S_FALSE;
    }
    return m_inner->accNavigate(direction, self ? start : InnerChild(start), end);
}

HRESULT CPaintedAccessible::accHitTest(long x, long y, VARIANT* child) {
    POINT at{x, y};
    ::ScreenToClient(m_window, &at);
    const int part = PaintedPartAt(Parts(), SPoint{at.x, at.y});
    if (part > 0) {
        *child = Long(part);
        return S_OK;
    }
    if (m_inner != nullptr) {
        const HRESULT result = m_inner->accHitTest(x, y, child);
        if (SUCCEEDED(result) && child->vt == VT_I4 && child->lVal > CHILDID_SELF) {
            child->lVal += static_cast<LONG>(Parts().size());
        }
        return result;
    }
    *child = Long(CHILDID_SELF);
    return S_OK;
}

HRESULT CPaintedAccessible::accDoDefaultAction(VARIANT child) {
    const int part = PartOf(child);
    if (part >= 0) {
        if (Parts()[static_cast<size_t>(part)].role == EPartRole::Text || m_owner == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        m_owner->PressPaintedPart(part);
        return S_OK;
    }
    return m_inner != nullptr ? m_inner->accDoDefaultAction(InnerChild(child)) : E_INVALIDARG;
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
