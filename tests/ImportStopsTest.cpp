#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shapefile/Companions.h"
#include "tests/ImportTestSupport.h"

namespace tramelo::testing {
namespace {

using ImportStopsTest = ImportTest;

TEST_F(ImportStopsTest, MergesAValidFileAndFixesTheCompany) {
    EXPECT_EQ(AddStops(StopsShapefile({{"F12", "Piazza", 10.5, 20.25}, {"F13", "Stazione", 1, 2}})),
              AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(Codes(workspace.stopTable), (std::vector<std::string>{"F12", "F13"}));
    EXPECT_EQ(workspace.companyCode, 7);
    EXPECT_EQ(workspace.stopTable.indexedCount(), 2);  // the index was rebuilt once at the end
    EXPECT_EQ(workspace.acquiredStops.head()->path, "/in/RT_NODI.shp");
    const StopRecord& first = *workspace.stopTable.head();
    EXPECT_EQ(first.name, "Piazza" + std::string(34, ' '));  // names keep their trailing blanks
    EXPECT_EQ(first.x, 10.5);
    EXPECT_EQ(first.y, 20.25);
}

// Each kind names its own files, in the order they are opened; a companion counts under
// either letter case.
TEST_F(ImportStopsTest, MissingFilesAreNamedInOrderForEitherKind) {
    const ShapefileBytes routes = RoutesShapefile({{"R1", "", {{0, 0}}}});
    for (const bool asRoutes : {false, true}) {
        platform.messages.clear();
        const ShapefileBytes files = asRoutes ? routes : StopsShapefile({{"F1", "Uno", 1, 1}});
        const std::string shp = asRoutes ? "/in/r.shp" : "/in/s.shp";
        const auto add = [&](const std::string& path) {
            return asRoutes ? workspace.AddRoutesFile(path) : workspace.AddStopsFile(path);
        };
        EXPECT_EQ(add("/in/none.shp"), AddOutcome::Rejected);
        platform.memory.files[shp] = files.shp;
        EXPECT_EQ(add(shp), AddOutcome::Rejected);
        platform.memory.files[CompanionPath(shp, asRoutes ? "shx" : "SHX")] = files.shx;
        EXPECT_EQ(add(shp), AddOutcome::Rejected);
        const std::string missing =
            std::string("Non \xE8 possibile leggere il file ") + (asRoutes ? "RT_ITIN" : "RT_NODI");
        EXPECT_EQ(platform.texts(),
                  (std::vector<std::string>{missing + ".SHP", missing + ".SHX", missing + ".DBF"}));
        for (const RecordedMessage& message : platform.messages) {
            EXPECT_EQ(message.kind, MessageKind::Error);
        }
        ExpectUntouched();
    }
    platform.memory.files["/in/r.dbf"] = routes.dbf;
    EXPECT_EQ(workspace.AddRoutesFile("/in/r.shp"), AddOutcome::Acquired);
}

TEST_F(ImportStopsTest, CompanionsAreFoundUnderEitherLetterCase) {
    const ShapefileBytes files = StopsShapefile({{"F1", "Uno", 1, 1}});
    files.install(platform.memory, "/in/lower.shp", "shx", "dbf");
    EXPECT_EQ(workspace.AddStopsFile("/in/lower.shp"), AddOutcome::Acquired);

    // The upper-case names come first: broken lower-case twins are not read.
    files.install(platform.memory, "/in/both.SHP", "SHX", "DBF");
    platform.memory.files["/in/both.shx"] = {1, 2, 3};
    platform.memory.files["/in/both.dbf"] = {1, 2, 3};
    EXPECT_EQ(workspace.AddStopsFile("/in/both.SHP"), AddOutcome::Acquired);
    EXPECT_TRUE(platform.messages.empty());

    // Only the last three characters are replaced, whatever the extension says.
    files.install(platform.memory, "/in/dati.xyz", "SHX", "DBF");
    EXPECT_TRUE(platform.memory.exists("/in/dati.SHX"));
    EXPECT_EQ(workspace.AddStopsFile("/in/dati.xyz"), AddOutcome::Acquired);
}

// Whichever of the three files ends early, wherever it ends: in a header, among the
// descriptors, in an index entry or a record; the message names the file. Only the .DBF's
// end-of-file byte is never read.
TEST_F(ImportStopsTest, EveryTruncatedFileIsAFormatError) {
    const ShapefileBytes valid = StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}});
    const auto tryFiles = [&](const ShapefileBytes& files, const char* which, std::size_t size) {
        platform.messages.clear();
        EXPECT_EQ(AddStops(files), AddOutcome::Rejected) << which << " cut to " << size;
        ASSERT_EQ(platform.texts().size(), 1u) << which << " cut to " << size;
        EXPECT_TRUE(platform.texts()[0].starts_with(IllegalFormat(std::string(which) + ": ")))
            << which << " cut to " << size << ": " << platform.texts()[0];
    };
    for (std::size_t size = 0; size < valid.shp.size(); ++size) {
        ShapefileBytes files = valid;
        files.shp.resize(size);
        tryFiles(files, ".SHP", size);
    }
    for (std::size_t size = 0; size < valid.shx.size(); ++size) {
        ShapefileBytes files = valid;
        files.shx.resize(size);
        tryFiles(files, ".SHX", size);
    }
    for (std::size_t size = 0; size + 1 < valid.dbf.size(); ++size) {
        ShapefileBytes files = valid;
        files.dbf.resize(size);
        tryFiles(files, ".DBF", size);
    }
    ExpectUntouched();
    ShapefileBytes withoutEndMark = valid;
    withoutEndMark.dbf.pop_back();
    EXPECT_EQ(AddStops(withoutEndMark), AddOutcome::Acquired);
}

