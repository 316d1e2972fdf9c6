#include "tools/netlist_library.h"

#include <algorithm>
#include <set>

#include "common/base_name.h"
#include "common/number_format.h"
#include "common/text_io.h"

namespace padloom::tools {

namespace {

constexpr common::Place kCentred = common::Place::WindowCentre;

unsigned char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A')
                                : static_cast<unsigned char>(c);
}

std::string upperText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += static_cast<char>(upper(c));
    }
    return out;
}

// The component name of a package choice item: the part after its first "@".
std::string_view itemName(std::string_view item) {
    size_t at = item.find('@');
    return at == std::string_view::npos ? std::string_view() : item.substr(at + 1);
}

bool containsIgnoringCase(const std::vector<std::string>& list, std::string_view text) {
    return std::any_of(list.begin(), list.end(),
                       [text](const std::string& s) { return equalIgnoringCase(s, text); });
}

std::string choiceLabel(const PackageChoice& c) {
    return c.libraryFile.empty() ? c.name : c.libraryFile + "@" + c.name;
}

std::string leftOutReason(const std::vector<LibraryComponent>& components, const PackageChoice& c) {
    if (c.name.empty()) {
        return "no component named";
    }
    if (c.libraryFile.empty()) {
        return "not in the loaded libraries";
    }
    bool loaded = std::any_of(components.begin(), components.end(), [&c](const auto& lc) {
        return equalIgnoringCase(common::fileNameOf(lc.libraryPath), c.libraryFile);
    });
    return loaded ? "not in " + c.libraryFile : c.libraryFile + " is not loaded";
}

}  // namespace

int compareIgnoringCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char ca = upper(a[i]);
        const unsigned char cb = upper(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoringCase(a, b) == 0;
}

std::vector<NetlistComponent> readNetlist(const std::string& path) {
    common::LineReader reader(path);
    if (reader.looksBinary()) {
        throw common::FormatError(path, "not a Protel netlist: it holds binary data, not text");
    }
    std::vector<NetlistComponent> components;
    std::string line;
    bool netsFound = false;
    while (reader.next(line)) {
        if (line == "(") {
            netsFound = true;
            break;
        }
        if (line != "[") {
            continue;
        }
        NetlistComponent c;
        c.line = reader.lineNumber();
        if (!reader.next(c.designator) || !reader.next(c.footprint)) {
            throw common::IoError(path, "line " + common::decimal(c.line) +
                                            ": the component block ends before its footprint "
                                            "line");
        }
        for (int k = 0; k < 4 && reader.next(line); ++k) {
            // the four remaining lines of the block are not used
        }
        components.push_back(std::move(c));
    }
    if (components.empty() && !netsFound) {
        throw common::FormatError(path,
                                  "not a Protel netlist: it holds no component (\"[\" line) and "
                                  "no net (\"(\" line)");
    }
    return components;
}

std::string packageChoiceText(const LibraryComponent& component) {
    return common::fileNameOf(component.libraryPath) + "@" + component.name;
}

void sortPackageChoices(std::vector<std::string>& items, const TextCompare& compare) {
    const TextCompare& cmp = compare ? compare : TextCompare(compareIgnoringCase);
    std::stable_sort(items.begin(), items.end(),
                     [&cmp](const std::string& a, const std::string& b) { return cmp(a, b) < 0; });
    // keep the first of every group of items equal without regard to case
    std::set<std::string> seen;
    std::vector<std::string> kept;
    kept.reserve(items.size());
    for (auto& item : items) {
        if (seen.insert(upperText(item)).second) {
            kept.push_back(std::move(item));
        }
    }
    items = std::move(kept);
}

std::optional<size_t> preselectPackage(const std::vector<std::string>& items,
                                       std::string_view footprint) {
    for (size_t i = 0; i < items.size(); ++i) {  // (a) the component name itself
        if (itemName(items[i]) == footprint) {
            return i;
        }
    }
    if (footprint.empty()) {
        return std::nullopt;  // an empty name is in every text
    }
    for (size_t i = 0; i < items.size(); ++i) {  // (b) the footprint anywhere in the item
        if (items[i].find(footprint) != std::string::npos) {
            return i;
        }
    }
    for (size_t i = 0; i < items.size(); ++i) {  // (c) the component name inside the footprint
        std::string_view name = itemName(items[i]);
        if (!name.empty() && footprint.find(name) != std::string_view::npos) {
            return i;
        }
    }
    return std::nullopt;
}

PackageChoice parsePackageChoice(std::string_view text) {
    PackageChoice c;
    size_t at = text.find('@');
    if (at == std::string_view::npos) {
        c.name = text;
    } else {
        c.libraryFile = text.substr(0, at);
        c.name = text.substr(at + 1);
    }
    return c;
}

