// The engine's view record worked out from host view values: the inverse of the view rotation, the
// parallel and the perspective camera, the clip distances with their per-view near bound, and where
// the right eye's image lies. Expected values come from the view geometry (the camera stands at the
// box diagonal's length behind the centre, a box's depth extent is dz), not from the plug-in's formulas.
#include "view_record_math.h"

#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

namespace {

using Matrix = double[3][3];

const double kPi = 3.14159265358979323846;

void Copy(const Matrix from, Matrix to) {
    memcpy(to, from, sizeof(Matrix));
}

// Rows of a rotation about z by degrees, then about x by degrees: a view seen at an angle.
void Rotation(double aboutZ, double aboutX, Matrix out) {
    double cz = cos(aboutZ * kPi / 180), sz = sin(aboutZ * kPi / 180);
    double cx = cos(aboutX * kPi / 180), sx = sin(aboutX * kPi / 180);
    Matrix z = {{cz, sz, 0}, {-sz, cz, 0}, {0, 0, 1}};
    Matrix x = {{1, 0, 0}, {0, cx, sx}, {0, -sx, cx}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = x[i][0] * z[0][j] + x[i][1] * z[1][j] + x[i][2] * z[2][j];
}

DPoint3d Times(const Matrix m, const DPoint3d& v) {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

double Norm(const DPoint3d& v) {
    return sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// ---- The inverse -----------------------------------------------------------------------------------

TEST(RotationInverse, TransposeForOrthonormalAdjugateOtherwiseIdentityWhenSingular) {
    Matrix turned;
    Rotation(30, -60, turned);
    Matrix nearlyTurned; // within the 1e-10 tolerance: still taken as a rotation
    Copy(turned, nearlyTurned);
    nearlyTurned[0][0] += 2e-11;
    Matrix offTurned; // beyond it: inverted exactly
    Copy(turned, offTurned);
    offTurned[0][0] += 1e-7;
    Matrix scaled;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) scaled[i][j] = 2.5 * turned[i][j];
    Matrix sheared = {{1, 0.5, 0}, {0, 1, 0.25}, {0.125, 0, 2}};

    struct Case {
        const char* name;
        const double (*matrix)[3];
        bool transpose;
    } cases[] = {
        {"rotation", turned, true},
        {"rotation within tolerance", nearlyTurned, true},
        {"rotation beyond tolerance", offTurned, false},
        {"scaled rotation", scaled, false},
        {"shear", sheared, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix inverse;
        RotationInverse(c.matrix, inverse);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                if (c.transpose) {
                    EXPECT_EQ(inverse[i][j], c.matrix[j][i]) << i << "," << j;
                } else {
                    double product = 0;
                    for (int k = 0; k < 3; ++k) product += c.matrix[i][k] * inverse[k][j];
                    EXPECT_NEAR(product, i == j ? 1.0 : 0.0, 1e-13) << i << "," << j;
                }
            }
        }
    }
    // Beyond the tolerance the transpose would be off by about the disturbance.
    Matrix inverse;
    RotationInverse(offTurned, inverse);
    EXPECT_GT(fabs(inverse[0][0] - offTurned[0][0]), 1e-8);

    Matrix singular[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}},
        {{1, 2, 3}, {1, 2, 3}, {0, 1, 0}},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Matrix& m : singular) {
        RotationInverse(m, inverse);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_EQ(inverse[i][j], i == j ? 1.0 : 0.0);
    }
}

// ---- Host views --------------------------------------------------------------------------------------

// A view box about the point (600, 800, 100) seen through rotation; the camera's rotation (the one
// the delta is taken back into design space with) is the box's unless the test changes it.
HostViewValues ViewAt(const Matrix rotation, DPoint3d delta) {
    HostViewValues host{};
    Copy(rotation, host.box.rotation);
    Copy(rotation, host.camera.rotation);
    host.box.delta = delta;
    host.width = 640;
    host.height = 480;
    return host;
}

