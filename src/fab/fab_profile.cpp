#include "fab/fab_profile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <functional>

#include "common/base_name.h"
#include "common/errors.h"
#include "common/text_io.h"
#include "shell/settings_folder.h"

namespace padloom::fab {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kGenericName = "generic";
constexpr std::string_view kExtension = ".fab";

// Sections of a profile file; "" holds the fields before the first section line.
constexpr std::string_view kTwoLayerSection = "limits 2";
constexpr std::string_view kMultiLayerSection = "limits 4+";

enum class Kind {
    Text,         // any text
    ProfileName,  // letters, digits, "-" and "_"
    YesNo,
    Choice,       // one word of `choices`, written as listed
    List,         // words of `choices` separated by commas, or "none"
    Millimetres,  // a positive number
    Count,        // a whole number, 0 or more
    Digits,       // "2:4"
    FileName,     // a name pattern of a file in the zip
    Column,       // "Header: field", repeated
};

struct FieldSpec {
    std::string_view section;
    std::string_view key;
    Kind kind;
    std::vector<std::string_view> choices;
    std::function<void(FabProfile&, const std::vector<std::string>&)> apply;
};

bool isYes(const std::vector<std::string>& v) {
    return v.front() == "yes";
}

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::vector<std::string> splitList(std::string_view text) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == text.npos) {
            comma = text.size();
        }
        words.emplace_back(common::trimmedBlanks(text.substr(start, comma - start)));
        start = comma + 1;
    }
    return words;
}

bool inList(const std::vector<std::string>& v, std::string_view word) {
    return std::find(v.begin(), v.end(), word) != v.end();
}

// The fields of the assembly files' columns, by their words in a profile.
struct FieldWord {
    std::string_view word;
    AssemblyField field;
};
constexpr FieldWord kFieldWords[] = {
    {"designator", AssemblyField::Designator},
    {"designators", AssemblyField::Designators},
    {"x", AssemblyField::X},
    {"y", AssemblyField::Y},
    {"side", AssemblyField::Side},
    {"rotation", AssemblyField::Rotation},
    {"comment", AssemblyField::Comment},
    {"footprint", AssemblyField::Footprint},
    {"quantity", AssemblyField::Quantity},
    {"item", AssemblyField::Item},
};

AssemblyField fieldOfWord(std::string_view word) {
    for (const FieldWord& f : kFieldWords) {
        if (f.word == word) {
            return f.field;
        }
    }
    return AssemblyField::Designator;  // the words were checked when the file was read
}

std::vector<AssemblyColumn> columnsOf(const std::vector<std::string>& values) {
    std::vector<AssemblyColumn> columns;
    for (const std::string& v : values) {
        const size_t colon = v.rfind(':');
        columns.push_back({v.substr(0, colon), fieldOfWord(v.substr(colon + 2))});
    }
    return columns;
}

double millimetres(const std::vector<std::string>& v) {
    double value = 0;
    std::from_chars(v.front().data(), v.front().data() + v.front().size(), value);
    return value;
}

// The file keys of the plot layers 1 to 17, then of the other files of a package.
constexpr std::string_view kLayerKeys[] = {
    "",
    "top-copper",
    "mid-1",
    "mid-2",
    "mid-3",
    "mid-4",
    "bottom-copper",
    "top-legend",
    "bottom-legend",
    "drill-drawing",
    "drill-guide",
    "top-mask",
    "bottom-mask",
    "ground-plane",
    "power-plane",
    "top-paste",
    "bottom-paste",
    "outline",
};
constexpr std::string_view kOtherKeys[] = {
    "drill", "drill-plated", "drill-nonplated", "bill", "xy", "netlist", "cpl", "bom", "job"};
// Copper files, whose names may hold the layer's place in the stack.
constexpr std::string_view kCopperKeys[] = {"top-copper",   "mid-1",      "mid-2",
                                            "mid-3",        "mid-4",      "bottom-copper",
                                            "ground-plane", "power-plane"};

