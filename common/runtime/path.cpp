#include "runtime/path.h"
#include "runtime/text.h"

#include <climits>
#include <cstring>

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Start of the last component: one past the last separator.
size_t LastComponent(const wchar_t* path) {
    size_t start = 0;
    for (size_t i = 0; path[i]; ++i)
        if (IsSeparator(path[i])) start = i + 1;
    return start;
}

// Position of the extension's dot in the last component, or the path's length when it has none.
size_t ExtensionDot(const wchar_t* path) {
    size_t length = TextLength(path);
    size_t start = LastComponent(path);
    for (size_t i = length; i > start; --i)
        if (path[i - 1] == L'.') return i - 1;
    return length;
}

// Collects a result piece by piece into a bounded buffer; a piece that does not fit spoils the
// whole result. Pieces are moved, not copied, so a piece may lie where it already belongs.
struct PathBuilder {
    wchar_t* dest;
    size_t capacity;
    size_t length;
    bool overflow;
};

PathBuilder StartBuild(wchar_t* dest, size_t capacity) {
    return PathBuilder{dest, capacity, 0, capacity == 0};
}

void Append(PathBuilder& builder, const wchar_t* text, size_t count) {
    if (builder.overflow || count == 0) return;
    if (count >= builder.capacity - builder.length) {
        builder.overflow = true;
        return;
    }
    memmove(builder.dest + builder.length, text, count * sizeof(wchar_t));
    builder.length += count;
}

void Append(PathBuilder& builder, const wchar_t* text) {
    Append(builder, text, TextLength(text));
}

void AppendChar(PathBuilder& builder, wchar_t c) {
    Append(builder, &c, 1);
}

bool EndsWithSeparator(const PathBuilder& builder) {
    return builder.length > 0 && IsSeparator(builder.dest[builder.length - 1]);
}

int FinishBuild(PathBuilder& builder) {
    if (builder.capacity == 0) return 0;
    if (builder.overflow) {
        builder.dest[0] = 0;
        return 0;
    }
    builder.dest[builder.length] = 0;
    return 1;
}

// Copies count characters into out when they fit with a terminator; otherwise out becomes empty.
int CopyPart(wchar_t* out, size_t capacity, const wchar_t* text, size_t count) {
    if (!out || capacity == 0) return out ? 0 : 1;
    PathBuilder builder = StartBuild(out, capacity);
    Append(builder, text, count);
    return FinishBuild(builder);
}

bool StartsWithDotSegment(const wchar_t* text, size_t dots) {
    for (size_t i = 0; i < dots; ++i)
        if (text[i] != L'.') return false;
    return text[dots] == 0 || IsSeparator(text[dots]);
}

const wchar_t* SkipSegment(const wchar_t* text, size_t dots) {
    text += dots;
    return *text ? text + 1 : text;
}

// Length of base without its last folder (keeping the separator before it), or length itself when
// only a drive, a root or a UNC server is left.
size_t ParentLength(const wchar_t* base, size_t length) {
    size_t end = length;
    while (end > 0 && IsSeparator(base[end - 1])) --end;
    size_t cut = end;
    while (cut > 0 && !IsSeparator(base[cut - 1])) --cut;
    bool hasParent = cut > 0 && !(cut >= 2 && IsSeparator(base[cut - 2]));
    return hasParent ? cut : length;
}

} // namespace

int PathEnsureSlash(wchar_t* path, size_t capacity) {
    if (!path) return 0;
    size_t length = TextLength(path);
    if (length == 0 || IsSeparator(path[length - 1])) return 1;
    if (length + 1 >= capacity) return 0;
    path[length] = L'\\';
    path[length + 1] = 0;
    return 1;
}

int PathJoin(wchar_t* dest, const wchar_t* folder, const wchar_t* name, size_t capacity) {
    if (!dest) return 0;
    PathBuilder builder = StartBuild(dest, capacity);
    if (!folder || !name) builder.overflow = true;
    Append(builder, folder);
    if (builder.length > 0 && !EndsWithSeparator(builder)) AppendChar(builder, L'\\');
    if (name)
        while (IsSeparator(*name) && builder.length > 0) ++name;
    Append(builder, name);
    return FinishBuild(builder);
}

