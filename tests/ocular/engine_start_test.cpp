// Engine start-up inside the real host under Wine: the GPU refusal and the CPU fallback, the teardown
// when the CPU mode fails too, and what a run does to ocular.upf with and without ocular.ini.
#include "support/ocular_host.h"
#include "support/test_environment.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using hostrun::Joined;

const char* const kGpuWarning =
    "Warning - Unable to use accelerated GPU mode\r\n"
    "Reverting to slower CPU rendering mode\r\n"
    "Please close other instances of Ocularis and/or Microstation or Orbisa and update "
    "nVidia drivers (397.44 or newer) to clear this warning";
const char* const kCpuError =
    "Error - Environment variables are not correctly set.\r\nPlease re-install software.";

std::vector<std::string> Narrow(const std::vector<std::wstring>& texts) {
    std::vector<std::string> narrow;
    for (const std::wstring& text : texts) narrow.push_back(ocularhost::Narrow(text));
    return narrow;
}

// Index of the first call-log line naming the operation, or -1.
int CallIndex(const std::vector<std::string>& log, const std::string& name) {
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] == name || log[i].rfind(name + " ", 0) == 0) return static_cast<int>(i);
    return -1;
}

size_t CallsWith(const std::vector<std::string>& log, const std::string& prefix) {
    return hostrun::LinesStartingWith(log, prefix).size();
}

// Sets an environment variable of the test process for the hosts it starts, and removes it again.
struct ScopedEnvironment {
    explicit ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name_(name) {
        SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, nullptr); }
    const wchar_t* name_;
};

TEST(EngineStart, GpuRefusedThenCpuModeStartsWithTheInputCallbacks) {
    ocularhost::Install install = ocularhost::MakeInstall(L"engine_cpu_fallback");
    ocularhost::Result run = ocularhost::Run(install, "print started\n");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0) << Joined(run.output) << Joined(run.errors);

    std::vector<std::string> messages = Narrow(run.messages);
    ASSERT_EQ(messages.size(), 1u) << Joined(messages);
    EXPECT_EQ(messages[0], kGpuWarning);
    EXPECT_EQ(hostrun::LinesStartingWith(run.output, "Starting Orbisa PCV handler").size(), 1u)
        << Joined(run.output);

    // The host operations of the start, in their order; the engine's own calls are not in the log.
    const char* const order[] = {"OrbisaVersionGetInfo",  "CurrTransIdentity",
                                 "CurrTransBegin",        "CurrTransSetMasterUnitsIdentity",
                                 "SnapSetFilterFunction", "SetInputQueueEventListener"};
    int previous = -1;
    for (const char* name : order) {
        int index = CallIndex(run.log, name);
        EXPECT_GT(index, previous) << name << "\n" << Joined(run.log);
        previous = index;
    }
    std::string version = run.log[CallIndex(run.log, "OrbisaVersionGetInfo")];
    EXPECT_NE(
        version.find(
            "major=non-null minor=non-null reserved1=null reserved2=null reserved3=null reserved4=null"),
        std::string::npos)
        << version;
    EXPECT_NE(run.log[CallIndex(run.log, "CurrTransSetMasterUnitsIdentity")].find("masterUnits=1"),
              std::string::npos);
    EXPECT_NE(run.log[CallIndex(run.log, "SnapSetFilterFunction")].find("filter=non-null context=0"),
              std::string::npos);
    EXPECT_NE(run.log[CallIndex(run.log, "SetInputQueueEventListener")].find("listener=non-null context=0"),
              std::string::npos);
    // A running engine lets the start-up go on to the view hook.
    EXPECT_EQ(CallsWith(run.log, "ViewsSetFuncOnUpdate hook=non-null"), 1u) << Joined(run.log);
}

