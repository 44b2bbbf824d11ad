// pcv.dll: the point-cloud viewing engine. It converts lidar points into its out-of-core storage,
// loads projects and sessions, renders a view record's camera into its image buffer (one image, or a
// left and a right eye one after the other), and finds the cloud point under an image position.
//
// The caller's thread makes every call; conversion and loading go on on the engine's own worker
// thread and report through the progress status. Coordinates are in master units (the caller's
// design units); channels and rendering modes are described in the engine's document beside its
// sources.
#pragma once

#include "platform_export.h"

#include <stddef.h>
#include <stdint.h>

#ifdef PCV_BUILD
#define PCV_API PLATFORM_EXPORT
#else
#define PCV_API PLATFORM_IMPORT
#endif

// Capacity, terminator included, of every text the engine writes into a caller's buffer (errors,
// progress descriptions, the paths a session returns).
#define PCV_TEXT_CHARS 1024

// Bits of ProjectionImageData::flags.
enum PcvViewFlags { PcvViewParallel = 1u << 0, PcvViewStereo = 1u << 1 };

// Bits of ProjectionImageData::renderingMode.
enum PcvRenderingBits {
    PcvRenderPoints = 1u << 0,  // draw the points
    PcvRenderShading = 1u << 1, // depth-edge (eye-dome) shading
    PcvRenderChannel = 1u << 2, // colour by the view's channel; without it, grey by intensity
    PcvRenderCpu = 1u << 3,     // the record is rendered by the CPU renderer
};

// One view of the engine: the camera, the projection and the image the engine renders for it. The
// caller fills the camera; the engine fills the depth estimates and the image.
struct ProjectionImageData {
    double cameraPosition[3]; // master units
    uint32_t flags;           // PcvViewFlags
    float nearDistance;       // clip distances along the view direction, master units
    float farDistance;
    float stereoShift;   // extra horizontal shift of the right eye, pixels (0: none)
    float heightToWidth; // imageHeight / imageWidth
    int32_t imageHeight; // pixels
    int32_t imageWidth;
    int16_t pageLockPriority; // priority of the storage pages a render pins; released afterwards
    float nearDepthEstimate;  // filled by pcvGetDepthEstimation
    uint8_t* imageBuffer;     // the engine's pixels: 4 bytes each (blue, green, red, unused), top row
                              // first; the right eye follows the left at imageHeight * imageWidth * 4
    uint32_t highlightColor;  // 0xRRGGBB of the point last found by pcvFindPoint
    float viewBoxNear;        // the host view box along the view direction, master units
    float viewBoxFar;
    uint32_t renderingMode;     // PcvRenderingBits
    float shadingStrength;      // weight of the depth-edge shading, 0..1
    float projectionScale1;     // perspective: 2 * eye-to-target / view height; parallel: 1
    float projectionScale2;     // perspective: 1; parallel: 2 / view height
    float rotation[3][3];       // rows: image x (right), image y (down), depth axis (towards the viewer)
    float pointSize;            // engine point-size units: 1000 units make a point one pixel wide
    float pointSizeAttenuation; // growth of far points' size in perspective views (0: none)
    int32_t shadingRadius;      // neighbourhood of the depth-edge shading, pixels
    uint8_t highlightFound;     // 1: mark the found point in highlightColor
    float cameraLensAngle;      // the host's camera values, informational
    float cameraFocalLength;
    float farDepthEstimate; // filled by pcvGetDepthEstimation
    uint32_t channel;       // channel number shown (colour channel mask in session records)
};

// Which classes are shown: class c is visible when bit c % 32 of classes[c / 32] is set. active 1
// means the mask is in use; 0 shows every class.
struct ClassificationMask256 {
    uint32_t active;
    uint32_t classes[8];
};

// How the integer points handed to pcvSetMemoryPoints become coordinates:
// coordinate = integer * scale + offset, per axis.
struct PointCloudSummary {
    uint32_t pointCount;
    uint32_t padding; // not set
    double scaleX, scaleY, scaleZ;
    double offsetX, offsetY, offsetZ;
};

// A request to find the cloud point under an image position, and its answer.
struct SnapMouse {
    int16_t x;          // image column
    int16_t y;          // image row from the top
    uint16_t reserved1; // not set by callers; ignored
    uint8_t nearest;    // 1: the nearest point to the position within the pick radius
    uint8_t reserved2;  // 0
    uint32_t reserved3; // not set by callers; ignored
    float depth;        // depth of the position from pcvCalculateProjection; 0 or unset: not known
    double found[3];    // out: the point, master units
    int32_t index;      // in: -1; out: 0 or more when a point was found
};
static_assert(offsetof(SnapMouse, x) == 0 && offsetof(SnapMouse, y) == 2, "SnapMouse layout");
static_assert(offsetof(SnapMouse, nearest) == 6 && offsetof(SnapMouse, reserved2) == 7, "SnapMouse layout");
static_assert(offsetof(SnapMouse, depth) == 12 && offsetof(SnapMouse, found) == 16, "SnapMouse layout");
static_assert(offsetof(SnapMouse, index) == 40, "SnapMouse layout");

struct Point3Dd {
    double x, y, z;
};