TEST_F(ImportStopsTest, WrongCodesAndVersionsAreFormatErrors) {
    const ShapefileBytes valid = StopsShapefile({{"F1", "Uno", 1, 1}});
    std::vector<ShapefileBytes> broken(3, valid);
    SetInt32(broken[0].shp, 0, 9995, 'B');
    SetInt32(broken[1].shx, 0, 9994, 'L');
    broken[2].dbf[0] = 0x83;  // dBASE III with a memo file
    for (const ShapefileBytes& files : broken) {
        EXPECT_EQ(AddStops(files), AddOutcome::Rejected);
    }
    EXPECT_EQ(platform.texts(), (std::vector<std::string>{IllegalFormat(".SHP: codice 9995, serve 9994"),
                                                          IllegalFormat(".SHX: codice 170328064, serve 9994"),
                                                          IllegalFormat(".DBF: versione 131, serve 3")}));
    ExpectUntouched();
}

TEST_F(ImportStopsTest, ShxLengthCountsTheFeatures) {
    ShapefileBytes files = StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}});
    // A stated length of the header alone (or less): no feature, but a good file.
    SetInt32(files.shx, 24, 50, 'B');
    EXPECT_EQ(AddStops(files, "/in/a.shp"), AddOutcome::Acquired);
    SetInt32(files.shx, 24, -7, 'B');
    EXPECT_EQ(AddStops(files, "/in/b.shp"), AddOutcome::Acquired);
    EXPECT_FALSE(workspace.HasMergedData());
    EXPECT_EQ(workspace.companyCode, -1);

    // One entry counted: only the first feature is read.
    SetInt32(files.shx, 24, 54, 'B');
    EXPECT_EQ(AddStops(files, "/in/c.shp"), AddOutcome::Acquired);
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"F1"});

    // An entry that begins before the stated length must be there in full.
    SetInt32(files.shx, 24, 59, 'B');
    EXPECT_EQ(AddStops(files, "/in/d.shp"), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              std::vector<std::string>{IllegalFormat(".SHX: finisce prima della lunghezza dichiarata")});
}

TEST_F(ImportStopsTest, DbfRecordCountIsNeverCompared) {
    ShapefileBytes files = StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}});
    SetInt32(files.dbf, 4, 999, 'L');
    const ShapefileBytes extra =
        StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}, {"F3", "Tre", 3, 3}});
    ShapefileBytes moreRecords = files;
    moreRecords.dbf = extra.dbf;  // three records for two features: the third is ignored
    EXPECT_EQ(AddStops(files, "/in/a.shp"), AddOutcome::Acquired);
    EXPECT_EQ(AddStops(moreRecords, "/in/b.shp"), AddOutcome::Acquired);
    EXPECT_EQ(Codes(workspace.stopTable), (std::vector<std::string>{"F1", "F2"}));

    ShapefileBytes fewer = files;
    fewer.dbf.resize(DbfRecordOffset(fewer.dbf, 1) + 10);  // the second record is cut short
    EXPECT_EQ(AddStops(fewer, "/in/c.shp"), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              std::vector<std::string>{IllegalFormat(".DBF: manca il record dell'entit\xE0 \"1\"")});
}