TEST(EngineStart, CpuModeFailingTooTearsThePlugInDown) {
    ocularhost::Install install = ocularhost::MakeInstall(L"engine_cpu_failure");
    ocularhost::Result run;
    {
        ScopedEnvironment failCpu(L"PCV_TEST_FAIL_CPU_INIT", L"1");
        run = ocularhost::Run(install, "print before\nunload ocular\nprint after\n");
    }
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0) << "a second unload after the teardown must be harmless\n"
                               << Joined(run.output) << Joined(run.errors);
    std::vector<std::string> messages = Narrow(run.messages);
    ASSERT_EQ(messages.size(), 2u) << Joined(messages);
    EXPECT_EQ(messages[0], kGpuWarning);
    EXPECT_EQ(messages[1], kCpuError);
    EXPECT_FALSE(hostrun::FirstLineStartingWith(run.output, "after").empty()) << Joined(run.output);
    EXPECT_EQ(CallsWith(run.log, "ViewsSetFuncOnUpdate hook=non-null"), 0u) << Joined(run.log);
    EXPECT_EQ(CallsWith(run.log, "SnapSetFilterFunction filter=non-null"), 0u)
        << "the callbacks belong to a running engine";
    EXPECT_EQ(CallsWith(run.log, "SetInputQueueEventListener listener=non-null"), 0u);
    EXPECT_FALSE(ocularhost::SettingsFileExists(install, L"ocular.upf"));
}

// What one run (start and unload) leaves in ocular.upf.
struct SettingsRun {
    const char* name;
    const char* upfBefore; // null: no file
    const char* ini;       // null: no file
    bool written;
    const char* expectedLine; // in the file after the run, when written
};

TEST(EngineStart, SettingsFileIsWrittenOnlyWhenTheRunChangedSomething) {
    const char* const upf = "[Nimbo preferences]\r\nImageMem_Gb=0.25\r\nRenderingMode=1\r\nForeign=x\r\n";
    const SettingsRun runs[] = {
        {"no files", nullptr, nullptr, false, nullptr},
        {"file unchanged", upf, nullptr, false, nullptr},
        {"ini repeats the defaults", nullptr, "[CPUMemoryLimit]\n20\n\n[GPUMemoryAllocation]\n0\n", false,
         nullptr},
        {"ini image memory overrides", upf, "[GPUImageMemory]\n0.75\n", true, "\r\nImageMem_Gb=0.75\r\n"},
        {"ini allocation alone", nullptr, "[GPUMemoryAllocation]\n1.5\n", true, "\r\nImageMem_Gb=0.00\r\n"},
        {"ini memory limit alone", upf, "[CPUMemoryLimit]\n8\nx\n", true, "\r\nImageMem_Gb=0.25\r\n"},
    };
    for (const SettingsRun& r : runs) {
        ocularhost::Install install = ocularhost::MakeInstall(L"engine_settings");
        if (r.upfBefore) {
            ASSERT_TRUE(ocularhost::WriteSettingsFile(install, L"ocular.upf", r.upfBefore));
        }
        if (r.ini) {
            ASSERT_TRUE(ocularhost::WriteSettingsFile(install, L"ocular.ini", r.ini));
        }
        ocularhost::Result run = ocularhost::Run(install, "unload ocular\n");
        EXPECT_EQ(run.exitCode, 0) << r.name << Joined(run.output);
        std::string after = ocularhost::ReadSettingsFile(install, L"ocular.upf");
        if (!r.written) {
            EXPECT_EQ(after, r.upfBefore ? r.upfBefore : "") << r.name;
            EXPECT_EQ(ocularhost::SettingsFileExists(install, L"ocular.upf"), r.upfBefore != nullptr)
                << r.name;
            continue;
        }
        EXPECT_EQ(after.rfind("[Nimbo preferences]\r\nDepthIncrement_mm=20\r\nSnappingMask=127\r\n", 0), 0u)
            << r.name << "\n"
            << after;
        EXPECT_NE(after.find(r.expectedLine), std::string::npos) << r.name << "\n" << after;
        EXPECT_EQ(after.find("Foreign"), std::string::npos)
            << r.name << ": the file is rewritten from the record";
        bool keptRenderingMode = r.upfBefore != nullptr;
        EXPECT_NE(after.find(keptRenderingMode ? "\r\nRenderingMode=1\r\n" : "\r\nRenderingMode=5\r\n"),
                  std::string::npos)
            << r.name;
    }
}

} // namespace
