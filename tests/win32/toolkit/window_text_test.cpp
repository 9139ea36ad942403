#include <gtest/gtest.h>
#include <windows.h>

#include "toolkit/win32/text.h"

TEST(WindowText, FillsTheWholeTextAndGivesEmptyForNoWindow) {
    HWND edit = CreateWindowExW(0, L"EDIT", L"Жду в гости!", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 50, 20, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    WideString text;
    FillFromWindowText(text, edit);
    EXPECT_EQ(text.View(), u"Жду в гости!");
    std::wstring longText(3000, L'x');
    SetWindowTextW(edit, longText.c_str());
    FillFromWindowText(text, edit);
    EXPECT_EQ(text.Length(), 3000u);
    SetWindowTextW(edit, L"");
    FillFromWindowText(text, edit);
    EXPECT_FALSE(text.IsNull());
    EXPECT_TRUE(text.IsEmpty());
    DestroyWindow(edit);
    text = WideString(u"old");
    FillFromWindowText(text, edit);
    EXPECT_FALSE(text.IsNull());
    EXPECT_TRUE(text.IsEmpty());
}
