#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/errors.h"
#include "common/host.h"
#include "common/text_io.h"

namespace padloom::convert {

/// Zero suppression of the format statement: its letter is "L", "T" or "D".
enum class ZeroSuppression { Leading = 0, Trailing = 1, None = 2 };

/// Options of the RS274D to RS274X window.
struct Rs274xOptions {
    std::string aptFile;             // the aperture file (the combo box text)
    std::vector<std::string> plots;  // the RS274D input plots, in list order
    int digits = 2;                  // integer digits of the format statement, 1 to 9
    int precision = 3;               // decimal digits, 1 to 9
    bool incremental = false;        // "Mode": "Absoulte" or "Incremental"
    ZeroSuppression zeros = ZeroSuppression::Leading;
    bool single = false;  // "Output Files": one file holding every plot, or one per plot
    bool metric = false;  // "Units": "Inches" or "Metric"
};

/// An aperture line as the converter reads it: D-code, shape word (upper case) and sizes in
/// mils. ROUND and SQUARE have one size, used for both.
struct ConverterAperture {
    int dcode = 0;
    std::string word;
    int xSize = 0;
    int ySize = 0;
    bool hasYSize = false;
};

/// Reads one trimmed aperture file line, in the Traxplot form ("D10 ROUND 5") or the form our
/// aperture files take ("D12<TAB>CIRCULAR   <TAB>60<TAB>60<TAB>0<TAB>MULTI"). Lines whose
/// D-code or sizes hold other characters than digits, and lines with no size after the shape
/// word, give nullopt.
std::optional<ConverterAperture> parseConverterAptLine(std::string_view line);

/// The size text of a size in mils: inches as ".060" and "1.250"; in millimetres with three
/// decimals or more ("1.524" for 60, "0.0254" for 1).
std::string converterSizeText(long long mils, bool metric);

/// The RS274X definition line(s) of one aperture, each ending in CR LF; empty for a shape word
/// the converter does not define (CIRCULAR/ROUND, RECTANGULAR/SQUARE, ROUNDRECT, OCTAGONAL,
/// RELIEF and the MOIRE target are defined).
std::string converterApertureDefinition(const ConverterAperture& aperture, bool metric);

/// "%FSLAX23Y23*%" and its variants.
std::string formatStatement(const Rs274xOptions& options);

/// The apertures a header defines, and the aperture file lines that gave no definition.
struct HeaderApertures {
    std::set<int> defined;
    std::map<int, std::string> notDefined;  // D-code -> its aperture line, trimmed
};

/// Writes the header: format statement, units and one definition per aperture file line.
/// Throws IoError when the aperture file cannot be read.
HeaderApertures writeRs274xHeader(common::LineWriter& out, const Rs274xOptions& options);

/// Where a plot first selects an aperture.
struct DcodeUse {
    std::string plot;
    long line = 0;
};

/// The apertures the plots select (D10 and up; D01 to D03 are operations), each with its
/// first use, and those the plots define themselves with "%ADD".
struct PlotSelections {
    std::map<int, DcodeUse> selected;
    std::set<int> defined;

    /// Notes the selections of one line of a plot; comments ("G04") say nothing.
    void scan(std::string_view line, const std::string& plot, long lineNumber);
};

/// A D-code the output selects but does not define: the board house cannot plot it.
struct UndefinedDcode {
    int dcode = 0;
    DcodeUse firstUse;
    std::string apertureLine;  // the aperture file line that gave no definition, or empty
};

/// The image name of a plot: its file name in upper case, with "%" and "*" (which would end
/// the parameter) replaced by "_".
std::string imageNameOf(const std::string& plotPath);

/// Copies one RS274D plot after its "G04 data from" comment and image name line: its end of
/// program "M02" is cut off (the output writes one of its own), and empty lines and lines
/// starting with a backspace are dropped. The apertures it selects are noted in `selections`
/// when given. Throws IoError.
void copyPlotBody(common::LineWriter& out, const std::string& plotPath,
                  PlotSelections* selections = nullptr);

/// Adds chosen plot paths to the input list, which is kept sorted alphabetically (letter case
/// aside); a path already in the list is not added twice.
void addPlotFiles(std::vector<std::string>& list, const std::vector<std::string>& chosen);

/// The "Create eXtended Gerber(s)" run. Single output: asks for the output name with the
/// host's save dialog and writes one file holding every plot. Multiple outputs: writes each
/// plot's path + ".xgerber". Shows "No source files defined" without an aperture file or
/// plots, "Done!" when files were written and every aperture they select is defined; when some
/// are not, a warning naming each such D-code instead, and they are listed in `undefined` when
/// given. Refuses to write over any input. Throws IoError.
common::Outcome createExtendedGerbers(common::Host& host, const Rs274xOptions& options,
                                      std::vector<UndefinedDcode>* undefined = nullptr);

}  // namespace padloom::convert
