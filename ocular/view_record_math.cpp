#include "view_record_math.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <math.h>

namespace {

constexpr double kOrthonormalTolerance = 1e-10;

// Fields the engine wants at these values for every host view.
constexpr uint32_t kHighlightColor = 0xFFFF00;
constexpr int32_t kShadingRadius = 5;

bool IsOrthonormal(const double m[3][3]) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            double product = m[0][i] * m[0][j] + m[1][i] * m[1][j] + m[2][i] * m[2][j];
            double identity = i == j ? 1.0 : 0.0;
            if (fabs(product - identity) > kOrthonormalTolerance) return false;
        }
    }
    return true;
}

void Transpose(const double m[3][3], double out[3][3]) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[i][j] = m[j][i];
    }
}

void Identity(double out[3][3]) {
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[i][j] = i == j ? 1.0 : 0.0;
    }
}

// Returns false, leaving out alone, for a determinant of exactly 0.
bool AdjugateOverDeterminant(const double m[3][3], double out[3][3]) {
    double cofactor[3][3] = {
        {m[1][1] * m[2][2] - m[1][2] * m[2][1], -(m[1][0] * m[2][2] - m[1][2] * m[2][0]),
         m[1][0] * m[2][1] - m[1][1] * m[2][0]},
        {-(m[0][1] * m[2][2] - m[0][2] * m[2][1]), m[0][0] * m[2][2] - m[0][2] * m[2][0],
         -(m[0][0] * m[2][1] - m[0][1] * m[2][0])},
        {m[0][1] * m[1][2] - m[0][2] * m[1][1], -(m[0][0] * m[1][2] - m[0][2] * m[1][0]),
         m[0][0] * m[1][1] - m[0][1] * m[1][0]},
    };
    double determinant = m[0][0] * cofactor[0][0] + m[0][1] * cofactor[0][1] + m[0][2] * cofactor[0][2];
    if (determinant == 0.0) return false;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) out[i][j] = cofactor[j][i] / determinant;
    }
    return true;
}

DPoint3d Multiply(const double m[3][3], const DPoint3d& v) {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

double Length(const DPoint3d& v) {
    return sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// The view box diagonal in design space: the host gives it along the view's own axes.
DPoint3d DesignDiagonal(const HostViewValues& host) {
    double inverse[3][3];
    RotationInverse(host.camera.rotation, inverse);
    return Multiply(inverse, host.box.delta);
}

void SetFlag(ProjectionImageData* record, uint32_t flag, bool on) {
    record->flags = on ? (record->flags | flag) : (record->flags & ~flag);
}

// The engine's image y runs down the screen, the host's up: its second row is the host's negated.
void StoreEngineRotation(ProjectionImageData* record, const double rotation[3][3]) {
    // make_mat3 reads the rows as columns, so column i of the GLM matrix is row i of the host's.
    glm::dmat3 rows = glm::make_mat3(&rotation[0][0]);
    rows[1] = -rows[1];
    glm::mat3 single(rows);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) record->rotation[i][j] = single[i][j];
    }
}

void PerspectiveCamera(ProjectionImageData* record, const HostViewValues& host, const ViewPointSizes& sizes) {
    SetFlag(record, PcvViewStereo, (host.stereoState & 1) != 0);
    SetFlag(record, PcvViewParallel, false);
    DPoint3d eyeToTarget = {host.eye.x - host.target.x, host.eye.y - host.target.y,
                            host.eye.z - host.target.z};
    float scale = static_cast<float>(2.0 * Length(eyeToTarget) / host.box.delta.y);
    record->projectionScale1 = scale;
    record->projectionScale2 = 1.0f;
    record->cameraLensAngle = host.camera.cameraLensAngle;
    record->cameraFocalLength = host.camera.cameraFocalLength;
    record->pointSize = static_cast<float>(sizes.perspective) * sqrtf(scale);
    record->cameraPosition[0] = host.eye.x;
    record->cameraPosition[1] = host.eye.y;
    record->cameraPosition[2] = host.eye.z;
}

// The camera stands behind the view centre along the depth axis, at the length of the box diagonal, so
// the whole box lies in front of it whatever its shape.
void ParallelCamera(ProjectionImageData* record, const HostViewValues& host, const ViewPointSizes& sizes) {
    SetFlag(record, PcvViewParallel, true);
    SetFlag(record, PcvViewStereo, false);
    record->projectionScale1 = 1.0f;
    record->projectionScale2 = static_cast<float>(2.0 / host.box.delta.y);
    record->cameraLensAngle = 0.0f;
    record->cameraFocalLength = 0.0f;
    record->pointSize = static_cast<float>(sizes.parallel);
    DPoint3d diagonal = DesignDiagonal(host);
    double distance = Length(diagonal);
    glm::dvec3 depthAxis(glm::make_vec3(record->rotation[2]));
    const DPoint3d& origin = host.box.origin;
    record->cameraPosition[0] = origin.x + diagonal.x / 2 + distance * depthAxis.x;
    record->cameraPosition[1] = origin.y + diagonal.y / 2 + distance * depthAxis.y;
    record->cameraPosition[2] = origin.z + diagonal.z / 2 + distance * depthAxis.z;
}

} // namespace

void RotationInverse(const double matrix[3][3], double inverse[3][3]) {
    if (IsOrthonormal(matrix)) {
        Transpose(matrix, inverse);
    } else if (!AdjugateOverDeterminant(matrix, inverse)) {
        Identity(inverse);
    }
}

void ViewRecordCamera(ProjectionImageData* record, const HostViewValues& host, const ViewPointSizes& sizes) {
    StoreEngineRotation(record, host.box.rotation);
    record->imageHeight = host.height;
    record->imageWidth = host.width;
    record->heightToWidth = static_cast<float>(host.height) / static_cast<float>(host.width);
    if (host.perspective) {
        PerspectiveCamera(record, host, sizes);
    } else {
        ParallelCamera(record, host, sizes);
    }
    record->stereoShift = 0.0f;
    record->pointSizeAttenuation = 0.0f;
    record->highlightColor = kHighlightColor;
    record->shadingRadius = kShadingRadius;
}

void ViewRecordDepths(ProjectionImageData* record, const HostViewValues& host, ViewNearBound* bound) {
    const double(&rotation)[3][3] = host.box.rotation;
    const DPoint3d& origin = host.box.origin;
    double depth = rotation[2][0] * (record->cameraPosition[0] - origin.x) +
                   rotation[2][1] * (record->cameraPosition[1] - origin.y) +
                   rotation[2][2] * (record->cameraPosition[2] - origin.z);
    float boxFar = static_cast<float>(depth);
    float boxNear = static_cast<float>(depth - host.box.delta.z);
    if (host.perspective) {
        ViewNearBound previous = *bound;
        *bound = {true, boxNear};
        if (previous.known && previous.nearDistance > boxNear) boxNear = previous.nearDistance;
        if (previous.known && previous.nearDistance > boxFar) boxFar = previous.nearDistance;
    } else {
        *bound = {false, 0.0f};
    }
    record->viewBoxNear = boxNear;
    record->viewBoxFar = boxFar;
    record->nearDistance = boxNear;
    record->farDistance = boxFar;
}

size_t ViewRightEyeOffset(const ProjectionImageData& record) {
    constexpr size_t kBytesPerPixel = 4;
    return static_cast<size_t>(record.imageHeight) * static_cast<size_t>(record.imageWidth) * kBytesPerPixel;
}
