#pragma once

// What tells the two kinds of dataset apart, written once for the import, the export and
// every tool that makes or checks such files: the dataset's name (also the base name of its
// output files), its shape type, its three attribute fields with the widths the export
// gives them (and the import accepts at most), and the messages that name the kind.

#include <cstdint>
#include <span>
#include <string_view>

#include "base/Texts.h"
#include "shapefile/Layouts.h"

namespace tramelo {

struct DatasetMessages {
    std::string_view cannotReadShp;
    std::string_view cannotReadShx;
    std::string_view cannotReadDbf;
    std::string_view attributesMissing;
    std::string_view wrongShapeAfter;  // after "l'entità "position" for a feature of another shape
    std::string_view namedBefore;      // before the code of a feature the message names
    std::string_view foreignAfter;     // after it, for a feature of another company
    std::string_view exportedBefore;   // the count after the export,
    std::string_view exportedAfter;    // between the two
    std::string_view noneAcquired;     // inputs were given, none was acquired
};

struct DatasetSchema {
    std::string_view baseName;
    std::int32_t shapeType;
    std::span<const std::string_view> codeFields;  // names that serve as the code; the first is written
    std::int32_t codeWidth;
    std::string_view textField;  // the stop's name or the route's description
    std::int32_t textWidth;
    std::string_view companyField = "AZIENDA";
    std::int32_t companyDigits = 5;
    DatasetMessages messages;
};

inline constexpr std::string_view kStopCodeFields[] = {"COD_FERM", "COD_FERMA"};
inline constexpr std::string_view kRouteCodeFields[] = {"COD_PERC"};

inline constexpr DatasetSchema kStopsSchema{
    .baseName = "RT_NODI",
    .shapeType = kShapeTypePoint,
    .codeFields = kStopCodeFields,
    .codeWidth = 10,
    .textField = "DENOM",
    .textWidth = 40,
    .messages =
        {
            .cannotReadShp = texts::kCannotReadStopsShp,
            .cannotReadShx = texts::kCannotReadStopsShx,
            .cannotReadDbf = texts::kCannotReadStopsDbf,
            .attributesMissing = texts::kStopsAttributesMissing,
            .wrongShapeAfter = texts::kNotPointAfter,
            .namedBefore = texts::kStopNamedBefore,
            .foreignAfter = texts::kForeignStopAfter,
            .exportedBefore = texts::kStopsExportedBefore,
            .exportedAfter = texts::kStopsExportedAfter,
            .noneAcquired = texts::kStopsNoneAcquired,
        },
};

inline constexpr DatasetSchema kRoutesSchema{
    .baseName = "RT_ITIN",
    .shapeType = kShapeTypePolyline,
    .codeFields = kRouteCodeFields,
    .codeWidth = 20,
    .textField = "DESCR",
    .textWidth = 120,
    .messages =
        {
            .cannotReadShp = texts::kCannotReadRoutesShp,
            .cannotReadShx = texts::kCannotReadRoutesShx,
            .cannotReadDbf = texts::kCannotReadRoutesDbf,
            .attributesMissing = texts::kRoutesAttributesMissing,
            .wrongShapeAfter = texts::kNotPolylineAfter,
            .namedBefore = texts::kRouteNamedBefore,
            .foreignAfter = texts::kForeignRouteAfter,
            .exportedBefore = texts::kRoutesExportedBefore,
            .exportedAfter = texts::kRoutesExportedAfter,
            .noneAcquired = texts::kRoutesNoneAcquired,
        },
};

}  // namespace tramelo
