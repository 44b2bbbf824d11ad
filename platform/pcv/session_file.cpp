#include "session_file.h"

#include "storage_io.h"
#include "text_lines.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <new>

namespace {

enum FieldType { kDoubles, kFloats, kInts, kUnsigned, kShort, kByte };

// The fields of a view record a session keeps, by key.
struct ViewField {
    const wchar_t* key;
    FieldType type;
    size_t offset;
    int count;
};

#define VIEW_FIELD(key, type, member, count)                                                                 \
    { key, type, offsetof(ProjectionImageData, member), count }

const ViewField kViewFields[] = {
    VIEW_FIELD(L"Camera", kDoubles, cameraPosition, 3),
    VIEW_FIELD(L"Flags", kUnsigned, flags, 1),
    VIEW_FIELD(L"Clip", kFloats, nearDistance, 2),
    VIEW_FIELD(L"StereoShift", kFloats, stereoShift, 1),
    VIEW_FIELD(L"HeightToWidth", kFloats, heightToWidth, 1),
    VIEW_FIELD(L"ImageSize", kInts, imageHeight, 2),
    VIEW_FIELD(L"PageLockPriority", kShort, pageLockPriority, 1),
    VIEW_FIELD(L"NearDepthEstimate", kFloats, nearDepthEstimate, 1),
    VIEW_FIELD(L"HighlightColor", kUnsigned, highlightColor, 1),
    VIEW_FIELD(L"ViewBox", kFloats, viewBoxNear, 2),
    VIEW_FIELD(L"RenderingMode", kUnsigned, renderingMode, 1),
    VIEW_FIELD(L"ShadingStrength", kFloats, shadingStrength, 1),
    VIEW_FIELD(L"ProjectionScales", kFloats, projectionScale1, 2),
    VIEW_FIELD(L"Rotation", kFloats, rotation, 9),
    VIEW_FIELD(L"PointSize", kFloats, pointSize, 1),
    VIEW_FIELD(L"PointSizeAttenuation", kFloats, pointSizeAttenuation, 1),
    VIEW_FIELD(L"ShadingRadius", kInts, shadingRadius, 1),
    VIEW_FIELD(L"HighlightFound", kByte, highlightFound, 1),
    VIEW_FIELD(L"Camera2", kFloats, cameraLensAngle, 2),
    VIEW_FIELD(L"FarDepthEstimate", kFloats, farDepthEstimate, 1),
    VIEW_FIELD(L"Channel", kUnsigned, channel, 1),
};

#undef VIEW_FIELD

void AppendValue(wchar_t* line, size_t chars, const uint8_t* at, FieldType type, int index) {
    wchar_t text[64];
    switch (type) {
        case kDoubles: {
            double v;
            memcpy(&v, at + index * sizeof(double), sizeof(v));
            swprintf(text, 64, L"%.17g", v);
            break;
        }
        case kFloats: {
            float v;
            memcpy(&v, at + index * sizeof(float), sizeof(v));
            swprintf(text, 64, L"%.9g", static_cast<double>(v));
            break;
        }
        case kInts: {
            int32_t v;
            memcpy(&v, at + index * sizeof(int32_t), sizeof(v));
            swprintf(text, 64, L"%d", v);
            break;
        }
        case kUnsigned: {
            uint32_t v;
            memcpy(&v, at + index * sizeof(uint32_t), sizeof(v));
            swprintf(text, 64, L"%x", v);
            break;
        }
        case kShort: {
            int16_t v;
            memcpy(&v, at, sizeof(v));
            swprintf(text, 64, L"%d", v);
            break;
        }
        case kByte:
            swprintf(text, 64, L"%u", *at);
            break;
    }
    if (index > 0) TextAppend(line, chars, L" ");
    TextAppend(line, chars, text);
}

// Reads the field's values from text; values missing at the end stay 0.
void ParseValues(const wchar_t* text, uint8_t* at, FieldType type, int count) {
    const wchar_t* p = text;
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        switch (type) {
            case kDoubles: {
                double v = wcstod(p, &end);
                if (end != p) memcpy(at + i * sizeof(double), &v, sizeof(v));
                break;
            }
            case kFloats: {
                float v = static_cast<float>(wcstod(p, &end));
                if (end != p) memcpy(at + i * sizeof(float), &v, sizeof(v));
                break;
            }
            case kInts: {
                int32_t v = static_cast<int32_t>(wcstol(p, &end, 10));
                if (end != p) memcpy(at + i * sizeof(int32_t), &v, sizeof(v));
                break;
            }
            case kUnsigned: {
                uint32_t v = static_cast<uint32_t>(wcstoul(p, &end, 16));
                if (end != p) memcpy(at + i * sizeof(uint32_t), &v, sizeof(v));
                break;
            }
            case kShort: {
                int16_t v = static_cast<int16_t>(wcstol(p, &end, 10));
                if (end != p) memcpy(at, &v, sizeof(v));
                break;
            }
            case kByte: {
                unsigned long v = wcstoul(p, &end, 10);
                if (end != p) *at = static_cast<uint8_t>(v);
                break;
            }
        }
        if (!end || end == p) return;
        p = end;
    }
}

