#include "import/ShapefileImport.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "base/CodePage.h"
#include "base/Texts.h"
#include "import/CoordinateSystem.h"
#include "import/ShapefileReader.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

// The staging memory kept from one file for the next: a batch of up to some 300,000 stops
// (48 bytes each; their texts stay in the file) or far more routes.
constexpr std::size_t kKeptStaging = 16 * 1024 * 1024;

// A .cpg that names no code page known here is quoted in its message up to this length.
constexpr std::size_t kShownCodePageSize = 40;

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void ShowError(Platform& platform, std::string_view text) {
    platform.showMessage(Message(MessageKind::Error).text(text));
}

enum class Role { None, Company, Code, Text };

// The role a field plays, if it is fit for it: the right name, type and width. A value only
// ever comes from a fit field, so it always fits the field it is written to on export.
Role RoleOf(const DbfField& field, const DatasetSchema& schema) {
    if (field.name == schema.companyField) {
        return field.type == 'N' && field.length <= schema.companyDigits ? Role::Company : Role::None;
    }
    if (field.name == schema.textField) {
        return field.type == 'C' && field.length <= schema.textWidth ? Role::Text : Role::None;
    }
    if (std::find(schema.codeFields.begin(), schema.codeFields.end(), field.name) !=
        schema.codeFields.end()) {
        return field.type == 'C' && field.length <= schema.codeWidth ? Role::Code : Role::None;
    }
    return Role::None;
}

// A field's type and size as the .DBF declares them: "N(10,0)", "C(50)".
std::string Declared(std::uint8_t type, std::int32_t width, std::int32_t decimals) {
    std::string text(1, type >= 0x21 && type <= 0x7E ? static_cast<char>(type) : '?');
    text += '(' + DecimalText(width);
    if (type == 'N') {
        text += ',' + DecimalText(decimals);
    }
    return text + ')';
}

// Why a file is not of the schema's kind, each problem in a few words: its shape type, and
// every role that no field fits, with the first field of that name that was unfit, or none.
std::string MissingReason(const DbfFieldList& fields, std::int32_t shapeType, const DatasetSchema& schema) {
    std::string reason;
    const auto add = [&reason](std::string problem) {
        reason += reason.empty() ? "" : texts::kReasonSeparator;
        reason += problem;
    };
    if (shapeType != schema.shapeType) {
        const std::string_view name = ShapeTypeName(shapeType);
        add(std::string(texts::kReasonShape)
                .append(name.empty() ? "?" : name)
                .append(" (" + DecimalText(shapeType) + ")")
                .append(texts::kReasonNeeded)
                .append(ShapeTypeName(schema.shapeType))
                .append(" (" + DecimalText(schema.shapeType) + ")"));
    }
    struct Need {
        Role role;
        std::span<const std::string_view> names;
        std::string declared;
    };
    const std::string_view companyName[] = {schema.companyField};
    const std::string_view textName[] = {schema.textField};
    for (const Need& need :
         {Need{Role::Company, companyName, Declared('N', schema.companyDigits, 0)},
          Need{Role::Code, schema.codeFields, Declared('C', schema.codeWidth, 0)},
          Need{Role::Text, textName, Declared('C', schema.textWidth, 0)}}) {
        const DbfField* unfit = nullptr;
        bool fit = false;
        for (const DbfField& field : fields) {
            if (std::find(need.names.begin(), need.names.end(), field.name) == need.names.end()) {
                continue;
            }
            fit = fit || RoleOf(field, schema) == need.role;
            unfit = unfit != nullptr ? unfit : &field;
        }
        if (fit) {
            continue;
        }
        std::string problem(texts::kReasonField);
        if (unfit != nullptr) {
            problem.append(unfit->name)
                .append(": ")
                .append(Declared(unfit->type, unfit->width, unfit->decimals))
                .append(texts::kReasonNeeded)
                .append(need.declared);
        } else {
            for (std::size_t i = 0; i < need.names.size(); ++i) {
                problem.append(i == 0 ? "" : texts::kReasonOr).append(need.names[i]);
            }
            problem += texts::kReasonAbsent;
        }
        add(std::move(problem));
    }
    return reason;
}

