// Loading the system's text engine, and analysing, drawing and measuring lines with it.
#include "win/text_engine_win.h"

#include "win/system_dll_win.h"

const STextEngine& TextEngine() {
    static const STextEngine engine = [] {
        STextEngine loaded;
        const HMODULE dll = LoadSystemDll(L"usp10.dll");
        loaded.analyse = SystemFunction<decltype(loaded.analyse)>(dll, "ScriptStringAnalyse");
        loaded.out = SystemFunction<decltype(loaded.out)>(dll, "ScriptStringOut");
        loaded.free = SystemFunction<decltype(loaded.free)>(dll, "ScriptStringFree");
        loaded.cpToX = SystemFunction<decltype(loaded.cpToX)>(dll, "ScriptStringCPtoX");
        loaded.xToCp = SystemFunction<decltype(loaded.xToCp)>(dll, "ScriptStringXtoCP");
        loaded.size = SystemFunction<decltype(loaded.size)>(dll, "ScriptString_pSize");
        if (loaded.analyse == nullptr || loaded.out == nullptr || loaded.free == nullptr ||
            loaded.cpToX == nullptr || loaded.xToCp == nullptr || loaded.size == nullptr) {
            loaded = STextEngine();
        }
        return loaded;
    }();
    return engine;
}

CAnalysedLine::CAnalysedLine(HDC dc, const wchar_t* text, int units, const SCRIPT_TABDEF* tabs)
    : m_units(units) {
    const STextEngine& engine = TextEngine();
    if (units <= 0 || engine.analyse == nullptr) {
        return;
    }
    const DWORD flags = SSA_LINK | SSA_FALLBACK | SSA_GLYPHS | (tabs != nullptr ? SSA_TAB : 0);
    // The glyph buffer the engine asks for: one and a half glyphs a unit, and some.
    if (FAILED(engine.analyse(dc, text, units, units * 3 / 2 + 16, -1, flags, -1, nullptr, nullptr,
                              nullptr, const_cast<SCRIPT_TABDEF*>(tabs), nullptr, &m_analysis))) {
        m_analysis = nullptr;
    }
}

CAnalysedLine::~CAnalysedLine() {
    if (m_analysis != nullptr) {
        TextEngine().free(&m_analysis);
    }
}

void CAnalysedLine::Draw(int x, int y, const RECT& clip, int from, int to) const {
    TextEngine().out(m_analysis, x, y, 0, &clip, from, to, FALSE);
}

int CAnalysedLine::Width() const {
    const SIZE* size = TextEngine().size(m_analysis);
    return size != nullptr ? static_cast<int>(size->cx) : 0;
}

int CAnalysedLine::XOfUnit(int unit) const {
    // As an edit box places its caret: after the character before it, or at the line's start.
    int x = 0;
    if (unit > 0) {
        TextEngine().cpToX(m_analysis, (unit < m_units ? unit : m_units) - 1, TRUE, &x);
    }
    return x;
}

int CAnalysedLine::UnitAtX(int x) const {
    // As an edit box answers: the line's start and end outside it.
    if (x <= 0) {
        return 0;
    }
    if (x >= Width()) {
        return m_units;
    }
    int unit = 0;
    int trailing = 0;
    if (FAILED(TextEngine().xToCp(m_analysis, x, &unit, &trailing))) {
        return m_units;
    }
    unit += trailing != 0 ? 1 : 0;
    return unit < 0 ? 0 : unit > m_units ? m_units : unit;
}
