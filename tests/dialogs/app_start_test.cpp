// Application start: fonts, metrics, units, palette and window classes.
#include <gtest/gtest.h>

#include "dialog_toolkit_start.h"
#include "dialogs/app.h"

namespace {

bool ClassExists(const wchar_t* name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(GetModuleHandleW(nullptr), name, &info) != 0;
}

LONG FontHeight(int kind) {
    LOGFONTW font{};
    if (!GetObjectW(AppFont(kind), sizeof font, &font)) return 0;
    return font.lfHeight;
}

} // namespace

TEST(AppUnits, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(3, AppRound(2.5));
    EXPECT_EQ(-3, AppRound(-2.5));
    EXPECT_EQ(2, AppRound(2.49));
    EXPECT_EQ(-2, AppRound(-2.49));
    EXPECT_EQ(0, AppRound(0.0));
    // With a column unit of one pixel the conversion is the rounding itself.
    EXPECT_EQ(3, AppUnitsToPixels(2.5, 1));
    EXPECT_EQ(-3, AppUnitsToPixels(-2.5, 1));
    EXPECT_EQ(25, AppUnitsToPixels(2.5, 10));
}

TEST(AppUnits, DropDownRowsFollowTheWorkAreaWithinTenToThirty) {
    EXPECT_EQ(27, AppDropDownRows(1080, 30));
    EXPECT_EQ(10, AppDropDownRows(1080, 100)); // 7.5 -> 8, below the lower limit
    EXPECT_EQ(30, AppDropDownRows(1080, 20));  // 40.5 -> 41, above the upper limit
    EXPECT_EQ(10, AppDropDownRows(1080, 0));   // no font measured: no division by zero
}

TEST(AppUnits, DerivedMetricsOfEachVariant) {
    AppMetrics metrics = AppDeriveMetrics(7, 20);
    EXPECT_EQ(8, metrics.columnUnit);
    EXPECT_EQ(24, metrics.controlTextHeight);
    EXPECT_EQ(2, metrics.rowMargin);
#ifdef NIMBO_PLUGIN
    EXPECT_EQ(20 / 8 + 2, metrics.pad);                 // 4
    EXPECT_EQ(20 + 2 * (20 / 8 + 2), metrics.lineUnit); // 28
#else
    EXPECT_EQ(20 / 20 + 4, metrics.pad);                 // 5
    EXPECT_EQ(20 + 2 * (20 / 20) + 8, metrics.lineUnit); // 30
#endif
    EXPECT_EQ((2 * metrics.pad - 4) / 2, metrics.halfPad);
    EXPECT_EQ(metrics.pad + 20, metrics.textPadHeight);
}

TEST(AppPalette, ColoursAndBrushes) {
    ASSERT_EQ(1, StartToolkit());
    EXPECT_EQ(RGB(255, 0, 255), AppPaletteColor(6));
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), AppPaletteBrush(6));
    EXPECT_EQ(RGB(232, 232, 232), AppPaletteColor(10));
    EXPECT_EQ(RGB(0, 0, 0), AppPaletteColor(18));
    EXPECT_EQ(RGB(0, 0, 0), AppPaletteColor(-1));
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), AppPaletteBrush(99));
    LOGBRUSH brush{};
    ASSERT_TRUE(GetObjectW(AppPaletteBrush(10), sizeof brush, &brush));
    EXPECT_EQ(RGB(232, 232, 232), brush.lbColor);
#ifdef NIMBO_PLUGIN
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), AppPaletteBrush(15));
#else
    ASSERT_TRUE(GetObjectW(AppPaletteBrush(17), sizeof brush, &brush));
    EXPECT_EQ(RGB(0, 0, 80), brush.lbColor);
#endif
    AppEnd();
}

TEST(AppStart, FontsAtTheirPointSizeAndMetricsMeasured) {
    ASSERT_EQ(1, StartToolkit());
    const AppMetrics* metrics = AppGetMetrics();
#ifdef NIMBO_PLUGIN
    EXPECT_EQ(-13, FontHeight(AppFontRegular)); // 10 pt at 96 dpi
    EXPECT_EQ(-15, FontHeight(AppFontBold));    // 11 pt
    EXPECT_EQ(-13, FontHeight(AppFontFixed));
    EXPECT_EQ(metrics->H / 8 + 2, metrics->pad);
#else
    EXPECT_EQ(-16, FontHeight(AppFontRegular)); // 12 pt at 96 dpi
    EXPECT_EQ(-16, FontHeight(AppFontBold));
    EXPECT_EQ(-16, FontHeight(AppFontFixed));
    EXPECT_EQ(metrics->H / 20 + 4, metrics->pad);
    EXPECT_GE(metrics->dropDownRows, 10);
    EXPECT_LE(metrics->dropDownRows, 30);
#endif
    EXPECT_GT(metrics->W, 0);
    EXPECT_GE(metrics->H, -FontHeight(AppFontRegular)); // the cell holds at least the em height
    EXPECT_EQ(metrics->W + 1, metrics->columnUnit);
    EXPECT_STREQ(L"Toolkit tests", AppName());
    EXPECT_EQ(3 * metrics->columnUnit, AppColumnsToPixels(3));
    EXPECT_EQ(AppRound(24.5 * metrics->lineUnit), AppLinesToPixels(24.5));
    EXPECT_DOUBLE_EQ(2.0, AppPixelsToLines(2 * metrics->lineUnit));
    AppEnd();
}

