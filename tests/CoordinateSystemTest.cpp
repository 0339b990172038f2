#include <gtest/gtest.h>

#include <string>

#include "import/CoordinateSystem.h"

namespace tramelo {
namespace {

// EPSG:32618 as ArcGIS writes it (the samples' .prj).
const std::string kEsri = R"(PROJCS["WGS_1984_UTM_Zone_18N",GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",)"
                          R"(SPHEROID["WGS_1984",6378137.0,298.257223563]],PRIMEM["Greenwich",0.0],)"
                          R"(UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],)"
                          R"(PARAMETER["False_Easting",500000.0],PARAMETER["False_Northing",0.0],)"
                          R"(PARAMETER["Central_Meridian",-75.0],PARAMETER["Scale_Factor",0.9996],)"
                          R"(PARAMETER["Latitude_Of_Origin",0.0],UNIT["Meter",1.0]])";

// The same as GDAL writes it in OGC WKT1.
const std::string kOgc =
    R"(PROJCS["WGS 84 / UTM zone 18N",GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,)"
    R"(298.257223563,AUTHORITY["EPSG","7030"]],AUTHORITY["EPSG","6326"]],PRIMEM["Greenwich",0,)"
    R"(AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],)"
    R"(AUTHORITY["EPSG","4326"]],PROJECTION["Transverse_Mercator"],PARAMETER["latitude_of_origin",0],)"
    R"(PARAMETER["central_meridian",-75],PARAMETER["scale_factor",0.9996],PARAMETER["false_easting",500000],)"
    R"(PARAMETER["false_northing",0],UNIT["metre",1,AUTHORITY["EPSG","9001"]],AXIS["Easting",EAST],)"
    R"(AXIS["Northing",NORTH],AUTHORITY["EPSG","32618"]])";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// kEsri with a chain of unknown nodes in it, levels deep counting PROJCS.
std::string Nested(int levels) {
    std::string chain;
    for (int i = 1; i < levels; ++i) {
        chain = "X[" + (chain.empty() ? std::string("1") : chain) + "]";
    }
    return kEsri.substr(0, kEsri.size() - 1) + "," + chain + "]";
}

TEST(CoordinateSystemTest, WritingsOfOneSystemAreTheSame) {
    const std::string variants[] = {
        kOgc, "\xEF\xBB\xBF" + kEsri + "\r\n",
        // pretty, with parentheses, lower-case keywords and other spacing
        "PROJCS(\"WGS 84 / UTM zone 18N\",\n    GEOGCS(\"WGS 84\",\n        DATUM(\"WGS_1984\",\n"
        "            SPHEROID(\"WGS 84\", 6378137, 298.257223563)),\n        primem(\"Greenwich\", 0),\n"
        "        unit(\"degree\", 0.017453292519943295)),\n    Projection ( \"transverse_mercator\" ) ,\n"
        "    PARAMETER[\"Central_Meridian\",-75.000],PARAMETER[\"scale_factor\",0.99960000000000004],\n"
        "    PARAMETER[\"false_easting\",5.0E5],\n    UNIT[\"metre\",1], AXIS[\"x\",EAST], "
        "TOWGS84[0,0,0,0,0,0,0])\n",
        // a parameter at its default left out; a name with an escaped quote
        Replaced(kEsri, R"(PARAMETER["False_Northing",0.0],)", ""),
        Replaced(kEsri, R"(PROJCS["WGS_1984_UTM_Zone_18N")", R"(PROJCS["my ""UTM"" 18")"),
        Replaced(kEsri, "500000.0", "+500000.000000000001"),
        Nested(16),  // deep enough for any real system, extra nodes ignored
    };
    for (const std::string& a : variants) {
        for (const std::string& b : variants) {
            EXPECT_TRUE(SameCoordinateSystem(a, b)) << a << "\n" << b;
        }
        EXPECT_TRUE(CoordinateSystem::Parse(a).has_value()) << a;
    }
}

TEST(CoordinateSystemTest, NearMissesDiffer) {
    const std::string nad83 =
        Replaced(Replaced(kEsri, R"(DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]])",
                          R"(DATUM["D_North_American_1983",SPHEROID["GRS_1980",6378137.0,298.257222101]])"),
                 "GCS_WGS_1984", "GCS_North_American_1983");
    const std::string others[] = {
        Replaced(kEsri, "-75.0", "-81.0"),                        // 32617
        nad83,                                                    // 26918
        Replaced(nad83, "D_North_American_1983", "D_ETRS_1989"),  // same ellipsoid
        Replaced(kEsri, "298.257223563", "298.257222101"),        // GRS 1980 under WGS 84's name
        Replaced(kEsri, R"(UNIT["Meter",1.0])", R"(UNIT["Foot",0.3048])"),
        Replaced(kEsri, R"(UNIT["Meter",1.0])", R"(UNIT["Foot_US",0.3048006096012192])"),
        Replaced(kEsri, "500000.0", "500001.0"),
        Replaced(kEsri, R"(PARAMETER["Scale_Factor",0.9996],)", ""),  // a scale of 1
        Replaced(kEsri, R"(PRIMEM["Greenwich",0.0])", R"(PRIMEM["Rome",12.45233333333333])"),
        Replaced(kEsri, "Transverse_Mercator", "Cassini"),
        R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)"
        R"(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])",
    };
    for (const std::string& other : others) {
        EXPECT_FALSE(SameCoordinateSystem(kEsri, other)) << other;
        EXPECT_FALSE(SameCoordinateSystem(other, kOgc)) << other;
        EXPECT_TRUE(SameCoordinateSystem(other, other)) << other;
    }
    EXPECT_TRUE(
        SameCoordinateSystem(nad83, Replaced(nad83, "D_North_American_1983", "North_American_Datum_1983")));
}

