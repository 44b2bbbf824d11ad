#include "image_list.h"

#include "text_lines.h"

#include <wchar.h>

namespace {

bool ReadCameras(const wchar_t* path, std::vector<Camera>& cameras, wchar_t* error, size_t errorChars) {
    TextLines lines;
    int opened = TextLinesOpen(&lines, path);
    if (opened != kTextOpened) {
        TextCopy(error, errorChars,
                 opened == kTextMissing ? L"The image list does not exist: "
                                        : L"The image list cannot be read: ");
        TextAppend(error, errorChars, path);
        return false;
    }
    wchar_t line[kMaxLineChars + 1];
    int got = TextLinesNext(&lines, line);
    TextTrim(line);
    bool ok = got == 1 && wcscmp(line, L"[Ocularis image list]") == 0;
    if (!ok) {
        TextCopy(error, errorChars,
                 L"This is not an image list (it does not start with \"[Ocularis image list]\"): ");
        TextAppend(error, errorChars, path);
    }
    while (ok && (got = TextLinesNext(&lines, line)) != 0) {
        if (got > 0) TextTrim(line);
        if (got > 0 && (line[0] == 0 || line[0] == L';' || line[0] == L'#')) continue;
        Camera camera{};
        const wchar_t* p = line;
        for (int axis = 0; axis < 3 && got > 0; ++axis) {
            wchar_t* end = nullptr;
            camera.position[axis] = wcstod(p, &end);
            if (end == p) got = -1;
            p = end;
        }
        while (got > 0 && (*p == L' ' || *p == L'\t')) ++p;
        if (got <= 0 || *p == 0 || p == line || (p[-1] != L' ' && p[-1] != L'\t') ||
            !TextCopy(camera.image, 260, p)) {
            TextCopy(error, errorChars, L"Line ");
            TextAppendUnsigned(error, errorChars, static_cast<uint64_t>(lines.lineNumber));
            TextAppend(error, errorChars, L" of the image list ");
            TextAppend(error, errorChars, path);
            TextAppend(error, errorChars, L" is not \"x y z image\".");
            ok = false;
            break;
        }
        if (cameras.size() >= kMaxCameras) {
            TextCopy(error, errorChars, L"The image list holds more than 100000 cameras: ");
            TextAppend(error, errorChars, path);
            ok = false;
            break;
        }
        camera.enabled = true;
        cameras.push_back(camera);
    }
    TextLinesClose(&lines);
    return ok;
}

} // namespace

bool ImageListAttach(ImageList* list, const wchar_t* path, const wchar_t* aux, wchar_t* error,
                     size_t errorChars) {
    if (!path || !*path) {
        TextCopy(error, errorChars, L"No image list was named.");
        return false;
    }
    std::vector<Camera> cameras;
    if (!ReadCameras(path, cameras, error, errorChars)) return false;
    if (aux && *aux && !ReadCameras(aux, cameras, error, errorChars)) return false;
    TextCopy(list->path, kPathChars, path);
    TextCopy(list->auxPath, kPathChars, aux ? aux : L"");
    list->cameras.swap(cameras);
    list->attached = true;
    return true;
}

void ImageListDetach(ImageList* list) {
    list->cameras.clear();
    list->path[0] = list->auxPath[0] = 0;
    list->attached = false;
}