std::vector<FieldSpec> makeFieldSpecs() {
    std::vector<FieldSpec> specs;
    auto add = [&](std::string_view section, std::string_view key, Kind kind,
                   std::vector<std::string_view> choices,
                   std::function<void(FabProfile&, const std::vector<std::string>&)> apply) {
        specs.push_back({section, key, kind, std::move(choices), std::move(apply)});
    };
    add("", "name", Kind::ProfileName, {}, [](FabProfile& p, auto& v) { p.name = v.front(); });
    add("", "description", Kind::Text, {},
        [](FabProfile& p, auto& v) { p.description = v.front(); });

    add("gerber", "x2", Kind::YesNo, {}, [](FabProfile& p, auto& v) { p.x2 = isYes(v); });
    add("gerber", "job-file", Kind::YesNo, {},
        [](FabProfile& p, auto& v) { p.jobFile = isYes(v); });
    add("gerber", "aperture-macros", Kind::YesNo, {},
        [](FabProfile& p, auto& v) { p.apertureMacros = isYes(v); });
    add("gerber", "planes", Kind::Choice, {"negative", "positive"},
        [](FabProfile& p, auto& v) { p.positivePlanes = v.front() == "positive"; });

    add("drill", "units", Kind::Choice, {"INCH", "METRIC"},
        [](FabProfile& p, auto& v) { p.drill.metric = v.front() == "METRIC"; });
    add("drill", "format", Kind::Digits, {}, [](FabProfile& p, auto& v) {
        p.drill.asPlotted = v.front() == "plot";
        if (!p.drill.asPlotted) {
            p.drill.integerDigits = v.front()[0] - '0';
            p.drill.decimalDigits = v.front()[2] - '0';
        }
    });
    add("drill", "zeros", Kind::Choice, {"LZ", "TZ"},
        [](FabProfile& p, auto& v) { p.drill.leadingZerosKept = v.front() == "LZ"; });
    add("drill", "files", Kind::Choice, {"one", "plated-apart"},
        [](FabProfile& p, auto& v) { p.drillsApart = v.front() == "plated-apart"; });

    for (std::string_view key : fileNameKeys()) {
        add("names", key, Kind::FileName, {},
            [key = std::string(key)](FabProfile& p, auto& v) { p.names[key] = v.front(); });
    }

    add("assembly", "files", Kind::List, {"xy", "bill", "cpl", "bom"}, [](FabProfile& p, auto& v) {
        const std::vector<std::string> words = splitList(v.front());
        p.xyFile = inList(words, "xy");
        p.billFile = inList(words, "bill");
        p.cplFile = inList(words, "cpl");
        p.bomFile = inList(words, "bom");
    });
    add("assembly", "upper-case-designators", Kind::YesNo, {},
        [](FabProfile& p, auto& v) { p.upperCaseDesignators = isYes(v); });

    add("cpl", "units", Kind::Choice, {"mm", "inch"},
        [](FabProfile& p, auto& v) { p.cpl.inches = v.front() == "inch"; });
    add("cpl", "rotation", Kind::Choice, {"counter-clockwise", "clockwise"},
        [](FabProfile& p, auto& v) { p.cpl.counterClockwise = v.front() == "counter-clockwise"; });
    add("cpl", "top", Kind::Text, {}, [](FabProfile& p, auto& v) { p.cpl.topWord = v.front(); });
    add("cpl", "bottom", Kind::Text, {},
        [](FabProfile& p, auto& v) { p.cpl.bottomWord = v.front(); });
    add("cpl", "column", Kind::Column,
        {"designator", "x", "y", "side", "rotation", "comment", "footprint"},
        [](FabProfile& p, auto& v) { p.cpl.columns = columnsOf(v); });

    add("bom", "max-designators", Kind::Count, {},
        [](FabProfile& p, auto& v) { p.bom.maxDesignators = std::stoi(v.front()); });
    add("bom", "column", Kind::Column, {"item", "designators", "quantity", "comment", "footprint"},
        [](FabProfile& p, auto& v) { p.bom.columns = columnsOf(v); });

    struct LimitKey {
        std::string_view key;
        double FabLimits::*member;
    };
    static constexpr LimitKey kLimitKeys[] = {
        {"track", &FabLimits::track},
        {"clearance", &FabLimits::clearance},
        {"drill-min", &FabLimits::drillMin},
        {"drill-max", &FabLimits::drillMax},
        {"annular-ring", &FabLimits::annularRing},
        {"hole-spacing", &FabLimits::holeSpacing},
        {"copper-to-edge", &FabLimits::copperToEdge},
        {"legend-line", &FabLimits::legendLine},
        {"legend-height", &FabLimits::legendHeight},
        {"mask-web", &FabLimits::maskWeb},
    };
    for (std::string_view section : {kTwoLayerSection, kMultiLayerSection}) {
        const bool multi = section == kMultiLayerSection;
        for (const LimitKey& l : kLimitKeys) {
            add(section, l.key, Kind::Millimetres, {},
                [multi, member = l.member](FabProfile& p, auto& v) {
                    // through a named reference: g++ 12 drops a store through ".*" on a
                    // conditional expression
                    FabLimits& limits = multi ? p.multiLayers : p.twoLayers;
                    limits.*member = millimetres(v);
                });
        }
    }
    return specs;
}