const LibraryComponent* findComponent(const std::vector<LibraryComponent>& components,
                                      const PackageChoice& choice) {
    const bool byFile = !choice.libraryFile.empty();
    // exact file and name first, then the name in another case, then the file in another case
    for (int pass = 0; pass < (byFile ? 4 : 2); ++pass) {
        const bool exactName = pass % 2 == 0;
        const bool exactFile = pass < 2;
        for (const auto& c : components) {
            bool nameMatches =
                exactName ? c.name == choice.name : equalIgnoringCase(c.name, choice.name);
            if (!nameMatches) {
                continue;
            }
            if (byFile) {
                std::string file = common::fileNameOf(c.libraryPath);
                if (exactFile ? file != choice.libraryFile
                              : !equalIgnoringCase(file, choice.libraryFile)) {
                    continue;
                }
            }
            return &c;
        }
    }
    return nullptr;
}

std::string combinedLibraryPath(const std::string& savedName) {
    std::string name = common::fileNameOf(savedName);
    if (name.size() > 4 && equalIgnoringCase(name.substr(name.size() - 4), ".lib")) {
        return savedName;
    }
    return common::withExtension(savedName, ".lib");
}

CombinedLibrary writeCombinedLibrary(const std::vector<PackageChoice>& chosen,
                                     const std::vector<LibraryComponent>& components,
                                     const std::string& outputPath) {
    std::vector<std::string> inputs;
    for (const auto& c : components) {
        if (std::find(inputs.begin(), inputs.end(), c.libraryPath) == inputs.end()) {
            inputs.push_back(c.libraryPath);
        }
    }
    common::refuseOverwritingInput(outputPath, inputs);

    CombinedLibrary result;
    std::vector<LibraryEntry> entries;
    size_t position = kLibraryDataStart;
    for (const auto& choice : chosen) {
        const LibraryComponent* found = findComponent(components, choice);
        if (!found) {
            result.leftOut.push_back({choiceLabel(choice), leftOutReason(components, choice)});
            continue;
        }
        if (entries.size() == kLibraryEntries) {
            result.leftOut.push_back(
                {choiceLabel(choice), "past the 200 components a library holds"});
            continue;
        }
        if (position / kLibraryBlockBytes > kLastDataOffset) {
            result.leftOut.push_back(
                {choiceLabel(choice), "past the 1048544 bytes a library directory reaches"});
            continue;
        }
        // every component is read before the output is created
        entries.push_back({found->name, found->blockEnds, readComponentData(*found)});
        position += entries.back().data.size();
        result.written.push_back(*found);
    }
    common::LineWriter out(outputPath);
    out.write(libraryBytes(entries));
    out.commit();
    return result;
}

std::vector<std::string> LibraryGenerator::load(common::Host& host,
                                                const std::vector<std::string>& paths) {
    m_libraries.clear();
    m_components.clear();
    m_choices.clear();
    std::vector<LibraryComponent> components;
    std::vector<std::string> problems;
    for (const auto& path : paths) {
        LibraryDirectory dir = readLibraryDirectory(path);  // can throw
        components.insert(components.end(), dir.components.begin(), dir.components.end());
        problems.insert(problems.end(), dir.problems.begin(), dir.problems.end());
    }
    std::vector<std::string> choices;
    choices.reserve(components.size());
    for (const auto& c : components) {
        choices.push_back(packageChoiceText(c));
    }
    // the choice box shows the first component loaded, not the first in sorted order
    m_choiceText = choices.empty() ? std::string() : choices.front();
    host.setProgress(0);
    sortPackageChoices(choices, compareText);
    host.setProgress(100);
    host.setProgress(-1);
    m_libraries = paths;
    m_components = std::move(components);
    m_choices = std::move(choices);
    return problems;
}

common::Outcome LibraryGenerator::readLibrary(common::Host& host) {
    m_libraries.clear();
    m_components.clear();
    m_choices.clear();
    common::FileAsk ask;
    ask.filter = 1;
    ask.title = "Choose Component library";
    ask.multiple = true;
    auto files = host.askOpen(ask);
    if (files.empty()) {
        return common::Outcome::Cancelled;
    }
    auto problems = load(host, files);
    // the count includes components loaded twice; the list shows each once
    host.show(common::Box::Info,
              common::decimal(static_cast<long long>(m_components.size())) + " components loaded",
              kCentred);
    if (!problems.empty()) {
        std::string text = "Damaged library entries were left out:";
        for (const auto& p : problems) {
            text += "\n" + p;
        }
        host.show(common::Box::Warning, text, kCentred);
    }
    return common::Outcome::Done;
}

