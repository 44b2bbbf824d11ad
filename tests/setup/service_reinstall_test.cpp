// setup.exe installing over a service it installed before, with the real service manager and the real
// sample service program: what a failed reinstallation leaves, and a reinstallation that has to wait.
#include "services.h"

#include "setup_test_support.h"
#include "support/test_environment.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using setuptest::Quoted;
using setuptest::ReadAll;
using setuptest::RunSetup;

const wchar_t kServiceName[] = L"NimboReinstallTest";

const char kInf[] = "[Application]\r\nAppName=Slave\r\nDefDir=C:\\Nimbo\\Slave\r\nTarget=NONE\r\n"
                    "[ExeDirs]\r\nbin\r\n[SetDirs]\r\n"
                    "[ExeFiles]\r\nNimboReinstallTest, bin\\nimbo_slave.exe, S\r\nTool, bin\\tool.exe, -\r\n"
                    "[SetFiles]\r\n[End]\r\n";

struct ServiceView {
    bool exists = false;
    std::wstring binaryPath, displayName;
    DWORD startType = 0;
    DWORD state = 0;

    // Everything but the state, for comparing registrations.
    std::wstring Registration() const {
        return binaryPath + L" | " + displayName + L" | start " + std::to_wstring(startType);
    }
};

ServiceView ViewService() {
    ServiceView view;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return view;
    SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS);
    if (service) {
        DWORD needed = 0;
        QueryServiceConfigW(service, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed + 16);
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
        SERVICE_STATUS status{};
        if (QueryServiceConfigW(service, config, static_cast<DWORD>(buffer.size()), &needed) &&
            QueryServiceStatus(service, &status)) {
            view.exists = true;
            view.binaryPath = config->lpBinaryPathName ? config->lpBinaryPathName : L"";
            view.displayName = config->lpDisplayName ? config->lpDisplayName : L"";
            view.startType = config->dwStartType;
            view.state = status.dwCurrentState;
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return view;
}

// A service takes a moment to start or stop.
bool WaitForState(DWORD state) {
    return ui::WaitUntil([&] { return ViewService().state == state; }, 10000);
}

class ServiceReinstallTest : public testing::Test {
protected:
    std::wstring media, target;

    void SetUp() override { Prepare(); }
    void TearDown() override { ServiceStopDelete(kServiceName); }

    // No service of the test's name, fresh media with the sample service program and an empty target.
    void Prepare() {
        ServiceStopDelete(kServiceName);
        media = testenv::ScratchFolder(L"service_reinstall_media");
        target = testenv::ScratchFolder(L"service_reinstall_target");
        CreateDirectoryW((media + L"\\bin").c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\setup\\setup.exe").c_str(),
                              (media + L"\\setup.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW((testenv::BuildFolder() + L"\\examples\\nimbo_slave.exe").c_str(),
                              (media + L"\\bin\\nimbo_slave.exe").c_str(), FALSE));
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\setup.inf", kInf));
        ASSERT_TRUE(testenv::WriteFileBytes(media + L"\\bin\\tool.exe", "tool"));
    }

    std::wstring Folders() const {
        return Quoted(target + L"\\exe") + L" " + Quoted(target + L"\\set") + L" C:\\unused";
    }

    // The first installation: the service registered for automatic start and running.
    void InstallOnce() {
        ASSERT_EQ(0u, RunSetup(media, Folders()).exitCode);
        ASSERT_TRUE(WaitForState(SERVICE_RUNNING)) << "the sample service did not start";
    }

    // What an administrator did with the service since: set it to start by hand, renamed it.
    static void ChangeByHand() {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_ALL_ACCESS);
        ASSERT_NE(nullptr, service);
        EXPECT_TRUE(ChangeServiceConfigW(service, SERVICE_NO_CHANGE, SERVICE_DEMAND_START, SERVICE_NO_CHANGE,
                                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                         L"Nimbo service kept by hand"));
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }

    static void Stop() {
        SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE service = OpenServiceW(manager, kServiceName, SERVICE_ALL_ACCESS);
        SERVICE_STATUS status;
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }
};

// The copy of the executables fails after the service was stopped for it: the registration stays as the
// administrator left it, and a service that ran runs again.
TEST_F(ServiceReinstallTest, AReinstallationThatFailsLeavesTheServiceAsItWas) {
    struct Case {
        const char* name;
        bool running;
    };
    for (const Case& c : {Case{"running", true}, Case{"stopped", false}}) {
        SCOPED_TRACE(c.name);
        Prepare();
        InstallOnce();
        ChangeByHand();
        if (!c.running) {
            Stop();
            ASSERT_TRUE(WaitForState(SERVICE_STOPPED));
        }
        ServiceView before = ViewService();
        DeleteFileW((media + L"\\bin\\tool.exe").c_str()); // a later file of the same list is missing
        setuptest::RunResult run = RunSetup(media, Folders());
        EXPECT_EQ(4u, run.exitCode);
        EXPECT_TRUE(run.windowTitles.empty());
        ServiceView after = ViewService();
        ASSERT_TRUE(after.exists) << "the service is gone";
        EXPECT_EQ(before.Registration(), after.Registration());
        EXPECT_TRUE(WaitForState(c.running ? SERVICE_RUNNING : SERVICE_STOPPED))
            << "state " << ViewService().state;
        if (c.running) {
            // Its program really runs again: the heartbeat beside it counts on.
            std::wstring heartbeat = target + L"\\exe\\bin\\heartbeat.txt";
            std::string first = ReadAll(heartbeat);
            EXPECT_TRUE(ui::WaitUntil([&] { return ReadAll(heartbeat) != first; }, 10000)) << first;
        }
    }
}

// A monitoring tool holds the old service open while setup replaces it: the old one is only marked for
// deletion until the tool lets go, and setup waits for that instead of failing to create the new one.
TEST_F(ServiceReinstallTest, AReinstallationWaitsUntilTheOldServiceIsGone) {
    InstallOnce();
    ChangeByHand();
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE held = OpenServiceW(manager, kServiceName, SERVICE_QUERY_STATUS);
    ASSERT_NE(nullptr, held);
    std::thread monitor([held] {
        Sleep(2500);
        CloseServiceHandle(held);
    });
    DWORD started = GetTickCount();
    setuptest::RunResult run = RunSetup(media, Folders());
    DWORD took = GetTickCount() - started;
    monitor.join();
    CloseServiceHandle(manager);
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_GE(took, 2000u) << "setup did not wait for the old registration";
    ServiceView after = ViewService();
    ASSERT_TRUE(after.exists);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), after.startType) << "not the new registration";
    EXPECT_EQ(kServiceName, after.displayName);
    EXPECT_TRUE(WaitForState(SERVICE_RUNNING));
}

} // namespace
