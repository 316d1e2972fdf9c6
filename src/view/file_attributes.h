#pragma once

#include <string_view>

#include "view/layer_image.h"
#include "view/reader_support.h"

namespace padloom::view {

/// Reads a file attribute: the text after "TF" of a "%TF...*%" block, or of a drill file's
/// "; #@! TF..." comment (".FileFunction,Copper,L1,Top"). Keeps it in the image (a function
/// or polarity also as the image's own) and reports what is malformed in it.
void readFileAttribute(LayerImage& image, ProblemList& problems, std::string_view text, long line);

/// Checks an aperture attribute: the text after "TA" (".AperFunction,ComponentPad").
void checkApertureAttribute(ProblemList& problems, std::string_view text, long line);

/// Reads the text of a comment (after "G04", or after the ";" of a drill file) that holds an
/// attribute for readers that know them ("#@! TF.FileFunction,Copper,L1,Top"); false when the
/// comment is an ordinary one.
bool readAttributeComment(LayerImage& image, ProblemList& problems, std::string_view comment,
                          long line);

/// Reports a file function that contradicts the extension of the file's name (a ".GBL" that
/// says it is top copper), where the extension is one of a plot set's.
void checkFunctionAgainstName(const LayerImage& image, ProblemList& problems);

}  // namespace padloom::view
