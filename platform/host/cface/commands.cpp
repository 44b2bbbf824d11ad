#include "cface/commands.h"

#include "cface/call_log.h"
#include "cface/miniapps.h"
#include "cface/status_line.h"
#include "parts/keyin_match.h"

#include <algorithm>

namespace {

bool IsEndRecord(const MAppCmdHook& record) {
    return record.id == 0 && !record.handler && !record.name && !record.label;
}

bool IsEndRecord(const MAppSpaccel& record) {
    return !record.commandName && !record.keyin && !record.reserved;
}

const HostCommand* FindCommandByName(const OrbisaMiniApp* app, const std::string& name) {
    for (const HostCommand& command : Host().commands)
        if (command.app == app && command.name == name) return &command;
    return nullptr;
}

} // namespace

int PublishCommands(OrbisaMiniApp* app, const MAppCmdHook* table) {
    if (!table) return -1;
    int count = 0;
    for (; count < kMaxTableRecords && !IsEndRecord(table[count]); ++count) {
        const MAppCmdHook& record = table[count];
        HostCommand command{app, record.id, record.handler, {}, {}};
        command.name.assign(record.name ? record.name : "", BoundedLength(record.name, kLogTextLimit));
        command.label.assign(record.label ? record.label : "", BoundedLength(record.label, kLogTextLimit));
        Host().commands.push_back(command);
    }
    return count;
}

int PublishKeyins(OrbisaMiniApp* app, const MAppSpaccel* table) {
    if (!table) return -1;
    int count = 0;
    for (; count < kMaxTableRecords && !IsEndRecord(table[count]); ++count) {
        const MAppSpaccel& record = table[count];
        HostKeyin keyin{app, WideToUtf8Text(record.commandName), {}};
        if (record.keyin) keyin.phrase.assign(record.keyin, BoundedWideLength(record.keyin, kLogTextLimit));
        Host().keyins.push_back(keyin);
    }
    return count;
}

void RemoveAppCommands(OrbisaMiniApp* app) {
    auto& commands = Host().commands;
    commands.erase(std::remove_if(commands.begin(), commands.end(),
                                  [app](const HostCommand& c) { return c.app == app; }),
                   commands.end());
    auto& keyins = Host().keyins;
    keyins.erase(
        std::remove_if(keyins.begin(), keyins.end(), [app](const HostKeyin& k) { return k.app == app; }),
        keyins.end());
}

void InvokeCommand(const HostCommand& command, const wchar_t* argument) {
    HostCommand copy = command; // the handler may publish or remove commands meanwhile
    if (!copy.app || !copy.app->loaded || !copy.handler) return;
    LogLine line;
    LogCallbackBegin(line, "Command", copy.app);
    LogText(line, "name", copy.name.c_str());
    LogInt(line, "id", copy.id);
    LogWide(line, "argument", argument);
    CallLogWrite(line);
    {
        ActiveScope scope(copy.app);
        copy.handler(argument);
    }
    CallEventHooks(MAppEventIdle);
}

bool RunKeyin(const std::wstring& typed) {
    std::wstring text = TrimBlanks(typed);
    if (text.empty()) return false;
    std::vector<std::wstring> phrases;
    for (const HostKeyin& keyin : Host().keyins) phrases.push_back(keyin.phrase);
    KeyinMatchResult match = KeyinMatch(text, phrases);
    if (match.phrase < 0) {
        SetStatusMessage(L"Unknown key-in: " + text);
        return false;
    }
    const HostKeyin keyin = Host().keyins[size_t(match.phrase)];
    const HostCommand* command = FindCommandByName(keyin.app, keyin.commandName);
    if (!command) {
        SetStatusMessage(L"Key-in without a command: " + text);
        return false;
    }
    SetStatusMessage(L"");
    InvokeCommand(*command, match.argument.c_str());
    return true;
}

bool RunCommandById(OrbisaMiniApp* app, int64_t id) {
    for (const HostCommand& command : Host().commands) {
        // Ids are 32-bit values in 64-bit slots: compare what a 32-bit id means.
        if (command.app == app && static_cast<int32_t>(command.id) == static_cast<int32_t>(id)) {
            InvokeCommand(command, nullptr);
            return true;
        }
    }
    return false;
}