const std::vector<FieldSpec>& fieldSpecs() {
    static const std::vector<FieldSpec> specs = makeFieldSpecs();
    return specs;
}

const FieldSpec* findSpec(std::string_view section, std::string_view key) {
    for (const FieldSpec& s : fieldSpecs()) {
        if (s.section == section && s.key == key) {
            return &s;
        }
    }
    return nullptr;
}

bool isKnownSection(std::string_view section) {
    return std::any_of(fieldSpecs().begin(), fieldSpecs().end(),
                       [&](const FieldSpec& s) { return s.section == section; });
}

// ---------------------------------------------------------------------------------------------
// Reading a profile file

struct Entry {
    std::string value;  // as the field's kind writes it
    long line = 0;
};

// The fields of one file by spec, in the order read.
struct ParsedFile {
    std::string path;
    std::map<const FieldSpec*, std::vector<Entry>> fields;
};

[[noreturn]] void failAt(const std::string& path, long line, const std::string& what) {
    throw common::IoError(path + ":" + std::to_string(line), what);
}

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

bool isProfileName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), isNameChar);
}

std::string shortestNumber(double value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

// Checks a name pattern of the zip: its placeholders known and allowed for the file, and the
// name a plain file name (no folder, nothing a file system or an unzip program refuses).
std::string checkedFileName(std::string_view key, std::string_view pattern) {
    const bool copper =
        std::find(std::begin(kCopperKeys), std::end(kCopperKeys), key) != std::end(kCopperKeys);
    std::string sample;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '{') {
            const size_t close = pattern.find('}', i);
            const std::string_view word =
                close == pattern.npos ? pattern.substr(i) : pattern.substr(i + 1, close - i - 1);
            if (close == pattern.npos || (word != "board" && word != "layer" && word != "inner")) {
                return "unknown placeholder in the name: " + std::string(word) +
                       " (placeholders are {board}, and {layer} and {inner} in copper files)";
            }
            if (word != "board" && !copper) {
                return "{" + std::string(word) + "} is the place of a copper layer; " +
                       std::string(key) + " is not one";
            }
            sample += word == "board" ? "board" : "1";
            i = close;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
            return "a file name in the zip cannot hold '" + std::string(1, c) +
                   "' (folders, drive letters and wildcards are not allowed)";
        }
        sample += c;
    }
    if (sample.empty() || sample == "." || sample == "..") {
        return "not a file name";
    }
    return "";
}

