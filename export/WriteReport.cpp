#include <cassert>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/CodePage.h"
#include "base/Texts.h"
#include "export/OutputCommit.h"
#include "export/OutputSet.h"
#include "export/OutputSteps.h"
#include "export/Report.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/OutputNames.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

// The report is code page 1252 throughout: paths, held as UTF-8, are converted like the
// rest, and what the code page cannot show becomes '?', as does a control character, so that
// every path stays on its line.
void AppendPath(std::string& report, std::string_view path) {
    report += WithoutControlCharacters(Utf8ToCp1252Lossy(path));
}

void AppendFiles(std::string& report, const AcquiredFileList& files) {
    if (files.isEmpty()) {
        report += texts::kReportNone;
    }
    for (const AcquiredFile& file : files) {
        AppendPath(report, file.path);
        report += texts::kLineBreak;
    }
}

void AppendIssues(std::string& report, std::string_view title, const AppendList<IssueEntry>& issues) {
    if (issues.isEmpty()) {
        return;
    }
    report += title;
    for (const IssueEntry& issue : issues) {
        AppendPath(report, issue.sourcePath);
        report.append("\t").append(issue.message).append(texts::kLineBreak);
    }
    report += texts::kReportSectionEnd;
}

std::string Report(const MergeWorkspace& workspace) {
    std::string report(texts::kReportTitle);
    report += texts::kReportStopFiles;
    AppendFiles(report, workspace.acquiredStops);
    report += texts::kReportSectionEnd;
    report += texts::kReportRouteFiles;
    AppendFiles(report, workspace.acquiredRoutes);
    report += texts::kReportSectionEnd;
    AppendIssues(report, texts::kReportStopIssues, workspace.issueLog.stopIssues);
    AppendIssues(report, texts::kReportRouteIssues, workspace.issueLog.routeIssues);
    return report;
}

// The table of conflicts: UTF-8, comma-separated, quoted as RFC 4180 has it, one row per
// entry of the issue log in the report's order. Every row has the kept record's position
// (a route's first point), so that a GIS program can put it on a map; otherwise only the
// values of what differs are given.
class ConflictTable {
public:
    struct Column {
        const char* name;
        const char* type;  // as GDAL and QGIS read a .csvt: a code of digits stays a text
    };
    // Columns added later go at the end, so that a reader of the earlier ones finds them
    // where they were.
    static constexpr Column kColumns[] = {
        {"dataset", "String"},         {"code", "String"},
        {"kept_file", "String"},       {"dropped_file", "String"},
        {"differs", "String"},         {"kept_text", "String"},
        {"dropped_text", "String"},    {"kept_x", "Real"},
        {"dropped_x", "Real"},         {"kept_y", "Real"},
        {"dropped_y", "Real"},         {"kept_points", "Integer"},
        {"dropped_points", "Integer"}, {"first_different_point", "Integer"},
        {"distance", "Real"},          {"kept_point_x", "Real"},
        {"kept_point_y", "Real"},      {"dropped_point_x", "Real"},
        {"dropped_point_y", "Real"},
    };

    ConflictTable() {
        std::vector<std::string> header;
        for (const Column& column : kColumns) {
            header.emplace_back(column.name);
        }
        row(header);
    }

    // The one line of the table's .csvt: each column's type, quoted.
    static std::string Types() {
        std::string line;
        for (const Column& column : kColumns) {
            line.append(line.empty() ? "\"" : ",\"").append(column.type).append("\"");
        }
        return line + "\r\n";
    }

    void addStop(const IssueEntry& entry) {
        const Conflict& c = entry.conflict;
        const bool text = c.keptText != c.droppedText;
        const bool x = !(c.kept.x == c.dropped.x);
        const bool y = !(c.kept.y == c.dropped.y);
        const bool moved = x || y;
        row({"RT_NODI", Cp1252ToUtf8(c.code), c.keptSource, entry.sourcePath,
             Differences({{text, "name"}, {x, "x"}, {y, "y"}}), text ? Text(c.keptText) : "",
             text ? Text(c.droppedText) : "", Number(c.kept.x), moved ? Number(c.dropped.x) : "",
             Number(c.kept.y), moved ? Number(c.dropped.y) : "", "", "", "",
             Distance(std::hypot(c.dropped.x - c.kept.x, c.dropped.y - c.kept.y)), "", "", "", ""});
    }

