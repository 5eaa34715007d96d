// Owners of the platform's handles (GDI objects, device contexts, menus), and their counts.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

// The handles the wrappers below hold, by kind. The system's own per-process counts read zero
// under Wine, so a long run reads these to show that nothing piles up.
struct SLiveHandles {
    static inline std::atomic<long> gdi{0};
    static inline std::atomic<long> menus{0};
    static void Count(std::atomic<long>& kind, const void* handle, long change) {
        if (handle != nullptr) {
            kind += change;
        }
    }
    // The windows of the calling thread, children included.
    static long Windows() {
        long count = 0;
        ::EnumThreadWindows(::GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
        return count;
    }

private:
    static BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
        ++*reinterpret_cast<long*>(count);
        ::EnumChildWindows(window, CountChild, count);
        return TRUE;
    }
    static BOOL CALLBACK CountChild(HWND, LPARAM count) {
        ++*reinterpret_cast<long*>(count);
        return TRUE;
    }
};

// Owns one GDI object (font, brush, pen, bitmap, region) and deletes it when it goes.
template <typename T> class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(T handle) : m_handle(handle) {
        SLiveHandles::Count(SLiveHandles::gdi, handle, 1);
    }
    ~CGdiObject() { Reset(); }
    CGdiObject(CGdiObject&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    T Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    void Reset(T handle = nullptr) {
        if (m_handle != nullptr) {
            DeleteObject(m_handle);
            SLiveHandles::Count(SLiveHandles::gdi, m_handle, -1);
        }
        SLiveHandles::Count(SLiveHandles::gdi, handle, 1);
        m_handle = handle;
    }
    // Hands the handle to a new owner (for example a window that takes a region).
    T Release() {
        SLiveHandles::Count(SLiveHandles::gdi, m_handle, -1);
        return std::exchange(m_handle, nullptr);
    }

private:
    T m_handle = nullptr;
};

using CFontHandle = CGdiObject<HFONT>;
using CBrushHandle = CGdiObject<HBRUSH>;
using CPenHandle = CGdiObject<HPEN>;
using CBitmapHandle = CGdiObject<HBITMAP>;
using CRegionHandle = CGdiObject<HRGN>;

// A memory device context.
class CMemoryDc {
public:
    explicit CMemoryDc(HDC compatible) : m_dc(CreateCompatibleDC(compatible)) {
        SLiveHandles::Count(SLiveHandles::gdi, m_dc, 1);
    }
    ~CMemoryDc() {
        if (m_dc != nullptr) {
            DeleteDC(m_dc);
            SLiveHandles::Count(SLiveHandles::gdi, m_dc, -1);
        }
    }
    CMemoryDc(const CMemoryDc&) = delete;
    CMemoryDc& operator=(const CMemoryDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// BeginPaint/EndPaint.
class CPaintDc {
public:
    explicit CPaintDc(HWND wnd) : m_wnd(wnd) { m_dc = BeginPaint(wnd, &m_ps); }
    ~CPaintDc() { EndPaint(m_wnd, &m_ps); }
    CPaintDc(const CPaintDc&) = delete;
    CPaintDc& operator=(const CPaintDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HWND m_wnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// A popup menu, destroyed with its submenus when it goes. A submenu attached to a parent belongs
// to the parent from then on: Release hands it over, so that it is destroyed once, with it.
class CMenuHandle {
public:
    CMenuHandle() = default;
    ~CMenuHandle() { Reset(); }
    CMenuHandle(CMenuHandle&& other) noexcept : m_menu(std::exchange(other.m_menu, nullptr)) {}
    CMenuHandle& operator=(CMenuHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_menu = std::exchange(other.m_menu, nullptr);
        }
        return *this;
    }
    CMenuHandle(const CMenuHandle&) = delete;
    CMenuHandle& operator=(const CMenuHandle&) = delete;

    bool CreatePopup() {
        Reset();
        m_menu = CreatePopupMenu();
        SLiveHandles::Count(SLiveHandles::menus, m_menu, 1);
        return m_menu != nullptr;
    }
    HMENU Get() const { return m_menu; }
    HMENU Release() {
        SLiveHandles::Count(SLiveHandles::menus, m_menu, -1);
        return std::exchange(m_menu, nullptr);
    }
    void Reset() {
        if (m_menu != nullptr) {
            DestroyMenu(m_menu);
            SLiveHandles::Count(SLiveHandles::menus, m_menu, -1);
        }
        m_menu = nullptr;
    }

private:
    HMENU m_menu = nullptr;
};