// Methods and parameters that the dialects name in their own ways.
TEST(CoordinateSystemTest, EsriAndOgcNamesOfOneMethodAreOne) {
    const std::string geogcs =
        R"(GEOGCS["g",DATUM["D_WGS_1984",SPHEROID["s",6378137,298.257223563]],UNIT["d",0.0174532925199433]])";
    const auto projcs = [&](const std::string& method, const std::string& parameters) {
        return "PROJCS[\"p\"," + geogcs + ",PROJECTION[\"" + method + "\"]," + parameters + ",UNIT[\"m\",1]]";
    };
    struct Case {
        std::string a;
        std::string b;
        bool same;
    };
    const Case cases[] = {
        {projcs("Mercator_1SP", R"(PARAMETER["scale_factor",1])"),
         projcs("Mercator", R"(PARAMETER["Standard_Parallel_1",0])"), true},
        {projcs("Mercator_2SP", R"(PARAMETER["standard_parallel_1",30])"),
         projcs("Mercator_1SP", R"(PARAMETER["scale_factor",0.866])"), false},
        {projcs("Mercator_Auxiliary_Sphere", R"(PARAMETER["Auxiliary_Sphere_Type",0])"),
         projcs("Mercator_1SP",
                R"(PARAMETER["central_meridian",0],EXTENSION["PROJ4","+proj=merc +a=6378137 )"
                R"(+b=6378137 +lat_ts=0 +lon_0=0 +x_0=0 +y_0=0 +k=1 +units=m +nadgrids=@null"])"),
         true},
        {projcs("Mercator_Auxiliary_Sphere", R"(PARAMETER["Auxiliary_Sphere_Type",0])"),
         projcs("Mercator_1SP", R"(PARAMETER["central_meridian",0])"), false},
        {projcs("Lambert_Conformal_Conic_1SP",
                R"(PARAMETER["latitude_of_origin",45],PARAMETER["scale_factor",0.9])"),
         projcs("Lambert_Conformal_Conic",
                R"(PARAMETER["Standard_Parallel_1",45],PARAMETER["Scale_Factor",0.9],)"
                R"(PARAMETER["Latitude_Of_Origin",45])"),
         true},
        {projcs("Lambert_Conformal_Conic_2SP",
                R"(PARAMETER["standard_parallel_1",44],PARAMETER["standard_parallel_2",49])"),
         projcs("Lambert_Conformal_Conic",
                R"(PARAMETER["Standard_Parallel_1",49],PARAMETER["Standard_Parallel_2",44])"),
         true},
        {projcs("Polar_Stereographic",
                R"(PARAMETER["latitude_of_origin",70],PARAMETER["central_meridian",-45])"),
         projcs("Stereographic_North_Pole",
                R"(PARAMETER["Standard_Parallel_1",70],PARAMETER["Central_Meridian",-45])"),
         true},
        {projcs("Oblique_Stereographic", R"(PARAMETER["latitude_of_origin",52])"),
         projcs("Double_Stereographic", R"(PARAMETER["Latitude_Of_Origin",52])"), true},
        {projcs("Albers_Conic_Equal_Area",
                R"(PARAMETER["latitude_of_center",23],PARAMETER["longitude_of_center",-96])"),
         projcs("Albers", R"(PARAMETER["Latitude_Of_Origin",23],PARAMETER["Central_Meridian",-96])"), true},
        {projcs("Hotine_Oblique_Mercator_Azimuth_Center",
                R"(PARAMETER["azimuth",90],PARAMETER["rectified_grid_angle",90])"),
         projcs("Hotine_Oblique_Mercator_Azimuth_Center", R"(PARAMETER["Azimuth",90])"), true},
        {projcs("Hotine_Oblique_Mercator", R"(PARAMETER["azimuth",90])"),
         projcs("Hotine_Oblique_Mercator_Azimuth_Center", R"(PARAMETER["azimuth",90])"), false},
        {projcs("Cassini_Soldner", R"(PARAMETER["central_meridian",13])"),
         projcs("Cassini", R"(PARAMETER["Central_Meridian",13],PARAMETER["Scale_Factor",1])"), true},
        {projcs("Equirectangular", R"(PARAMETER["standard_parallel_1",0])"),
         projcs("Plate_Carree", "AXIS[\"E\",EAST]"), true},
        {projcs("Krovak", R"(PARAMETER["azimuth",30],AXIS["Easting",EAST],AXIS["Northing",NORTH])"),
         projcs("Krovak",
                R"(PARAMETER["Azimuth",30],PARAMETER["X_Scale",-1],PARAMETER["XY_Plane_Rotation",90])"),
         true},
        {projcs("Krovak", R"(PARAMETER["azimuth",30],AXIS["Southing",SOUTH],AXIS["Westing",WEST])"),
         projcs("Krovak",
                R"(PARAMETER["Azimuth",30],PARAMETER["X_Scale",-1],PARAMETER["XY_Plane_Rotation",90])"),
         false},
        {projcs("Krovak", R"(PARAMETER["azimuth",30])"),
         projcs("Krovak",
                R"(PARAMETER["Azimuth",30],PARAMETER["X_Scale",1],PARAMETER["XY_Plane_Rotation",0])"),
         true},
        {projcs("Transverse_Mercator", R"(PARAMETER["central_meridian",9])"),
         projcs("Gauss_Kruger", R"(PARAMETER["Central_Meridian",9])"), true},
        {projcs("Hotine_Oblique_Mercator",
                R"(PARAMETER["azimuth",337.25556],PARAMETER["central_meridian",180])"),
         projcs("Hotine_Oblique_Mercator_Azimuth_Natural_Origin",
                R"(PARAMETER["Azimuth",-22.74444],PARAMETER["Central_Meridian",-180])"),
         true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameCoordinateSystem(c.a, c.b), c.same) << c.a << "\n" << c.b;
        EXPECT_EQ(SameCoordinateSystem(c.b, c.a), c.same) << c.b << "\n" << c.a;
    }
}

