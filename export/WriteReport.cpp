#include <optional>
#include <string>

#include "base/Texts.h"
#include "export/OutputSteps.h"
#include "export/ReplacingFile.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

constexpr std::string_view kReportName = "ReportFusione.txt";

void AppendFiles(std::string& report, const AcquiredFileList& files) {
    if (files.isEmpty()) {
        report += texts::kReportNone;
    }
    for (const AcquiredFile& file : files) {
        report.append(file.path).append(texts::kLineBreak);
    }
}

void AppendIssues(std::string& report, std::string_view title, const AppendList<IssueEntry>& issues) {
    if (issues.isEmpty()) {
        return;
    }
    report += title;
    for (const IssueEntry& issue : issues) {
        report.append(issue.sourcePath).append("\t").append(issue.message).append(texts::kLineBreak);
    }
    report += texts::kReportSectionEnd;
}

}  // namespace

OutputOutcome MergeWorkspace::WriteReport(const std::string& folder) {
    // Paths and messages go in as the bytes they hold; every line ends with CR LF.
    std::string report(texts::kReportTitle);
    report += texts::kReportStopFiles;
    AppendFiles(report, acquiredStops);
    report += texts::kReportSectionEnd;
    report += texts::kReportRouteFiles;
    AppendFiles(report, acquiredRoutes);
    report += texts::kReportSectionEnd;
    AppendIssues(report, texts::kReportStopIssues, issueLog.stopIssues);
    AppendIssues(report, texts::kReportRouteIssues, issueLog.routeIssues);

    std::optional<ReplacingFile> file;
    return RunOutputSteps(
        platform_, [&] { file.emplace(platform_.files(), JoinPath(folder, kReportName)); },
        [&] {
            file->write(report.data(), report.size());
            file->close();
            file->commit();
        });
}

}  // namespace tramelo