// The value of a field as its kind writes it, or throws naming the file and line.
std::string checkedValue(const FieldSpec& spec, std::string_view text, const std::string& path,
                         long line) {
    auto fail = [&](const std::string& what) {
        failAt(path, line, std::string(spec.key) + ": " + what);
    };
    auto choiceList = [&] {
        std::string list;
        for (size_t i = 0; i < spec.choices.size(); ++i) {
            list += (i == 0                         ? ""
                     : i + 1 == spec.choices.size() ? " or "
                                                    : ", ") +
                    std::string(spec.choices[i]);
        }
        return list;
    };
    switch (spec.kind) {
        case Kind::Text:
            return std::string(text);
        case Kind::ProfileName:
            if (!isProfileName(text)) {
                fail("a profile name is letters, digits, '-' and '_'");
            }
            return std::string(text);
        case Kind::YesNo:
            if (text != "yes" && text != "no") {
                fail("yes or no, not \"" + std::string(text) + "\"");
            }
            return std::string(text);
        case Kind::Choice:
            for (std::string_view c : spec.choices) {
                if (equalNoCase(c, text)) {
                    return std::string(c);
                }
            }
            fail(choiceList() + ", not \"" + std::string(text) + "\"");
            return {};
        case Kind::List: {
            std::vector<bool> given(spec.choices.size());
            if (!text.empty() && text != "none") {
                for (const std::string& word : splitList(text)) {
                    auto it = std::find(spec.choices.begin(), spec.choices.end(), word);
                    if (it == spec.choices.end()) {
                        fail("\"" + word + "\" is none of " + choiceList() + " (or none)");
                    }
                    given[static_cast<size_t>(it - spec.choices.begin())] = true;
                }
            }
            std::string list;
            for (size_t i = 0; i < spec.choices.size(); ++i) {
                if (given[i]) {
                    list += (list.empty() ? "" : ", ") + std::string(spec.choices[i]);
                }
            }
            return list.empty() ? "none" : list;
        }
        case Kind::Millimetres: {
            double value = 0;
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec != std::errc() || end != text.data() + text.size() || !(value > 0) ||
                value > 1000) {
                fail("a length in millimetres above 0, not \"" + std::string(text) + "\"");
            }
            return shortestNumber(value);
        }
        case Kind::Count: {
            int value = -1;
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (ec != std::errc() || end != text.data() + text.size() || value < 0) {
                fail("a whole number, 0 or more, not \"" + std::string(text) + "\"");
            }
            return std::to_string(value);
        }
        case Kind::Digits: {
            auto digit = [](char c) { return c >= '1' && c <= '6'; };
            if (text == "plot") {
                return std::string(text);
            }
            if (text.size() != 3 || !digit(text[0]) || text[1] != ':' || !digit(text[2])) {
                fail(
                    "digits before and after the point as Excellon gives them (2:4, 2:3 or "
                    "3:3), or plot, not \"" +
                    std::string(text) + "\"");
            }
            return std::string(text);
        }
        case Kind::FileName: {
            const std::string problem = checkedFileName(spec.key, text);
            if (!problem.empty()) {
                fail(problem);
            }
            return std::string(text);
        }
        case Kind::Column: {
            const size_t colon = text.rfind(':');
            const std::string_view header =
                common::trimmedBlanks(text.substr(0, colon == text.npos ? 0 : colon));
            const std::string_view word = colon == text.npos
                                              ? std::string_view()
                                              : common::trimmedBlanks(text.substr(colon + 1));
            if (header.empty() ||
                std::find(spec.choices.begin(), spec.choices.end(), word) == spec.choices.end()) {
                fail("\"Header: field\", the field one of " + choiceList() + ", not \"" +
                     std::string(text) + "\"");
            }
            if (header.find_first_of("\r\n") != header.npos) {
                fail("a header is one line");
            }
            return std::string(header) + ": " + std::string(word);
        }
    }
    return std::string(text);
}

