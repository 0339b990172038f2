#include "cli/BatchMerge.h"

#include <algorithm>
#include <new>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "base/CodePage.h"
#include "base/Texts.h"
#include "pipeline/Pipeline.h"
#include "platform/OperatingSystem.h"
#include "shapefile/FileSystem.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

constexpr std::string_view kProgram = "tramelo-merge";

constexpr std::string_view kUsage =
    "Uso: tramelo-merge [-s|--stops FILE] [-r|--routes FILE] ... -o|--output CARTELLA\n";

constexpr std::string_view kHelp =
    "\n"
    "Unifica shapefile di fermate (RT_NODI) e di percorsi (RT_ITIN) della stessa azienda\n"
    "e scrive nella CARTELLA il report ReportFusione.txt con la sua tabella ReportFusione.csv\n"
    "e i tipi delle sue colonne ReportFusione.csvt, RT_NODI.SHP/.SHX/.DBF/.CPG e\n"
    "RT_ITIN.SHP/.SHX/.DBF/.CPG, e RT_NODI.PRJ e RT_ITIN.PRJ quando gli shapefile hanno\n"
    "tutti lo stesso sistema di riferimento.\n"
    "\n"
    "  -s, --stops FILE          aggiunge uno shapefile di fermate (il suo file .shp)\n"
    "  -r, --routes FILE         aggiunge uno shapefile di percorsi (il suo file .shp)\n"
    "  -o, --output CARTELLA     la cartella in cui scrivere i risultati\n"
    "  -h, --help                mostra questo aiuto\n"
    "      --version             mostra la versione\n"
    "\n"
    "I file sono aggiunti nell'ordine della riga di comando; -s e -r si possono ripetere.\n"
    "Errori e avvisi vanno sullo standard error, i conteggi sullo standard output.\n"
    "Uscita: 0 tutto acquisito e scritto, 1 un file rifiutato o un risultato non scritto,\n"
    "2 riga di comando errata, 128 + il numero del segnale se interrotta.\n";

constexpr std::string_view kInterrupted = "unificazione interrotta";

struct Input {
    bool stops;
    std::string path;
};

struct Request {
    std::vector<Input> inputs;
    std::optional<std::string> output;
    bool help = false;
    bool version = false;
};

class UsageError {
public:
    explicit UsageError(std::string problem) : problem(std::move(problem)) {}
    std::string problem;
};

// An option's value: "--name=value" or the next argument.
std::string OptionValue(std::span<const std::string> args, std::size_t& i, std::string_view option,
                        std::optional<std::string_view> attached) {
    if (attached) {
        return std::string(*attached);
    }
    if (i + 1 >= args.size()) {
        throw UsageError("l'opzione " + std::string(option) + " richiede un argomento");
    }
    return args[++i];
}

Request Parse(std::span<const std::string> args) {
    Request request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view option = args[i];
        std::optional<std::string_view> attached;
        if (option.starts_with("--")) {
            if (const std::size_t equals = option.find('='); equals != std::string_view::npos) {
                attached = option.substr(equals + 1);
                option = option.substr(0, equals);
            }
        }
        if (option == "-s" || option == "--stops" || option == "-r" || option == "--routes") {
            const bool stops = option == "-s" || option == "--stops";
            request.inputs.push_back({stops, OptionValue(args, i, option, attached)});
        } else if (option == "-o" || option == "--output") {
            if (request.output) {
                throw UsageError("la cartella di output va indicata una volta sola");
            }
            request.output = OptionValue(args, i, option, attached);
        } else if (option == "-h" || option == "--help") {
            request.help = true;
        } else if (option == "--version") {
            request.version = true;
        } else if (option.starts_with("-")) {
            throw UsageError("opzione sconosciuta: " + std::string(args[i]));
        } else {
            throw UsageError("argomento inatteso: " + std::string(args[i]) +
                             " (i file vanno indicati con -s o -r)");
        }
    }
    if (request.help || request.version) {
        return request;
    }
    if (!request.output) {
        throw UsageError("manca la cartella di output (-o)");
    }
    if (request.inputs.empty()) {
        throw UsageError("nessun file da unificare (-s o -r)");
    }
    return request;
}

// The output folder without trailing separators; the root keeps its meaning because the
// file names are joined to it with a separator ("/" gives "/ReportFusione.txt").
std::string OutputFolder(std::string folder) {
    while (!folder.empty() && (folder.back() == kPathSeparator || folder.back() == '/')) {
        folder.pop_back();
    }
    return folder;
}

// Every message the dialog would show in a box becomes one line. While a file is being
// added, a line that does not name a path itself names that file, so that with many inputs
// it is clear which one a line is about.
class ConsolePlatform final : public Platform {
public:
    ConsolePlatform(FileSystem& files, std::ostream& out, std::ostream& err)
        : files_(files), out_(out), err_(err) {}

    FileSystem& files() override { return files_; }

    void showMessage(const Message& message) override {
        if (message.kind() == MessageKind::Information) {
            out_ << OneLine(message) << '\n' << std::flush;
            return;
        }
        const std::string_view severity = message.kind() == MessageKind::Error ? "errore" : "attenzione";
        std::string text = OneLine(message);
        const bool namesPath = std::any_of(message.pieces().begin(), message.pieces().end(),
                                           [](const Message::Piece& piece) { return piece.isPath; });
        if (!input_.empty() && !namesPath) {
            text = WithoutControlCharacters(input_) + ": " + text;
        }
        // A text that opens with its own severity word ("Attenzione: lo shapefile ...") says
        // it already.
        if (!StartsWithWord(text, severity)) {
            err_ << severity << ": ";
        }
        err_ << text << '\n' << std::flush;
    }

