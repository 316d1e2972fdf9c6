#include "view/job_set_check.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "common/errors.h"
#include "common/text_io.h"

namespace padloom::view {

namespace {

// The number of `n` digits at `at` of `t`; nullopt when they are not all digits.
std::optional<int> digits(std::string_view t, size_t at, size_t n) {
    int value = 0;
    if (at + n > t.size()) {
        return std::nullopt;
    }
    const auto [end, ec] = std::from_chars(t.data() + at, t.data() + at + n, value);
    if (ec != std::errc() || end != t.data() + at + n) {
        return std::nullopt;
    }
    return value;
}

// Days from 1970-01-01 to a date of the Gregorian calendar.
long long daysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// An ISO 8601 date and time ("2026-12-08T07:30:00.5+01:00") as seconds since 1970 in UTC;
// one without an offset is taken as UTC. nullopt when it is not one.
std::optional<double> instantOf(std::string_view t) {
    const auto year = digits(t, 0, 4), month = digits(t, 5, 2), day = digits(t, 8, 2);
    const auto hour = digits(t, 11, 2), minute = digits(t, 14, 2), second = digits(t, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || t[4] != '-' || t[7] != '-' ||
        t[10] != 'T' || t[13] != ':' || t[16] != ':' || *month < 1 || *month > 12 || *day < 1 ||
        *day > 31) {
        return std::nullopt;
    }
    double seconds = static_cast<double>(daysFromCivil(*year, *month, *day)) * 86400 +
                     *hour * 3600 + *minute * 60 + *second;
    size_t at = 19;
    if (at < t.size() && t[at] == '.') {
        double scale = 0.1;
        for (++at; at < t.size() && std::isdigit(static_cast<unsigned char>(t[at])); ++at) {
            seconds += (t[at] - '0') * scale;
            scale /= 10;
        }
    }
    if (at == t.size() || t.substr(at) == "Z") {
        return seconds;
    }
    const auto offsetHours = digits(t, at + 1, 2), offsetMinutes = digits(t, at + 4, 2);
    if (t.size() != at + 6 || (t[at] != '+' && t[at] != '-') || t[at + 3] != ':' || !offsetHours ||
        !offsetMinutes) {
        return std::nullopt;
    }
    const double offset = *offsetHours * 3600.0 + *offsetMinutes * 60.0;
    return t[at] == '+' ? seconds - offset : seconds + offset;
}

const FileAttribute* attributeOf(const LayerImage& image, std::string_view name) {
    auto it = std::find_if(image.fileAttributes.begin(), image.fileAttributes.end(),
                           [&](const FileAttribute& a) { return a.name == name; });
    return it == image.fileAttributes.end() ? nullptr : &*it;
}

bool sameGuid(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// What a file of the set carries that says it is not of the job's run; "" when nothing does.
std::string whyStale(const JobHeader& job, std::optional<double> jobMade, const LayerImage& file) {
    std::vector<std::string> why;
    if (!job.projectGuid.empty()) {
        const FileAttribute* id = attributeOf(file, ".ProjectId");
        if (!id || id->fields.size() < 2) {
            why.push_back("no ProjectId");
        } else if (!sameGuid(id->fields[1], job.projectGuid)) {
            why.push_back("the ProjectId of another project (GUID " + id->fields[1] + ")");
        }
    }
    if (jobMade) {
        const FileAttribute* date = attributeOf(file, ".CreationDate");
        const std::optional<double> made =
            date && date->fields.size() == 1 ? instantOf(date->fields[0]) : std::nullopt;
        if (!made) {
            why.push_back("no CreationDate");
        } else if (*made < *jobMade) {
            why.push_back("a CreationDate older than the job's (" + date->fields[0] + " before " +
                          job.creationDate + ")");
        }
    }
    std::string text;
    for (size_t i = 0; i < why.size(); ++i) {
        text += (i == 0 ? "it carries " : i + 1 == why.size() ? " and " : ", ") + why[i];
    }
    return text;
}

}  // namespace

std::vector<Problem> staleSetProblems(const LayerImage& job,
                                      const std::vector<const LayerImage*>& listed) {
    std::vector<Problem> problems;
    const JobHeader& header = job.jobHeader;
    const std::optional<double> made = instantOf(header.creationDate);
    if (header.projectGuid.empty() && !made) {
        return problems;
    }
    for (size_t i = 0; i < listed.size() && i < job.jobFiles.size(); ++i) {
        if (!listed[i]) {
            continue;
        }
        const std::string why = whyStale(header, made, *listed[i]);
        if (!why.empty()) {
            problems.push_back({Severity::Warning, 0,
                                job.jobFiles[i].path +
                                    " is not of this job's run (the job file may be left from "
                                    "an earlier plot): " +
                                    why});
        }
    }
    return problems;
}

void checkJobSet(LayerImage& job) {
    const std::vector<std::string> paths = jobSetPaths(job);
    std::vector<LayerImage> images(paths.size());
    std::vector<const LayerImage*> listed(paths.size(), nullptr);
    for (size_t i = 0; i < paths.size(); ++i) {
        try {
            if (!paths[i].empty() && common::fileExists(paths[i])) {
                images[i] = readLayerFile(paths[i]);
                listed[i] = &images[i];
            }
        } catch (const common::IoError&) {
            // not readable as a layer: the job's listing says what is wrong with it
        }
    }
    for (Problem& p : staleSetProblems(job, listed)) {
        job.problems.push_back(std::move(p));
    }
}

}  // namespace padloom::view
