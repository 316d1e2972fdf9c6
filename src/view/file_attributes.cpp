#include "view/file_attributes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "plot/plot_layers.h"

namespace padloom::view {

namespace {

std::vector<std::string> splitFields(std::string_view text) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        fields.emplace_back(text.substr(start, comma == text.npos ? text.npos : comma - start));
        if (comma == text.npos) {
            return fields;
        }
        start = comma + 1;
    }
}

bool oneOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool isDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

bool isHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

int number(std::string_view digits) {
    int n = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), n);
    return n;
}

// Hex digits, perhaps in groups joined by "-" ("8-4-4-4-12" for a UUID).
bool isGuidLike(std::string_view text) {
    return !text.empty() && text.front() != '-' && text.back() != '-' &&
           std::all_of(text.begin(), text.end(), [](char c) {
               return c == '-' || std::isxdigit(static_cast<unsigned char>(c));
           });
}

// "2026-12-08T07:30:00", then perhaps a fraction of a second, then "Z" or "+01:00".
bool isIsoDateTime(std::string_view t) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd";
    if (t.size() < kShape.size()) {
        return false;
    }
    for (size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(t[i]))
                             : t[i] != kShape[i]) {
            return false;
        }
    }
    t.remove_prefix(kShape.size());
    if (!t.empty() && t.front() == '.') {
        t.remove_prefix(1);
        const size_t digits = t.find_first_not_of("0123456789");
        if (digits == 0) {
            return false;
        }
        t.remove_prefix(digits == t.npos ? t.size() : digits);
    }
    if (t == "Z" || t.empty()) {
        return true;
    }
    return t.size() == 6 && (t[0] == '+' || t[0] == '-') && isDigits(t.substr(1, 2)) &&
           t[3] == ':' && isDigits(t.substr(4, 2));
}

// What is wrong with a file function's fields, or "" when nothing is.
std::string fileFunctionFault(const std::vector<std::string>& f) {
    const std::string& type = f[0];
    const size_t n = f.size();
    auto side = [&](size_t i) { return i < n && (f[i] == "Top" || f[i] == "Bot"); };
    if (type == "Copper") {
        if (n < 3 || f[1].size() < 2 || f[1][0] != 'L' || !isDigits(f[1].substr(1)) ||
            number(f[1].substr(1)) < 1 || !oneOf(f[2], {"Top", "Inr", "Bot"})) {
            return "a copper layer needs its number and side (\"Copper,L1,Top\")";
        }
        if (n > 3 && !oneOf(f[3], {"Plane", "Signal", "Mixed", "Hatched"})) {
            return "unknown copper layer type \"" + f[3] + "\"";
        }
        return "";
    }
    if (type == "Component") {
        return n >= 3 && f[1].size() >= 2 && f[1][0] == 'L' && side(2)
                   ? ""
                   : "a component layer needs its copper layer and side (\"Component,L1,Top\")";
    }
    if (oneOf(type, {"Soldermask", "Legend", "Paste", "Glue", "Carbonmask", "Goldmask",
                     "Heatsinkmask", "Peelablemask", "Silvermask", "Tinmask"})) {
        return side(1) ? "" : type + " needs its side, Top or Bot";
    }
    if (type == "Plated" || type == "NonPlated") {
        if (n < 4 || !isDigits(f[1]) || !isDigits(f[2]) || number(f[1]) > number(f[2]) ||
            number(f[1]) < 1 ||
            !oneOf(f[3],
                   type == "Plated"
                       ? std::initializer_list<std::string_view>{"PTH", "Blind", "Buried"}
                       : std::initializer_list<std::string_view>{"NPTH", "Blind", "Buried"})) {
            return "drill data needs the layers it spans and its kind (\"" + type + ",1,2," +
                   (type == "Plated" ? "PTH" : "NPTH") + "\")";
        }
        return "";
    }
    if (type == "MixedPlating") {
        return n >= 3 && isDigits(f[1]) && isDigits(f[2]) && number(f[1]) >= 1 &&
                       number(f[1]) <= number(f[2])
                   ? ""
                   : "drill data needs the layers it spans (\"MixedPlating,1,2\")";
    }
    if (type == "Profile") {
        return n >= 2 && (f[1] == "P" || f[1] == "NP") ? "" : "a profile is P or NP";
    }
    if (type == "Other") {
        return n >= 2 && !f[1].empty() ? "" : "\"Other\" needs a description";
    }
    if (oneOf(type, {"Drillmap", "FabricationDrawing", "Vcutmap", "AssemblyDrawing", "ArrayDrawing",
                     "OtherDrawing", "Depthrout", "Vcut", "Viafill", "Pads"})) {
        return "";
    }
    return "unknown file function \"" + type + "\"";
}

}  // namespace

