// The geometry of one view: what part of the design it shows, how, and how pixels map to design points.
//
// Coordinates are working units of the design. The rows of rotation are the view's x (right), y (up)
// and z (towards the viewer) axes in design coordinates, so a design vector v has view coordinates
// rotation x v. A parallel view shows the box whose lower-left back corner is origin and whose extents
// along the view axes are delta. A camera view looks from eye at target with a full vertical lens angle;
// its box has the extents of the target plane in x and y and runs from frontDistance to backDistance in
// front of the eye; origin and delta describe that box in the same way.
//
// Pixel (px, py) covers [px, px + 1) x [py, py + 1) of a view image of width x height pixels, rows from
// the top; a pixel's design point is the one at its centre.
#pragma once

struct Vec3 {
    double x, y, z;
};

struct Mat3 {
    double m[3][3];
};

Vec3 Add(Vec3 a, Vec3 b);
Vec3 Sub(Vec3 a, Vec3 b);
Vec3 Scale(Vec3 a, double s);
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
double Length(Vec3 a);
Vec3 Normalized(Vec3 a);
Mat3 Identity3();
Vec3 Row(const Mat3& r, int i);
// rotation x v and its transpose x v.
Vec3 ToView(const Mat3& r, Vec3 v);
Vec3 FromView(const Mat3& r, Vec3 v);

enum ViewOrientation { kViewTop = 0, kViewFront = 1, kViewRight = 2, kViewIso = 3 };
Mat3 StandardRotation(ViewOrientation orientation);
// The rotation of a camera at eye looking at target, design z up (design y when looking straight down).
Mat3 LookRotation(Vec3 eye, Vec3 target);

// Lens angle given to camera views that do not have one yet: 50 degrees.
constexpr double kDefaultLensAngle = 0.87266462599716477;

struct ViewGeometry {
    Mat3 rotation;
    bool camera;
    Vec3 origin; // parallel views: the box; camera views: derived by GeometryRefresh
    Vec3 delta;
    Vec3 eye, target; // camera views
    double lensAngle; // camera views, radians
    double frontDistance, backDistance;
};

// Camera views: the eye-to-target distance, and the extents of the target plane for an image size.
double GeometryFocal(const ViewGeometry& g);
void TargetPlaneExtents(const ViewGeometry& g, int width, int height, double* dx, double* dy);

// Recomputes what derives from the rest for an image size: a camera view's box, a parallel view's
// x extent (kept to the image's aspect about the centre).
void GeometryRefresh(ViewGeometry& g, int width, int height);
// The centre of the view box.
Vec3 GeometryCentre(const ViewGeometry& g);

// A parallel view of the given orientation showing the design range lo..hi.
ViewGeometry ParallelGeometry(ViewOrientation orientation, Vec3 lo, Vec3 hi, int width, int height);
// Shows the design range lo..hi whole, keeping the view's orientation and projection.
void GeometryFit(ViewGeometry& g, Vec3 lo, Vec3 hi, int width, int height);
// Turns the view to a new rotation about its centre (camera views: about the target).
void GeometrySetRotation(ViewGeometry& g, const Mat3& rotation, int width, int height);
// Makes it a camera view from eye towards target (the lens angle stays, or gets the default).
void GeometrySetCamera(ViewGeometry& g, Vec3 eye, Vec3 target, int width, int height);
// Switches between camera and parallel projection, keeping what the view centres on.
void GeometryToCamera(ViewGeometry& g, int width, int height);
void GeometryToParallel(ViewGeometry& g, int width, int height);

// The design point of a pixel: on the plane through the middle of a parallel view's box, or on the
// target plane of a camera view.
Vec3 GeometryPixelToDesign(const ViewGeometry& g, int width, int height, double px, double py);
// The pixel position of a design point; false when a camera view cannot see it (behind the eye).
bool GeometryDesignToPixel(const ViewGeometry& g, int width, int height, Vec3 point, double* px, double* py);

// Navigation. Zoom by factor (below 1 comes closer) keeping the design point under pixel (px, py) in
// place; pan so that the contents follow a mouse movement of (dx, dy) pixels; rotate about the centre
// (camera views: the target) as a mouse drag of (dx, dy) pixels would: dx turns about design z, dy tilts
// about the view's x axis, kRotateDegreesPerPixel each pixel.
constexpr double kRotateDegreesPerPixel = 0.5;
void GeometryZoom(ViewGeometry& g, int width, int height, double px, double py, double factor);
void GeometryPan(ViewGeometry& g, int width, int height, double dx, double dy);
void GeometryRotate(ViewGeometry& g, int width, int height, double dx, double dy);