TEST(CoordinateSystemTest, DatumNamesMatchAcrossDialects) {
    const auto geogcs = [](const std::string& datum, const std::string& meridian) {
        return R"(GEOGCS["g",DATUM[")" + datum + R"(",SPHEROID["s",6378137,298.257222101]],PRIMEM[")" +
               meridian + R"(",0],UNIT["d",0.0174532925199433]])";
    };
    struct Case {
        std::string ogc;
        std::string esri;
        bool same;
    };
    const Case cases[] = {
        {"North_American_Datum_1983", "D_North_American_1983", true},
        {"European_Terrestrial_Reference_System_1989", "D_ETRS_1989", true},
        {"Militar-Geographische_Institut", "D_MGI", true},
        {"Reseau_Geodesique_Francais_1993_v1", "D_RGF_1993", true},
        {"WGS84", "D_WGS_1984", true},
        {"North_American_Datum_1983", "D_ETRS_1989", false},
        {"Rete_Dinamica_Nazionale_2008", "D_ETRS_1989", false},
        {"CH1903+", "D_CH1903", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameCoordinateSystem(geogcs(c.ogc, "Greenwich"), geogcs(c.esri, "Greenwich")), c.same)
            << c.esri;
        EXPECT_EQ(SameCoordinateSystem(geogcs(c.esri, "Greenwich"), geogcs(c.ogc, "Greenwich")), c.same)
            << c.esri;
    }
    // The prime meridian that OGC's name ends with (ESRI's leaves it out) is compared as a number.
    EXPECT_TRUE(SameCoordinateSystem(geogcs("Nouvelle_Triangulation_Francaise_Paris", "Paris"),
                                     geogcs("D_NTF", "Paris")));
}