TEST_F(ImportStopsTest, RequiredAttributesAndShapeType) {
    const FieldSpec company{"AZIENDA", 'N', 5};
    const FieldSpec code{"COD_FERM", 'C', 10};
    const FieldSpec name{"DENOM", 'C', 40};
    CheckFieldCases(
        {
            {{company, code, name}, 1, true, "standard"},
            {{{"azienda", 'N', 5}, {"cod_ferma", 'C', 10}, {"Denom", 'C', 40}}, 1, true, "lower case names"},
            {{company, {"COD_FERMA", 'C', 10}, name}, 1, true, "COD_FERMA"},
            {{company, {"COD_FERM", 'C', 8}, {"DENOM", 'C', 12}}, 1, true, "narrower texts"},
            {{{"AZIENDA", 'N', 7, 1}, code, name}, 1, true, "five digits and one decimal"},
            {{{"AZIENDA", 'N', 6}, code, name}, 1, false, "six digits", "campo AZIENDA: N(6,0), serve N(5,0)"},
            {{{"AZIENDA", 'N', 9, 2}, code, name}, 1, false, "six digits and two decimals",
             "campo AZIENDA: N(9,2), serve N(5,0)"},
            {{{"AZIENDA", 'C', 5}, code, name}, 1, false, "company as text", "campo AZIENDA: C(5), serve N(5,0)"},
            {{company, {"COD_FERM", 'C', 11}, name}, 1, false, "code too wide", "campo COD_FERM: C(11), serve C(10)"},
            {{company, {"COD_FER", 'C', 10}, name}, 1, false, "COD_FER", "campo COD_FERM o COD_FERMA assente"},
            {{company, {"COD_FERM ", 'C', 10}, name}, 1, false, "name with a blank",
             "campo COD_FERM o COD_FERMA assente"},
            {{company, {"COD_FERM", 'N', 10}, name}, 1, false, "numeric code", "campo COD_FERM: N(10,0), serve C(10)"},
            {{company, code, {"DENOM", 'C', 41}}, 1, false, "name too wide", "campo DENOM: C(41), serve C(40)"},
            {{company, code}, 1, false, "no name", "campo DENOM assente"},
            {{code, name}, 1, false, "no company", "campo AZIENDA assente"},
            {{company, code, name}, 3, false, "polylines", "forma: PolyLine (3), serve Point (1)"},
            {{company, code, name}, 8, false, "multipoints", "forma: MultiPoint (8), serve Point (1)"},
            {{company, code, name}, 11, false, "points with heights", "forma: PointZ (11), serve Point (1)"},
            {{company, code, name}, 21, false, "points with measures", "forma: PointM (21), serve Point (1)"},
            {{{"AZIENDA", 'N', 10}, code}, 99, false, "all at once",
             "forma: ? (99), serve Point (1); campo AZIENDA: N(10,0), serve N(5,0); campo DENOM assente"},
            {{{"F", 'F', 19, 11}, {"M", 'M', 10}, company, code, name}, 1, true, "other fields first"},
        },
        /*asRoutes=*/false, kStopMessages);
}

TEST_F(ImportStopsTest, FieldsBeforeTheRequiredOnesDoNotShiftTheirValues) {
    ShapefileBuilder builder(1, {{"NOTE", 'C', 3},
                                 {"QUOTA", 'F', 19, 11},
                                 {"AZIENDA", 'N', 7, 1},
                                 {"COD_FERMA", 'C', 10},
                                 {"DENOM", 'C', 40}});
    builder.feature(PointContent(1, 1), {"abc", "123.45678901234", "  12.50", "  F001 \t\r", "Piazza"});
    EXPECT_EQ(AddStops(builder.build()), AddOutcome::Acquired);
    EXPECT_EQ(workspace.companyCode, 12);
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"  F001"});  // leading blanks stay
    EXPECT_EQ(workspace.stopTable.head()->name, "Piazza" + std::string(34, ' '));
}