struct ValueField {
    const DbfField* field;
    Role role;
};

// The fields that give values, in list order; empty when a role has no fit field.
std::vector<ValueField> ValueFields(const DbfFieldList& fields, const DatasetSchema& schema) {
    std::vector<ValueField> values;
    bool seen[4] = {};
    for (const DbfField& field : fields) {
        const Role role = RoleOf(field, schema);
        if (role != Role::None) {
            values.push_back({&field, role});
            seen[static_cast<int>(role)] = true;
        }
    }
    if (!seen[static_cast<int>(Role::Company)] || !seen[static_cast<int>(Role::Code)] ||
        !seen[static_cast<int>(Role::Text)]) {
        values.clear();
    }
    return values;
}

// The value of a field in a record: its bytes, ended at the first NUL.
std::string_view FieldText(std::span<const std::uint8_t> record, const DbfField& field) {
    const auto* begin = reinterpret_cast<const char*>(record.data()) + 1 + field.offset;
    const auto width = static_cast<std::size_t>(field.width);
    const void* nul = width > 0 ? std::memchr(begin, '\0', width) : nullptr;
    return std::string_view(begin, nul != nullptr ? static_cast<const char*>(nul) - begin : width);
}

std::string_view TrimWhiteSpace(std::string_view text) {
    text = TrimTrailingWhiteSpace(text);
    while (!text.empty() && IsWhiteSpace(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

Message FileWarning(std::string_view path, std::string_view after) {
    Message message(MessageKind::Warning);
    message.text(texts::kShapefileBefore).path(path).text(after);
    return message;
}

// The other kind of dataset than schema's.
const DatasetSchema& OtherSchema(const DatasetSchema& schema) {
    return &schema == &kStopsSchema ? kRoutesSchema : kStopsSchema;
}

// Notes what an accepted file's .prj says of its dataset's coordinate system, with a warning
// for a file that disagrees: a .prj that differs from the dataset's (then the dataset has
// none to write), one that cannot be read (then its system is unknown), or no .prj while
// other files have one. The first system a dataset gets is also held against the other
// dataset's: nothing is reprojected, so the two would not meet on a map.
void NoteCoordinateSystem(MergeWorkspace& workspace, const std::string& path, const DatasetSchema& schema,
                          const ShapefileReader::Sidecar& prj) {
    Platform& platform = workspace.platform();
    RunCrs& crs = workspace.crsOf(schema);
    using State = ShapefileReader::Sidecar::State;
    switch (prj.state) {
    case State::Read: break;
    case State::Absent:
        if (crs.text) {
            platform.showMessage(FileWarning(path, texts::kCrsMissingAfter));
        } else {
            crs.withoutPrj.push_back(path);
        }
        return;
    case State::Unreadable:
    case State::TooLarge:
        crs.unknown = true;
        platform.showMessage(Message(MessageKind::Warning)
                                 .text(texts::kPrjFileBefore)
                                 .path(prj.path)
                                 .text(prj.state == State::TooLarge ? texts::kPrjTooLargeAfter
                                                                    : texts::kPrjUnreadableAfter)
                                 .text(texts::kCrsUnknownBefore)
                                 .text(schema.baseName)
                                 .text(texts::kCrsUnknownAfter));
        return;
    }
    const std::string& text = *prj.bytes;
    if (!crs.text) {
        crs.text = text;
        // The files accepted before this one had none, while this one has.
        for (const std::string& earlier : crs.withoutPrj) {
            platform.showMessage(FileWarning(earlier, texts::kCrsMissingAfter));
        }
        crs.withoutPrj.clear();
        const DatasetSchema& other = OtherSchema(schema);
        const RunCrs& otherCrs = workspace.crsOf(other);
        if (otherCrs.text && !SameCoordinateSystem(text, *otherCrs.text)) {
            platform.showMessage(Message(MessageKind::Warning)
                                     .text(texts::kShapefileBefore)
                                     .path(path)
                                     .text(texts::kCrsOtherDatasetMiddle)
                                     .text(other.baseName)
                                     .text(texts::kCrsOtherDatasetAfter));
        }
    } else if (!SameCoordinateSystem(text, *crs.text)) {
        crs.mixed = true;
        platform.showMessage(FileWarning(path, texts::kCrsDiffersAfter));
    }
}

// The code page of a file's texts, as declared: by its .cpg, when that names anything, or
// else by its .DBF's language driver.
struct DeclaredCodePage {
    CodePage page = CodePage::Undeclared;
    std::string name;  // as an unknown code page is shown
};

DeclaredCodePage CodePageOf(const ShapefileReader& reader) {
    // A .cpg that is there but cannot be read declares something no one can tell: only
    // ASCII, the same in every code page, is safe to take.
    if (reader.cpgFile().state != ShapefileReader::Sidecar::State::Absent && !reader.cpg()) {
        return {CodePage::Unknown, std::string(texts::kUnreadableCpgName)};
    }
    if (reader.cpg()) {
        if (const CodePage page = CodePageNamed(*reader.cpg()); page != CodePage::Undeclared) {
            return {page, std::string(TrimWhiteSpace(*reader.cpg()).substr(0, kShownCodePageSize))};
        }
    }
    constexpr char kHex[] = "0123456789ABCDEF";
    const std::uint8_t driver = reader.languageDriver();
    return {CodePageOfLanguageDriver(driver),
            std::string("LDID 0x") + kHex[driver >> 4] + kHex[driver & 0xF]};
}

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (const char c : text) {
        any |= static_cast<unsigned char>(c);
    }
    return any < 0x80;
}

enum class Verdict { Merge, Reject, FormatError };

// A format error's message, with why.
Message FormatError(std::string_view reason) {
    return Message(MessageKind::Error).text(texts::kIllegalFormat).text(texts::kReasonBefore).text(reason);
}

// The values of a record. When several fields serve one role the later one gives the value.
struct RecordValues {
    std::int32_t company = -1;
    std::string_view code;  // trailing white space removed
    std::string_view text;
};

RecordValues ValuesOf(std::span<const std::uint8_t> record, const std::vector<ValueField>& valueFields) {
    RecordValues values;
    for (const ValueField& value : valueFields) {
        switch (value.role) {
        case Role::Company: values.company = ParseCompany(FieldText(record, *value.field)); break;
        case Role::Code: values.code = TrimTrailingWhiteSpace(FieldText(record, *value.field)); break;
        case Role::Text: values.text = FieldText(record, *value.field); break;
        case Role::None: break;
        }
    }
    return values;
}

// The texts of a record in code page 1252, converted from page into code and text when they
// need it; false, with the code shown as far as it can be, when a text cannot be.
bool ConvertTexts(CodePage page, RecordValues& values, std::string& code, std::string& text) {
    if (page == CodePage::Utf8) {
        if (!Utf8ToCp1252(values.code, code) || !Utf8ToCp1252(values.text, text)) {
            code = Utf8ToCp1252Lossy(values.code);
            values.code = code;
            return false;
        }
        // A name keeps its trailing blanks, and the field padded it to its width in UTF-8
        // bytes: padded back to that length, it equals the name as a code page 1252 file with
        // the same field holds it.
        text.resize(values.text.size(), ' ');
    } else if (IsSingleByte(page)) {
        if (!SingleByteToCp1252(page, values.code, code) || !SingleByteToCp1252(page, values.text, text)) {
            code = SingleByteToCp1252Lossy(page, values.code);
            values.code = code;
            return false;
        }
    } else {
        return true;
    }
    values.code = code;
    values.text = text;
    return true;
}

// failure: on a format error, why.
Verdict ReadFeatures(Platform& platform, ShapefileReader& reader, const std::string& path,
                     const DatasetSchema& schema, DatasetImport& dataset,
                     const std::vector<ValueField>& valueFields, const DeclaredCodePage& codePage,
                     std::int32_t& company, bool& readAsUtf8, std::string& failure) {
    const std::int32_t count = reader.recordCount();
    dataset.createBatch(count, reader.heldShapes(), reader.heldAttributes());
    bool rejected = false;

    const auto readerFailed = [&failure, &reader] {
        failure = reader.failure();
        return Verdict::FormatError;
    };
    const auto tooShort = [&failure](std::int32_t i, std::size_t size) {
        failure = ".SHP: " + ShapefileReader::Feature(i, texts::kReasonTooShortMiddle) +
                  std::to_string(size) + std::string(texts::kReasonTooShortAfter);
        return Verdict::FormatError;
    };
    if (!reader.startGeometryPass()) {
        return readerFailed();
    }
    for (std::int32_t i = 0; i < count; ++i) {
        std::span<const std::uint8_t> content;
        if (!reader.nextShape(content)) {
            return readerFailed();
        }
        if (content.size() < sizeof(std::int32_t)) {
            return tooShort(i, content.size());
        }
        if (getInt32(content.data(), kLittleEndian) != schema.shapeType) {
            platform.showMessage(Message(MessageKind::Error)
                                     .text(texts::kFeatureBefore)
                                     .number(i)
                                     .text(schema.messages.wrongShapeAfter));
            rejected = true;
            continue;
        }
        switch (dataset.takeShape(i, content)) {
        case DatasetImport::ShapeResult::Taken: break;
        case DatasetImport::ShapeResult::Refused: rejected = true; break;
        case DatasetImport::ShapeResult::FormatError: return tooShort(i, content.size());
        }
    }

    // Each file goes once its pass is over: what the batch refers into, it holds itself.
    reader.releaseShapes();
    if (!reader.startAttributePass()) {
        return readerFailed();
    }
    // Texts are converted before anything looks at them, so that a code written in another
    // code page meets the same code of a code page 1252 file as the repeat it is.
    std::string convertedCode;
    std::string convertedText;
    // A file that declares no code page is taken as code page 1252, unless its texts turn out
    // to be UTF-8, as many programs write them now: that is known only once all were seen.
    bool anyNonAscii = false;
    bool allUtf8 = true;
    bool unknownShown = false;
    for (std::int32_t i = 0; i < count; ++i) {
        std::span<const std::uint8_t> record;
        if (!reader.nextAttributes(record)) {
            return readerFailed();
        }
        RecordValues values = ValuesOf(record, valueFields);
        // The first record read while no company is known fixes it (a record of company -1
        // leaves it unknown for the next one).
        if (company == -1) {
            company = values.company;
        }
        bool readable = true;
        if (codePage.page == CodePage::Undeclared) {
            if (allUtf8 && (!IsAscii(values.code) || !IsAscii(values.text))) {
                anyNonAscii = true;
                allUtf8 =
                    Utf8ToCp1252(values.code, convertedCode) && Utf8ToCp1252(values.text, convertedText);
            }
        } else if (codePage.page == CodePage::Unknown) {
            // Nothing is at risk in ASCII, which every code page shares; anything else could
            // be read wrong.
            if (!unknownShown && (!IsAscii(values.code) || !IsAscii(values.text))) {
                platform.showMessage(Message(MessageKind::Error)
                                         .text(texts::kShapefileBefore)
                                         .path(path)
                                         .text(texts::kUnknownCodePageMiddle)
                                         .text(codePage.name)
                                         .text(texts::kUnknownCodePageAfter)
                                         .number(i)
                                         .text(texts::kUnknownCodePageEnd));
                unknownShown = true;
                rejected = true;
            }
        } else if (!ConvertTexts(codePage.page, values, convertedCode, convertedText)) {
            platform.showMessage(Message(MessageKind::Error)
                                     .text(schema.messages.namedBefore)
                                     .text(values.code)
                                     .text(codePage.page == CodePage::Utf8 ? texts::kTextNotConvertibleAfter
                                                                           : texts::kTextOutsideCp1252After));
            readable = false;
            rejected = true;
        }
        if (values.company != company) {
            platform.showMessage(Message(MessageKind::Error)
                                     .text(schema.messages.namedBefore)
                                     .text(values.code)
                                     .text(schema.messages.foreignAfter));
            rejected = true;
        } else if (readable) {
            dataset.takeTexts(i, values.code, values.text);
        }
    }
    // A file that will be merged and is UTF-8 after all: its texts once more, converted.
    readAsUtf8 = codePage.page == CodePage::Undeclared && anyNonAscii && allUtf8 && !rejected;
    if (readAsUtf8) {
        if (!reader.startAttributePass()) {
            return readerFailed();
        }
        for (std::int32_t i = 0; i < count; ++i) {
            std::span<const std::uint8_t> record;
            if (!reader.nextAttributes(record)) {
                return readerFailed();
            }
            RecordValues values = ValuesOf(record, valueFields);
            ConvertTexts(CodePage::Utf8, values, convertedCode, convertedText);
            dataset.takeTexts(i, values.code, values.text);
        }
    }
    reader.releaseAttributes();
    return rejected ? Verdict::Reject : Verdict::Merge;
}

}  // namespace

std::int32_t ParseCompany(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min(value * 10 + (text[i] - '0'), kLimit);
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

std::string_view TrimTrailingWhiteSpace(std::string_view text) {
    while (!text.empty() && IsWhiteSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

int RunImport(MergeWorkspace& workspace, const std::string& path, const DatasetSchema& schema,
              DatasetImport& dataset) {
    Platform& platform = workspace.platform();
    const DatasetMessages& messages = schema.messages;
    // Nothing of the file before lives on: its batch went with its import. Its memory is kept
    // for the next file, which is then staged in pages already there instead of new ones the
    // system must find and zero: of a very large batch only kKeptStaging, so that it does not
    // all stay with the run while files of the other kind, which need little of it, are merged.
    workspace.staging.reset(kKeptStaging);

    ShapefileReader reader(platform.files());
    switch (reader.open(path)) {
    case ShapefileReader::OpenResult::Opened: break;
    case ShapefileReader::OpenResult::ShpMissing: ShowError(platform, messages.cannotReadShp); return 0;
    case ShapefileReader::OpenResult::ShxMissing: ShowError(platform, messages.cannotReadShx); return 0;
    case ShapefileReader::OpenResult::DbfMissing: ShowError(platform, messages.cannotReadDbf); return 0;
    }

    if (!reader.readHeaders()) {
        platform.showMessage(FormatError(reader.failure()));
        return 0;
    }
    const std::vector<ValueField> valueFields = ValueFields(reader.fields(), schema);
    if (valueFields.empty() || reader.shapeType() != schema.shapeType) {
        platform.showMessage(Message(MessageKind::Error)
                                 .text(messages.attributesMissing)
                                 .text(texts::kReasonBefore)
                                 .text(MissingReason(reader.fields(), reader.shapeType(), schema)));
        return 0;
    }

    // The company is fixed for the run only if the file is merged.
    std::int32_t company = workspace.companyCode;
    const DeclaredCodePage codePage = CodePageOf(reader);
    bool readAsUtf8 = false;
    std::string failure;
    switch (ReadFeatures(platform, reader, path, schema, dataset, valueFields, codePage, company, readAsUtf8,
                         failure)) {
    case Verdict::FormatError: platform.showMessage(FormatError(failure)); return 0;
    case Verdict::Reject: return 0;
    case Verdict::Merge: break;
    }
    workspace.companyCode = company;
    {
        // Memory running out now would leave part of the file in the tables: the workspace
        // then knows, and writes nothing from them.
        struct CutShort {
            MergeWorkspace& workspace;
            bool done = false;
            ~CutShort() { workspace.mergeCutShort = workspace.mergeCutShort || !done; }
        } merging{workspace};
        dataset.mergeBatch(path);
        merging.done = true;
    }

    // What the companions say of a merged file, before the shell lists it.
    if (readAsUtf8) {
        platform.showMessage(Message(MessageKind::Warning)
                                 .text(texts::kReadAsUtf8Before)
                                 .path(path)
                                 .text(texts::kReadAsUtf8After));
    }
    NoteCoordinateSystem(workspace, path, schema, reader.prjFile());
    // Rounding to two decimals keeps centimetres of metres, but moves a point given in
    // degrees by up to half a hundredth of a degree: about half a kilometre each way.
    if (dataset.roundsCoordinates() && reader.recordCount() > 0 &&
        (reader.prj() ? IsGeographicCoordinateSystem(*reader.prj()) : dataset.allWithinDegrees())) {
        platform.showMessage(FileWarning(path, texts::kDegreesAfter));
    }
    return 1;
}

}  // namespace tramelo
