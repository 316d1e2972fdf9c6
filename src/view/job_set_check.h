#pragma once

#include <vector>

#include "view/layer_image.h"

namespace padloom::view {

/// The files of a Gerber job file's set that are not of the job's run, each as a problem of
/// the job: a file that does not carry the job's ProjectId (its GUID), or whose CreationDate is
/// older than the job's or missing, was left by another run (a plot without X2 attributes
/// rewrites the files and leaves the job file of an earlier one). `listed[i]` is the file of
/// `job.jobFiles[i]` as read, null when it was not read. A job that gives neither its project
/// nor its date is not checked.
std::vector<Problem> staleSetProblems(const LayerImage& job,
                                      const std::vector<const LayerImage*>& listed);

/// Reads the listed files of a job file that are there and adds staleSetProblems to the job's
/// problems. A file that cannot be read is left to the job's other problems.
void checkJobSet(LayerImage& job);

}  // namespace padloom::view
