#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "view/file_kind.h"

namespace padloom::view {

/// A point in inches, y up.
struct Point {
    double x = 0;
    double y = 0;
};

/// An axis-parallel box in inches; empty until a point is added.
struct Box {
    double x0 = std::numeric_limits<double>::infinity();
    double y0 = std::numeric_limits<double>::infinity();
    double x1 = -std::numeric_limits<double>::infinity();
    double y1 = -std::numeric_limits<double>::infinity();

    bool empty() const { return x0 > x1 || y0 > y1; }
    double width() const { return empty() ? 0 : x1 - x0; }
    double height() const { return empty() ? 0 : y1 - y0; }
    void add(double x, double y);
    void add(const Point& p) { add(p.x, p.y); }
    void add(const Box& b);
    /// The box grown by `d` on every side (d may be 0); an empty box stays empty.
    Box grown(double d) const;
    Box moved(const Point& by) const;
};

/// Part of a circle: its centre and radius, the start angle and the signed sweep in degrees
/// (counter-clockwise positive). A full circle sweeps 360 or -360.
struct ArcGeometry {
    Point centre;
    double radius = 0;
    double startDegrees = 0;
    double sweepDegrees = 0;

    Point pointAt(double degrees) const;
    Point start() const { return pointAt(startDegrees); }
    Point end() const { return pointAt(startDegrees + sweepDegrees); }
    /// Smallest box holding the arc line (without any pen width).
    Box extent() const;
};

/// One closed outline of an aperture shape: a circle or a polygon.
struct Outline {
    bool circle = false;
    Point centre;               // circle
    double diameter = 0;        // circle
    std::vector<Point> points;  // polygon corners in order; closed implicitly
};

/// One piece of an aperture: the union of `add` less the union of `cut`. A dark piece adds its
/// area to the aperture, a clear one erases it from the pieces before it (never from the image
/// underneath).
struct AperturePiece {
    bool dark = true;
    std::vector<Outline> add;
    std::vector<Outline> cut;
};

/// A defined aperture: its D-code, its template ("C", "R", "O", "P" or a macro name) with the
/// parameters as written, and its shape relative to the flash point.
struct Aperture {
    int dcode = 0;
    std::string templateName;
    std::vector<double> parameters;  // in the file's units, as written
    std::vector<AperturePiece> pieces;
    Box extent;  // of the shape, relative to the flash point
    /// A draw with this aperture: a round pen of `penDiameter`, or for a rectangle the
    /// rectangle swept along the line. Other shapes draw as a round pen of their width.
    bool rectangular = false;
    bool circular = false;
    double width = 0;
    double height = 0;
    double penDiameter = 0;
    /// A plain circle without hole: renderers may draw it as an ellipse.
    bool plainCircle = false;
    long flashes = 0;
    long draws = 0;
    int line = 0;  // line of its definition
};

/// One segment of a region contour, from the end of the segment before it.
struct ContourSegment {
    Point to;
    bool arc = false;
    ArcGeometry arcGeometry;  // when `arc`
};

/// A closed contour of a region: its start point and its segments in order.
struct Contour {
    Point start;
    std::vector<ContourSegment> segments;
};

enum class ObjectKind { Flash, Line, Arc, Region };

/// One graphics object of a layer, in drawing order.
struct GraphicObject {
    ObjectKind kind = ObjectKind::Flash;
    bool clear = false;       // drawn with clear polarity: erases what was drawn before it
    int aperture = -1;        // index into LayerImage::apertures (flash, line, arc)
    Point from;               // line start; flash position
    Point to;                 // line end
    ArcGeometry arc;          // arc
    size_t firstContour = 0;  // region: its contours in LayerImage::contours
    size_t contourCount = 0;
};

enum class FileFormat { Unknown, Gerber, Excellon, GerberJob };
enum class Units { Inch, Millimetre };
enum class Severity { Note, Warning, Error };

/// A problem met while reading a file: where and what. Reading goes on after it.
struct Problem {
    Severity severity = Severity::Warning;
    long line = 0;  // 1-based; 0 when the problem concerns the whole file
    std::string message;
};

/// A drill tool of an Excellon file: its number, diameter (inches) and the hits drilled with it.
struct DrillTool {
    int number = 0;
    double diameter = 0;
    long hits = 0;
    long slotCount = 0;
    bool sized = true;  // false when the file gave no diameter for it
    int aperture = -1;  // the round aperture its hits are drawn with
};

/// A file attribute as the file gives it: its name (".FileFunction") and its fields.
struct FileAttribute {
    std::string name;
    std::vector<std::string> fields;
    long line = 0;
};

/// Everything read from one Gerber or Excellon file, in inches, ready to draw.
struct LayerImage {
    std::string path;
    FileFormat format = FileFormat::Unknown;
    Units units = Units::Inch;
    std::string coordinateFormat;         // e.g. "2.3, leading zeros omitted, absolute"
    bool negative = false;                // image polarity negative (%IPNEG)
    std::vector<std::string> layerNames;  // %LN names in order
    /// The file attributes (%TF, or "; #@! TF" comments of a drill file) in file order, and
    /// the function and polarity they give ("Copper,L1,Top", "Positive"); "" when not given.
    std::vector<FileAttribute> fileAttributes;
    std::string fileFunction;
    std::string filePolarity;
    std::vector<Aperture> apertures;  // as defined, in order
    std::vector<GraphicObject> objects;
    std::vector<Contour> contours;
    std::vector<DrillTool> tools;  // Excellon
    std::vector<JobFileEntry> jobFiles;  // a Gerber job file's set, as it lists it
    JobHeader jobHeader;                 // and when it was made, for which project
    std::vector<Problem> problems;
    Box extent;  // of every object, with aperture sizes
    long lineCount = 0;

    long count(ObjectKind kind) const;
    long clearCount() const;
    bool hasErrors() const;
    /// "path:line: message", for printing.
    std::string describe(const Problem& p) const;
};

/// Reads a Gerber (RS274X, with the common RS274D habits) or Excellon drill file, telling them
/// apart by content, or the list of a Gerber job file. Problems are collected in the image; a
/// file that cannot be opened throws common::IoError, one that is none of these (a board, a
/// BOM, binary data) common::FormatError saying "not a Gerber or drill file" and why.
LayerImage readLayerFile(const std::string& path);

/// The same from bytes already in memory; `path` names them in problems.
LayerImage readLayerBytes(const std::string& path, const std::string& bytes);

/// The files of a Gerber job file's set as paths beside the job file, in its order.
std::vector<std::string> jobSetPaths(const LayerImage& job);

}  // namespace padloom::view
