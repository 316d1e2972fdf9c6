#include "fab/assembly_files.h"

#include <algorithm>
#include <map>

#include "common/number_format.h"
#include "plot/bom.h"

namespace padloom::fab {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Designator order as people read it: by the letters before the first digit, then by the
// number that follows (R2 before R10), then by the rest.
bool designatorLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& d) {
        size_t digits = 0;
        while (digits < d.size() && !isDigit(d[digits])) {
            ++digits;
        }
        size_t end = digits;
        while (end < d.size() && isDigit(d[end])) {
            ++end;
        }
        // the number without its leading zeros, compared by length first
        size_t first = digits;
        while (first + 1 < end && d[first] == '0') {
            ++first;
        }
        return std::tuple{std::string_view(d).substr(0, digits),
                          std::string_view(d).substr(first, end - first),
                          std::string_view(d).substr(end)};
    };
    const auto [pa, na, ra] = split(a);
    const auto [pb, nb, rb] = split(b);
    if (int c = plot::compareIgnoringAsciiCase(pa, pb)) {
        return c < 0;
    }
    if (na.size() != nb.size()) {
        return na.size() < nb.size();
    }
    if (na != nb) {
        return na < nb;
    }
    if (int c = plot::compareIgnoringAsciiCase(ra, rb)) {
        return c < 0;
    }
    return a < b;
}

std::string upperCase(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

std::string headerRow(const std::vector<AssemblyColumn>& columns) {
    std::string row;
    for (size_t i = 0; i < columns.size(); ++i) {
        row += (i ? "," : "") + csvField(columns[i].header);
    }
    return row + "\r\n";
}

// Degrees in the profile's sense from the X/Y file's clockwise count.
int profileRotation(int clockwise, bool counterClockwise) {
    return counterClockwise ? (360 - clockwise) % 360 : clockwise;
}

std::string cplField(const annotate::PlacedPart& p, AssemblyField field, const CplFormat& f) {
    auto length = [&](long long mils) {
        return f.inches ? annotate::placementNumber(mils, '.') : millimetresOfMils(mils);
    };
    switch (field) {
        case AssemblyField::Designator:
        case AssemblyField::Designators:
            return p.designator;
        case AssemblyField::X:
            return length(p.x);
        case AssemblyField::Y:
            return length(p.y);
        case AssemblyField::Side:
            return p.side == 'B' ? f.bottomWord : f.topWord;
        case AssemblyField::Rotation:
            return common::decimal(profileRotation(std::max(p.rotation, 0), f.counterClockwise));
        case AssemblyField::Comment:
            return p.comment;
        case AssemblyField::Footprint:
            return p.pattern;
        case AssemblyField::Quantity:
            return "1";
        case AssemblyField::Item:
            return "";
    }
    return "";
}

// A BOM row: the parts of one comment and footprint (or the part of them a row may hold).
struct BomRow {
    std::string comment;  // as the first part of the row in the file spells it
    std::string pattern;
    std::vector<std::string> designators;
};

std::string bomField(const BomRow& row, AssemblyField field, int item) {
    switch (field) {
        case AssemblyField::Designator:
        case AssemblyField::Designators: {
            std::string list;
            for (const std::string& d : row.designators) {
                list += (list.empty() ? "" : ",") + d;
            }
            return list;
        }
        case AssemblyField::Comment:
            return row.comment;
        case AssemblyField::Footprint:
            return row.pattern;
        case AssemblyField::Quantity:
            return common::decimal(static_cast<long long>(row.designators.size()));
        case AssemblyField::Item:
            return common::decimal(item);
        default:
            return "";
    }
}

}  // namespace

std::string millimetresOfMils(long long mils) {
    const long long tenThousandths = mils * 254;  // 1 mil = 0.0254 mm
    const long long whole = tenThousandths / 10000;
    const long long rest = tenThousandths % 10000;
    return std::string(tenThousandths < 0 ? "-" : "") +
           common::decimal(whole < 0 ? -whole : whole) + "." +
           common::zeroPadded(rest < 0 ? -rest : rest, 4);
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    return plot::csvQuoted(text);
}

AssemblyFiles assemblyFiles(std::vector<annotate::PlacedPart> parts, const FabProfile& profile) {
    AssemblyFiles files;
    // one name per part in both files
    std::map<std::string, std::vector<std::string>> spellings;
    for (annotate::PlacedPart& p : parts) {
        std::string name = profile.upperCaseDesignators ? upperCase(p.designator) : p.designator;
        spellings[name].push_back(p.designator);
        p.designator = std::move(name);
    }
    for (const auto& [name, given] : spellings) {
        if (given.size() > 1) {
            std::string note = "designator " + name + " names " + std::to_string(given.size()) +
                               " parts: the assembler cannot tell them apart";
            if (std::any_of(given.begin(), given.end(),
                            [&](const std::string& g) { return g != name; })) {
                note += " (once written in capitals, as the board house asks)";
            }
            files.notes.push_back(note);
        }
    }

    // the BOM's rows, grouped in file order: the first part of a group gives its spellings
    std::vector<BomRow> groups;
    for (const annotate::PlacedPart& p : parts) {
        auto same = std::find_if(groups.begin(), groups.end(), [&](const BomRow& g) {
            return plot::compareIgnoringAsciiCase(g.comment, p.comment) == 0 &&
                   plot::compareIgnoringAsciiCase(g.pattern, p.pattern) == 0;
        });
        if (same == groups.end()) {
            groups.push_back({p.comment, p.pattern, {}});
            same = groups.end() - 1;
        }
        same->designators.push_back(p.designator);
    }

    std::stable_sort(parts.begin(), parts.end(),
                     [](const annotate::PlacedPart& a, const annotate::PlacedPart& b) {
                         return designatorLess(a.designator, b.designator);
                     });
    const CplFormat& cpl = profile.cpl;
    files.cpl = headerRow(cpl.columns);
    for (const annotate::PlacedPart& p : parts) {
        if (p.rotation < 0) {
            files.notes.push_back(p.designator +
                                  ": rotation not known (no pin 1, no marker, as wide as tall); "
                                  "written as 0");
        }
        for (size_t i = 0; i < cpl.columns.size(); ++i) {
            files.cpl += (i ? "," : "") + csvField(cplField(p, cpl.columns[i].field, cpl));
        }
        files.cpl += "\r\n";
    }

    for (BomRow& g : groups) {
        std::sort(g.designators.begin(), g.designators.end(), designatorLess);
    }
    std::sort(groups.begin(), groups.end(), [](const BomRow& a, const BomRow& b) {
        if (int c = plot::compareIgnoringAsciiCase(a.comment, b.comment)) {
            return c < 0;
        }
        return plot::compareIgnoringAsciiCase(a.pattern, b.pattern) < 0;
    });
    const BomFormat& bom = profile.bom;
    files.bom = headerRow(bom.columns);
    int item = 0;
    for (const BomRow& g : groups) {
        const size_t step =
            bom.maxDesignators > 0 ? static_cast<size_t>(bom.maxDesignators) : g.designators.size();
        for (size_t from = 0; from < g.designators.size(); from += step) {
            const size_t to = std::min(g.designators.size(), from + step);
            BomRow row{g.comment,
                       g.pattern,
                       {g.designators.begin() + static_cast<long>(from),
                        g.designators.begin() + static_cast<long>(to)}};
            ++item;
            for (size_t i = 0; i < bom.columns.size(); ++i) {
                files.bom += (i ? "," : "") + csvField(bomField(row, bom.columns[i].field, item));
            }
            files.bom += "\r\n";
        }
    }
    return files;
}

}  // namespace padloom::fab
