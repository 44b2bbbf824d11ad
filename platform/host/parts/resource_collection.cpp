#include "parts/resource_collection.h"

#include "parts/readable_memory.h"

#include <windows.h>
#include <zlib.h>

#include <stdint.h>

namespace {

constexpr size_t kNodeBytes = 14;
constexpr unsigned kFlagCompressed = 1;
constexpr unsigned kFlagDirectory = 2;

struct Node {
    uint32_t nameOffset;
    unsigned flags;
    uint32_t childCount, firstChild; // directories
    uint32_t dataOffset;             // files
};

bool Read16(const ResourceSpan& span, size_t at, unsigned* value) {
    if (at > span.size || span.size - at < 2) return false;
    *value = (unsigned(span.bytes[at]) << 8) | span.bytes[at + 1];
    return true;
}

bool Read32(const ResourceSpan& span, size_t at, uint32_t* value) {
    if (at > span.size || span.size - at < 4) return false;
    *value = (uint32_t(span.bytes[at]) << 24) | (uint32_t(span.bytes[at + 1]) << 16) |
             (uint32_t(span.bytes[at + 2]) << 8) | span.bytes[at + 3];
    return true;
}

bool ReadNode(const ResourceTables& tables, uint32_t index, Node* node) {
    size_t at = size_t(index) * kNodeBytes;
    if (at / kNodeBytes != index) return false;
    uint32_t fourth = 0;
    if (!Read32(tables.tree, at, &node->nameOffset) || !Read16(tables.tree, at + 4, &node->flags) ||
        !Read32(tables.tree, at + 6, &node->childCount) || !Read32(tables.tree, at + 10, &fourth))
        return false;
    node->firstChild = fourth;
    node->dataOffset = fourth;
    return true;
}

bool IsDirectory(const Node& node) {
    return (node.flags & kFlagDirectory) != 0;
}

// The node's name as UTF-16 units.
bool ReadName(const ResourceTables& tables, const Node& node, std::u16string* name) {
    unsigned units = 0;
    if (!Read16(tables.names, node.nameOffset, &units) || units > kResourceMaxNameUnits) return false;
    size_t at = size_t(node.nameOffset) + 6;
    if (at > tables.names.size || (tables.names.size - at) / 2 < units) return false;
    name->resize(units);
    for (unsigned i = 0; i < units; ++i)
        (*name)[i] = char16_t((tables.names.bytes[at + 2 * i] << 8) | tables.names.bytes[at + 2 * i + 1]);
    return true;
}

std::vector<std::u16string> PathParts(const char* path) {
    std::vector<std::u16string> parts;
    if (!path) return parts;
    if (*path == ':') ++path;
    std::string part;
    auto flush = [&] {
        if (part.empty()) return;
        int units = MultiByteToWideChar(CP_UTF8, 0, part.data(), int(part.size()), nullptr, 0);
        std::u16string wide(size_t(units > 0 ? units : 0), u'\0');
        if (units > 0)
            MultiByteToWideChar(CP_UTF8, 0, part.data(), int(part.size()),
                                reinterpret_cast<wchar_t*>(wide.data()), units);
        parts.push_back(wide);
        part.clear();
    };
    for (size_t i = 0; path[i] && i < 4096; ++i) {
        if (path[i] == '/')
            flush();
        else
            part += path[i];
    }
    flush();
    return parts;
}

// The child of a directory with the given name: kResourceFound, kResourceNotFound or kResourceMalformed.
ResourceFindResult FindChild(const ResourceTables& tables, uint32_t directoryIndex, const Node& directory,
                             const std::u16string& name, uint32_t* childIndex, Node* child,
                             std::string* why) {
    if (directory.childCount > kResourceMaxChildren) {
        *why = "directory with too many children";
        return kResourceMalformed;
    }
    if (directory.childCount > 0 && directory.firstChild <= directoryIndex) {
        *why = "children before their directory";
        return kResourceMalformed;
    }
    for (uint32_t i = 0; i < directory.childCount; ++i) {
        uint32_t index = directory.firstChild + i;
        if (index < directory.firstChild || !ReadNode(tables, index, child)) {
            *why = "child node outside the tree table";
            return kResourceMalformed;
        }
        std::u16string childName;
        if (!ReadName(tables, *child, &childName)) {
            *why = "name outside the names table";
            return kResourceMalformed;
        }
        if (childName == name) {
            *childIndex = index;
            return kResourceFound;
        }
    }
    return kResourceNotFound;
}

bool Inflate(const unsigned char* stream, size_t streamBytes, size_t expected,
             std::vector<unsigned char>* out) {
    out->assign(expected, 0);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(stream);
    z.avail_in = static_cast<uInt>(streamBytes);
    unsigned char spare = 0;
    z.next_out = expected ? out->data() : &spare;
    z.avail_out = static_cast<uInt>(expected);
    int status = inflate(&z, Z_FINISH);
    bool whole = status == Z_STREAM_END && z.total_out == expected;
    inflateEnd(&z);
    return whole;
}

ResourceFindResult ReadEntry(const ResourceTables& tables, const Node& file,
                             std::vector<unsigned char>* bytes, std::string* why) {
    uint32_t size = 0;
    if (!Read32(tables.data, file.dataOffset, &size)) {
        *why = "data offset outside the data table";
        return kResourceMalformed;
    }
    size_t at = size_t(file.dataOffset) + 4;
    if (size > kResourceMaxEntryBytes || tables.data.size - at < size) {
        *why = "entry larger than the data table";
        return kResourceMalformed;
    }
    const unsigned char* entry = tables.data.bytes + at;
    if (!(file.flags & kFlagCompressed)) {
        bytes->assign(entry, entry + size);
        return kResourceFound;
    }
    ResourceSpan compressed{entry, size};
    uint32_t expected = 0;
    if (!Read32(compressed, 0, &expected) || expected > kResourceMaxEntryBytes) {
        *why = "compressed entry without a usable size";
        return kResourceMalformed;
    }
    if (!Inflate(entry + 4, size - 4, expected, bytes)) {
        *why = "bad zlib data";
        bytes->clear();
        return kResourceMalformed;
    }
    return kResourceFound;
}

} // namespace

