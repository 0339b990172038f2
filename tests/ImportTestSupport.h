#pragma once

// A workspace over in-memory files, with helpers to install input shapefiles and read the
// outcome of an import.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shapefile/ByteOrder.h"
#include "tests/support/Contents.h"
#include "tests/support/RecordingPlatform.h"
#include "tests/support/ShapefileBuilder.h"
#include "workspace/MergeWorkspace.h"

namespace tramelo::testing {

inline constexpr char kIllegalFormat[] =
    "lo ShapeFile presenta un formato illegale oppure si \xE8 verificato un errore di lettura";
// With why, after a colon and an empty line.
inline std::string IllegalFormat(const std::string& reason) {
    return std::string(kIllegalFormat) + ":\n\n" + reason;
}

// The messages that name a kind of dataset: stops ("RT_NODI", "puntuali", "puntuale", "la
// fermata") or routes ("RT_ITIN", "lineari", "lineare", "il percorso").
struct KindMessages {
    const char* dataset;
    const char* entities;
    const char* entity;
    const char* named;

    // With why, after a colon and an empty line.
    std::string attributesMissing(const std::string& reason) const {
        return std::string("lo ShapeFile non presenta gli attributi obbligatori di ") + dataset +
               " oppure non contiene entit\xE0 " + entities + ":\n\n" + reason;
    }
    std::string wrongShape(int i) const {
        return "l'entit\xE0 \"" + std::to_string(i) + "\" non \xE8 di tipo " + entity;
    }
    std::string foreign(const std::string& code) const {
        return std::string(named) + " \"" + code + "\" non appartiene all'azienda";
    }
};
inline const KindMessages kStopMessages{"RT_NODI", "puntuali", "puntuale", "la fermata"};
inline const KindMessages kRouteMessages{"RT_ITIN", "lineari", "lineare", "il percorso"};

// A set of attribute fields and a shape type, and whether a file made of them is merged; if
// not, why, as the refusal says it.
struct FieldCase {
    std::vector<FieldSpec> fields;
    std::int32_t shapeType;
    bool accepted;
    const char* what;
    const char* reason = "";
};

class ImportTest : public ::testing::Test {
protected:
    // Imports a one-feature file per case (as stops, or as routes) and checks that it is
    // merged, or refused with exactly the message for missing attributes and its reason.
    void CheckFieldCases(const std::vector<FieldCase>& cases, bool asRoutes, const KindMessages& kind) {
        int file = 0;
        for (const FieldCase& c : cases) {
            platform.messages.clear();
            ShapefileBuilder builder(c.shapeType, c.fields);
            std::vector<std::string> values;
            for (const FieldSpec& field : c.fields) {
                values.push_back(field.name == "AZIENDA" || field.name == "azienda" ? "7" : "V");
            }
            builder.feature(asRoutes ? PolylineContent({{0, 0}}) : PointContent(1, 1), values);
            const std::string path = "/in/fields" + std::to_string(file++) + ".shp";
            const AddOutcome outcome =
                asRoutes ? AddRoutes(builder.build(), path) : AddStops(builder.build(), path);
            EXPECT_EQ(outcome, c.accepted ? AddOutcome::Acquired : AddOutcome::Rejected) << c.what;
            EXPECT_EQ(platform.texts(),
                      c.accepted ? std::vector<std::string>{}
                                 : std::vector<std::string>{kind.attributesMissing(c.reason)})
                << c.what;
        }
    }

    ImportTest() : workspace(platform) {}

    // Installs the files under path and adds them as stops (or routes).
    AddOutcome AddStops(const ShapefileBytes& files, const std::string& path = "/in/RT_NODI.shp") {
        files.install(platform.memory, path);
        return workspace.AddStopsFile(path);
    }
    AddOutcome AddRoutes(const ShapefileBytes& files, const std::string& path = "/in/RT_ITIN.shp") {
        files.install(platform.memory, path);
        return workspace.AddRoutesFile(path);
    }

    // Nothing of a rejected file may remain.
    void ExpectUntouched(std::int32_t companyCode = -1) const {
        EXPECT_TRUE(workspace.stopTable.isEmpty());
        EXPECT_TRUE(workspace.routeTable.isEmpty());
        EXPECT_TRUE(workspace.acquiredStops.isEmpty());
        EXPECT_TRUE(workspace.acquiredRoutes.isEmpty());
        EXPECT_TRUE(workspace.issueLog.stopIssues.isEmpty());
        EXPECT_TRUE(workspace.issueLog.routeIssues.isEmpty());
        EXPECT_EQ(workspace.companyCode, companyCode);
    }

    RecordingPlatform platform;
    MergeWorkspace workspace;
};

inline void SetInt32(Bytes& bytes, std::size_t offset, std::int32_t value, char order) {
    putInt32(value, bytes.data() + offset, order);
}

// Offset of feature i's record in a .DBF built by ShapefileBuilder with n fields.
inline std::size_t DbfRecordOffset(const Bytes& dbf, int i) {
    const auto headerLength = static_cast<std::uint16_t>(getInt16(dbf.data() + 8, 'L'));
    const auto recordLength = static_cast<std::uint16_t>(getInt16(dbf.data() + 10, 'L'));
    return headerLength + static_cast<std::size_t>(i) * recordLength;
}

}  // namespace tramelo::testing