TEST_F(ImportStopsTest, LaterFitFieldOfARoleGivesTheValue) {
    ShapefileBuilder builder(1, {{"COD_FERM", 'C', 10},
                                 {"AZIENDA", 'N', 5},
                                 {"DENOM", 'C', 40},
                                 {"COD_FERMA", 'C', 10},
                                 {"AZIENDA", 'N', 3}});
    builder.feature(PointContent(1, 1), {"FIRST", "7", "Piazza", "SECOND", "012"});
    EXPECT_EQ(AddStops(builder.build()), AddOutcome::Acquired);
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"SECOND"});
    EXPECT_EQ(workspace.companyCode, 12);
}

// A field too wide for its role never gives a value: the value could not be written back
// whole, and cut codes would merge stops that differ.
TEST_F(ImportStopsTest, UnfitFieldsOfARoleAreIgnored) {
    ShapefileBuilder builder(1, {{"AZIENDA", 'N', 5},
                                 {"COD_FERM", 'C', 10},
                                 {"DENOM", 'C', 40},
                                 {"COD_FERMA", 'C', 50},
                                 {"DENOM", 'C', 60},
                                 {"AZIENDA", 'C', 12}});
    builder.feature(PointContent(1, 1),
                    {"7", "SHORT", "Piazza", std::string(50, 'L'), std::string(60, 'N'), "123456789"});
    EXPECT_EQ(AddStops(builder.build()), AddOutcome::Acquired);
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"SHORT"});
    EXPECT_EQ(workspace.stopTable.head()->name, "Piazza" + std::string(34, ' '));
    EXPECT_EQ(workspace.companyCode, 7);
}

TEST_F(ImportStopsTest, CodesLoseOnlyTrailingWhiteSpace) {
    ShapefileBuilder builder(1, StopFields());
    builder.feature(PointContent(1, 1), {"7", "F001", "A"})
        .feature(PointContent(2, 2), {"7", "  F002", "B"})
        .feature(PointContent(3, 3), {"7", "F003\t\v\f\r\n", "C"})
        .feature(PointContent(4, 4), {"7", "F004\xA0", "D"})                // a non-breaking space is kept
        .feature(PointContent(5, 5), {"7", "", "E"})                        // an all-blank code is allowed
        .feature(PointContent(6, 6), {"7", std::string("F0\0X", 4), "F"});  // a NUL ends the value
    EXPECT_EQ(AddStops(builder.build()), AddOutcome::Acquired);
    EXPECT_EQ(Codes(workspace.stopTable),
              (std::vector<std::string>{"F001", "  F002", "F003", "F004\xA0", "", "F0"}));
}

TEST_F(ImportStopsTest, CoordinatesAreRoundedToTwoDecimals) {
    EXPECT_EQ(AddStops(StopsShapefile(
                  {{"A", "", 2.125, -2.125}, {"B", "", 0.145, 5.678}, {"C", "", 1.075, 563372.245}})),
              AddOutcome::Acquired);
    std::vector<double> coordinates;
    for (const StopRecord& stop : workspace.stopTable) {
        coordinates.push_back(stop.x);
        coordinates.push_back(stop.y);
    }
    EXPECT_EQ(coordinates, (std::vector<double>{2.13, -2.13, 0.14, 5.68, 1.08, 563372.25}));

    // Differences beyond the second decimal make the same stop.
    EXPECT_EQ(AddStops(StopsShapefile({{"A", "", 2.1251, -2.1349}}), "/in/b.shp"), AddOutcome::Acquired);
    EXPECT_TRUE(workspace.issueLog.stopIssues.isEmpty());
    EXPECT_EQ(Codes(workspace.stopTable).size(), 3u);
}

TEST_F(ImportStopsTest, NonPointFeaturesAreNamedByPosition) {
    ShapefileBuilder builder(1, StopFields());
    builder.feature(PointContent(1, 1), {"7", "F0", "A"})
        .feature(PointContent(1, 1), {"8", "F1", "B"})  // another company
        .feature(NullContent(), {"7", "F2", "C"})
        .feature(PolylineContent({{0, 0}, {1, 1}}), {"9", "F3", "D"});  // both wrong
    EXPECT_EQ(AddStops(builder.build()), AddOutcome::Rejected);
    // Every geometry message comes before every attribute message.
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{kStopMessages.wrongShape(2), kStopMessages.wrongShape(3),
                                        kStopMessages.foreign("F1"), kStopMessages.foreign("F3")}));
    ExpectUntouched();
}

