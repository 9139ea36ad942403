#pragma once
// Registers the common controls (tab control, list view) once for a Windows test program, as
// the application does at start-up before any dialog uses them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

namespace {

class CommonControls : public ::testing::Environment {
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&init));
    }
};
[[maybe_unused]] const auto* const kCommonControls = ::testing::AddGlobalTestEnvironment(new CommonControls);

}  // namespace