// Lidora's points: integer coordinates of one coordinate set-up (see PointCloudSummary).
struct Point3Di {
    int32_t x, y, z;
};

extern "C" {

// Set-up.
PCV_API void pcvDllInit(void);
PCV_API void pcvSetTelemetrySession(int product, int reserved, int hostMajor, int hostMinor, int reserved2);
PCV_API void pcvSetCpuMode(bool cpu);
PCV_API bool pcvGetCpuMode(void);
PCV_API void pcvSetImageMem(unsigned int megabytes);
// Allocates the image buffer (height x doubleWidth pixels: both eyes of a view of doubleWidth / 2) and
// starts the renderer; root is the folder of the caller's files. Null when it cannot start.
PCV_API unsigned int* pcvInit(int height, int doubleWidth, unsigned long long gpuMegabytes, bool reserved,
                              const wchar_t* root);
PCV_API void pcvSetMaxChannelWidth(int width);
PCV_API void pcvSetCpuMemoryUsageLimit(unsigned long long megabytes);
PCV_API void pcvSetDefaultView(ProjectionImageData* view);
PCV_API void pcvSetMultiWindow(int count, ProjectionImageData** views);
PCV_API void pcvFree(void);

// Drawing.
PCV_API float pcvGetDepthEstimation(ProjectionImageData* view);
// Renders the view into its image buffer; greater than 0 when an image is ready.
PCV_API int pcvSetView(ProjectionImageData* view);
PCV_API void pcvReleasePageLockPri(int priority);
PCV_API void pcvClearFixedFrontClip(ProjectionImageData* view);
PCV_API void pcvClearFixedRearClip(ProjectionImageData* view);

// Projects and progress.
PCV_API void pcvReInit(void);
PCV_API bool pcvIsProjectLoaded(void);
// The arrays stay the caller's and must stay valid until the conversion that reads them reports 100.
PCV_API void pcvSetMemoryPoints(const Point3Di* points, const unsigned char* classes,
                                const unsigned short* intensities, const unsigned short* colours,
                                const PointCloudSummary* summary);
// Starts converting (and then loading) a project on the worker thread; returns at once, 1 when started.
PCV_API int pcvConvertLidoraProject(const wchar_t* projectFile, unsigned long long channelMask,
                                    const ClassificationMask256* classMask, unsigned int reserved,
                                    bool reserved2, bool fromMemory);
PCV_API int pcvCalculateGetProgressStatus(void);
// Writes at most PCV_TEXT_CHARS characters, terminator included.
PCV_API void pcvCalculateGetProgressStatusDescription(wchar_t* text);
// True once per error: fills text (PCV_TEXT_CHARS) and forgets the error.
PCV_API bool pcvGetError(wchar_t* text);

// Sessions. The wide outputs hold PCV_TEXT_CHARS characters.
PCV_API bool pcvLoadSession(const wchar_t* file, wchar_t* imageList, wchar_t* imageListAux, int* engineValue,
                            int* cameraMask, wchar_t* classFile, ProjectionImageData* view1,
                            ProjectionImageData* view2, ClassificationMask256* visibleClasses,
                            ClassificationMask256* sessionClasses, wchar_t* sessionFile);
PCV_API bool pcvSaveSession(const wchar_t* file, int engineValue, int cameraMask, const wchar_t* classFile,
                            const wchar_t* imageList, const wchar_t* imageListAux);
PCV_API int pcvGetChannelWidth(unsigned int channelMask);
PCV_API int pcvAttachImageList(const wchar_t* imageList, const wchar_t* imageListAux);
PCV_API int pcvReAttachImageList(void);
PCV_API bool pcvIsImageListAttached(void);
PCV_API void pcvSetCameraEnable(unsigned int camera, bool on);

// Channels and classes.
PCV_API bool pcvGetChannelFromChannelMask(unsigned int* first, unsigned int* second,
                                          unsigned int channelMask);
PCV_API bool pcvChannelUsesGroups(unsigned int channel);
PCV_API int pcvSetFlagsWithClassification(const ClassificationMask256* visibleClasses,
                                          const ClassificationMask256* sessionClasses, bool reserved);

// Points. The projection gives the image column of the point for the left and the right eye (equal in
// mono), its image row from the bottom and its depth; 0 when the point is outside the view.
PCV_API int pcvCalculateProjection(int* columnLeft, int* columnRight, int* rowFromBottom, float* depth,
                                   float* reserved, const Point3Dd* point, const ProjectionImageData* view);
PCV_API bool pcvFindPoint(ProjectionImageData* view, SnapMouse* mouse);

// For the platform's own dialogs (GuiDlg), not called by the plug-in: what the loaded project holds.
// The channels it carries (bit n: channel n), 0 without a project.
PCV_API unsigned long long pcvGetProjectChannelMask(void);
// Points per class 0..255 of the loaded project; 1 when a project is loaded, else 0 with counts zeroed.
PCV_API int pcvGetProjectClassCounts(unsigned long long counts[256]);
// The project file the loaded project came from (PCV_TEXT_CHARS); 1 when a project is loaded.
PCV_API int pcvGetProjectFile(wchar_t* file);

} // extern "C"