int PathSplit(wchar_t* folderOut, wchar_t* nameOut, const wchar_t* path, size_t capacity) {
    if (!path) {
        CopyPart(folderOut, capacity, L"", 0);
        CopyPart(nameOut, capacity, L"", 0);
        return 0;
    }
    size_t nameStart = LastComponent(path);
    int nameOk = CopyPart(nameOut, capacity, path + nameStart, TextLength(path + nameStart));
    int folderOk = CopyPart(folderOut, capacity, path, nameStart);
    return folderOk && nameOk;
}

int PathExtension(wchar_t* out, const wchar_t* path, size_t capacity) {
    if (!out || capacity == 0) return 0;
    out[0] = 0;
    if (!path) return 0;
    size_t dot = ExtensionDot(path);
    if (!path[dot]) return 0;
    return CopyPart(out, capacity, path + dot + 1, TextLength(path + dot + 1));
}

int PathSetExtension(wchar_t* path, const wchar_t* extension, size_t capacity) {
    if (!path || !extension) return 0;
    if (*extension == L'.') ++extension;
    size_t dot = ExtensionDot(path);
    size_t extensionLength = TextLength(extension);
    size_t newLength = dot + (extensionLength > 0 ? 1 + extensionLength : 0);
    if (newLength >= capacity) return 0;
    if (extensionLength > 0) {
        path[dot] = L'.';
        memmove(path + dot + 1, extension, extensionLength * sizeof(wchar_t));
    }
    path[newLength] = 0;
    return 1;
}

void PathRemoveExtension(wchar_t* path) {
    if (path) path[ExtensionDot(path)] = 0;
}

int PathCompose(wchar_t* out, const wchar_t* drive, const wchar_t* folder, const wchar_t* name,
                const wchar_t* extension, size_t capacity) {
    if (!out) return 0;
    PathBuilder builder = StartBuild(out, capacity);
    Append(builder, drive);
    if (builder.length > 0 && out[builder.length - 1] != L':') AppendChar(builder, L':');
    size_t folderStart = builder.length;
    Append(builder, folder);
    if (builder.length > folderStart && !EndsWithSeparator(builder)) AppendChar(builder, L'\\');
    Append(builder, name);
    if (extension && *extension == L'.') ++extension;
    if (extension && *extension) {
        AppendChar(builder, L'.');
        Append(builder, extension);
    }
    return FinishBuild(builder);
}

int PathResolve(wchar_t* out, const wchar_t* relative, const wchar_t* base, size_t capacity) {
    if (!out) return 0;
    if (!relative) relative = L"";
    if (relative[0] != L'.' || TextLength(base) == 0) {
        PathBuilder builder = StartBuild(out, capacity);
        Append(builder, relative);
        return FinishBuild(builder) ? 0 : -1;
    }
    size_t baseLength = TextLength(base);
    if (StartsWithDotSegment(relative, 1)) relative = SkipSegment(relative, 1);
    while (StartsWithDotSegment(relative, 2)) {
        baseLength = ParentLength(base, baseLength);
        relative = SkipSegment(relative, 2);
    }
    PathBuilder builder = StartBuild(out, capacity);
    Append(builder, base, baseLength);
    if (!EndsWithSeparator(builder)) AppendChar(builder, L'\\');
    Append(builder, relative);
    return FinishBuild(builder) ? 1 : -1;
}

int PathTrailingNumber(const wchar_t* path) {
    if (!path) return -1;
    size_t start = LastComponent(path);
    size_t end = ExtensionDot(path);
    size_t digitsEnd = end;
    while (digitsEnd > start && !(path[digitsEnd - 1] >= L'0' && path[digitsEnd - 1] <= L'9')) --digitsEnd;
    if (digitsEnd == start) return -1;
    size_t digitsStart = digitsEnd;
    while (digitsStart > start && path[digitsStart - 1] >= L'0' && path[digitsStart - 1] <= L'9')
        --digitsStart;
    long long number = 0;
    for (size_t i = digitsStart; i < digitsEnd; ++i) {
        number = number * 10 + (path[i] - L'0');
        if (number > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(number);
}
