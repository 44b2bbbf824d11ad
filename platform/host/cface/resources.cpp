#include "cface/resources.h"

#include "cface/call_log.h"
#include "cface/miniapps.h"
#include "parts/resource_collection.h"

#include <algorithm>

namespace {

struct Collection {
    OrbisaMiniApp* app;
    const unsigned char *tree, *names, *data;
};

std::vector<Collection>& Collections() {
    static std::vector<Collection> collections;
    return collections;
}

void LogRegistration(const char* name, int version, const void* tree, const void* names, const void* data,
                     int result) {
    if (!CallLogging()) return;
    LogLine line;
    LogBegin(line, name);
    LogInt(line, "version", version);
    LogPointer(line, "tree", tree);
    LogPointer(line, "names", names);
    LogPointer(line, "data", data);
    LogResult(line, result);
    CallLogWrite(line);
}

} // namespace

bool FindResource(const char* path, std::vector<unsigned char>* bytes, std::string* why) {
    why->clear();
    auto& collections = Collections();
    for (auto it = collections.rbegin(); it != collections.rend(); ++it) {
        ResourceTables tables = ResourceTablesAt(it->tree, it->names, it->data);
        std::string problem;
        ResourceFindResult found = ResourceFind(tables, path, bytes, &problem);
        if (found == kResourceFound) return true;
        if (found == kResourceMalformed && why->empty()) *why = problem;
    }
    return false;
}

void RemoveAppResources(OrbisaMiniApp* app) {
    auto& collections = Collections();
    collections.erase(std::remove_if(collections.begin(), collections.end(),
                                     [app](const Collection& c) {
                                         return c.app == app ||
                                                (app->module && (AppHoldingAddress(c.tree) == app ||
                                                                 AppHoldingAddress(c.data) == app));
                                     }),
                      collections.end());
}

extern "C" {

int RegisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                         const unsigned char* data) {
    int result = 0;
    if (version == 1 && tree && names && data && ResourceRootValid(ResourceTablesAt(tree, names, data))) {
        Collections().push_back({ActiveApp(), tree, names, data});
        result = 1;
    }
    LogRegistration("RegisterResourceData", version, tree, names, data, result);
    return result;
}

int UnregisterResourceData(int version, const unsigned char* tree, const unsigned char* names,
                           const unsigned char* data) {
    auto& collections = Collections();
    size_t before = collections.size();
    collections.erase(std::remove_if(collections.begin(), collections.end(),
                                     [&](const Collection& c) {
                                         return c.tree == tree && c.names == names && c.data == data;
                                     }),
                      collections.end());
    int result = collections.size() < before ? 1 : 0;
    LogRegistration("UnregisterResourceData", version, tree, names, data, result);
    return result;
}

} // extern "C"