ResourceTables ResourceTablesAt(const unsigned char* tree, const unsigned char* names,
                                const unsigned char* data) {
    ResourceTables tables;
    tables.tree = {tree, ReadableBytesFrom(tree, kResourceTableLimit)};
    tables.names = {names, ReadableBytesFrom(names, kResourceTableLimit)};
    tables.data = {data, ReadableBytesFrom(data, kResourceTableLimit)};
    return tables;
}

bool ResourceRootValid(const ResourceTables& tables) {
    Node root;
    return ReadNode(tables, 0, &root) && IsDirectory(root);
}

ResourceFindResult ResourceFind(const ResourceTables& tables, const char* path,
                                std::vector<unsigned char>* bytes, std::string* why) {
    bytes->clear();
    why->clear();
    std::vector<std::u16string> parts = PathParts(path);
    if (parts.empty()) return kResourceNotFound;
    if (int(parts.size()) > kResourceMaxDepth) {
        *why = "path too deep";
        return kResourceNotFound;
    }
    Node node;
    uint32_t index = 0;
    if (!ReadNode(tables, 0, &node) || !IsDirectory(node)) {
        *why = "no root directory";
        return kResourceMalformed;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        if (!IsDirectory(node)) return kResourceNotFound;
        Node child;
        uint32_t childIndex = 0;
        ResourceFindResult found = FindChild(tables, index, node, parts[i], &childIndex, &child, why);
        if (found != kResourceFound) return found;
        node = child;
        index = childIndex;
    }
    if (IsDirectory(node)) return kResourceNotFound;
    return ReadEntry(tables, node, bytes, why);
}