TEST_F(ImportStopsTest, CompanyRuleAcrossFiles) {
    ASSERT_EQ(AddStops(StopsShapefile({{"F1", "Uno", 1, 1, 7}}), "/in/a.shp"), AddOutcome::Acquired);
    // A later file of company 8: one message per stop, nothing merged.
    EXPECT_EQ(AddStops(StopsShapefile({{"G1", "", 1, 1, 8}, {"G2", "", 1, 1, 8}}), "/in/b.shp"),
              AddOutcome::Rejected);
    // One stray stop is enough to refuse a file.
    EXPECT_EQ(AddStops(StopsShapefile({{"H1", "", 1, 1, 7}, {"H2", "", 1, 1, 70}}), "/in/c.shp"),
              AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{kStopMessages.foreign("G1"), kStopMessages.foreign("G2"),
                                        kStopMessages.foreign("H2")}));
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"F1"});
    EXPECT_EQ(workspace.companyCode, 7);
}

TEST_F(ImportStopsTest, FirstRecordFixesTheCompanyOfTheRun) {
    // 00012 and 12 are one company; a record of company -1 leaves it unknown for the next.
    ShapefileBuilder builder(1, StopFields());
    builder.feature(PointContent(1, 1), {"-1", "A", ""})
        .feature(PointContent(1, 1), {"00012", "B", ""})
        .feature(PointContent(1, 1), {"12", "C", ""})
        .feature(PointContent(1, 1), {"+12", "D", ""});
    EXPECT_EQ(AddStops(builder.rightAlignNumbers().build()), AddOutcome::Acquired);
    EXPECT_EQ(workspace.companyCode, 12);
    EXPECT_EQ(Codes(workspace.stopTable), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(ImportStopsTest, FirstRecordWinsWhenTheOthersDisagree) {
    EXPECT_EQ(AddStops(StopsShapefile({{"A", "", 1, 1, 5}, {"B", "", 1, 1, 6}, {"C", "", 1, 1, 6}})),
              AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{kStopMessages.foreign("B"), kStopMessages.foreign("C")}));
    // The file was not merged, so it fixes nothing: a file of company 6 is welcome next.
    ExpectUntouched();
    EXPECT_EQ(AddStops(StopsShapefile({{"B", "", 1, 1, 6}}), "/in/b.shp"), AddOutcome::Acquired);
    EXPECT_EQ(workspace.companyCode, 6);
}

TEST_F(ImportStopsTest, DeletedRecordsAreReadLikeAnyOther) {
    ShapefileBytes files = StopsShapefile({{"F1", "Uno", 1, 1}});
    files.dbf[DbfRecordOffset(files.dbf, 0)] = '*';
    EXPECT_EQ(AddStops(files), AddOutcome::Acquired);
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"F1"});
}

TEST_F(ImportStopsTest, RecordsAreFoundThroughTheIndexNotByPosition) {
    // Records stored in reverse order behind a forward index.
    ShapefileBytes files = StopsShapefile({{"F1", "", 1, 1}, {"F2", "", 2, 2}});
    std::vector<std::uint8_t> first(files.shp.begin() + 100, files.shp.begin() + 128);
    std::vector<std::uint8_t> second(files.shp.begin() + 128, files.shp.end());
    std::copy(second.begin(), second.end(), files.shp.begin() + 100);
    std::copy(first.begin(), first.end(), files.shp.begin() + 128);
    SetInt32(files.shx, 100, 64, 'B');
    SetInt32(files.shx, 108, 50, 'B');
    EXPECT_EQ(AddStops(files), AddOutcome::Acquired);
    EXPECT_EQ(workspace.stopTable.head()->x, 1.0);
    EXPECT_EQ(workspace.stopTable.tail()->x, 2.0);
}

