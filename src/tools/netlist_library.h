#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/host.h"
#include "tools/component_library.h"

namespace padloom::tools {

/// A component of a Protel netlist: its designator and footprint lines as they stand.
struct NetlistComponent {
    std::string designator;
    std::string footprint;
    long line = 0;  // line of its "["
};

/// Reads the components of a Protel netlist: each is a block of "[" alone on a line, the
/// designator line, the footprint line, four more lines and "]". Reading stops at the first
/// line "(" alone, where the nets begin. Throws IoError when the file cannot be read or a
/// block ends before its footprint line, and FormatError for binary data or a text with
/// neither a component nor a net.
std::vector<NetlistComponent> readNetlist(const std::string& path);

/// The package choice list item of a loaded component: library file name (no folder) + "@" +
/// component name, e.g. "MAIN.LIB@DIP14".
std::string packageChoiceText(const LibraryComponent& component);

/// Compares texts for the package choice list, <0, 0, >0; by default by bytes with ASCII
/// letters compared without regard to case.
using TextCompare = std::function<int(std::string_view, std::string_view)>;
int compareIgnoringCase(std::string_view a, std::string_view b);
bool equalIgnoringCase(std::string_view a, std::string_view b);

/// Sorts the package choice list ascending (a stable order, as the exchange sort it replaces)
/// and then removes every item that equals, without regard to case, one before it.
void sortPackageChoices(std::vector<std::string>& items, const TextCompare& compare = {});

/// The item of `items` to preselect for a footprint, the first rule that finds one: (a) the
/// first item whose component name (after the "@") equals the footprint; (b) the first item
/// that contains the footprint anywhere; (c) the first item whose component name occurs in the
/// footprint. All compare case-sensitively; (b) and (c) are not tried for an empty footprint.
std::optional<size_t> preselectPackage(const std::vector<std::string>& items,
                                       std::string_view footprint);

/// A choice from the package choice dialog: library file name ("" when the text has no "@")
/// and component name.
struct PackageChoice {
    std::string libraryFile;
    std::string name;
};
/// Splits a choice text at its first "@".
PackageChoice parsePackageChoice(std::string_view text);

/// The library component a choice names: with a library file, the component of that file (in
/// list order, the first file of that name); without one, the first component of the name in
/// any library. A name or file name in another case matches when there is no exact match.
const LibraryComponent* findComponent(const std::vector<LibraryComponent>& components,
                                      const PackageChoice& choice);

/// The combined library's file name for a name chosen in the save dialog: the name with its
/// extension replaced by ".lib" (kept as it is when it already ends in ".lib" in any case);
/// a name without "." gets ".lib" appended.
std::string combinedLibraryPath(const std::string& savedName);

/// A netlist footprint that was skipped and the designators that use it, joined by ",".
struct SkippedPackage {
    std::string footprint;
    std::string designators;
};

/// A chosen component that is not in the written library, and why.
struct LeftOutComponent {
    std::string choice;
    std::string reason;
};

/// What writing a combined library did.
struct CombinedLibrary {
    std::vector<LibraryComponent> written;  // in directory order
    std::vector<LeftOutComponent> leftOut;
};

/// Writes the combined library: for each choice in order its component from the loaded
/// libraries, up to the 200 a library holds and the 0xFFFE x 16 bytes its offsets reach. All
/// component data is read before the output is created, and the output is refused when it is
/// one of the loaded libraries. Throws IoError.
CombinedLibrary writeCombinedLibrary(const std::vector<PackageChoice>& chosen,
                                     const std::vector<LibraryComponent>& components,
                                     const std::string& outputPath);

/// How a "Process Netlist" run ended.
struct NetlistRun {
    common::Outcome outcome = common::Outcome::Cancelled;
    std::string outputPath;
    CombinedLibrary library;
    std::vector<SkippedPackage> skipped;
};

/// The netlist to combined library tool: the loaded libraries and their package choice list
/// live from one "Read Library" to the next, so several netlists can be processed against one
/// set; the choice box text is kept from one question to the next. Message boxes are centred
/// on the tool's window.
class LibraryGenerator {
public:
    /// The order of the package choice list; empty for compareIgnoringCase.
    TextCompare compareText;

    /// "Read Library": asks for one or more library files, loads their components, builds
    /// the sorted package choice list and reports how many components were loaded. The lists
    /// stay empty when the dialog is cancelled or a file fails to load. Throws IoError.
    common::Outcome readLibrary(common::Host& host);

    /// Loads library files in order, replacing what was loaded; damaged entries are left out
    /// and returned as messages. Throws IoError, leaving the lists empty.
    std::vector<std::string> load(common::Host& host, const std::vector<std::string>& paths);

    /// "Process Netlist": asks for the netlist and the output name, asks the package question
    /// for each distinct footprint (when `writeComponents`), writes the combined library and
    /// reports. With components to write and no library loaded it refuses before the first
    /// question. Each
    /// question proposes the preselected package, or an empty text when none matches. `showSkipped`
    /// shows the skipped packages after "Some Components were skipped". Throws IoError.
    NetlistRun processNetlist(
        common::Host& host, bool writeComponents,
        const std::function<void(const std::vector<SkippedPackage>&)>& showSkipped);

    const std::vector<LibraryComponent>& components() const { return m_components; }
    const std::vector<std::string>& choices() const { return m_choices; }
    const std::vector<std::string>& libraries() const { return m_libraries; }
    /// The text of the package choice box.
    const std::string& choiceText() const { return m_choiceText; }

private:
    std::vector<std::string> m_libraries;
    std::vector<LibraryComponent> m_components;
    std::vector<std::string> m_choices;
    std::string m_choiceText;
};

}  // namespace padloom::tools
