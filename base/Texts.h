#pragma once

// The core's fixed texts, byte for byte, every one of them here. They are code page 1252
// ("à" is 0xE0, "è" 0xE8) because that is what the report and the data files hold; shells
// convert them for display. Each hex escape stands alone in its literal piece so that no
// following letter joins it.

#include <string_view>

namespace tramelo::texts {

// clang-format off

// Adding a file that is already listed.
inline constexpr std::string_view kAlreadyAcquiredBefore = "Attenzione: lo shapefile indicato\n\n";
inline constexpr std::string_view kAlreadyAcquiredAfter = "\n\nrisulta gi\xE0" " acquisito";

// Imports.
inline constexpr std::string_view kCannotReadStopsShp = "Non \xE8" " possibile leggere il file RT_NODI.SHP";
inline constexpr std::string_view kCannotReadStopsShx = "Non \xE8" " possibile leggere il file RT_NODI.SHX";
inline constexpr std::string_view kCannotReadStopsDbf = "Non \xE8" " possibile leggere il file RT_NODI.DBF";
inline constexpr std::string_view kCannotReadRoutesShp = "Non \xE8" " possibile leggere il file RT_ITIN.SHP";
inline constexpr std::string_view kCannotReadRoutesShx = "Non \xE8" " possibile leggere il file RT_ITIN.SHX";
inline constexpr std::string_view kCannotReadRoutesDbf = "Non \xE8" " possibile leggere il file RT_ITIN.DBF";
inline constexpr std::string_view kIllegalFormat =
    "lo ShapeFile presenta un formato illegale oppure si \xE8" " verificato un errore di lettura";
inline constexpr std::string_view kStopsAttributesMissing =
    "lo ShapeFile non presenta gli attributi obbligatori di RT_NODI oppure non contiene "
    "entit\xE0" " puntuali";
inline constexpr std::string_view kRoutesAttributesMissing =
    "lo ShapeFile non presenta gli attributi obbligatori di RT_ITIN oppure non contiene "
    "entit\xE0" " lineari";
// Why a file lacks what its kind requires, after the fixed message and kReasonBefore: each
// problem in a few words ("campo AZIENDA: N(10,0), serve N(5,0)", "campo DENOM assente",
// "forma: PolyLineZ (13), serve PolyLine (3)"), several joined by kReasonSeparator.
inline constexpr std::string_view kReasonBefore = ":\n\n";
inline constexpr std::string_view kReasonSeparator = "; ";
inline constexpr std::string_view kReasonField = "campo ";
inline constexpr std::string_view kReasonOr = " o ";
inline constexpr std::string_view kReasonAbsent = " assente";
inline constexpr std::string_view kReasonShape = "forma: ";
inline constexpr std::string_view kReasonNeeded = ", serve ";
// Why a file's format is wrong, after kIllegalFormat and kReasonBefore: the file (".SHP: "),
// then what is wrong with it.
inline constexpr std::string_view kReasonHeaderShort = "intestazione incompleta";
inline constexpr std::string_view kReasonFileCode = "codice ";
inline constexpr std::string_view kReasonDbfVersion = "versione ";
inline constexpr std::string_view kReasonShxShort = "finisce prima della lunghezza dichiarata";
inline constexpr std::string_view kReasonRecordBefore = "record di ";
inline constexpr std::string_view kReasonRecordMiddle = " byte, i campi ne occupano ";
inline constexpr std::string_view kReasonReadError = "errore di lettura";
inline constexpr std::string_view kReasonRecordMissingBefore = "manca il record dell'entit\xE0" " \"";
// After "l'entità "i" (kFeatureBefore and the position).
inline constexpr std::string_view kReasonPastEndAfter = "\" va oltre la fine del file";
inline constexpr std::string_view kReasonUnreadableAfter = "\" non si pu\xF2" " leggere";
inline constexpr std::string_view kReasonTooShortMiddle = "\" \xE8" " troppo corta (";
inline constexpr std::string_view kReasonTooShortAfter = " byte)";
// Feature messages: the feature's zero-based position or code goes between the pieces.
inline constexpr std::string_view kFeatureBefore = "l'entit\xE0" " \"";
inline constexpr std::string_view kNotPointAfter = "\" non \xE8" " di tipo puntuale";
inline constexpr std::string_view kNotPolylineAfter = "\" non \xE8" " di tipo lineare";
inline constexpr std::string_view kPartsMiddle = "\" contiene ";
inline constexpr std::string_view kPartsAfter = " polilinee";
// Feature messages that name the feature by its code, which goes after these.
inline constexpr std::string_view kStopNamedBefore = "la fermata \"";
inline constexpr std::string_view kRouteNamedBefore = "il percorso \"";
inline constexpr std::string_view kForeignStopAfter = "\" non appartiene all'azienda";
inline constexpr std::string_view kForeignRouteAfter = "\" non appartiene all'azienda";

// A feature whose texts cannot be read in the code page its .cpg declares: after the start
// that names the feature by its code ("la fermata \"" or "il percorso \"") and the code.
inline constexpr std::string_view kTextNotConvertibleAfter =
    "\" ha un testo che non \xE8" " UTF-8 valido o che contiene caratteri assenti dalla code page 1252";
// The same for a single-byte code page, whose every byte is a character.
inline constexpr std::string_view kTextOutsideCp1252After =
    "\" ha un testo con caratteri assenti dalla code page 1252";

// Warnings about an accepted file: "lo shapefile ", its path, then the rest.
inline constexpr std::string_view kShapefileBefore = "lo shapefile ";
// How a .cpg that is there but cannot be read is named as its code page.
inline constexpr std::string_view kUnreadableCpgName = "(file .cpg illeggibile)";
inline constexpr std::string_view kUnknownCodePageMiddle = " dichiara la code page \"";
// An error: then the name of the code page, these words, the first feature whose texts are
// not ASCII (its zero-based position) and the end.
inline constexpr std::string_view kUnknownCodePageAfter = "\", che non \xE8" " riconosciuta: l'entit\xE0" " \"";
inline constexpr std::string_view kUnknownCodePageEnd = "\" ha testi non ASCII";
// A file without a declared code page whose texts turned out to be UTF-8: these words, its
// path, then the end.
inline constexpr std::string_view kReadAsUtf8Before = "i testi dello shapefile ";
inline constexpr std::string_view kReadAsUtf8After = " sono stati letti come UTF-8 (nessuna code page dichiarata)";
inline constexpr std::string_view kCrsDiffersAfter =
    " ha un sistema di riferimento (.prj) diverso da quello degli shapefile gi\xE0" " acquisiti: "
    "nessun file .PRJ sar\xE0" " scritto";
inline constexpr std::string_view kCrsMissingAfter =
    " non ha un file .prj: si assume il sistema di riferimento degli altri shapefile";
// An accepted file whose .prj is there but cannot be read whole: "il file .prj ", its path,
// the reason, then the dataset's name between the last two pieces.
inline constexpr std::string_view kPrjFileBefore = "il file .prj ";
inline constexpr std::string_view kPrjUnreadableAfter = " non si pu\xF2" " leggere";
inline constexpr std::string_view kPrjTooLargeAfter = " supera i 64 KiB";
inline constexpr std::string_view kCrsUnknownBefore = ": il sistema di riferimento di ";
inline constexpr std::string_view kCrsUnknownAfter = " \xE8" " ignoto e nessun suo file .PRJ sar\xE0" " scritto";
// The first coordinate system of one dataset differs from the other dataset's: after "lo
// shapefile ", the path and the middle piece goes the other dataset's name.
inline constexpr std::string_view kCrsOtherDatasetMiddle =
    " ha un sistema di riferimento (.prj) diverso da quello degli shapefile ";
inline constexpr std::string_view kCrsOtherDatasetAfter =
    " gi\xE0" " acquisiti: fermate e percorsi non coincideranno sulla mappa";
inline constexpr std::string_view kDegreesAfter =
    " ha coordinate in gradi: l'arrotondamento a due decimali sposta le fermate fino a circa un "
    "chilometro";

// A repeated code whose record differs from the one kept: the code in double quotes, then
// these words.
inline constexpr std::string_view kDifferentRepeat = " gi\xE0" " presente con caratteristiche differenti !!!";

// Exports and report.
inline constexpr std::string_view kStopsExportedBefore = "Sono state esportate ";
inline constexpr std::string_view kStopsExportedAfter = " fermate";
inline constexpr std::string_view kRoutesExportedBefore = "Sono stati esportati ";
inline constexpr std::string_view kRoutesExportedAfter = " percorsi";
inline constexpr std::string_view kCannotCreate = "Impossibile creare\n\n";
inline constexpr std::string_view kCannotWrite = "Impossibile scrivere\n\n";

// Finish: the output folder is being written by another run (its path goes between the
// pieces); an output would replace an input (the output's path, then the input's); a kind of
// dataset whose every input was refused is not written.
inline constexpr std::string_view kFolderInUseBefore = "la cartella ";
inline constexpr std::string_view kFolderInUseAfter = " \xE8" " in uso da un'altra unificazione";
inline constexpr std::string_view kOutputIsInputBefore = "il risultato ";
inline constexpr std::string_view kOutputIsInputMiddle = " sostituirebbe il file di ingresso ";
inline constexpr std::string_view kOutputIsInputAfter = ": nessun file scritto, scegliere un'altra cartella";
inline constexpr std::string_view kStopsNoneAcquired =
    "nessuno shapefile RT_NODI \xE8" " stato acquisito: RT_NODI non \xE8" " stato scritto e resta com'era";
inline constexpr std::string_view kRoutesNoneAcquired =
    "nessuno shapefile RT_ITIN \xE8" " stato acquisito: RT_ITIN non \xE8" " stato scritto e resta com'era";
// The memory ran out: what was being done is dropped, and no output is written.
inline constexpr std::string_view kOutOfMemory = "memoria insufficiente";

// Report lines; every line break is written as CR LF.
inline constexpr std::string_view kReportTitle = "Report unificazione ShapeFiles\r\n\r\n";
inline constexpr std::string_view kReportStopFiles = "ShapeFiles incorporati in RT_NODI:\r\n";
inline constexpr std::string_view kReportRouteFiles = "ShapeFiles incorporati in RT_ITIN:\r\n";
inline constexpr std::string_view kReportNone = "nessuno\r\n";
inline constexpr std::string_view kReportSectionEnd = "\r\n\r\n";
inline constexpr std::string_view kReportStopIssues = "Criticit\xE0" " presenti in RT_NODI:\r\n";
inline constexpr std::string_view kReportRouteIssues = "Criticit\xE0" " presenti in RT_ITIN:\r\n";
inline constexpr std::string_view kLineBreak = "\r\n";
// clang-format on

}  // namespace tramelo::texts