// Places the box so that its centre is centre, given the box's diagonal in design space.
void CentreAt(HostViewValues* host, DPoint3d centre, DPoint3d designDiagonal) {
    host->box.origin = {centre.x - designDiagonal.x / 2, centre.y - designDiagonal.y / 2,
                        centre.z - designDiagonal.z / 2};
}

void ExpectRotationField(const ProjectionImageData& record, const Matrix rotation) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(record.rotation[i][j], static_cast<float>(i == 1 ? -rotation[i][j] : rotation[i][j]))
                << "rotation " << i << "," << j;
}

void ExpectFixedFields(const ProjectionImageData& record) {
    EXPECT_EQ(record.stereoShift, 0.0f);
    EXPECT_EQ(record.pointSizeAttenuation, 0.0f);
    EXPECT_EQ(record.highlightColor, 0xFFFF00u);
    EXPECT_EQ(record.shadingRadius, 5);
    EXPECT_EQ(record.imageWidth, 640);
    EXPECT_EQ(record.imageHeight, 480);
    EXPECT_EQ(record.heightToWidth, 0.75f);
}

const ViewPointSizes kSizes = {2500, 1700};

TEST(ViewRecord, ParallelViewCameraStandsBehindTheCentreAtTheDiagonalsLength) {
    Matrix turned, scaled;
    Rotation(30, -60, turned);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) scaled[i][j] = 4 * turned[i][j];
    Matrix singular = {{1, 0, 0}, {0, 1, 0}, {0, 0, 0}};
    const DPoint3d centre = {600, 800, 100};
    const DPoint3d delta = {60, 90, 180}; // 210 long

    struct Case {
        const char* name;
        const double (*boxRotation)[3];
        const double (*cameraRotation)[3];
        DPoint3d designDiagonal; // what the host's box spans in design space
    } cases[] = {
        // A rotation's inverse is its transpose: the diagonal has the delta's length.
        {"orthonormal", turned, turned, {}},
        // Four times the rotation takes a quarter of the delta back into design space.
        {"scaled", scaled, scaled, {}},
        // Nothing to invert: the delta is taken as it stands.
        {"singular camera rotation", turned, singular, delta},
    };
    Matrix transpose;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) transpose[i][j] = turned[j][i];
    DPoint3d backInDesign = Times(transpose, delta);
    cases[0].designDiagonal = backInDesign;
    cases[1].designDiagonal = {backInDesign.x / 4, backInDesign.y / 4, backInDesign.z / 4};

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostViewValues host = ViewAt(c.boxRotation, delta);
        Copy(c.cameraRotation, host.camera.rotation);
        CentreAt(&host, centre, c.designDiagonal);
        host.stereoState = 1; // the host's switch means nothing to a parallel view
        host.camera.cameraLensAngle = 0.9f;
        host.camera.cameraFocalLength = 300.0f;
        ProjectionImageData record{};
        record.flags = PcvViewStereo | 0x40;
        ViewNearBound bound = {true, 1e9f};
        ViewRecordCamera(&record, host, kSizes);
        ViewRecordDepths(&record, host, &bound);

        EXPECT_EQ(record.flags, PcvViewParallel | 0x40u);
        EXPECT_EQ(record.projectionScale1, 1.0f);
        EXPECT_EQ(record.projectionScale2, static_cast<float>(2.0 / 90));
        EXPECT_EQ(record.pointSize, 1700.0f);
        EXPECT_EQ(record.cameraLensAngle, 0.0f);
        EXPECT_EQ(record.cameraFocalLength, 0.0f);
        ExpectRotationField(record, c.boxRotation);
        ExpectFixedFields(record);

        // Behind the centre along the view's depth axis (the box rotation's third row, as the host
        // gives it), as far as the diagonal is long.
        double distance = Norm(c.designDiagonal);
        DPoint3d axis = {c.boxRotation[2][0], c.boxRotation[2][1], c.boxRotation[2][2]};
        EXPECT_NEAR(record.cameraPosition[0], centre.x + distance * axis.x, 1e-4);
        EXPECT_NEAR(record.cameraPosition[1], centre.y + distance * axis.y, 1e-4);
        EXPECT_NEAR(record.cameraPosition[2], centre.z + distance * axis.z, 1e-4);

        // The depth of the camera over the back of the box, measured along that axis.
        DPoint3d back = host.box.origin;
        DPoint3d toCamera = {record.cameraPosition[0] - back.x, record.cameraPosition[1] - back.y,
                             record.cameraPosition[2] - back.z};
        double depth = axis.x * toCamera.x + axis.y * toCamera.y + axis.z * toCamera.z;
        EXPECT_EQ(record.viewBoxFar, static_cast<float>(depth));
        EXPECT_EQ(record.viewBoxNear, static_cast<float>(depth - 180));
        EXPECT_EQ(record.farDistance, record.viewBoxFar);
        EXPECT_EQ(record.nearDistance, record.viewBoxNear);
        EXPECT_FALSE(bound.known) << "a parallel view forgets its perspective near bound";
    }
    // The orthonormal case in closed form: the camera is |delta| in front of the centre, the centre
    // dz / 2 in front of the back, so the box runs from |delta| - dz / 2 to |delta| + dz / 2.
    HostViewValues host = ViewAt(turned, delta);
    CentreAt(&host, centre, cases[0].designDiagonal);
    ProjectionImageData record{};
    ViewNearBound bound{};
    ViewRecordCamera(&record, host, kSizes);
    ViewRecordDepths(&record, host, &bound);
    EXPECT_NEAR(record.viewBoxFar, 210 + 90, 1e-4);
    EXPECT_NEAR(record.viewBoxNear, 210 - 90, 1e-4);
}