ParsedFile parseFile(const std::string& path) {
    common::requireInputFile(path);
    common::LineReader reader(path);
    if (reader.looksBinary()) {
        throw common::FormatError(path, "not a board-house profile (binary data)");
    }
    ParsedFile file;
    file.path = path;
    std::string section;
    std::string line;
    while (reader.next(line)) {
        const long at = reader.lineNumber();
        std::string_view text = line;
        if (at == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") {
            text.remove_prefix(3);  // a byte order mark some editors write
        }
        text = common::trimmedBlanks(text);
        if (text.empty() || text.front() == '#') {
            continue;
        }
        if (text.front() == '[') {
            if (text.back() != ']') {
                failAt(path, at, "a section line is [name]");
            }
            // "[ limits  4+ ]" reads as "[limits 4+]"
            std::string name;
            for (char c : common::trimmedBlanks(text.substr(1, text.size() - 2))) {
                if (c == '\t') {
                    c = ' ';
                }
                if (c != ' ' || (!name.empty() && name.back() != ' ')) {
                    name += c;
                }
            }
            if (!isKnownSection(name)) {
                failAt(path, at, "unknown section [" + name + "]");
            }
            section = name;
            continue;
        }
        const size_t equals = text.find('=');
        if (equals == text.npos) {
            failAt(path, at, "expected \"field = value\", a [section] or a # comment");
        }
        const std::string key(common::trimmedBlanks(text.substr(0, equals)));
        const FieldSpec* spec = findSpec(section, key);
        if (!spec) {
            failAt(path, at,
                   "unknown field \"" + key + "\"" +
                       (section.empty() ? std::string(" before the first section")
                                        : " in [" + section + "]"));
        }
        std::vector<Entry>& entries = file.fields[spec];
        if (!entries.empty() && spec->kind != Kind::Column) {
            failAt(
                path, at,
                key + " given twice (first on line " + std::to_string(entries.front().line) + ")");
        }
        entries.push_back(
            {checkedValue(*spec, common::trimmedBlanks(text.substr(equals + 1)), path, at), at});
    }
    return file;
}

std::string stemOf(const std::string& path) {
    std::string name = common::fileNameOf(path);
    const size_t dot = name.rfind('.');
    return dot == name.npos || dot == 0 ? name : name.substr(0, dot);
}

std::vector<std::string> valuesOf(const std::vector<Entry>& entries) {
    std::vector<std::string> values;
    for (const Entry& e : entries) {
        values.push_back(e.value);
    }
    return values;
}

std::string joined(const std::vector<std::string>& values) {
    std::string text;
    for (const std::string& v : values) {
        text += (text.empty() ? "" : "; ") + v;
    }
    return text;
}

std::string sectionLabel(const FieldSpec& spec) {
    return spec.section.empty() ? std::string(spec.key)
                                : "[" + std::string(spec.section) + "] " + std::string(spec.key);
}

