#include "services.h"

#include "message_pump.h"
#include "prompts.h"
#include "setup_message.h"
#include "setup_text.h"

#include <windows.h>
#include <ntsecapi.h>

#include <cwchar>

namespace {

bool IsService(const FileEntry& entry) {
    return (entry.flags & FileFlags::Service) != 0;
}

bool AddRight(LSA_HANDLE policy, PSID account) {
    wchar_t right[] = L"SeServiceLogonRight";
    LSA_UNICODE_STRING rightName;
    rightName.Buffer = right;
    rightName.Length = static_cast<USHORT>(wcslen(right) * sizeof(wchar_t));
    rightName.MaximumLength = rightName.Length + sizeof(wchar_t);
    return LsaAddAccountRights(policy, account, &rightName, 1) == 0;
}

// How long the installer waits for a service to stop or for its registration to go, and how often it looks.
constexpr DWORD kServiceWaitMs = 30000;
constexpr DWORD kServicePollMs = 100;

// A running service ends on its own time; the status window keeps painting meanwhile.
bool WaitForStopped(SC_HANDLE service) {
    for (DWORD waited = 0;; waited += kServicePollMs) {
        SERVICE_STATUS status;
        if (!QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == SERVICE_STOPPED) return true;
        if (waited >= kServiceWaitMs) return false;
        SetupPumpMessages();
        Sleep(kServicePollMs);
    }
}

// A deleted service is only marked for deletion while anyone (its own process, a monitoring tool) still
// has it open, and a new one of the same name cannot be created until it is gone.
void WaitUntilGone(SC_HANDLE manager, const wchar_t* name) {
    for (DWORD waited = 0; waited < kServiceWaitMs; waited += kServicePollMs) {
        SC_HANDLE service = OpenServiceW(manager, name, SERVICE_QUERY_STATUS);
        if (service == nullptr) return;
        CloseServiceHandle(service);
        SetupPumpMessages();
        Sleep(kServicePollMs);
    }
}

// Without service entries the service manager is not touched at all.
bool AnyService(const FileEntry* list, int count) {
    for (int i = 0; i < count; ++i)
        if (IsService(list[i])) return true;
    return false;
}

bool IsRunningState(DWORD state) {
    return state != SERVICE_STOPPED && state != SERVICE_STOP_PENDING;
}

// Stops the service and waits until it has; true when it was running (or about to) before.
bool StopAndWait(SC_HANDLE service) {
    SERVICE_STATUS status;
    if (!QueryServiceStatus(service, &status)) return false;
    bool running = IsRunningState(status.dwCurrentState);
    if (status.dwCurrentState != SERVICE_STOPPED) {
        ControlService(service, SERVICE_CONTROL_STOP, &status);
        WaitForStopped(service);
    }
    return running;
}

} // namespace

void ServiceStopDelete(const wchar_t* name) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return;
    SC_HANDLE service = OpenServiceW(manager, name, SERVICE_ALL_ACCESS);
    if (service) {
        StopAndWait(service);
        DeleteService(service);
        CloseServiceHandle(service);
        WaitUntilGone(manager, name);
    }
    CloseServiceHandle(manager);
}

void ServiceRemoveAll(const FileEntry* list, int count) {
    for (int i = 0; i < count; ++i)
        if (IsService(list[i])) ServiceStopDelete(list[i].name);
}

