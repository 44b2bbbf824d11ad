// The plug-in's engine start through pcv.dll: GPU mode gives no engine, CPU mode does, the test switch
// makes CPU mode fail too, and the view record points at the engine's image buffer.
#include "api_test_support.h"

#include <gtest/gtest.h>

namespace {

using apitest::Narrow;

class EngineStart : public ::testing::Test {
protected:
    void TearDown() override {
        SetEnvironmentVariableW(L"PCV_TEST_FAIL_CPU_INIT", nullptr);
        pcvFree();
    }
    apitest::Plugin plugin;
    std::wstring root = testenv::ScratchFolder(L"EngineStart");
};

TEST_F(EngineStart, GpuModeGivesNullAndCpuModeAnEngine) {
    pcvDllInit();
    pcvSetCpuMode(false);
    EXPECT_FALSE(pcvGetCpuMode());
    EXPECT_EQ(pcvInit(2160, 7920, 0, false, root.c_str()), nullptr);
    EXPECT_EQ(apitest::TakeError(), L"There is no GPU renderer in this engine; use CPU mode.");
    EXPECT_EQ(apitest::TakeError(), L"") << "an error is reported once";
    unsigned int* handle = apitest::EngineStart(&plugin, root);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(pcvGetCpuMode());
    EXPECT_EQ(reinterpret_cast<uint8_t*>(handle), plugin.view.imageBuffer);
    EXPECT_EQ(plugin.view.renderingMode & 8u, 8u);
    EXPECT_FALSE(pcvIsProjectLoaded());
    EXPECT_EQ(pcvCalculateGetProgressStatus(), 100) << "nothing is running";
}

TEST_F(EngineStart, TheTestSwitchMakesCpuModeFailToo) {
    const struct {
        const wchar_t* value;
        bool fails;
    } cases[] = {{L"1", true}, {L"yes", true}, {L"0", false}, {nullptr, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? Narrow(c.value) : "unset");
        SetEnvironmentVariableW(L"PCV_TEST_FAIL_CPU_INIT", c.value);
        unsigned int* handle = apitest::EngineStart(&plugin, root);
        EXPECT_EQ(handle == nullptr, c.fails);
        if (c.fails) {
            EXPECT_EQ(apitest::TakeError(),
                      L"CPU initialisation failed: the environment variable PCV_TEST_FAIL_CPU_INIT is set.");
        }
        pcvFree(); // the plug-in's teardown after a failed start
    }
}

TEST_F(EngineStart, CpuModeFromTheSettingsSkipsTheGpu) {
    ASSERT_NE(apitest::EngineStart(&plugin, root, true), nullptr);
    EXPECT_EQ(apitest::TakeError(), L"") << "no GPU attempt, so no GPU error";
}

TEST_F(EngineStart, WithoutAProjectAViewShowsTheEmptyBackground) {
    ASSERT_NE(apitest::EngineStart(&plugin, root), nullptr);
    apitest::TopView(&plugin.view, 0, 0, 10, 100, 50, 400, 300);
    plugin.view.renderingMode = 5 | 8;
    pcvGetDepthEstimation(&plugin.view);
    EXPECT_GT(pcvSetView(&plugin.view), 0);
    EXPECT_EQ(apitest::LitPixels(plugin.view), 0u);
    pcvReleasePageLockPri(0);
    SnapMouse mouse{};
    mouse.x = 200;
    mouse.y = 150;
    mouse.nearest = 1;
    mouse.index = -1;
    EXPECT_FALSE(pcvFindPoint(&plugin.view, &mouse));
    EXPECT_EQ(mouse.index, -1);
}

TEST_F(EngineStart, ChannelFunctionsFollowTheDocument) {
    const struct {
        unsigned int mask;
        bool found;
        unsigned int first, second;
        int width;
    } masks[] = {{1, true, 1, 0, 4},       {1u << 1, true, 1, 1, 2},   {1u << 5, true, 1, 5, 1},
                 {1u << 7, true, 1, 7, 3}, {1u << 28, true, 1, 28, 1}, {0x100000A2, true, 4, 1, 2},
                 {0, false, 0, 0, 0},      {1u << 8, false, 0, 0, 0}};
    for (const auto& m : masks) {
        SCOPED_TRACE(m.mask);
        unsigned int first = 99, second = 99;
        EXPECT_EQ(pcvGetChannelFromChannelMask(&first, &second, m.mask), m.found);
        EXPECT_EQ(first, m.first);
        EXPECT_EQ(second, m.second);
        EXPECT_EQ(pcvGetChannelWidth(m.mask), m.width);
    }
    for (unsigned int channel = 0; channel < 64; ++channel)
        EXPECT_EQ(pcvChannelUsesGroups(channel), channel == 5);
}

} // namespace