// Malformed sizes are refused before anything is read or allocated from them.
TEST_F(ImportStopsTest, SizesThatReachPastTheFileAreFormatErrors) {
    const ShapefileBytes valid = StopsShapefile({{"F1", "Uno", 1, 1}, {"F2", "Due", 2, 2}});
    std::vector<ShapefileBytes> broken(6, valid);
    SetInt32(broken[0].shx, 108, 1 << 30, 'B');     // offset far past the .SHP
    SetInt32(broken[1].shx, 108, -14, 'B');         // negative offset
    SetInt32(broken[2].shx, 112, 0x7FFFFFF0, 'B');  // content length of gigabytes
    SetInt32(broken[3].shx, 112, -10, 'B');         // negative content length
    SetInt32(broken[4].shx, 108, 64 + 1, 'B');      // the last record would end past the file
    SetInt32(broken[5].shx, 112, 8, 'B');           // a point content of 16 bytes
    const std::string pastEnd = ".SHP: l'entit\xE0 \"1\" va oltre la fine del file";
    const std::vector<std::string> reasons(5, pastEnd);
    for (std::size_t i = 0; i < broken.size(); ++i) {
        platform.messages.clear();
        EXPECT_EQ(AddStops(broken[i]), AddOutcome::Rejected);
        EXPECT_EQ(platform.texts(),
                  std::vector<std::string>{IllegalFormat(
                      i < reasons.size() ? reasons[i] : ".SHP: l'entit\xE0 \"1\" \xE8 troppo corta (16 byte)")})
            << i;
    }
    ExpectUntouched();
}

TEST_F(ImportStopsTest, DbfRecordShorterThanItsFieldsIsAFormatError) {
    ShapefileBytes files = StopsShapefile({{"F1", "Uno", 1, 1}});
    files.dbf[10] = 55;  // one byte less than the 1 + 55 the fields need
    EXPECT_EQ(AddStops(files), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              std::vector<std::string>{IllegalFormat(".DBF: record di 55 byte, i campi ne occupano 56")});

    // A longer record is fine: the bytes past the fields are skipped.
    ShapefileBuilder builder(1,
                             {{"AZIENDA", 'N', 5}, {"COD_FERM", 'C', 10}, {"DENOM", 'C', 40}, {"X", 'C', 4}});
    builder.feature(PointContent(1, 1), {"7", "F1", "Uno", "zzzz"});
    ShapefileBytes longer = builder.build();
    EXPECT_EQ(AddStops(longer, "/in/b.shp"), AddOutcome::Acquired);
}

TEST_F(ImportStopsTest, FormatErrorAfterFeatureMessagesEndsTheImport) {
    ShapefileBuilder builder(1, StopFields());
    builder.feature(NullContent(), {"7", "F0", ""}).feature(PointContent(1, 1), {"7", "F1", ""});
    ShapefileBytes files = builder.build();
    files.shp.resize(files.shp.size() - 1);  // the second record is cut short
    EXPECT_EQ(AddStops(files), AddOutcome::Rejected);
    EXPECT_EQ(platform.texts(),
              (std::vector<std::string>{kStopMessages.wrongShape(0),
                                        IllegalFormat(".SHP: l'entit\xE0 \"1\" va oltre la fine del file")}));
    ExpectUntouched();
}

TEST_F(ImportStopsTest, RejectedFileLeavesEarlierStateAsItWas) {
    ASSERT_EQ(AddStops(StopsShapefile({{"F1", "Uno", 1, 1}}), "/in/a.shp"), AddOutcome::Acquired);
    ASSERT_EQ(AddStops(StopsShapefile({{"F1", "Altro", 1, 1}}), "/in/b.shp"), AddOutcome::Acquired);
    ShapefileBuilder builder(1, StopFields());
    builder.feature(PointContent(1, 1), {"7", "F1", "Terzo"}).feature(NullContent(), {"7", "F9", ""});
    EXPECT_EQ(AddStops(builder.build(), "/in/c.shp"), AddOutcome::Rejected);
    EXPECT_EQ(Codes(workspace.stopTable), std::vector<std::string>{"F1"});
    int issues = 0;
    for ([[maybe_unused]] const IssueEntry& issue : workspace.issueLog.stopIssues) {
        ++issues;
    }
    EXPECT_EQ(issues, 1);  // only b's conflict
    EXPECT_EQ(workspace.acquiredStops.tail()->path, "/in/b.shp");
}

}  // namespace
}  // namespace tramelo::testing