TEST(ViewRecord, PerspectiveViewLooksFromTheEyeWithTheHostsStereoSwitch) {
    Matrix turned, scaled;
    Rotation(-45, 20, turned);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) scaled[i][j] = 0.5 * turned[i][j];
    Matrix singular = {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const DPoint3d delta = {80, 60, 500};
    const DPoint3d target = {600, 800, 100};

    struct Case {
        const char* name;
        const double (*boxRotation)[3];
        const double (*cameraRotation)[3];
        int stereoState;
        uint32_t flags;
    } cases[] = {
        {"orthonormal, stereo on", turned, turned, 1, PcvViewStereo},
        {"orthonormal, stereo off", turned, turned, 0, 0},
        {"only bit 0 is the switch", turned, turned, 2, 0},
        {"scaled, stereo with further bits", scaled, scaled, 3, PcvViewStereo},
        {"singular camera rotation", turned, singular, 1, PcvViewStereo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HostViewValues host = ViewAt(c.boxRotation, delta);
        Copy(c.cameraRotation, host.camera.rotation);
        host.perspective = true;
        host.stereoState = c.stereoState;
        host.target = target;
        // The eye 250 units in front of the target along the depth axis; the box's back lies 400
        // behind the target, its front 100 before the eye.
        DPoint3d axis = {c.boxRotation[2][0], c.boxRotation[2][1], c.boxRotation[2][2]};
        double axisLength = Norm(axis);
        DPoint3d unit = {axis.x / axisLength, axis.y / axisLength, axis.z / axisLength};
        host.eye = {target.x + 250 * unit.x, target.y + 250 * unit.y, target.z + 250 * unit.z};
        host.box.origin = {target.x - 400 * unit.x, target.y - 400 * unit.y, target.z - 400 * unit.z};
        host.camera.cameraLensAngle = 0.87266f;
        host.camera.cameraFocalLength = 250.0f;
        ProjectionImageData record{};
        record.flags = PcvViewParallel | 0x40;
        ViewNearBound bound{};
        ViewRecordCamera(&record, host, kSizes);
        ViewRecordDepths(&record, host, &bound);

        EXPECT_EQ(record.flags, c.flags | 0x40u);
        // The view is 60 high at the target, 250 from the eye: a scale of 2 x 250 / 60.
        EXPECT_NEAR(record.projectionScale1, 500.0 / 60, 1e-5);
        EXPECT_EQ(record.projectionScale2, 1.0f);
        EXPECT_NEAR(record.pointSize, 2500 * sqrt(500.0 / 60), 1e-2);
        EXPECT_EQ(record.cameraLensAngle, 0.87266f);
        EXPECT_EQ(record.cameraFocalLength, 250.0f);
        EXPECT_EQ(record.cameraPosition[0], host.eye.x);
        EXPECT_EQ(record.cameraPosition[1], host.eye.y);
        EXPECT_EQ(record.cameraPosition[2], host.eye.z);
        ExpectRotationField(record, c.boxRotation);
        ExpectFixedFields(record);
        // 650 from the eye to the back along the unit axis, measured with the host's (possibly scaled)
        // rotation row.
        EXPECT_NEAR(record.viewBoxFar, 650 * axisLength, 1e-3);
        EXPECT_NEAR(record.viewBoxNear, 650 * axisLength - 500, 1e-3);
        EXPECT_EQ(record.nearDistance, record.viewBoxNear);
        EXPECT_EQ(record.farDistance, record.viewBoxFar);
        EXPECT_TRUE(bound.known);
    }
}

// The near bound of a perspective view comes from that view's previous draw only: a box that widens
// for one draw keeps the near plane where it was once, and the plane follows the next draw; a parallel
// draw of the view forgets the bound.
TEST(ViewRecord, PerspectiveNearBoundIsThePreviousDrawOfTheSameView) {
    Matrix top = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    HostViewValues host = ViewAt(top, {100, 100, 0});
    host.target = {0, 0, 0};
    host.box.origin = {-50, -50, -1000}; // the back of the box: 1000 + eye z from the eye

    struct Step {
        bool perspective;
        double eyeZ;
        double dz;          // the box's depth: its front lies dz before the back
        float nearExpected; // the near and far distances the record gets
        float farExpected;
        bool ownBound; // drawn with the bound of another view
    } steps[] = {
        {true, 50, 1000, 50, 1050, false},    // first draw: no bound
        {true, 50, 1040, 50, 1050, false},    // the front came nearer: held where it was for one draw
        {true, 50, 1040, 10, 1050, false},    // then followed, never ratcheting
        {true, 50, 1045, 5, 1050, true},      // another view is not bound by this one
        {true, 50, 0, 1050, 1050, false},     // a front further away moves at once
        {true, -250, 700, 1050, 1050, false}, // the bound lifts the far distance too
        {false, 50, 1040, 0, 0, false},       // a parallel draw of the view
        {true, 50, 1040, 10, 1050, false},    // afterwards: no bound
    };
    ViewNearBound bound{}, other{};
    int number = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(number++);
        host.perspective = s.perspective;
        host.eye = {0, 0, s.eyeZ};
        host.box.delta.z = s.dz;
        ProjectionImageData record{};
        ViewRecordCamera(&record, host, kSizes);
        ViewRecordDepths(&record, host, s.ownBound ? &other : &bound);
        if (!s.perspective) {
            EXPECT_FALSE(bound.known);
            continue;
        }
        EXPECT_FLOAT_EQ(record.nearDistance, s.nearExpected);
        EXPECT_FLOAT_EQ(record.farDistance, s.farExpected);
        EXPECT_EQ(record.viewBoxNear, record.nearDistance);
        EXPECT_EQ(record.viewBoxFar, record.farDistance);
    }
}

TEST(ViewRecord, RightEyeFollowsTheLeftEyesPixels) {
    struct Case {
        int32_t width, height;
        size_t offset;
    } cases[] = {{3960, 2160, 34214400}, {1, 1, 4}, {640, 480, 1228800}, {32767, 32767, 4294705156ull}};
    for (const Case& c : cases) {
        ProjectionImageData record{};
        record.imageWidth = c.width;
        record.imageHeight = c.height;
        EXPECT_EQ(ViewRightEyeOffset(record), c.offset) << c.width << "x" << c.height;
    }
}

} // namespace
