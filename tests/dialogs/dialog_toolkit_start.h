// Starting and ending the toolkit around a test, in either variant.
#pragma once

#include <gtest/gtest.h>

#include "dialogs/app.h"

inline int StartToolkit(int toolWindowClasses = 0) {
#ifdef NIMBO_PLUGIN
    return AppStart(GetModuleHandleW(nullptr), toolWindowClasses, 0, L"Toolkit tests", nullptr);
#else
    return AppStart(GetModuleHandleW(nullptr), toolWindowClasses, 0, L"Toolkit tests", nullptr, nullptr, 12);
#endif
}

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(1, StartToolkit()); }
    void TearDown() override { AppEnd(); }
};
