// Resource collections in the binary format of Qt's resource compiler, format version 1, as a mini app
// registers them: three tables, each handed over as a bare pointer.
//
// Tree: nodes of 14 bytes, big-endian. Node 0 is the root directory. Each node: name offset (4, into
// the names table), flags (2: 1 compressed, 2 directory), then for a directory the child count (4) and
// the index of its first child (4), for a file country (2), language (2) and data offset (4, into the
// data table). Names: length in UTF-16 units (2), hash (4), the name in UTF-16 big-endian. Data: size
// (4), then the bytes; a compressed entry holds the uncompressed size (4) and a zlib stream.
//
// Nothing is trusted. Each table is bounded by the readable memory it lies in (at most
// kResourceTableLimit bytes) and every offset is checked against that bound; children lie behind
// their directory (so a directory cannot hold itself or an ancestor), a directory has at most
// kResourceMaxChildren children, a name at most kResourceMaxNameUnits units, a path at most
// kResourceMaxDepth parts, an entry at most kResourceMaxEntryBytes bytes, and a compressed entry must
// inflate to exactly its stated size within its stated length.
#pragma once

#include <stddef.h>

#include <string>
#include <vector>

constexpr size_t kResourceTableLimit = 64u << 20;
constexpr unsigned kResourceMaxChildren = 65536;
constexpr unsigned kResourceMaxNameUnits = 1024;
constexpr int kResourceMaxDepth = 32;
constexpr size_t kResourceMaxEntryBytes = 16u << 20;

struct ResourceSpan {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
};

struct ResourceTables {
    ResourceSpan tree, names, data;
};

// The three tables bounded by the memory they lie in.
ResourceTables ResourceTablesAt(const unsigned char* tree, const unsigned char* names,
                                const unsigned char* data);

// True when the root node can be read and is a directory.
bool ResourceRootValid(const ResourceTables& tables);

enum ResourceFindResult { kResourceFound = 0, kResourceNotFound = 1, kResourceMalformed = 2 };

// Looks a path up (":/icons/x.ico", "/icons/x.ico" and "icons/x.ico" are the same) and gives its bytes,
// inflated when the entry is compressed. why says what was wrong when the result is kResourceMalformed.
ResourceFindResult ResourceFind(const ResourceTables& tables, const char* path,
                                std::vector<unsigned char>* bytes, std::string* why);