void MaskText(wchar_t* line, size_t chars, const ClassificationMask256& mask) {
    wchar_t text[16];
    swprintf(text, 16, L"%u", mask.active);
    TextAppend(line, chars, text);
    for (uint32_t word : mask.classes) {
        swprintf(text, 16, L" %08x", word);
        TextAppend(line, chars, text);
    }
}

void ParseMask(const wchar_t* text, ClassificationMask256* mask) {
    wchar_t* end = nullptr;
    mask->active = static_cast<uint32_t>(wcstoul(text, &end, 10));
    const wchar_t* p = end;
    for (uint32_t& word : mask->classes) {
        word = static_cast<uint32_t>(wcstoul(p, &end, 16));
        if (end == p) break;
        p = end;
    }
}

bool WriteKey(StorageWriter* w, const wchar_t* key, const wchar_t* value) {
    wchar_t line[kMaxLineChars + 1];
    TextCopy(line, kMaxLineChars + 1, key);
    TextAppend(line, kMaxLineChars + 1, L"=");
    if (!TextAppend(line, kMaxLineChars + 1, value)) return false;
    return TextWriteLine(w, line);
}

bool WriteView(StorageWriter* w, int number, const ProjectionImageData& view) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&view);
    for (const ViewField& field : kViewFields) {
        wchar_t line[kMaxLineChars + 1];
        swprintf(line, kMaxLineChars + 1, L"View%d.%ls=", number, field.key);
        for (int i = 0; i < field.count; ++i)
            AppendValue(line, kMaxLineChars + 1, bytes + field.offset, field.type, i);
        if (!TextWriteLine(w, line)) return false;
    }
    return true;
}

bool ReadViewKey(const wchar_t* key, const wchar_t* value, SessionData* session) {
    if (wcsncmp(key, L"View", 4) != 0 || (key[4] != L'1' && key[4] != L'2') || key[5] != L'.') return false;
    ProjectionImageData& view = session->views[key[4] - L'1'];
    for (const ViewField& field : kViewFields) {
        if (wcscmp(key + 6, field.key) != 0) continue;
        ParseValues(value, reinterpret_cast<uint8_t*>(&view) + field.offset, field.type, field.count);
        return true;
    }
    return false;
}

void ReadError(wchar_t* error, size_t errorChars, const wchar_t* text, const wchar_t* path) {
    TextCopy(error, errorChars, text);
    TextAppend(error, errorChars, path);
}

} // namespace

bool SessionFileIs(const wchar_t* path) {
    TextLines lines;
    if (TextLinesOpen(&lines, path) != kTextOpened) return false;
    wchar_t line[kMaxLineChars + 1];
    bool is = TextLinesNext(&lines, line) == 1;
    TextTrim(line);
    TextLinesClose(&lines);
    return is && wcscmp(line, L"[Ocularis session]") == 0;
}