// The profile of a parsed file over the generic profile's fields (none for generic itself),
// with the checks that span fields.
FabProfile buildProfile(const ParsedFile& file, const ParsedFile* generic) {
    FabProfile profile;
    profile.path = file.path;
    profile.name = stemOf(file.path);
    const FieldSpec* nameSpec = findSpec("", "name");
    const FieldSpec* descriptionSpec = findSpec("", "description");
    for (const FieldSpec& spec : fieldSpecs()) {
        auto own = file.fields.find(&spec);
        const std::vector<Entry>* entries = own != file.fields.end() ? &own->second : nullptr;
        const std::vector<Entry>* base = nullptr;
        if (generic) {
            auto it = generic->fields.find(&spec);
            base = it != generic->fields.end() ? &it->second : nullptr;
        }
        if (&spec == nameSpec || &spec == descriptionSpec) {
            if (entries) {
                spec.apply(profile, valuesOf(*entries));
            }
            continue;
        }
        if (!entries && !base) {
            throw common::IoError(file.path,
                                  "no value for " + sectionLabel(spec) +
                                      (generic ? " here nor in the generic profile" : ""));
        }
        const std::vector<std::string> values = valuesOf(entries ? *entries : *base);
        spec.apply(profile, values);
        if (entries && base && valuesOf(*base) != values) {
            profile.changes.push_back({std::string(spec.section), std::string(spec.key),
                                       joined(values), joined(valuesOf(*base))});
        }
    }
    // checks across fields, at the line that breaks them where there is one
    auto lineOf = [&](std::string_view section, std::string_view key) -> long {
        auto it = file.fields.find(findSpec(section, key));
        return it != file.fields.end() ? it->second.front().line : 0;
    };
    auto failOn = [&](std::string_view section, std::string_view key, const std::string& what) {
        const long line = lineOf(section, key);
        if (line > 0) {
            failAt(file.path, line, what);
        }
        throw common::IoError(file.path, what);
    };
    for (std::string_view section : {kTwoLayerSection, kMultiLayerSection}) {
        const FabLimits& l = profile.limitsFor(section == kTwoLayerSection ? 2 : 4);
        if (l.drillMin > l.drillMax) {
            failOn(section, lineOf(section, "drill-max") ? "drill-max" : "drill-min",
                   "[" + std::string(section) + "] drill-min is above drill-max");
        }
    }
    // the formats the drill writer knows
    const DrillFormat& d = profile.drill;
    const bool known = d.metric ? !d.asPlotted && d.integerDigits == 3 && d.decimalDigits == 3
                                : (d.asPlotted && d.leadingZerosKept) ||
                                      (!d.asPlotted && d.integerDigits == 2 &&
                                       d.decimalDigits >= 3 && d.decimalDigits <= 4);
    if (!known) {
        failOn("drill", lineOf("drill", "format") ? "format" : "units",
               std::string("drills are written in INCH 2:3 or 2:4, METRIC 3:3, or as the "
                           "plot's own (plot, INCH LZ), not ") +
                   (d.metric ? "METRIC " : "INCH ") +
                   (d.asPlotted
                        ? std::string("plot")
                        : std::to_string(d.integerDigits) + ":" + std::to_string(d.decimalDigits)) +
                   (d.leadingZerosKept ? " LZ" : " TZ"));
    }
    if (profile.cplFile && profile.cpl.columns.empty()) {
        failOn("assembly", "files", "a CPL is asked for but [cpl] has no column");
    }
    if (profile.bomFile && profile.bom.columns.empty()) {
        failOn("assembly", "files", "a BOM is asked for but [bom] has no column");
    }
    return profile;
}

const ParsedFile& genericFile(const std::string& shippedFolder,
                              std::map<std::string, ParsedFile>& cache) {
    auto it = cache.find(shippedFolder);
    if (it == cache.end()) {
        const std::string path =
            (fs::path(shippedFolder) / (std::string(kGenericName) + std::string(kExtension)))
                .string();
        it = cache.emplace(shippedFolder, parseFile(path)).first;
    }
    return it->second;
}

FabProfile readProfile(const std::string& path, const ProfileFolders& folders, bool shipped) {
    std::map<std::string, ParsedFile> cache;
    const ParsedFile& generic = genericFile(folders.shipped, cache);
    ParsedFile file = parseFile(path);
    const bool isGeneric = shipped && stemOf(path) == kGenericName;
    FabProfile profile = buildProfile(file, isGeneric ? nullptr : &generic);
    profile.shipped = shipped;
    return profile;
}