    CalendarDate today() override { return LocalDateToday(); }

    // The input file being added, as given; empty between files.
    void setInput(std::string path) { input_ = std::move(path); }

private:
    // The message as one line of UTF-8: the line breaks that set a box's path apart become a
    // space, and a control character in a path or in a code read from a file '?', so that
    // neither can break a line or drive the terminal.
    static std::string OneLine(const Message& message) {
        std::string line;
        for (const Message::Piece& piece : message.pieces()) {
            if (piece.isPath) {
                line += WithoutControlCharacters(piece.bytes);
                continue;
            }
            // A line break joins lines as the fixed texts' do; any other control character came
            // from a file.
            std::string text = Cp1252ToUtf8(piece.bytes);
            for (char& c : text) {
                if (c != '\n' && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)) {
                    c = '?';
                }
            }
            line += text;
        }
        std::string joined;
        for (const char c : line) {
            if (c == '\n') {
                if (!joined.empty() && joined.back() != ' ') {
                    joined += ' ';
                }
            } else {
                joined += c;
            }
        }
        return joined;
    }

    static bool StartsWithWord(std::string_view text, std::string_view word) {
        if (text.size() <= word.size() || text[word.size()] != ':') {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char c =
                text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
            if (c != word[i]) {
                return false;
            }
        }
        return true;
    }

    FileSystem& files_;
    std::ostream& out_;
    std::ostream& err_;
    std::string input_;
};

// The run itself, once the command line is known to be right.
int Merge(const Request& request, FileSystem& files, std::ostream& out, std::ostream& err) {
    // The inputs are known from the start, so each is read while the one before is merged.
    // The read-ahead hears as soon as the last one is named: the buffers of the files merged
    // after that then go at once instead of waiting, unused, beside the last input.
    Pipeline pipeline(files);
    const auto expect = [&](std::size_t i) {
        pipeline.expectShapefile(request.inputs[i].path);
        if (i + 1 == request.inputs.size()) {
            pipeline.expectNoMore();
        }
    };
    ConsolePlatform platform(pipeline.files(), out, err);
    MergeWorkspace workspace(platform);
    // The output folder is known from the start too. Before anything is read it is claimed:
    // a folder another run is writing into is left alone, and what an earlier run left there
    // half done is finished first. Then what is merged is written while the files that follow
    // are read and merged.
    const std::string outputFolder = OutputFolder(*request.output);
    switch (workspace.ClaimOutputFolder(outputFolder)) {
    case ClaimOutcome::Claimed: pipeline.writeAheadInto(workspace, outputFolder); break;
    case ClaimOutcome::NoFolder: break;  // Finish says which outputs cannot be created
    case ClaimOutcome::InUse:
    case ClaimOutcome::Failed: return kExitFailure;
    }
    bool allAcquired = true;
    for (std::size_t i = 0; i < request.inputs.size() && InterruptSignal() == 0; ++i) {
        if (i == 0) {
            expect(0);
        }
        if (i + 1 < request.inputs.size()) {
            expect(i + 1);
        }
        const Input& input = request.inputs[i];
        platform.setInput(input.path);
        const AddOutcome outcome =
            input.stops ? workspace.AddStopsFile(input.path) : workspace.AddRoutesFile(input.path);
        platform.setInput({});
        if (outcome == AddOutcome::AlreadyAcquired) {
            platform.showMessage(MergeWorkspace::AlreadyAcquiredMessage(input.path));
        }
        allAcquired = allAcquired && outcome != AddOutcome::Rejected;
    }

    if (InterruptSignal() != 0) {
        return kExitFailure;
    }
    if (!workspace.HasMergedData()) {
        err << kProgram << ": nessuna fermata e nessun percorso da scrivere: nessun file scritto\n";
        return allAcquired ? kExitSuccess : kExitFailure;
    }
    const bool allWritten = workspace.Finish(outputFolder);
    return allAcquired && allWritten ? kExitSuccess : kExitFailure;
}

int Run(std::span<const std::string> args, FileSystem& files, std::ostream& out, std::ostream& err) {
    Request request;
    try {
        request = Parse(args);
    } catch (const UsageError& error) {
        err << kProgram << ": " << error.problem << '\n' << kUsage;
        return kExitUsage;
    }
    if (request.help) {
        out << kUsage << kHelp;
        return kExitSuccess;
    }
    if (request.version) {
        out << kProgram << ' ' << TRAMELO_VERSION << '\n';
        return kExitSuccess;
    }
    return Merge(request, files, out, err);
}

}  // namespace

int RunBatchMerge(std::span<const std::string> args, FileSystem& files, std::ostream& out,
                  std::ostream& err) {
    int status = kExitSuccess;
    try {
        status = Run(args, files, out, err);
    } catch (const std::bad_alloc&) {
        // Everything of the run is gone by now, its temporary files with it.
        err << kProgram << ": " << texts::kOutOfMemory << '\n' << std::flush;
        status = kExitFailure;
    }
    if (const int signal = InterruptSignal(); signal != 0) {
        err << kProgram << ": " << kInterrupted << '\n' << std::flush;
        status = kExitInterrupted + signal;
    }
    InterruptHandled();
    return status;
}

}  // namespace tramelo
