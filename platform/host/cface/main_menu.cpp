#include "cface/main_menu.h"

#include "cface/call_log.h"
#include "cface/commands.h"
#include "cface/host_actions.h"
#include "cface/miniapps.h"

#include <algorithm>

namespace {

constexpr int kFirstMenuId = 1000;

struct MenuRecord {
    int id;      // command id of an item, and the handle given for a top-level entry
    int parent;  // 0 for a top-level entry
    HMENU popup; // a top-level entry's menu
    OrbisaMiniApp* app;
    WndMenuFunc callback;
    HostAction action;
    bool separator;
    std::string label; // UTF-8, as given
};

struct HostMenuItem {
    const char* entry;
    const char* label; // null: a separator
    HostAction action;
};

// The host's own menus, in order.
const HostMenuItem kHostMenu[] = {
    {"&File", "E&xit", kActionExit},
    {"&View", "&One View", kActionOneView},
    {"&View", "&Two Views", kActionTwoViews},
    {"&View", "&Four Views", kActionFourViews},
    {"&View", nullptr, kActionNone},
    {"&View", "To&p", kActionTop},
    {"&View", "Fro&nt", kActionFront},
    {"&View", "&Right", kActionRight},
    {"&View", "&Isometric", kActionIso},
    {"&View", nullptr, kActionNone},
    {"&View", "&Perspective", kActionTogglePerspective},
    {"&View", "&Stereo", kActionToggleStereo},
    {"&View", "Stereo &Anaglyph", kActionStereoAnaglyph},
    {"&View", "Stereo Side by Si&de", kActionStereoSideBySide},
    {"&View", "Stereo Over and &Under", kActionStereoOverUnder},
    {"&View", nullptr, kActionNone},
    {"&View", "&Fit", kActionFitActive},
    {"&View", "Fit &Range...", kActionFitRange},
    {"&View", "&Clear Points", kActionClearPoints},
    {"&View", "Show All &Tool Bars", kActionShowToolBars},
    {"&Help", "&About Orbisa", kActionAbout},
};

std::vector<MenuRecord>& Records() {
    static std::vector<MenuRecord> records;
    return records;
}

int NextId() {
    static int next = kFirstMenuId;
    return next++;
}

HMENU g_bar = nullptr;

// The label as a user reads it: without "&" and without a shortcut after a tab.
std::string PlainLabel(const std::string& label) {
    std::string plain;
    for (char c : label) {
        if (c == '\t') break;
        if (c != '&') plain += c;
    }
    return plain;
}

bool SameLabel(const std::string& a, const std::string& b) {
    std::string x = PlainLabel(a), y = PlainLabel(b);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, x.data(), int(x.size()), y.data(),
                          int(y.size())) == CSTR_EQUAL;
}

MenuRecord* RecordOfId(int id) {
    for (MenuRecord& record : Records())
        if (record.id == id) return &record;
    return nullptr;
}

MenuRecord* TopEntry(const std::string& label, OrbisaMiniApp* app, bool anyOwner) {
    for (MenuRecord& record : Records())
        if (record.parent == 0 && SameLabel(record.label, label) && (anyOwner || record.app == app))
            return &record;
    return nullptr;
}

// The position in the bar before which mini apps' entries go: before Help.
int InsertPosition() {
    int count = GetMenuItemCount(g_bar);
    return count > 0 ? count - 1 : 0;
}

MenuRecord& AddTopEntry(const std::string& label, OrbisaMiniApp* app, bool beforeHelp) {
    MenuRecord record{};
    record.id = NextId();
    record.popup = CreatePopupMenu();
    record.app = app;
    record.label = label;
    std::wstring text = Utf8ToWideText(label);
    if (beforeHelp)
        InsertMenuW(g_bar, UINT(InsertPosition()), MF_BYPOSITION | MF_POPUP, UINT_PTR(record.popup),
                    text.c_str());
    else
        AppendMenuW(g_bar, MF_POPUP, UINT_PTR(record.popup), text.c_str());
    Records().push_back(record);
    return Records().back();
}

int AddItem(MenuRecord& parent, const char* label, OrbisaMiniApp* app, WndMenuFunc callback,
            HostAction action) {
    MenuRecord record{};
    record.id = NextId();
    record.parent = parent.id;
    record.app = app;
    record.callback = callback;
    record.action = action;
    record.separator = label == nullptr;
    HMENU popup = parent.popup;
    if (record.separator) {
        AppendMenuW(popup, MF_SEPARATOR, UINT_PTR(record.id), nullptr);
    } else {
        record.label.assign(label, BoundedLength(label, 1024));
        AppendMenuW(popup, MF_STRING, UINT_PTR(record.id), Utf8ToWideText(record.label).c_str());
    }
    Records().push_back(record);
    if (Host().main) DrawMenuBar(Host().main);
    return record.id;
}

void Choose(const MenuRecord& record) {
    if (record.app) {
        if (!record.app->loaded || !record.callback) return;
        LogLine line;
        LogCallbackBegin(line, "Menu", record.app);
        LogText(line, "label", record.label.c_str());
        CallLogWrite(line);
        {
            ActiveScope scope(record.app);
            record.callback();
        }
        CallEventHooks(MAppEventIdle);
        return;
    }
    RunHostAction(record.action);
}

} // namespace

