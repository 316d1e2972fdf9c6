#include "plot/bom.h"

#include <algorithm>
#include <map>
#include <vector>

#include "board/board_reader.h"
#include "common/number_format.h"
#include "plot/layer_plot.h"

namespace padloom::plot {

int compareIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto upper = [](char c) -> unsigned char {
        return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A')
                                    : static_cast<unsigned char>(c);
    };
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

std::string csvQuoted(std::string_view text) {
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') {
            field += '"';  // a quote inside a field is doubled, as CSV readers expect
        }
        field += c;
    }
    return field + "\"";
}

void writeBillOfMaterials(common::Host& host, const PlotOptions& options,
                          const board::RunValues& runValues) {
    host.addLine("BOM");
    common::LineWriter out(layerOutputPath(runValues, ".csv"));

    using Compare = std::function<int(std::string_view, std::string_view)>;
    const Compare compare = options.compareText ? options.compareText : compareIgnoringAsciiCase;
    auto less = [&compare](const std::string& a, const std::string& b) {
        return compare(a, b) < 0;
    };

    // comment groups in text order; each keeps the first spelling met in the file
    struct Group {
        std::string comment;
        std::vector<std::string> designators;
    };
    std::vector<Group> groups;
    std::map<std::string, size_t, decltype(less)> index(less);
    board::BoardReader reader(runValues.boardFile, runValues.boardImage);
    reader.onlyKinds({board::RecordKind::Component});
    while (auto kind = reader.next()) {
        if (*kind != board::RecordKind::Component) {
            continue;
        }
        const auto& c = reader.component();
        auto [it, added] = index.try_emplace(c.comment, groups.size());
        if (added) {
            groups.push_back({c.comment, {}});
        }
        groups[it->second].designators.push_back(c.designator);
    }

    for (const auto& [key, i] : index) {
        Group& g = groups[i];
        std::stable_sort(g.designators.begin(), g.designators.end(), less);
        std::string list;
        for (size_t d = 0; d < g.designators.size(); ++d) {
            list += (d ? "," : "") + g.designators[d];
        }
        out.line(csvQuoted(g.comment) + "," +
                 common::decimal(static_cast<long long>(g.designators.size())) + "," +
                 csvQuoted(list));
    }
    out.commit();
}

}  // namespace padloom::plot