    void addRoute(const IssueEntry& entry) {
        const Conflict& c = entry.conflict;
        const bool text = c.keptText != c.droppedText;
        const bool count = c.keptPoints != c.droppedPoints;
        const bool point = c.firstDifferentPoint >= 0;
        const bool kept = c.keptPoints > 0;
        const bool dropped = c.droppedPoints > 0;
        const bool start = dropped && (!kept || !(c.kept.x == c.dropped.x) || !(c.kept.y == c.dropped.y));
        row({"RT_ITIN", Cp1252ToUtf8(c.code), c.keptSource, entry.sourcePath,
             Differences({{text, "description"}, {count, "point count"}, {point, "point"}}),
             text ? Text(c.keptText) : "", text ? Text(c.droppedText) : "", kept ? Number(c.kept.x) : "",
             start ? Number(c.dropped.x) : "", kept ? Number(c.kept.y) : "", start ? Number(c.dropped.y) : "",
             count ? std::to_string(c.keptPoints) : "", count ? std::to_string(c.droppedPoints) : "",
             point ? std::to_string(c.firstDifferentPoint) : "", "", point ? Number(c.keptPoint.x) : "",
             point ? Number(c.keptPoint.y) : "", point ? Number(c.droppedPoint.x) : "",
             point ? Number(c.droppedPoint.y) : ""});
    }

    const std::string& text() const { return text_; }

private:
    struct Difference {
        bool differs;
        const char* name;
    };

    static std::string Differences(std::initializer_list<Difference> differences) {
        std::string list;
        for (const Difference& difference : differences) {
            if (difference.differs) {
                list += list.empty() ? "" : ";";
                list += difference.name;
            }
        }
        return list;
    }

    // A name or a description without the blanks that pad it to its field's width, which a
    // table's reader would take as part of it.
    static std::string Text(std::string_view cp1252) {
        return Cp1252ToUtf8(cp1252.substr(0, cp1252.find_last_not_of(' ') + 1));
    }

    // The shortest text that reads back as the same double.
    static std::string Number(double value) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        return std::string(digits, end);
    }

    // Stops are kept to two decimals, so a thousandth of the unit shows every distance there
    // can be between two of them.
    static std::string Distance(double value) {
        char digits[400];
        const auto end =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3).ptr;
        return std::string(digits, end);
    }

    void row(const std::vector<std::string>& cells) {
        assert(cells.size() == std::size(kColumns));
        bool first = true;
        for (const std::string& cell : cells) {
            if (!first) {
                text_ += ',';
            }
            first = false;
            if (cell.find_first_of(",\"\r\n") == std::string::npos) {
                text_ += cell;
                continue;
            }
            text_ += '"';
            for (const char c : cell) {
                text_ += c;
                if (c == '"') {
                    text_ += '"';
                }
            }
            text_ += '"';
        }
        text_ += "\r\n";
    }

    std::string text_;
};

std::string Table(const MergeWorkspace& workspace) {
    ConflictTable table;
    for (const IssueEntry& entry : workspace.issueLog.stopIssues) {
        table.addStop(entry);
    }
    for (const IssueEntry& entry : workspace.issueLog.routeIssues) {
        table.addRoute(entry);
    }
    return table.text();
}

}  // namespace

OutputResult PrepareReport(const MergeWorkspace& workspace, FileSystem& files, const std::string& folder,
                           std::optional<OutputSet>& set) {
    // Paths and messages go in as code page 1252 bytes; every line ends with CR LF.
    const std::string report = Report(workspace);
    const std::string table = Table(workspace);
    const std::string types = ConflictTable::Types();
    OutputSet::File* reportFile = nullptr;
    OutputSet::File* tableFile = nullptr;
    OutputSet::File* typesFile = nullptr;
    const OutputResult result = TryOutputSteps(
        [&] {
            set.emplace(files);
            reportFile = &set->create(JoinPath(folder, kReportFileName));
            tableFile = &set->create(JoinPath(folder, kConflictsFileName));
            typesFile = &set->create(JoinPath(folder, kConflictTypesFileName));
        },
        [&] {
            reportFile->write(report.data(), report.size());
            tableFile->write(table.data(), table.size());
            typesFile->write(types.data(), types.size());
            set->close();
        });
    if (result.outcome != OutputOutcome::Written) {
        set.reset();
    }
    return result;
}

OutputOutcome MergeWorkspace::WriteReport(const std::string& folder) {
    std::optional<OutputSet> set;
    OutputResult result = PrepareReport(*this, platform_.files(), folder, set);
    if (set) {
        result = CommitAlone(platform_.files(), folder, *set);
    }
    ShowOutputFailure(platform_, result);
    return result.outcome;
}

}  // namespace tramelo
