#include "view/layer_summary.h"

#include <charconv>
#include <cmath>

#include "common/json_text.h"

namespace padloom::view {

using common::jsonString;

namespace {

std::string severityName(Severity s) {
    return s == Severity::Error ? "error" : s == Severity::Warning ? "warning" : "note";
}

std::string formatName(FileFormat f) {
    return f == FileFormat::Gerber      ? "gerber"
           : f == FileFormat::Excellon  ? "excellon"
           : f == FileFormat::GerberJob ? "gerberjob"
                                        : "unknown";
}

std::string jsonNumber(double v) {
    if (!std::isfinite(v)) {
        return "null";
    }
    // six decimals of an inch are far below any plotter's step
    std::string s = fixed(v, 6);
    while (s.find('.') != s.npos && (s.back() == '0' || s.back() == '.')) {
        bool dot = s.back() == '.';
        s.pop_back();
        if (dot) {
            break;
        }
    }
    return s == "-0" ? "0" : s;
}

std::string plural(long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string inchAndMm(double inches) {
    return fixed(inches, 4) + " in (" + fixed(inches * 25.4, 3) + " mm)";
}

std::string apertureText(const Aperture& a) {
    std::string t = "D" + std::to_string(a.dcode) + " " + a.templateName;
    for (size_t i = 0; i < a.parameters.size(); ++i) {
        t += (i == 0 ? "," : "X") + jsonNumber(a.parameters[i]);
    }
    return t;
}

}  // namespace

std::string fixed(double value, int decimals) {
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        return "?";
    }
    std::string s(buffer, end);
    if (s.starts_with("-") && s.find_first_not_of("-0.") == s.npos) {
        s.erase(0, 1);  // no "-0.000"
    }
    return s;
}

std::string describeLayer(const LayerImage& image) {
    std::string out = image.path + "\n";
    const bool gerber = image.format == FileFormat::Gerber;
    const std::string units = image.units == Units::Inch ? "inch" : "mm";
    if (gerber) {
        out += "  format:     RS274X, " + units + ", " + image.coordinateFormat + ", image " +
               (image.negative ? "negative" : "positive") + "\n";
    } else if (image.format == FileFormat::Excellon) {
        out += "  format:     Excellon drill, " + units + ", " + image.coordinateFormat + "\n";
    } else if (image.format == FileFormat::GerberJob) {
        out += "  format:     Gerber job file, " +
               plural(static_cast<long>(image.jobFiles.size()), "file", "files") + "\n";
        for (const JobFileEntry& f : image.jobFiles) {
            out += "    " + f.path + ": " +
                   (f.fileFunction.empty() ? std::string("no function given") : f.fileFunction) +
                   (f.filePolarity.empty() ? "" : ", polarity " + f.filePolarity) + "\n";
        }
    } else {
        out += "  format:     unknown\n";
    }
    if (!image.fileFunction.empty() || !image.filePolarity.empty()) {
        out += "  function:   " +
               (image.fileFunction.empty() ? std::string("not given") : image.fileFunction) +
               (image.filePolarity.empty() ? "" : ", polarity " + image.filePolarity) + "\n";
    }
    if (image.format == FileFormat::GerberJob) {
        // a list of files draws nothing
    } else if (image.extent.empty()) {
        out += "  extent:     nothing drawn\n";
    } else {
        const Box& b = image.extent;
        out += "  extent:     X " + fixed(b.x0, 4) + " to " + fixed(b.x1, 4) + ", Y " +
               fixed(b.y0, 4) + " to " + fixed(b.y1, 4) + " in\n";
        out += "  size:       " + fixed(b.width(), 4) + " x " + fixed(b.height(), 4) + " in (" +
               fixed(b.width() * 25.4, 3) + " x " + fixed(b.height() * 25.4, 3) + " mm)\n";
    }
    if (gerber) {
        out += "  objects:    " + plural(image.count(ObjectKind::Flash), "flash", "flashes") +
               ", " + plural(image.count(ObjectKind::Line), "line", "lines") + ", " +
               plural(image.count(ObjectKind::Arc), "arc", "arcs") + ", " +
               plural(image.count(ObjectKind::Region), "region", "regions");
        if (long clear = image.clearCount()) {
            out += "; " + std::to_string(clear) + " with clear polarity";
        }
        out += "\n";
        if (!image.layerNames.empty()) {
            out += "  layers:    ";
            for (const auto& name : image.layerNames) {
                out += " " + name;
            }
            out += "\n";
        }
        long defined = static_cast<long>(image.apertures.size());
        long used = 0;
        for (const Aperture& a : image.apertures) {
            used += a.flashes + a.draws > 0;
        }
        out += "  apertures:  " + std::to_string(used) + " used of " + std::to_string(defined) +
               " defined\n";
        for (const Aperture& a : image.apertures) {
            if (a.flashes + a.draws > 0) {
                out += "    " + apertureText(a) + ": " + plural(a.flashes, "flash", "flashes") +
                       ", " + plural(a.draws, "draw", "draws") + "\n";
            }
        }
    } else if (image.format == FileFormat::Excellon) {
        long hits = 0;
        long slotCount = 0;
        for (const DrillTool& t : image.tools) {
            hits += t.hits;
            slotCount += t.slotCount;
        }
        out += "  holes:      " + plural(hits, "hit", "hits");
        if (slotCount > 0) {
            out += ", " + plural(slotCount, "slot", "slots");
        }
        out += " with " + plural(static_cast<long>(image.tools.size()), "tool", "tools") + "\n";
        for (const DrillTool& t : image.tools) {
            out += "    T" +
                   (t.number < 10 ? "0" + std::to_string(t.number) : std::to_string(t.number)) +
                   " " + (t.sized ? inchAndMm(t.diameter) : std::string("no diameter")) + ": " +
                   plural(t.hits, "hit", "hits");
            if (t.slotCount > 0) {
                out += ", " + plural(t.slotCount, "slot", "slots");
            }
            out += "\n";
        }
    }
    if (image.problems.empty()) {
        out += "  problems:   none\n";
    } else {
        out += "  problems:   " + std::to_string(image.problems.size()) + "\n";
        for (const Problem& p : image.problems) {
            out += "    " + image.describe(p) + "\n";
        }
    }
    return out;
}

std::string layersAsJson(const std::vector<LayerImage>& images) {
    std::string out = "{\"files\": [";
    for (size_t f = 0; f < images.size(); ++f) {
        const LayerImage& image = images[f];
        out += f == 0 ? "\n  {" : ",\n  {";
        out += "\"path\": " + jsonString(image.path);
        out += ", \"format\": \"" + formatName(image.format) + "\"";
        // a job file lists files: it has no units and no image of its own
        const bool job = image.format == FileFormat::GerberJob;
        const std::string units = image.units == Units::Inch ? "\"inch\"" : "\"mm\"";
        const std::string polarity = image.negative ? "\"negative\"" : "\"positive\"";
        out += ", \"units\": " + (job ? "null" : units);
        out += ", \"coordinateFormat\": " + jsonString(image.coordinateFormat);
        out += ", \"imagePolarity\": " + (job ? "null" : polarity);
        // the file's own word on what it is, where its attributes give it
        if (!image.fileFunction.empty()) {
            out += ", \"fileFunction\": " + jsonString(image.fileFunction);
        }
        if (!image.filePolarity.empty()) {
            out += ", \"filePolarity\": " + jsonString(image.filePolarity);
        }
        if (image.extent.empty()) {
            out += ", \"extent\": null";
        } else {
            const Box& b = image.extent;
            out += ", \"extent\": {\"x0\": " + jsonNumber(b.x0) + ", \"y0\": " + jsonNumber(b.y0) +
                   ", \"x1\": " + jsonNumber(b.x1) + ", \"y1\": " + jsonNumber(b.y1) +
                   ", \"width\": " + jsonNumber(b.width()) +
                   ", \"height\": " + jsonNumber(b.height()) + ", \"unit\": \"inch\"}";
        }
        out += ", \"objects\": {\"flashes\": " + std::to_string(image.count(ObjectKind::Flash)) +
               ", \"lines\": " + std::to_string(image.count(ObjectKind::Line)) +
               ", \"arcs\": " + std::to_string(image.count(ObjectKind::Arc)) +
               ", \"regions\": " + std::to_string(image.count(ObjectKind::Region)) +
               ", \"clear\": " + std::to_string(image.clearCount()) + "}";
        out += ", \"layers\": [";
        for (size_t i = 0; i < image.layerNames.size(); ++i) {
            out += (i ? ", " : "") + jsonString(image.layerNames[i]);
        }
        out += "], \"apertures\": [";
        bool first = true;
        if (image.format == FileFormat::Gerber) {
            for (const Aperture& a : image.apertures) {
                out += first ? "" : ", ";
                first = false;
                out += "{\"dcode\": " + std::to_string(a.dcode) +
                       ", \"template\": " + jsonString(a.templateName) + ", \"parameters\": [";
                for (size_t i = 0; i < a.parameters.size(); ++i) {
                    out += (i ? ", " : "") + jsonNumber(a.parameters[i]);
                }
                out += "], \"flashes\": " + std::to_string(a.flashes) +
                       ", \"draws\": " + std::to_string(a.draws) + "}";
            }
        }
        out += "], \"tools\": [";
        for (size_t i = 0; i < image.tools.size(); ++i) {
            const DrillTool& t = image.tools[i];
            out += (i ? ", " : "") + std::string("{\"number\": ") + std::to_string(t.number) +
                   ", \"diameter\": " + (t.sized ? jsonNumber(t.diameter) : "null") +
                   ", \"hits\": " + std::to_string(t.hits) +
                   ", \"slots\": " + std::to_string(t.slotCount) + "}";
        }
        out += "], \"jobFiles\": [";
        for (size_t i = 0; i < image.jobFiles.size(); ++i) {
            const JobFileEntry& f = image.jobFiles[i];
            out += (i ? ", " : "") + std::string("{\"path\": ") + jsonString(f.path) +
                   ", \"fileFunction\": " + jsonString(f.fileFunction) +
                   ", \"filePolarity\": " + jsonString(f.filePolarity) + "}";
        }
        out += "], \"problems\": [";
        for (size_t i = 0; i < image.problems.size(); ++i) {
            const Problem& p = image.problems[i];
            out += (i ? ", " : "") + std::string("{\"severity\": \"") + severityName(p.severity) +
                   "\", \"line\": " + std::to_string(p.line) +
                   ", \"message\": " + jsonString(p.message) + "}";
        }
        out += "]}";
    }
    return out + "\n]}\n";
}

}  // namespace padloom::view