bool SessionWrite(const wchar_t* path, const SessionData& s, wchar_t* error, size_t errorChars) {
    StorageWriter w;
    if (!StorageWriterCreate(&w, path, error, errorChars)) return false;
    wchar_t number[32];
    wchar_t mask[160];
    bool ok = TextWriteLine(&w, L"[Ocularis session]") && WriteKey(&w, L"Version", L"1") &&
              WriteKey(&w, L"Project", s.projectFile);
    swprintf(number, 32, L"%d", s.engineValue);
    ok = ok && WriteKey(&w, L"EngineValue", number);
    swprintf(number, 32, L"%d", s.cameraMask);
    ok = ok && WriteKey(&w, L"CameraMask", number) && WriteKey(&w, L"ClassFile", s.classFile) &&
         WriteKey(&w, L"ImageList", s.imageList) && WriteKey(&w, L"ImageListAux", s.imageListAux);
    mask[0] = 0;
    MaskText(mask, 160, s.visibleClasses);
    ok = ok && WriteKey(&w, L"VisibleClasses", mask);
    mask[0] = 0;
    MaskText(mask, 160, s.sessionClasses);
    ok = ok && WriteKey(&w, L"SessionClasses", mask) && WriteView(&w, 1, s.views[0]) &&
         WriteView(&w, 2, s.views[1]);
    if (!ok && !w.failed) {
        StorageWriterClose(&w, false, nullptr, 0);
        ReadError(error, errorChars, L"A path is too long to be saved in the session ", path);
        return false;
    }
    return StorageWriterClose(&w, ok, error, errorChars);
}

bool SessionRead(const wchar_t* path, SessionData* s, wchar_t* error, size_t errorChars) {
    memset(s, 0, sizeof(*s));
    TextLines lines;
    int opened = TextLinesOpen(&lines, path);
    if (opened != kTextOpened) {
        ReadError(error, errorChars,
                  opened == kTextMissing ? L"The session file does not exist: "
                                         : L"The session file cannot be read: ",
                  path);
        return false;
    }
    wchar_t line[kMaxLineChars + 1];
    int got = TextLinesNext(&lines, line);
    TextTrim(line);
    if (got != 1 || wcscmp(line, L"[Ocularis session]") != 0) {
        TextLinesClose(&lines);
        ReadError(error, errorChars,
                  L"This is not an Ocularis session file (it does not start with \"[Ocularis session]\"): ",
                  path);
        return false;
    }
    bool ok = true;
    while ((got = TextLinesNext(&lines, line)) != 0) {
        if (got < 0) {
            ok = false;
            ReadError(error, errorChars, L"The session file has a line longer than 1023 characters: ", path);
            break;
        }
        wchar_t key[64];
        const wchar_t* value;
        if (!TextSplitKey(line, key, 64, &value)) continue;
        if (wcscmp(key, L"Project") == 0) TextCopy(s->projectFile, kPathChars, value);
        if (wcscmp(key, L"EngineValue") == 0) s->engineValue = static_cast<int>(wcstol(value, nullptr, 10));
        if (wcscmp(key, L"CameraMask") == 0) s->cameraMask = static_cast<int>(wcstol(value, nullptr, 10));
        if (wcscmp(key, L"ClassFile") == 0) TextCopy(s->classFile, kPathChars, value);
        if (wcscmp(key, L"ImageList") == 0) TextCopy(s->imageList, kPathChars, value);
        if (wcscmp(key, L"ImageListAux") == 0) TextCopy(s->imageListAux, kPathChars, value);
        if (wcscmp(key, L"VisibleClasses") == 0) ParseMask(value, &s->visibleClasses);
        if (wcscmp(key, L"SessionClasses") == 0) ParseMask(value, &s->sessionClasses);
        ReadViewKey(key, value, s);
    }
    TextLinesClose(&lines);
    return ok;
}

bool SessionProjectOf(const wchar_t* path, wchar_t* project, size_t projectChars, wchar_t* error,
                      size_t errorChars) {
    SessionData* session = new (std::nothrow) SessionData;
    if (!session) return false;
    bool ok = SessionRead(path, session, error, errorChars);
    if (ok && session->projectFile[0] == 0) {
        ReadError(error, errorChars, L"The session names no project: ", path);
        ok = false;
    }
    if (ok) {
        TextCopy(project, projectChars, session->projectFile);
        if (!StorageFileExists(project)) {
            // The session and its project may have moved together: look beside the session.
            wchar_t folder[kPathChars], name[kPathChars], beside[kPathChars];
            PathFolder(folder, kPathChars, path);
            const wchar_t* slash = wcsrchr(session->projectFile, L'\\');
            TextCopy(name, kPathChars, slash ? slash + 1 : session->projectFile);
            if (PathJoin(beside, kPathChars, folder, name) && StorageFileExists(beside))
                TextCopy(project, projectChars, beside);
        }
    }
    delete session;
    return ok;
}