void readFileAttribute(LayerImage& image, ProblemList& problems, std::string_view text, long line) {
    std::vector<std::string> fields = splitFields(text);
    FileAttribute attribute{fields.front(), {fields.begin() + 1, fields.end()}, line};
    const std::string& name = attribute.name;
    auto bad = [&](const std::string& why) {
        problems.add(Severity::Warning, line,
                     "malformed file attribute \"" + clipped(text) + "\": " + why);
    };
    const std::vector<std::string>& v = attribute.fields;
    if (name.empty()) {
        bad("it has no name");
        return;
    }
    if (name == ".FileFunction") {
        if (v.empty() || v[0].empty()) {
            bad("no function given");
        } else if (std::string fault = fileFunctionFault(v); !fault.empty()) {
            bad(fault);
        } else if (!image.fileFunction.empty()) {
            bad("the file's function was given before (\"" + image.fileFunction + "\")");
        } else {
            image.fileFunction = std::string(text.substr(name.size() + 1));
        }
    } else if (name == ".FilePolarity") {
        if (v.size() != 1 || (v[0] != "Positive" && v[0] != "Negative")) {
            bad("the polarity is Positive or Negative");
        } else {
            image.filePolarity = v[0];
        }
    } else if (name == ".CreationDate") {
        if (v.size() != 1 || !isIsoDateTime(v[0])) {
            bad("not an ISO 8601 date and time (\"2026-12-08T07:30:00+00:00\")");
        }
    } else if (name == ".ProjectId") {
        // the GUID should be a UUID; some programs write other hex digits, which are taken
        if (v.size() != 3 || !isGuidLike(v[1])) {
            bad("it needs a name, a GUID (\"8-4-4-4-12\" hex digits) and a revision");
        }
    } else if (name == ".GenerationSoftware") {
        if (v.size() < 2 || v.size() > 3) {
            bad("it needs a vendor, an application and perhaps a version");
        }
    } else if (name == ".SameCoordinates") {
        if (v.size() > 1) {
            bad("it takes at most one identifier");
        }
    } else if (name == ".MD5") {
        if (v.size() != 1 || v[0].size() != 32 || !isHex(v[0])) {
            bad("an MD5 sum is 32 hex digits");
        }
    } else if (name == ".Part") {
        if (v.empty() || !oneOf(v[0], {"Single", "Array", "FabricationPanel", "Coupon", "Other"})) {
            bad("unknown part \"" + (v.empty() ? std::string() : v[0]) + "\"");
        }
    } else if (name.front() == '.') {
        bad("no such standard attribute");  // user attributes have names without the "."
    }
    image.fileAttributes.push_back(std::move(attribute));
}