std::vector<std::string> profileFilesIn(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    if (folder.empty() || !fs::is_directory(folder, error)) {
        return paths;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string path = it->path().string();
        std::error_code kindError;
        if (it->is_regular_file(kindError) &&
            equalNoCase(std::string_view(path).substr(path.size() -
                                                      std::min(path.size(), kExtension.size())),
                        kExtension)) {
            paths.push_back(path);
        }
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> namesOf(const std::vector<ProfileEntry>& entries) {
    std::vector<std::string> names;
    for (const ProfileEntry& e : entries) {
        names.push_back(e.name);
    }
    return names;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

const FabLimits& FabProfile::limitsFor(int copperLayers) const {
    return copperLayers <= 2 ? twoLayers : multiLayers;
}

std::string FabProfile::fileName(std::string_view key, std::string_view board,
                                 int copperLayer) const {
    auto it = names.find(key);
    if (it == names.end()) {
        return "";
    }
    const std::string& pattern = it->second;
    std::string name;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const size_t close = pattern[i] == '{' ? pattern.find('}', i) : pattern.npos;
        if (close == pattern.npos) {
            name += pattern[i];
            continue;
        }
        const std::string_view word = std::string_view(pattern).substr(i + 1, close - i - 1);
        if (word == "board") {
            name += board;
        } else if (word == "layer") {
            name += std::to_string(copperLayer);
        } else {
            name += std::to_string(std::max(copperLayer - 1, 0));
        }
        i = close;
    }
    return name;
}

const std::vector<std::string_view>& fileNameKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> k(std::begin(kLayerKeys) + 1, std::end(kLayerKeys));
        k.insert(k.end(), std::begin(kOtherKeys), std::end(kOtherKeys));
        return k;
    }();
    return keys;
}

std::string_view fileNameKeyOfLayer(int plotLayer) {
    if (plotLayer == 0) {
        return "drill";
    }
    return plotLayer > 0 && plotLayer < static_cast<int>(std::size(kLayerKeys))
               ? kLayerKeys[plotLayer]
               : std::string_view();
}

std::string changeSummary(const FabProfile& p) {
    if (p.changes.empty()) {
        return "the package as it is made without a profile";
    }
    std::vector<std::string> phrases;
    auto say = [&](std::string phrase) {
        if (std::find(phrases.begin(), phrases.end(), phrase) == phrases.end()) {
            phrases.push_back(std::move(phrase));
        }
    };
    for (const ProfileChange& c : p.changes) {
        if (c.section == "gerber") {
            if (c.key == "x2") {
                say(p.x2 ? "X2 attributes" : "no X2 attributes");
            } else if (c.key == "job-file") {
                say(p.jobFile ? "a job file" : "no job file");
            } else if (c.key == "aperture-macros") {
                say(p.apertureMacros ? "aperture macros" : "no aperture macros");
            } else {
                say(p.positivePlanes ? "positive planes" : "negative planes");
            }
        } else if (c.section == "drill") {
            if (c.key == "files") {
                say(p.drillsApart ? "plated and non-plated holes in two drill files"
                                  : "one drill file");
            } else {
                say(std::string("drills in ") + (p.drill.metric ? "METRIC " : "INCH ") +
                    (p.drill.asPlotted ? std::string("as plotted")
                                       : std::to_string(p.drill.integerDigits) + ":" +
                                             std::to_string(p.drill.decimalDigits)) +
                    (p.drill.leadingZerosKept ? " LZ" : " TZ"));
            }
        } else if (c.section == "names") {
            say("its own file names");
        } else if (c.section == "assembly" || c.section == "cpl" || c.section == "bom") {
            std::string files;
            for (auto [on, word] : {std::pair{p.xyFile, "X/Y"}, std::pair{p.billFile, "bill"},
                                    std::pair{p.cplFile, "CPL"}, std::pair{p.bomFile, "BOM"}}) {
                if (on) {
                    files += (files.empty() ? "" : ", ") + std::string(word);
                }
            }
            say("assembly files: " + (files.empty() ? std::string("none") : files) +
                (p.upperCaseDesignators ? " (designators in capitals)" : ""));
        } else {
            say("its own limits");
        }
    }
    std::string text;
    for (const std::string& phrase : phrases) {
        text += (text.empty() ? "" : ", ") + phrase;
    }
    return text;
}

