#pragma once

#include <string>
#include <vector>

#include "view/layer_image.h"

namespace padloom::view {

/// An aperture macro as defined by %AM: its name and its statements (primitives, variable
/// definitions and comments) as written, without the closing "*".
struct ApertureMacro {
    std::string name;
    std::vector<std::string> statements;
    long line = 0;
};

/// Evaluates an arithmetic expression of a macro statement: numbers, variables $n, + - x /
/// and parentheses. `variables[n]` holds $n; unset variables count as 0. Returns false with
/// `error` set when the text is not an expression.
bool evaluateMacroExpression(std::string_view text, const std::vector<double>& variables,
                             double& value, std::string& error);

/// Gives a standard aperture (C, R, O or P in `a.templateName`, with `a.parameters` in file
/// units) its shape; `scale` turns file units into inches. Returns "" or what is wrong.
std::string buildStandardAperture(Aperture& a, double scale);

/// Gives a macro aperture its shape by running the macro's statements with the aperture's
/// parameters as $1, $2 ... Problems (an unknown primitive, a bad expression) are appended to
/// `problems`; the primitives that could be read still form the shape.
void buildMacroAperture(Aperture& a, const ApertureMacro& macro, double scale,
                        std::vector<std::string>& problems);

/// Works out the aperture's extent and how it draws, from its pieces and template.
void finishAperture(Aperture& a);

}  // namespace padloom::view