TEST(AppStart, NameIsCutAt79AndANullNameLeavesItEmpty) {
    std::wstring longName(100, L'n');
#ifdef NIMBO_PLUGIN
    AppStart(GetModuleHandleW(nullptr), 0, 0, longName.c_str(), nullptr);
#else
    AppStart(GetModuleHandleW(nullptr), 0, 0, longName.c_str(), nullptr, nullptr, 12);
#endif
    EXPECT_EQ(std::wstring(79, L'n'), AppName());
    AppEnd();
#ifdef NIMBO_PLUGIN
    AppStart(GetModuleHandleW(nullptr), 0, 0, nullptr, nullptr);
#else
    AppStart(GetModuleHandleW(nullptr), 0, 0, nullptr, nullptr, nullptr, 12);
#endif
    EXPECT_STREQ(L"", AppName());
    AppEnd();
}

TEST(AppStart, SecondStartSucceedsAndClassesStayUsable) {
    ASSERT_EQ(1, StartToolkit());
    ASSERT_EQ(1, StartToolkit());
    EXPECT_TRUE(ClassExists(L"NimboDialog"));
    EXPECT_TRUE(ClassExists(L"NimboCustomCtrl"));
    EXPECT_TRUE(ClassExists(L"NimboRowBoxCtrl"));
    EXPECT_TRUE(ClassExists(L"NimboTableCtrl"));
    HWND window = CreateWindowExW(0, L"NimboDialog", L"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(nullptr, window);
    DestroyWindow(window);
    AppEnd();
    EXPECT_FALSE(ClassExists(L"NimboDialog"));
    EXPECT_FALSE(ClassExists(L"NimboTableCtrl"));
}

TEST(AppStart, ToolWindowClassesOnlyWhenAskedFor) {
    ASSERT_EQ(1, StartToolkit(0));
    EXPECT_FALSE(ClassExists(L"NimboClassify"));
    EXPECT_FALSE(ClassExists(L"NimboChildDlg"));
    EXPECT_EQ(0, AppClassRegistered(L"NimboClassify"));
    // Someone else's class of that name must survive AppEnd: the toolkit did not register it.
    WNDCLASSEXW foreign{};
    foreign.cbSize = sizeof foreign;
    foreign.lpfnWndProc = DefWindowProcW;
    foreign.hInstance = GetModuleHandleW(nullptr);
    foreign.lpszClassName = L"NimboClassify";
    ASSERT_NE(0, RegisterClassExW(&foreign));
    AppEnd();
    EXPECT_TRUE(ClassExists(L"NimboClassify"));
    UnregisterClassW(L"NimboClassify", GetModuleHandleW(nullptr));

    ASSERT_EQ(1, StartToolkit(1));
    EXPECT_TRUE(ClassExists(L"NimboClassify"));
    EXPECT_TRUE(ClassExists(L"NimboChildDlg"));
    AppEnd();
    EXPECT_FALSE(ClassExists(L"NimboClassify"));
    EXPECT_FALSE(ClassExists(L"NimboChildDlg"));
}

TEST(AppStart, CommandHooksMayBeNull) {
    AppSetCommandHooks(nullptr, nullptr);
    AppRunCommandHookBefore(); // nothing to call: must simply return
    AppRunCommandHookAfter();
    static int calls = 0;
    AppSetCommandHooks([] { calls += 1; }, [] { calls += 10; });
    AppRunCommandHookBefore();
    AppRunCommandHookAfter();
    EXPECT_EQ(11, calls);
    AppSetCommandHooks(nullptr, nullptr);
}

// Unregistering a class deletes its background brush; after a second start a dialog must still paint
// the dialog colour, not white (the installer starts the toolkit twice before its main page).
TEST(AppStart, DialogBackgroundSurvivesASecondStart) {
    ASSERT_EQ(1, StartToolkit());
    ASSERT_EQ(1, StartToolkit());
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"NimboDialog", &info));
    LOGBRUSH brush{};
    ASSERT_EQ(static_cast<int>(sizeof brush), GetObjectW(info.hbrBackground, sizeof brush, &brush));
    EXPECT_EQ(AppPaletteColor(10), brush.lbColor);
    AppEnd();
}

// Every class takes the same two icons, and a restart takes them again instead of loading a new pair per
// class: the installer starts the toolkit twice, a host may do it many times.
TEST(AppStart, ClassesShareTheProgramsIconsAcrossStarts) {
    const wchar_t* const classes[] = {L"NimboClassify",   L"NimboChildDlg",   L"NimboDialog",
                                      L"NimboCustomCtrl", L"NimboRowBoxCtrl", L"NimboTableCtrl"};
    HICON big = nullptr, small = nullptr;
    for (int start = 0; start < 3; ++start) {
#ifdef NIMBO_PLUGIN
        ASSERT_EQ(1, AppStart(GetModuleHandleW(nullptr), 1, 0, L"Toolkit tests", L"korvane"));
#else
        ASSERT_EQ(1, AppStart(GetModuleHandleW(nullptr), 1, 0, L"Toolkit tests", L"korvane", nullptr, 12));
#endif
        for (const wchar_t* name : classes) {
            WNDCLASSEXW info{};
            info.cbSize = sizeof info;
            ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), name, &info)) << start;
            ASSERT_NE(nullptr, info.hIcon);
            ASSERT_NE(nullptr, info.hIconSm);
            if (!big) {
                big = info.hIcon;
                small = info.hIconSm;
            }
            EXPECT_EQ(big, info.hIcon) << "start " << start << ", class " << testing::PrintToString(name);
            EXPECT_EQ(small, info.hIconSm) << "start " << start << ", class " << testing::PrintToString(name);
        }
        AppEnd();
    }
    EXPECT_NE(big, small) << "the small icon is a picture of its own size";
}