ProfileFolders defaultProfileFolders() {
    ProfileFolders folders;
    // installed: <prefix>/bin/padloom-cli and <prefix>/share/padloom/fab
    const std::string program = shell::runningProgramPath();
    std::error_code error;
    if (!program.empty()) {
        const fs::path installed =
            fs::path(program).parent_path().parent_path() / "share" / "padloom" / "fab";
        if (fs::is_directory(installed, error)) {
            folders.shipped = installed.string();
        }
    }
#ifdef PADLOOM_FAB_SOURCE_DIR
    if (folders.shipped.empty()) {
        folders.shipped = PADLOOM_FAB_SOURCE_DIR;  // a program run from its build folder
    }
#endif
    const std::string settings = shell::settingsFolder();
    if (!settings.empty()) {
        folders.user = (fs::path(settings) / "fab").string();
    }
    return folders;
}

std::vector<ProfileEntry> listProfiles(const ProfileFolders& folders,
                                       std::vector<std::string>* refused) {
    std::error_code error;
    if (!fs::is_directory(folders.shipped, error)) {
        throw common::IoError(folders.shipped,
                              "no such folder: the board-house profiles installed with the "
                              "program are missing");
    }
    std::vector<ProfileEntry> entries;
    for (const std::string& path : profileFilesIn(folders.shipped)) {
        entries.push_back({stemOf(path), path, true});
    }
    std::stable_partition(entries.begin(), entries.end(),
                          [](const ProfileEntry& e) { return e.name == kGenericName; });
    const size_t shippedCount = entries.size();
    for (const std::string& path : profileFilesIn(folders.user)) {
        std::string name;
        try {
            name = readProfile(path, folders, false).name;
        } catch (const common::IoError& e) {
            if (refused) {
                refused->push_back(std::string(e.what()) + " (profile not taken)");
            }
            continue;
        }
        auto same = std::find_if(entries.begin(), entries.end(),
                                 [&](const ProfileEntry& e) { return equalNoCase(e.name, name); });
        if (same != entries.end()) {
            if (refused) {
                const bool shipped = same - entries.begin() < static_cast<long>(shippedCount);
                refused->push_back(path + ": not taken: " +
                                   (shipped ? "a shipped profile" : "the profile " + same->path) +
                                   " has the name " + same->name +
                                   "; give this one another name (its file name, or its name "
                                   "line)");
            }
            continue;
        }
        entries.push_back({name, path, false});
    }
    return entries;
}

UnknownProfile::UnknownProfile(const std::string& asked, std::vector<std::string> known)
    : std::runtime_error([&] {
          std::string text = "no board-house profile \"" + asked + "\"; the profiles are:";
          for (size_t i = 0; i < known.size(); ++i) {
              text += (i ? ", " : " ") + known[i];
          }
          return text;
      }()),
      m_known(std::move(known)) {
}

bool isProfilePath(std::string_view nameOrPath) {
    return nameOrPath.find_first_of("/\\.") != nameOrPath.npos;
}

std::string profilePath(const std::string& nameOrPath, const ProfileFolders& folders) {
    if (isProfilePath(nameOrPath)) {
        common::requireInputFile(nameOrPath);
        return nameOrPath;
    }
    const std::vector<ProfileEntry> entries = listProfiles(folders);
    for (const ProfileEntry& e : entries) {
        if (equalNoCase(e.name, nameOrPath)) {
            return e.path;
        }
    }
    throw UnknownProfile(nameOrPath, namesOf(entries));
}

FabProfile loadProfile(const std::string& nameOrPath, const ProfileFolders& folders) {
    if (isProfilePath(nameOrPath)) {
        return readProfile(profilePath(nameOrPath, folders), folders, false);
    }
    const std::vector<ProfileEntry> entries = listProfiles(folders);
    for (const ProfileEntry& e : entries) {
        if (equalNoCase(e.name, nameOrPath)) {
            FabProfile profile = readProfile(e.path, folders, e.shipped);
            profile.name = e.name;
            return profile;
        }
    }
    throw UnknownProfile(nameOrPath, namesOf(entries));
}

}  // namespace padloom::fab
