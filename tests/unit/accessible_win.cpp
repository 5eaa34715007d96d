// What a screen reader is told of the painted parts, asked of the object itself.
#include "ui/accessible_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CFakeOwner : public IPaintedPartsOwner {
public:
    std::vector<SPaintedPart> PaintedPartsNow() const override {
        return PaintedParts(ComputeLayout(SRect{0, 0, 215, 281}, SRect{6, 185, 209, 263}), 1,
                            "Tuesday 10:00");
    }
    void PressPaintedPart(int index) override { pressed = index; }
    int pressed = -1;
};

VARIANT Child(LONG id) {
    VARIANT v{};
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring NameOf(IAccessible& object, LONG id) {
    BSTR name = nullptr;
    if (FAILED(object.get_accName(Child(id), &name)) || name == nullptr) {
        return L"";
    }
    std::wstring text(name);
    ::SysFreeString(name);
    return text;
}

} // namespace

TEST(PaintedAccessible, NamesRolesAndTheShownTabAreToldAndPressingAPartActs) {
    const HWND host = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 100, 50, 215, 281, nullptr,
                                        nullptr, nullptr, nullptr);
    CFakeOwner owner;
    auto* object = new CPaintedAccessible(host, &owner, nullptr);

    long count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 5);
    const wchar_t* const names[] = {L"Menu", L"Dynamic room (Selected day)",
                                    L"Static room (Every day)", L"Search notes", L"Tuesday 10:00"};
    const LONG roles[] = {ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_PAGETAB, ROLE_SYSTEM_PAGETAB,
                          ROLE_SYSTEM_PAGETAB, ROLE_SYSTEM_STATICTEXT};
    for (LONG id = 1; id <= 5; ++id) {
        EXPECT_EQ(NameOf(*object, id), names[id - 1]);
        VARIANT role{};
        ASSERT_EQ(object->get_accRole(Child(id), &role), S_OK);
        EXPECT_EQ(role.lVal, roles[id - 1]) << id;
        VARIANT state{};
        ASSERT_EQ(object->get_accState(Child(id), &state), S_OK);
        EXPECT_EQ((state.lVal & STATE_SYSTEM_SELECTED) != 0, id == 3) << id;
    }

    // The Search tab, hit at its middle on the screen, and pressed.
    POINT middle{130 + 30, 263 + 7};
    ::ClientToScreen(host, &middle);
    VARIANT hit{};
    ASSERT_EQ(object->accHitTest(middle.x, middle.y, &hit), S_OK);
    EXPECT_EQ(hit.lVal, 4);
    EXPECT_EQ(object->accDoDefaultAction(hit), S_OK);
    EXPECT_EQ(owner.pressed, 3);
    EXPECT_EQ(object->accDoDefaultAction(Child(5)), DISP_E_MEMBERNOTFOUND) << "the clock acts";

    // A screen reader may hold the object after the window went.
    object->Disconnect();
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    object->Release();
    ::DestroyWindow(host);
}