void ServiceStopAll(const FileEntry* list, int count, ServiceStopRecord* stopped) {
    for (int i = 0; i < kSetupMaxFiles; ++i) stopped->wasRunning[i] = false;
    if (!AnyService(list, count)) return;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return;
    for (int i = 0; i < count && i < kSetupMaxFiles; ++i) {
        if (!IsService(list[i])) continue;
        SC_HANDLE service = OpenServiceW(manager, list[i].name, SERVICE_ALL_ACCESS);
        if (service == nullptr) continue;
        stopped->wasRunning[i] = StopAndWait(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

void ServiceRestartStopped(const FileEntry* list, int count, const ServiceStopRecord* stopped) {
    if (!AnyService(list, count)) return;
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return;
    for (int i = 0; i < count && i < kSetupMaxFiles; ++i) {
        if (!IsService(list[i]) || !stopped->wasRunning[i]) continue;
        SC_HANDLE service = OpenServiceW(manager, list[i].name, SERVICE_ALL_ACCESS);
        if (service == nullptr) continue;
        if (WaitForStopped(service)) StartServiceW(service, 0, nullptr);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

bool ServiceGrantLogonRight(const wchar_t* user) {
    LSA_OBJECT_ATTRIBUTES attributes{};
    LSA_HANDLE policy = nullptr;
    if (LsaOpenPolicy(nullptr, &attributes, POLICY_ALL_ACCESS, &policy) != 0 || policy == nullptr)
        return false;
    wchar_t name[kSetupAccountChars];
    SetupTextCopy(name, kSetupAccountChars, user);
    LSA_UNICODE_STRING accountName;
    accountName.Buffer = name;
    accountName.Length = static_cast<USHORT>(wcslen(name) * sizeof(wchar_t));
    accountName.MaximumLength = accountName.Length + sizeof(wchar_t);
    PLSA_REFERENCED_DOMAIN_LIST domains = nullptr;
    PLSA_TRANSLATED_SID2 sids = nullptr;
    bool granted = false;
    NTSTATUS lookup = LsaLookupNames2(policy, 0, 1, &accountName, &domains, &sids);
    if (lookup == 0 && sids && sids[0].Sid) granted = AddRight(policy, sids[0].Sid);
    if (sids) LsaFreeMemory(sids);
    if (domains) LsaFreeMemory(domains);
    LsaClose(policy);
    return granted;
}

bool ServiceCommandLine(const wchar_t* program, wchar_t* commandLine, size_t capacity) {
    if (wcschr(program, L' ') == nullptr && wcschr(program, L'\t') == nullptr)
        return SetupTextCopy(commandLine, capacity, program);
    return SetupTextCopy(commandLine, capacity, L"\"") && SetupTextAppend(commandLine, capacity, program) &&
           SetupTextAppend(commandLine, capacity, L"\"");
}

bool ServiceCreate(const wchar_t* program, const wchar_t* name, const wchar_t* user,
                   const wchar_t* password) {
    wchar_t commandLine[kSetupPathChars + 2];
    if (!ServiceCommandLine(program, commandLine, kSetupPathChars + 2)) return false;
    wchar_t account[kSetupAccountChars + 2];
    const wchar_t* accountName = nullptr;
    const wchar_t* accountPassword = nullptr;
    if (user[0] != 0) {
        SetupTextCopy(account, kSetupAccountChars + 2, L".\\");
        SetupTextAppend(account, kSetupAccountChars + 2, user);
        accountName = account;
        accountPassword = password;
    }
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return false;
    SC_HANDLE service = CreateServiceW(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                       SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, commandLine, nullptr,
                                       nullptr, nullptr, accountName, accountPassword);
    bool created = service != nullptr;
    if (service) {
        StartServiceW(service, 0, nullptr);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return created;
}

bool ServiceInstallAll(Dialog* status, const wchar_t* user, const wchar_t* password, const FileEntry* list,
                       int count) {
    bool ok = true;
    bool rightPending = user[0] != 0;
    for (int i = 0; i < count && ok; ++i) {
        if (!IsService(list[i])) continue;
        wchar_t program[kSetupPathChars];
        bool fits = SetupJoinPath(program, kSetupPathChars, g_setup.exeFolder, list[i].file);
        if (rightPending) {
            ok = ServiceGrantLogonRight(user);
            if (!ok && status)
                SetupMessage(PromptStatusHandle(status),
                             L"Failed to add 'Logon as service' right to user %s.", kSetupStyleNotice, user);
            rightPending = false;
        }
        if (!fits || !ServiceCreate(program, list[i].name, user, password)) ok = false;
    }
    return ok;
}