// What cannot be parsed is compared as text, a byte-order mark and outer white space aside.
TEST(CoordinateSystemTest, UnparsableTextsAreComparedAsText) {
    const std::string wkt2 =
        R"(GEOGCRS["WGS 84",DATUM["World Geodetic System 1984",ELLIPSOID["WGS 84",6378137,298.257223563]]])";
    struct Case {
        std::string a;
        std::string b;
        bool same;
    };
    const Case cases[] = {
        {wkt2, "\xEF\xBB\xBF \n" + wkt2 + " \r\n", true},
        {wkt2, Replaced(wkt2, "GEOGCRS", "geogcrs"), false},
        {"PROJCS[\"x\"", " PROJCS[\"x\"", true},
        {kEsri + "]", kEsri, false},  // one side unparsable
        {R"(COMPD_CS["c",)" + kEsri + "]", R"(COMPD_CS["c",)" + kOgc + "]", false},
        {"", " ", true},
        {std::string(100, '[') + kEsri, std::string(100, '[') + kEsri, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SameCoordinateSystem(c.a, c.b), c.same) << c.a << "\n" << c.b;
        EXPECT_EQ(SameCoordinateSystem(c.b, c.a), c.same) << c.b << "\n" << c.a;
    }
    const std::string malformed[] = {
        kEsri.substr(0, kEsri.size() - 1),
        Replaced(kEsri, "500000.0", "500000.0.0"),
        Replaced(kEsri, "500000.0", "1e999"),
        Replaced(kEsri, "500000.0", "nan"),
        Replaced(kEsri, "6378137.0", "-6378137.0"),
        Replaced(kEsri, "\"Transverse_Mercator\"", "Transverse_Mercator"),
        Replaced(kEsri, ",PROJECTION", ",,PROJECTION"),
        Nested(17),                  // too deep
        "GEOGCS[\"GCS_WGS_1984\"]",  // no datum
        "PROJCS[\"a\"] x",
    };
    for (const std::string& text : malformed) {
        EXPECT_FALSE(CoordinateSystem::Parse(text).has_value()) << text;
    }
}

TEST(CoordinateSystemTest, GeographicByKindOrFirstKeyword) {
    const std::string geographic =
        R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],)"
        R"(PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])";
    struct Case {
        std::string prj;
        bool geographic;
    };
    const Case cases[] = {
        {geographic, true},
        {"\xEF\xBB\xBF\r\n  " + geographic, true},
        {"geogcs[\"GCS_WGS_1984\"]", true},  // unparsable: by its keyword
        {" GeogCRS[\"WGS 84\",DATUM[]]", true},
        {kEsri, false},
        {"\xEF\xBB\xBF" + kOgc, false},
        {"PROJCRS[\"x\",BASEGEOGCRS[\"y\"]]", false},
        {"GEOGCSX[]", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsGeographicCoordinateSystem(c.prj), c.geographic) << c.prj;
    }
}

}  // namespace
}  // namespace tramelo
