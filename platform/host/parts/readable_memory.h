// How far memory can be read from a pointer on: the committed, readable pages from there on, asked of
// the system (VirtualQuery). The host gets bare pointers from mini apps (the tables of a resource
// collection have no sizes); this bounds every read to memory that exists.
#pragma once

#include <stddef.h>

// Bytes readable from pointer on, at most limit; 0 for null or unreadable memory.
size_t ReadableBytesFrom(const void* pointer, size_t limit);