void checkApertureAttribute(ProblemList& problems, std::string_view text, long line) {
    std::vector<std::string> f = splitFields(text);
    if (f[0] != ".AperFunction") {
        return;
    }
    const bool known = f.size() >= 2 && oneOf(f[1], {"Plated",           "NonPlated",
                                                     "ViaDrill",         "BackDrill",
                                                     "ComponentDrill",   "MechanicalDrill",
                                                     "CastellatedDrill", "OtherDrill",
                                                     "ComponentPad",     "SMDPad",
                                                     "BGAPad",           "ConnectorPad",
                                                     "HeatsinkPad",      "ViaPad",
                                                     "TestPad",          "CastellatedPad",
                                                     "FiducialPad",      "ThermalReliefPad",
                                                     "WasherPad",        "AntiPad",
                                                     "OtherPad",         "Conductor",
                                                     "EtchedComponent",  "NonConductor",
                                                     "CopperBalancing",  "Border",
                                                     "OtherCopper",      "ComponentMain",
                                                     "ComponentOutline", "ComponentPin",
                                                     "Profile",          "NonMaterial",
                                                     "Material",         "Other"});
    if (!known) {
        problems.add(Severity::Warning, line,
                     "malformed aperture attribute \"" + clipped(text) + "\": unknown function");
    } else if ((f[1] == "SMDPad" || f[1] == "BGAPad") &&
               (f.size() < 3 || !oneOf(f[2], {"CuDef", "SMDef"}))) {
        problems.add(Severity::Warning, line,
                     "malformed aperture attribute \"" + clipped(text) +
                         "\": a pad is defined by its copper or its mask (CuDef or SMDef)");
    }
}

bool readAttributeComment(LayerImage& image, ProblemList& problems, std::string_view comment,
                          long line) {
    auto skipBlanks = [&] {
        while (!comment.empty() && (comment.front() == ' ' || comment.front() == '\t')) {
            comment.remove_prefix(1);
        }
    };
    skipBlanks();
    if (!comment.starts_with("#@!")) {
        return false;
    }
    comment.remove_prefix(3);
    skipBlanks();
    if (comment.starts_with("TF")) {
        readFileAttribute(image, problems, comment.substr(2), line);
    } else if (comment.starts_with("TA")) {
        checkApertureAttribute(problems, comment.substr(2), line);
    }
    return true;
}

void checkFunctionAgainstName(const LayerImage& image, ProblemList& problems) {
    const plot::SetFile* file = plot::setFileNamed(image.path);
    if (!file || image.fileFunction.empty()) {
        return;
    }
    const std::vector<std::string> f = splitFields(image.fileFunction);
    const std::string side = f.size() > 2 && f[0] == "Copper" ? f[2] : f.size() > 1 ? f[1] : "";
    bool agrees = true;
    switch (file->kind) {
        case plot::FileKind::Copper:
        case plot::FileKind::Plane:
            agrees = f[0] == "Other" ||
                     (f[0] == "Copper" && side == (file->side == plot::Side::Top      ? "Top"
                                                   : file->side == plot::Side::Bottom ? "Bot"
                                                                                      : "Inr"));
            break;
        case plot::FileKind::SolderMask:
        case plot::FileKind::Legend:
        case plot::FileKind::Paste: {
            const char* type = file->kind == plot::FileKind::SolderMask ? "Soldermask"
                               : file->kind == plot::FileKind::Legend   ? "Legend"
                                                                        : "Paste";
            agrees = f[0] == type && side == (file->side == plot::Side::Top ? "Top" : "Bot");
            break;
        }
        case plot::FileKind::Profile:
            agrees = f[0] == "Profile";
            break;
        case plot::FileKind::DrillDrawing:
            agrees = f[0] == "Drillmap" || f[0] == "FabricationDrawing" || f[0] == "Other";
            break;
        case plot::FileKind::DrillGuide:
            agrees = f[0] == "Other" || f[0] == "Drillmap";
            break;
        case plot::FileKind::Drill:
            agrees = f[0] == "Plated" || f[0] == "NonPlated" || f[0] == "MixedPlating";
            break;
    }
    if (!agrees) {
        std::string role(file->role);
        if (role.size() > 1 && std::islower(static_cast<unsigned char>(role[1]))) {
            role[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(role[0])));
        }
        problems.add(Severity::Warning, 0,
                     "the file says it is \"" + image.fileFunction + "\", but its extension " +
                         image.path.substr(image.path.rfind('.')) + " is that of the " + role);
    }
}

}  // namespace padloom::view