NetlistRun LibraryGenerator::processNetlist(
    common::Host& host, bool writeComponents,
    const std::function<void(const std::vector<SkippedPackage>&)>& showSkipped) {
    NetlistRun run;
    common::FileAsk open;
    open.filter = 3;
    open.title = "Choose Source Net List";
    auto files = host.askOpen(open);
    if (files.empty()) {
        return run;
    }
    const std::string netlist = files.front();

    common::FileAsk save;
    save.filter = 3;
    save.title = "Choose Output Net List file";
    save.fileName = common::withExtension(netlist, ".lib");
    auto saved = host.askSave(save);
    if (!saved || saved->empty()) {
        return run;
    }
    run.outputPath = combinedLibraryPath(*saved);
    // refused before any question is asked: the output never replaces one of the inputs
    std::vector<std::string> inputs = m_libraries;
    inputs.push_back(netlist);
    common::refuseOverwritingInput(run.outputPath, inputs);

    std::vector<NetlistComponent> parts = readNetlist(netlist);  // can throw
    if (!writeComponents) {
        parts.clear();  // the library is written empty
    }
    if (!parts.empty() && m_components.empty()) {
        // every footprint would be asked for with nothing to choose from
        host.show(common::Box::Warning,
                  "No component library is loaded: read a library first (File / Read Library).",
                  kCentred);
        run.outcome = common::Outcome::Refused;
        return run;
    }
    std::vector<std::string> accepted;
    std::vector<PackageChoice> chosen;
    std::vector<LeftOutComponent> notes;
    for (const auto& part : parts) {
        const std::string& footprint = part.footprint;
        // an earlier answer never stands in for a footprint nothing matches: Enter would take
        // it without a look
        const auto preselected = preselectPackage(m_choices, footprint);
        m_choiceText = preselected ? m_choices[*preselected] : std::string();
        auto skipped = std::find_if(run.skipped.begin(), run.skipped.end(), [&](const auto& s) {
            return equalIgnoringCase(s.footprint, footprint);
        });
        if (skipped != run.skipped.end()) {
            skipped->designators += "," + part.designator;
            continue;
        }
        if (containsIgnoringCase(accepted, footprint)) {
            continue;  // asked once per footprint
        }
        common::PackageQuestion q;
        q.question = " Choose package for " + part.designator + ": " + footprint;
        q.designator = part.designator;
        q.footprint = footprint;
        q.choices = m_choices;
        q.text = m_choiceText;
        common::PackageAnswer answer = host.askPackage(q);
        m_choiceText = answer.text;  // the dialog keeps what it showed last
        if (answer.action == common::PackageAction::Stop) {
            run.outcome = common::Outcome::Cancelled;  // nothing written, nothing more shown
            return run;
        }
        if (answer.action == common::PackageAction::Skip) {
            run.skipped.push_back({footprint, part.designator});
            continue;
        }
        PackageChoice choice = parsePackageChoice(answer.text);
        auto same = std::find_if(chosen.begin(), chosen.end(), [&](const PackageChoice& c) {
            return equalIgnoringCase(c.name, choice.name);
        });
        if (same == chosen.end()) {
            chosen.push_back(choice);
        } else if (!equalIgnoringCase(same->libraryFile, choice.libraryFile)) {
            // one name, one component: the library keeps the first choice
            notes.push_back({choiceLabel(choice), "a component named " + same->name +
                                                      " is already chosen (" + choiceLabel(*same) +
                                                      ")"});
        }
        accepted.push_back(footprint);
    }

    run.library = writeCombinedLibrary(chosen, m_components, run.outputPath);
    run.library.leftOut.insert(run.library.leftOut.end(), notes.begin(), notes.end());
    run.outcome = common::Outcome::Done;

    if (!run.skipped.empty()) {
        host.show(common::Box::Warning, "Some Components were skipped", kCentred);
        if (showSkipped) {
            showSkipped(run.skipped);
        }
    }
    if (run.library.leftOut.empty()) {
        host.show(common::Box::Info, "Done", kCentred);
    } else {
        std::string text =
            "Done, but " + common::decimal(static_cast<long long>(run.library.leftOut.size())) +
            " chosen component(s) are not in " + common::fileNameOf(run.outputPath) + ":";
        for (const auto& l : run.library.leftOut) {
            text += "\n" + l.choice + ": " + l.reason;
        }
        host.show(common::Box::Warning, text, kCentred);
    }
    return run;
}

}  // namespace padloom::tools
