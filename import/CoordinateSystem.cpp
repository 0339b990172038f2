#include "import/CoordinateSystem.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <map>
#include <utility>

namespace tramelo {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Deeper than any WKT1 (PROJCS, GEOGCS, DATUM, SPHEROID, AUTHORITY is five), shallow enough
// that the recursive parser cannot run out of stack on hostile input.
constexpr int kMaxDepth = 16;
constexpr double kTolerance = 1e-10;
constexpr double kDegree = 0.0174532925199433;  // radians, as WKT writes it

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view WithoutMark(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    return text;
}

std::string_view Trimmed(std::string_view text) {
    text = WithoutMark(text);
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A name as compared: lower case, letters, digits and '+' only ("GRS 1980", "GRS_1980" and
// "grs-1980" are one name; "CH1903+" is not "CH1903").
std::string Normalised(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (IsLetter(c) || IsDigit(c) || c == '+') {
            out += Lower(c);
        }
    }
    return out;
}

// --- The WKT tree -----------------------------------------------------------------------

struct Item {
    enum class Kind { Text, Number, Word, Node };
    Kind kind = Kind::Text;
    std::string text;  // Text (quotes removed), Word (as written)
    double number = 0;
    std::size_t node = 0;  // index into Tree::nodes
};

struct Node {
    std::string keyword;  // upper case
    std::vector<Item> items;
};

struct Tree {
    std::vector<Node> nodes;
    std::size_t root = 0;

    const Node* child(const Node& parent, std::string_view keyword) const {
        for (const Item& item : parent.items) {
            if (item.kind == Item::Kind::Node && nodes[item.node].keyword == keyword) {
                return &nodes[item.node];
            }
        }
        return nullptr;
    }
};

// Recursive descent over KEYWORD[item, ...] with [] or (), bounded in depth; every step
// consumes input, so the work is linear in its size.
class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<Tree> parse() {
        Tree tree;
        skipSpace();
        std::string keyword;
        if (!word(keyword) || !node(tree, std::move(keyword), 0, tree.root)) {
            return std::nullopt;
        }
        // Trailing white space, and the NULs some writers pad with, are allowed.
        while (at_ < text_.size() && (IsSpace(text_[at_]) || text_[at_] == '\0')) {
            ++at_;
        }
        if (at_ != text_.size()) {
            return std::nullopt;
        }
        return tree;
    }

private:
    void skipSpace() {
        while (at_ < text_.size() && IsSpace(text_[at_])) {
            ++at_;
        }
    }

    bool word(std::string& out) {
        const std::size_t start = at_;
        if (at_ >= text_.size() || !IsLetter(text_[at_])) {
            return false;
        }
        while (at_ < text_.size() && (IsLetter(text_[at_]) || IsDigit(text_[at_]) || text_[at_] == '_')) {
            ++at_;
        }
        out.assign(text_.substr(start, at_ - start));
        return true;
    }

    // At the opening bracket after keyword (white space allowed before it).
    bool node(Tree& tree, std::string keyword, int depth, std::size_t& index) {
        if (depth >= kMaxDepth) {
            return false;
        }
        skipSpace();
        if (at_ >= text_.size() || (text_[at_] != '[' && text_[at_] != '(')) {
            return false;
        }
        const char close = text_[at_] == '[' ? ']' : ')';
        ++at_;
        Node result;
        std::transform(keyword.begin(), keyword.end(), keyword.begin(), Upper);
        result.keyword = std::move(keyword);
        skipSpace();
        if (at_ < text_.size() && text_[at_] == close) {
            ++at_;
        } else {
            for (;;) {
                Item item;
                if (!value(tree, depth, item)) {
                    return false;
                }
                result.items.push_back(std::move(item));
                skipSpace();
                if (at_ >= text_.size()) {
                    return false;
                }
                if (text_[at_] == close) {
                    ++at_;
                    break;
                }
                if (text_[at_] != ',') {
                    return false;
                }
                ++at_;
            }
        }
        index = tree.nodes.size();
        tree.nodes.push_back(std::move(result));
        return true;
    }

    bool value(Tree& tree, int depth, Item& item) {
        skipSpace();
        if (at_ >= text_.size()) {
            return false;
        }
        const char c = text_[at_];
        if (c == '"') {
            item.kind = Item::Kind::Text;
            ++at_;
            for (;;) {
                if (at_ >= text_.size()) {
                    return false;
                }
                if (text_[at_] == '"') {
                    if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
                        item.text += '"';
                        at_ += 2;
                        continue;
                    }
                    ++at_;
                    return true;
                }
                item.text += text_[at_++];
            }
        }
        if (IsDigit(c) || c == '+' || c == '-' || c == '.') {
            item.kind = Item::Kind::Number;
            const std::size_t start = at_;
            while (at_ < text_.size() && (IsDigit(text_[at_]) || text_[at_] == '+' || text_[at_] == '-' ||
                                          text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E')) {
                ++at_;
            }
            std::string_view number = text_.substr(start, at_ - start);
            if (number.starts_with('+')) {  // from_chars takes no plus sign
                number.remove_prefix(1);
            }
            const char* const end = number.data() + number.size();
            const auto [stop, error] = std::from_chars(number.data(), end, item.number);
            return error == std::errc() && stop == end && std::isfinite(item.number);
        }
        std::string name;
        if (!word(name)) {
            return false;
        }
        const std::size_t afterWord = at_;
        skipSpace();
        if (at_ < text_.size() && (text_[at_] == '[' || text_[at_] == '(')) {
            item.kind = Item::Kind::Node;
            return node(tree, std::move(name), depth + 1, item.node);
        }
        at_ = afterWord;
        item.kind = Item::Kind::Word;
        item.text = std::move(name);
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// --- From the tree to a coordinate system --------------------------------------------------

const std::string* TextAt(const Node& node, std::size_t i) {
    return i < node.items.size() && node.items[i].kind == Item::Kind::Text ? &node.items[i].text : nullptr;
}

std::optional<double> NumberAt(const Node* node, std::size_t i) {
    if (node == nullptr || i >= node->items.size() || node->items[i].kind != Item::Kind::Number) {
        return std::nullopt;
    }
    return node->items[i].number;
}

// ESRI's datum names (without "D_"), normalised, that none of the forms of DatumNames
// relates to OGC's, and other tools' spellings of WGS 84.
std::string DatumAlias(std::string name) {
    static const std::map<std::string, std::string, std::less<>> aliases = {
        {"wgs84", "wgs1984"},
        {"wgs72", "wgs1972"},
        {"northamerican1983harn", "nad83highaccuracyreferencenetwork"},
        {"nad19832011", "nad83nationalspatialreferencesystem2011"},
        {"northamerican1983csrs", "nad83canadianspatialreferencesystem"},
        {"rgf1993", "reseaugeodesiquefrancais1993v1"},
        {"reseaugeodesiquefrancais1993", "reseaugeodesiquefrancais1993v1"},
        {"sjtsk", "systemoftheunifiedtrigonometricalcadastralnetwork"},
        {"belge1972", "reseaunationalbelge1972"},
        {"israel", "israel1993"},
        {"sirgas2000", "sistemadereferenciageocentricoparalasamericas2000"},
        {"posgar1994", "posicionesgeodesicasargentinas1994"},
        {"newzealand1949", "newzealandgeodeticdatum1949"},
        {"rgr1992", "reseaugeodesiquedelareunion1992"},
        {"magna", "marcogeocentriconacionaldereferencia"},
        {"reseaugeodesiquedenouvellecaledonie199193", "reseaugeodesiquedenouvellecaledonie9193"},
        {"lithuania1994", "lithuania1994etrs89"},
        {"twd1997", "taiwandatum1997"},
        {"korea2000", "geocentricdatumofkorea"},
    };
    const auto found = aliases.find(name);
    return found == aliases.end() ? name : found->second;
}

// The forms under which a datum's name matches the other dialect's: ESRI shortens OGC's
// names by dropping "Datum" (North_American_Datum_1983, D_North_American_1983), by initials
// (European_Terrestrial_Reference_System_1989, D_ETRS_1989; Ordnance_Survey_of_Great_Britain_
// 1936, D_OSGB_1936) and by leaving out the prime meridian that OGC appends
// (Nouvelle_Triangulation_Francaise_Paris, D_NTF), which is compared on its own.
std::vector<std::string> DatumNames(std::string_view name, std::string_view primeMeridian) {
    if (name.size() > 2 && Upper(name[0]) == 'D' && name[1] == '_') {
        name.remove_prefix(2);
    }
    std::vector<std::string> words;
    std::string word;
    for (const char c : name) {
        if (IsLetter(c) || IsDigit(c) || c == '+') {
            word += Lower(c);
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    const std::string meridian = Normalised(primeMeridian);
    if (words.size() > 1 && words.back() == meridian) {
        words.pop_back();
    }
    std::string whole;
    std::string withoutDatum;
    std::string initials;
    int spelled = 0;
    for (const std::string& w : words) {
        whole += w;
        if (w != "datum") {
            withoutDatum += w;
        }
        if (IsDigit(w.front())) {
            initials += w;
        } else if (w != "of" && w != "the" && w != "de" && w != "para" && w != "las") {
            initials += w.front();
            ++spelled;
        }
    }
    std::vector<std::string> names = {DatumAlias(whole), DatumAlias(withoutDatum)};
    if (spelled > 1) {
        names.push_back(initials);
    }
    return names;
}

bool SameDatumName(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (const std::string& name : a) {
        if (std::find(b.begin(), b.end(), name) != b.end()) {
            return true;
        }
    }
    return false;
}

// One name per method, OGC's where it has one; others keep their normalised name.
std::string MethodName(std::string_view name) {
    static const std::map<std::string, std::string, std::less<>> methods = {
        {"transversemercator", "transverse_mercator"},
        {"gausskruger", "transverse_mercator"},
        {"mercator", "mercator"},
        {"mercator1sp", "mercator"},
        {"mercator2sp", "mercator"},
        {"mercatorvarianta", "mercator"},
        {"mercatorvariantb", "mercator"},
        {"mercatorauxiliarysphere", "mercator_auxiliary_sphere"},
        {"popularvisualisationpseudomercator", "pseudo_mercator"},
        {"lambertconformalconic", "lambert_conformal_conic"},
        {"lambertconformalconic1sp", "lambert_conformal_conic"},
        {"lambertconformalconic2sp", "lambert_conformal_conic"},
        {"obliquestereographic", "oblique_stereographic"},
        {"doublestereographic", "oblique_stereographic"},
        {"polarstereographic", "polar_stereographic"},
        {"polarstereographicvarianta", "polar_stereographic"},
        {"polarstereographicvariantb", "polar_stereographic"},
        {"stereographicnorthpole", "polar_stereographic"},
        {"stereographicsouthpole", "polar_stereographic"},
        {"hotineobliquemercator", "hotine_oblique_mercator"},
        {"hotineobliquemercatorazimuthnaturalorigin", "hotine_oblique_mercator"},
        {"rectifiedskeworthomorphicnaturalorigin", "hotine_oblique_mercator"},
        {"hotineobliquemercatorazimuthcenter", "hotine_oblique_mercator_azimuth_center"},
        {"rectifiedskeworthomorphiccenter", "hotine_oblique_mercator_azimuth_center"},
        {"albersconicequalarea", "albers_conic_equal_area"},
        {"albers", "albers_conic_equal_area"},
        {"cassinisoldner", "cassini_soldner"},
        {"cassini", "cassini_soldner"},
        {"lambertazimuthalequalarea", "lambert_azimuthal_equal_area"},
        {"equirectangular", "equirectangular"},
        {"equidistantcylindrical", "equirectangular"},
        {"platecarree", "equirectangular"},
        {"krovak", "krovak"},
        {"cylindricalequalarea", "cylindrical_equal_area"},
        {"behrmann", "cylindrical_equal_area"},
    };
    const std::string key = Normalised(name);
    const auto found = methods.find(key);
    return found == methods.end() ? key : found->second;
}

std::string ParameterName(std::string_view name) {
    static const std::map<std::string, std::string, std::less<>> parameters = {
        {"falseeasting", "false_easting"},
        {"falsenorthing", "false_northing"},
        {"scalefactor", "scale_factor"},
        {"latitudeoforigin", "latitude_of_origin"},
        {"latitudeofcenter", "latitude_of_origin"},
        {"centralmeridian", "central_meridian"},
        {"longitudeofcenter", "central_meridian"},
        {"longitudeoforigin", "central_meridian"},
        {"standardparallel1", "standard_parallel_1"},
        {"standardparallel2", "standard_parallel_2"},
        {"azimuth", "azimuth"},
        {"rectifiedgridangle", "rectified_grid_angle"},
        {"pseudostandardparallel1", "pseudo_standard_parallel_1"},
        {"auxiliaryspheretype", "auxiliary_sphere_type"},
        {"xscale", "x_scale"},
        {"yscale", "y_scale"},
        {"xyplanerotation", "xy_plane_rotation"},
    };
    const std::string key = Normalised(name);
    const auto found = parameters.find(key);
    return found == parameters.end() ? key : found->second;
}

// What a parameter that a text leaves out is taken to be.
double DefaultOf(std::string_view parameter) {
    return parameter == "scale_factor" || parameter == "x_scale" || parameter == "y_scale" ? 1.0 : 0.0;
}

bool Near(double a, double b) {
    if (a == b || (std::isnan(a) && std::isnan(b))) {
        return true;
    }
    const double scale = std::max({1.0, std::fabs(a), std::fabs(b)});
    return std::fabs(a - b) <= kTolerance * scale;
}

bool ParseGeographic(const Tree& tree, const Node& geogcs, CoordinateSystem& cs) {
    const Node* datum = tree.child(geogcs, "DATUM");
    const Node* spheroid = datum ? tree.child(*datum, "SPHEROID") : nullptr;
    const std::string* datumName = datum ? TextAt(*datum, 0) : nullptr;
    const std::optional<double> a = NumberAt(spheroid, 1);
    const std::optional<double> rf = NumberAt(spheroid, 2);
    if (datumName == nullptr || !a || !rf || *a <= 0 || *rf < 0) {
        return false;
    }
    cs.semiMajorAxis = *a;
    cs.inverseFlattening = *rf;
    const Node* unit = tree.child(geogcs, "UNIT");
    cs.angularUnit = unit ? NumberAt(unit, 1).value_or(0) : kDegree;
    if (!(cs.angularUnit > 0)) {
        return false;
    }
    // Degrees whatever the angular unit, as GDAL and ArcGIS write it (Paris is 2.33722917
    // in a system in grads).
    const Node* primem = tree.child(geogcs, "PRIMEM");
    cs.primeMeridian = primem ? NumberAt(primem, 1).value_or(0) : 0;
    const std::string* meridianName = primem ? TextAt(*primem, 0) : nullptr;
    cs.datumNames = DatumNames(*datumName, meridianName ? *meridianName : std::string_view());
    return true;
}

bool HasParameter(const std::map<std::string, double>& parameters, const char* name) {
    return parameters.find(name) != parameters.end();
}

double ParameterOr(const std::map<std::string, double>& parameters, const char* name, double otherwise) {
    const auto found = parameters.find(name);
    return found == parameters.end() ? otherwise : found->second;
}

// Writes each method's parameters one way, where the dialects or its variants differ.
void NormaliseMethod(const Tree& tree, const Node& projcs, CoordinateSystem& cs,
                     std::map<std::string, double>& p) {
    if (cs.method == "mercator") {
        // The 2SP form and ESRI's give the latitude of true scale; the 1SP form the scale
        // there, which is what it comes to on the equator.
        if (HasParameter(p, "standard_parallel_1") && !HasParameter(p, "scale_factor")) {
            const double phi = p["standard_parallel_1"] * cs.angularUnit;
            const double f = cs.inverseFlattening > 0 ? 1 / cs.inverseFlattening : 0;
            const double e2 = f * (2 - f);
            p["scale_factor"] = std::cos(phi) / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
            p.erase("standard_parallel_1");
        }
        // GDAL writes EPSG:3857 as Mercator_1SP on WGS 84 with the spherical PROJ string in
        // an EXTENSION: without it, the text would be the ellipsoidal World Mercator.
        if (const Node* extension = tree.child(projcs, "EXTENSION")) {
            const std::string* proj = TextAt(*extension, 1);
            if (proj != nullptr && proj->find("+proj=merc") != std::string::npos &&
                proj->find("+a=6378137 ") != std::string::npos &&
                proj->find("+b=6378137 ") != std::string::npos) {
                cs.method = "pseudo_mercator";
            }
        }
    } else if (cs.method == "mercator_auxiliary_sphere") {
        // Type 0 is the sphere of the semi-major axis: the web's pseudo-Mercator.
        if (ParameterOr(p, "auxiliary_sphere_type", 0) == 0) {
            cs.method = "pseudo_mercator";
            p.erase("auxiliary_sphere_type");
            p.erase("standard_parallel_1");
        }
    } else if (cs.method == "lambert_conformal_conic") {
        // One standard parallel (1SP, or ESRI's single parallel) is the tangent cone at the
        // latitude of origin; parallels are a set, not a sequence.
        const double origin = ParameterOr(p, "latitude_of_origin", 0);
        if (!HasParameter(p, "standard_parallel_1") && !HasParameter(p, "standard_parallel_2")) {
            p["standard_parallel_1"] = origin;
        }
        if (!HasParameter(p, "standard_parallel_2")) {
            p["standard_parallel_2"] = ParameterOr(p, "standard_parallel_1", origin);
        }
        if (!HasParameter(p, "standard_parallel_1")) {
            p["standard_parallel_1"] = p["standard_parallel_2"];
        }
        if (p["standard_parallel_1"] > p["standard_parallel_2"]) {
            std::swap(p["standard_parallel_1"], p["standard_parallel_2"]);
        }
    } else if (cs.method == "polar_stereographic") {
        // OGC's latitude of origin is the latitude of true scale (or the pole, with a scale
        // factor); ESRI calls it the standard parallel.
        if (HasParameter(p, "standard_parallel_1")) {
            p["latitude_of_origin"] = p["standard_parallel_1"];
            p.erase("standard_parallel_1");
        }
    } else if (cs.method == "hotine_oblique_mercator" ||
               cs.method == "hotine_oblique_mercator_azimuth_center") {
        // ESRI's rectified skew orthomorphic calls the rectified grid angle a rotation; where
        // the angle is left out it is the azimuth.
        if (HasParameter(p, "xy_plane_rotation")) {
            p["rectified_grid_angle"] = p["xy_plane_rotation"];
            p.erase("xy_plane_rotation");
        }
        if (!HasParameter(p, "rectified_grid_angle")) {
            p["rectified_grid_angle"] = ParameterOr(p, "azimuth", 0);
        }
    } else if (cs.method == "krovak") {
        // The same parameters give the classic southing, westing grid or the east, north one
        // (EPSG:5513 or 5514): ESRI tells by a scale and rotation of the plane, OGC by its
        // axes; without either, as PROJ reads it, the classic one.
        bool eastNorth = false;
        if (HasParameter(p, "x_scale") || HasParameter(p, "y_scale") ||
            HasParameter(p, "xy_plane_rotation")) {
            eastNorth = ParameterOr(p, "x_scale", 1) < 0 && Near(ParameterOr(p, "xy_plane_rotation", 0), 90);
        } else if (const Node* axis = tree.child(projcs, "AXIS")) {
            const Item* direction = axis->items.size() > 1 ? &axis->items[1] : nullptr;
            if (direction != nullptr && direction->kind == Item::Kind::Word) {
                const std::string word = Normalised(direction->text);
                eastNorth = word == "east" || word == "north";
            }
        }
        p.erase("x_scale");
        p.erase("y_scale");
        p.erase("xy_plane_rotation");
        p["east_north"] = eastNorth ? 1 : 0;
    }
}

bool ParseProjected(const Tree& tree, const Node& projcs, CoordinateSystem& cs) {
    const Node* geogcs = tree.child(projcs, "GEOGCS");
    const Node* projection = tree.child(projcs, "PROJECTION");
    const std::string* method = projection ? TextAt(*projection, 0) : nullptr;
    if (geogcs == nullptr || method == nullptr || !ParseGeographic(tree, *geogcs, cs)) {
        return false;
    }
    cs.projected = true;
    cs.method = MethodName(*method);
    std::map<std::string, double> parameters;
    for (const Item& item : projcs.items) {
        if (item.kind != Item::Kind::Node || tree.nodes[item.node].keyword != "PARAMETER") {
            continue;
        }
        const Node& parameter = tree.nodes[item.node];
        const std::string* name = TextAt(parameter, 0);
        const std::optional<double> value = NumberAt(&parameter, 1);
        if (name == nullptr || !value) {
            return false;
        }
        parameters.emplace(ParameterName(*name), *value);  // the first of two of a name counts
    }
    if (Normalised(*method) == "behrmann" && !HasParameter(parameters, "standard_parallel_1")) {
        parameters["standard_parallel_1"] = 30;  // what makes the equal-area cylinder Behrmann's
    }
    NormaliseMethod(tree, projcs, cs, parameters);
    // Directions and longitudes a turn apart are one (an azimuth of 337.25556 is -22.74444).
    const double halfTurn = std::acos(-1.0) / cs.angularUnit;
    for (const char* angle : {"azimuth", "rectified_grid_angle", "central_meridian"}) {
        const auto found = parameters.find(angle);
        if (found != parameters.end()) {
            double& value = found->second;
            value = std::remainder(value, 2 * halfTurn);
            if (value < -halfTurn * (1 - kTolerance)) {  // -180 is 180, in units that hold pi inexactly
                value += 2 * halfTurn;
            }
        }
    }
    for (auto& [name, value] : parameters) {
        cs.parameters.push_back({name, value});
    }
    const Node* unit = tree.child(projcs, "UNIT");
    cs.linearUnit = unit ? NumberAt(unit, 1).value_or(0) : 1.0;
    return cs.linearUnit > 0;
}

bool SameParameters(const std::vector<CoordinateSystem::Parameter>& a,
                    const std::vector<CoordinateSystem::Parameter>& b) {
    // Both sorted by name: walk them together, a name on one side only against its default.
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && a[i].name < b[j].name)) {
            if (!Near(a[i].value, DefaultOf(a[i].name))) {
                return false;
            }
            ++i;
        } else if (i == a.size() || b[j].name < a[i].name) {
            if (!Near(b[j].value, DefaultOf(b[j].name))) {
                return false;
            }
            ++j;
        } else {
            if (!Near(a[i].value, b[j].value)) {
                return false;
            }
            ++i;
            ++j;
        }
    }
    return true;
}

}  // namespace

std::optional<CoordinateSystem> CoordinateSystem::Parse(std::string_view prj) {
    std::optional<Tree> tree = Parser(WithoutMark(prj)).parse();
    if (!tree) {
        return std::nullopt;
    }
    const Node& root = tree->nodes[tree->root];
    CoordinateSystem cs;
    if (root.keyword == "GEOGCS" ? ParseGeographic(*tree, root, cs)
                                 : root.keyword == "PROJCS" && ParseProjected(*tree, root, cs)) {
        return cs;
    }
    return std::nullopt;
}

bool CoordinateSystem::sameAs(const CoordinateSystem& other) const {
    if (projected != other.projected || !SameDatumName(datumNames, other.datumNames) ||
        !Near(semiMajorAxis, other.semiMajorAxis) || !Near(inverseFlattening, other.inverseFlattening) ||
        !Near(primeMeridian, other.primeMeridian) || !Near(angularUnit, other.angularUnit)) {
        return false;
    }
    return !projected || (method == other.method && Near(linearUnit, other.linearUnit) &&
                          SameParameters(parameters, other.parameters));
}

bool SameCoordinateSystem(std::string_view a, std::string_view b) {
    const std::optional<CoordinateSystem> first = CoordinateSystem::Parse(a);
    const std::optional<CoordinateSystem> second = first ? CoordinateSystem::Parse(b) : std::nullopt;
    if (first && second) {
        return first->sameAs(*second);
    }
    return Trimmed(a) == Trimmed(b);
}

bool IsGeographicCoordinateSystem(std::string_view prj) {
    if (const std::optional<CoordinateSystem> cs = CoordinateSystem::Parse(prj)) {
        return !cs->projected;
    }
    const std::string_view text = Trimmed(prj);
    std::string keyword;
    for (std::size_t i = 0; i < text.size() && IsLetter(text[i]) && keyword.size() < 8; ++i) {
        keyword += Upper(text[i]);
    }
    return keyword == "GEOGCS" || keyword == "GEOGCRS";
}

}  // namespace tramelo
