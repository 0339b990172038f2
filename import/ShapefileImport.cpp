#include "import/ShapefileImport.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "base/Texts.h"
#include "import/ShapefileReader.h"
#include "shapefile/ByteOrder.h"
#include "shapefile/Layouts.h"
#include "workspace/DatasetSchema.h"
#include "workspace/MergeWorkspace.h"
#include "workspace/Platform.h"

namespace tramelo {

namespace {

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

enum class Verdict { Merge, Reject, FormatError };

Verdict ReadFeatures(Platform& platform, ShapefileReader& reader, const DatasetSchema& schema,
                     DatasetImport& dataset, const std::vector<ValueField>& valueFields,
                     std::int32_t& company) {
    const std::int32_t count = reader.recordCount();
    dataset.createBatch(count);
    bool rejected = false;

    if (!reader.startGeometryPass()) {
        return Verdict::FormatError;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        std::span<const std::uint8_t> content;
        if (!reader.nextShape(content) || content.size() < sizeof(std::int32_t)) {
            return Verdict::FormatError;
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
        case DatasetImport::ShapeResult::FormatError: return Verdict::FormatError;
        }
    }

    if (!reader.startAttributePass()) {
        return Verdict::FormatError;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        std::span<const std::uint8_t> record;
        if (!reader.nextAttributes(record)) {
            return Verdict::FormatError;
        }
        std::int32_t recordCompany = -1;
        std::string_view code;
        std::string_view text;
        // When several fields serve one role the later one gives the value.
        for (const ValueField& value : valueFields) {
            switch (value.role) {
            case Role::Company: recordCompany = ParseCompany(FieldText(record, *value.field)); break;
            case Role::Code: code = TrimTrailingWhiteSpace(FieldText(record, *value.field)); break;
            case Role::Text: text = FieldText(record, *value.field); break;
            case Role::None: break;
            }
        }
        // The first record read while no company is known fixes it (a record of company -1
        // leaves it unknown for the next one).
        if (company == -1) {
            company = recordCompany;
        }
        if (recordCompany == company) {
            dataset.takeTexts(i, code, text);
        } else {
            platform.showMessage(Message(MessageKind::Error)
                                     .text(schema.messages.foreignBefore)
                                     .text(code)
                                     .text(schema.messages.foreignAfter));
            rejected = true;
        }
    }
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

    ShapefileReader reader(platform.files());
    switch (reader.open(path)) {
    case ShapefileReader::OpenResult::Opened: break;
    case ShapefileReader::OpenResult::ShpMissing: ShowError(platform, messages.cannotReadShp); return 0;
    case ShapefileReader::OpenResult::ShxMissing: ShowError(platform, messages.cannotReadShx); return 0;
    case ShapefileReader::OpenResult::DbfMissing: ShowError(platform, messages.cannotReadDbf); return 0;
    }

    if (!reader.readHeaders()) {
        ShowError(platform, texts::kIllegalFormat);
        return 0;
    }
    const std::vector<ValueField> valueFields = ValueFields(reader.fields(), schema);
    if (valueFields.empty() || reader.shapeType() != schema.shapeType) {
        ShowError(platform, messages.attributesMissing);
        return 0;
    }

    // The company is fixed for the run only if the file is merged.
    std::int32_t company = workspace.companyCode;
    switch (ReadFeatures(platform, reader, schema, dataset, valueFields, company)) {
    case Verdict::FormatError: ShowError(platform, texts::kIllegalFormat); return 0;
    case Verdict::Reject: return 0;
    case Verdict::Merge: break;
    }
    workspace.companyCode = company;
    dataset.mergeBatch(path);
    return 1;
}

}  // namespace tramelo
