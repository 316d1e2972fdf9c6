#include "plot/bom.h"

#include <algorithm>
#include <map>
#include <optional>
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

namespace {

// Gathers the comment groups in the order of the comparison; each keeps the first spelling
// met in the file, and its designators in file order until they are sorted.
class BillOfMaterials : public PassOutput {
public:
    BillOfMaterials(common::Host& host, const PlotOptions& options, const board::RunValues& rv)
        : m_compare(options.compareText ? options.compareText : compareIgnoringAsciiCase),
          m_index(Less{&m_compare}) {
        host.addLine("BOM");
        m_out.emplace(layerOutputPath(rv, ".csv"));
    }

    unsigned kinds() const override { return kindBit(board::RecordKind::Component); }
    void record(board::RecordKind kind, const board::BoardReader& reader) override {
        if (kind != board::RecordKind::Component) {
            return;
        }
        const auto& c = reader.component();
        auto [it, added] = m_index.try_emplace(c.comment, m_groups.size());
        if (added) {
            m_groups.push_back({c.comment, {}});
        }
        m_groups[it->second].designators.push_back(c.designator);
    }
    void finish() override {
        common::LineWriter& out = *m_out;
        const Less less{&m_compare};
        for (const auto& [key, i] : m_index) {
            Group& g = m_groups[i];
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

private:
    using Compare = std::function<int(std::string_view, std::string_view)>;
    struct Less {
        const Compare* compare;
        bool operator()(const std::string& a, const std::string& b) const {
            return (*compare)(a, b) < 0;
        }
    };
    struct Group {
        std::string comment;
        std::vector<std::string> designators;
    };

    const Compare m_compare;
    std::optional<common::LineWriter> m_out;
    std::vector<Group> m_groups;
    std::map<std::string, size_t, Less> m_index;
};

}  // namespace

std::unique_ptr<PassOutput> billOfMaterialsOutput(common::Host& host, const PlotOptions& options,
                                                  const board::RunValues& runValues) {
    return std::make_unique<BillOfMaterials>(host, options, runValues);
}

void writeBillOfMaterials(common::Host& host, const PlotOptions& options,
                          const board::RunValues& runValues) {
    BillOfMaterials output(host, options, runValues);
    runPass(runValues, output);
}

}  // namespace padloom::plot