HMENU BuildMainMenu() {
    g_bar = CreateMenu();
    for (const HostMenuItem& item : kHostMenu) {
        MenuRecord* entry = TopEntry(item.entry, nullptr, false);
        if (!entry) entry = &AddTopEntry(item.entry, nullptr, false);
        AddItem(*entry, item.label, nullptr, nullptr, item.action);
    }
    return g_bar;
}

bool HandleMenuCommand(int id) {
    MenuRecord* record = RecordOfId(id);
    if (!record || record->parent == 0 || record->separator) return false;
    MenuRecord copy = *record; // the callback may add or remove menus
    Choose(copy);
    return true;
}

void RefreshMenuChecks(HMENU menu) {
    for (const MenuRecord& record : Records()) {
        if (record.app || record.parent == 0 || record.separator) continue;
        CheckMenuItem(menu, UINT(record.id),
                      MF_BYCOMMAND | (HostActionChecked(record.action) ? MF_CHECKED : MF_UNCHECKED));
    }
}

bool ChooseMenuItem(const std::string& entry, const std::string& item) {
    for (const MenuRecord& top : Records()) {
        if (top.parent != 0 || !SameLabel(top.label, entry)) continue;
        for (const MenuRecord& record : Records()) {
            if (record.parent == top.id && !record.separator && SameLabel(record.label, item)) {
                MenuRecord copy = record;
                Choose(copy);
                return true;
            }
        }
    }
    return false;
}

std::vector<std::string> DescribeMenus() {
    // In the order the menu bar shows them.
    std::vector<std::string> lines;
    for (int i = 0; i < GetMenuItemCount(g_bar); ++i) {
        HMENU popup = GetSubMenu(g_bar, i);
        const MenuRecord* top = nullptr;
        for (const MenuRecord& record : Records())
            if (record.parent == 0 && record.popup == popup) top = &record;
        if (!top) continue;
        for (int item = 0; item < GetMenuItemCount(popup); ++item) {
            const MenuRecord* record = RecordOfId(int(GetMenuItemID(popup, item)));
            if (!record) continue;
            lines.push_back(
                "menu " + QuoteText(PlainLabel(top->label).c_str()) + " " +
                (record->separator ? std::string("---") : QuoteText(PlainLabel(record->label).c_str())));
        }
    }
    return lines;
}

void RemoveAppMenus(OrbisaMiniApp* app) {
    if (!app) return;
    auto& records = Records();
    for (const MenuRecord& record : records) {
        if (record.app != app) continue;
        if (record.parent == 0) {
            for (int i = GetMenuItemCount(g_bar) - 1; i >= 0; --i)
                if (GetSubMenu(g_bar, i) == record.popup) RemoveMenu(g_bar, UINT(i), MF_BYPOSITION);
            DestroyMenu(record.popup);
        } else if (const MenuRecord* parent = RecordOfId(record.parent)) {
            DeleteMenu(parent->popup, UINT(record.id), MF_BYCOMMAND);
        }
    }
    // Items of the app's entries go with their entry, whoever added them.
    std::vector<int> gone;
    for (const MenuRecord& record : records)
        if (record.app == app && record.parent == 0) gone.push_back(record.id);
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [&](const MenuRecord& r) {
                                     return r.app == app ||
                                            std::find(gone.begin(), gone.end(), r.parent) != gone.end();
                                 }),
                  records.end());
    if (Host().main) DrawMenuBar(Host().main);
}

extern "C" {

intptr_t WndMainMenuAddItem(const char* label, WndMenuFunc callback, intptr_t parent) {
    OrbisaMiniApp* app = ActiveApp();
    intptr_t result = 0;
    if (label && g_bar) {
        std::string text(label, BoundedLength(label, 1024));
        if (parent == 0) {
            result = AddTopEntry(text, app, true).id;
            if (Host().main) DrawMenuBar(Host().main);
        } else if (MenuRecord* entry = RecordOfId(int(parent));
                   entry && entry->parent == 0 && parent == entry->id) {
            result = AddItem(*entry, text.c_str(), app, callback, kActionNone);
        }
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "WndMainMenuAddItem");
        LogText(line, "label", label);
        LogPointer(line, "callback", reinterpret_cast<const void*>(callback));
        LogInt(line, "parent", parent);
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

int WndMainMenuAddSeparator(intptr_t parent) {
    int result = -1;
    MenuRecord* entry = RecordOfId(int(parent));
    if (entry && entry->parent == 0 && parent == entry->id) {
        AddItem(*entry, nullptr, ActiveApp(), nullptr, kActionNone);
        result = 0;
    }
    if (CallLogging()) {
        LogLine line;
        LogBegin(line, "WndMainMenuAddSeparator");
        LogInt(line, "parent", parent);
        LogResult(line, result);
        CallLogWrite(line);
    }
    return result;
}

} // extern "C"
