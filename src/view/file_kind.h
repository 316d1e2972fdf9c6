#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace padloom::view {

/// What a file is, told from its first statement: a Gerber file, an Excellon drill file, a
/// Gerber job file that lists a set, or something else.
enum class FileKind { Gerber, Excellon, GerberJob, Other };

struct FileIdentity {
    FileKind kind = FileKind::Other;
    /// For FileKind::Other: what it is instead, in a few words ("an Autotrax board file").
    std::string reason;
};

/// Tells a Gerber or drill file from the other files a fab folder holds (boards, aperture
/// lists, tool tables, BOMs, placement files, netlists, DXF drawings, READMEs): CAD programs
/// open their files with comments, parameters, M48 or a first block, so the first line that is
/// not blank and not a comment decides. A Gerber or Excellon file is never refused here.
FileIdentity identifyFile(std::string_view bytes);

/// One file of a Gerber job file's set: its path as written and what the job file says it is.
struct JobFileEntry {
    std::string path;
    std::string fileFunction;
    std::string filePolarity;
};

/// The files listed under "FilesAttributes" in a Gerber job file (JSON), in order. A listing
/// that cannot be read gives what was read before it.
std::vector<JobFileEntry> readJobFileList(std::string_view json);

/// What a Gerber job file says of the set as a whole: when it was made ("CreationDate" of its
/// "Header") and the GUID of its "ProjectId" (in "GeneralSpecs", or in "Header" as some
/// programs write it); "" for what it does not give.
struct JobHeader {
    std::string creationDate;
    std::string projectGuid;
};

/// Reads the header facts of a Gerber job file (JSON); what cannot be read stays "".
JobHeader readJobHeader(std::string_view json);

}  // namespace padloom::view
