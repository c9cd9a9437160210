#include "render/svg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "formats/jws.h"
#include "formats/jww.h"
#include "render/compare.h"
#include "render/render.h"
#include "settings/settings_file.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane::render {
namespace {

namespace fs = std::filesystem;

// A minimal well-formedness check: nested tags close in order, attribute values are quoted,
// and every '&' starts one of XML's predefined references. Answers what is wrong, or "".
std::string XmlProblem(const std::string& xml) {
    std::vector<std::string> open;
    auto badReference = [&](size_t at) {
        for (const char* name : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"})
            if (xml.compare(at, std::string_view(name).size(), name) == 0) return false;
        return true;
    };
    size_t i = 0;
    if (xml.starts_with("<?xml")) i = xml.find("?>") + 2;
    while (i < xml.size()) {
        if (xml[i] == '&' && badReference(i)) return "bad reference at " + std::to_string(i);
        if (xml[i] != '<') {
            if (xml[i] == '>') return "stray '>' at " + std::to_string(i);
            ++i;
            continue;
        }
        const size_t end = xml.find('>', i);
        if (end == std::string::npos) return "unclosed tag";
        std::string tag = xml.substr(i + 1, end - i - 1);
        if (tag.find('<') != std::string::npos) return "'<' inside a tag at " + std::to_string(i);
        size_t quotes = 0;
        for (size_t k = 0; k < tag.size(); ++k) {
            if (tag[k] == '"') ++quotes;
            if (tag[k] == '&' && badReference(i + 1 + k)) return "bad reference in a tag at " + std::to_string(i);
        }
        if (quotes % 2 != 0) return "unbalanced quotes at " + std::to_string(i);
        if (tag.starts_with("/")) {
            if (open.empty() || open.back() != tag.substr(1)) return "</" + tag.substr(1) + "> closes nothing open";
            open.pop_back();
        } else if (!tag.ends_with("/")) {
            open.push_back(tag.substr(0, tag.find_first_of(" \n")));
        }
        i = end + 1;
    }
    return open.empty() ? "" : "<" + open.back() + "> not closed";
}

// Every coordinate pair of every element (points, circle centres, text positions) lies in
// the viewBox; answers the first that does not, or "".
std::string OutsideViewBox(const std::string& svg) {
    auto attribute = [](const std::string& text, size_t from, const std::string& name) {
        const size_t at = text.find(" " + name + "=\"", from);
        if (at == std::string::npos) return std::string();
        const size_t start = at + name.size() + 3;
        return text.substr(start, text.find('"', start) - start);
    };
    std::istringstream box(attribute(svg, 0, "viewBox"));
    double x = 0, y = 0, w = 0, h = 0;
    box >> x >> y >> w >> h;
    if (!box) return "no viewBox";
    auto inside = [&](double px, double py) {
        return px >= x - 1e-3 && px <= x + w + 1e-3 && py >= y - 1e-3 && py <= y + h + 1e-3;
    };
    for (size_t at = svg.find("<", 1); at != std::string::npos; at = svg.find("<", at + 1)) {
        const size_t end = svg.find('>', at);
        const std::string element = svg.substr(at, end - at);
        std::vector<std::pair<double, double>> pairs;
        std::string points = attribute(element, 0, "points");
        for (char& c : points)
            if (c == ',') c = ' ';
        std::istringstream list(points);
        for (double px, py; list >> px >> py;) pairs.push_back({px, py});
        if (const std::string cx = attribute(element, 0, "cx"); !cx.empty())
            pairs.push_back({std::atof(cx.c_str()), std::atof(attribute(element, 0, "cy").c_str())});
        if (const std::string t = attribute(element, 0, "transform"); t.starts_with("translate(")) {
            std::istringstream position(t.substr(10));
            double px = 0, py = 0;
            position >> px >> py;
            pairs.push_back({px, py});
        }
        for (const auto& [px, py] : pairs)
            if (!inside(px, py)) return element.substr(0, 120);
    }
    return "";
}

std::string Svg(const DisplayList& list) {
    std::ostringstream out;
    WriteSvg(list, out);
    return out.str();
}

// What XML 1.0 does not allow in character data never reaches the document: control
// characters, U+FFFE and U+FFFF (a wide text can hold any unit); bytes that are not UTF-8
// become U+FFFD.
TEST(Svg, EscapesMarkupAndKeepsOnlyWhatXmlAllows) {
    const std::pair<std::string, std::string> cases[] = {
        {"a<b>&\"c'\x01\t\xe5\x9b\xb3", "a&lt;b&gt;&amp;&quot;c&apos;\t\xe5\x9b\xb3"},
        {"x\xEF\xBF\xBEy\xEF\xBF\xBFz\xEF\xBF\xBD", "xyz\xEF\xBF\xBD"},
        {"\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF", "\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF"},  // 𠮷, U+10FFFF
        // A stray byte, an overlong form, a surrogate, a sequence cut short: each byte once.
        {"\xFF\x80\xC0\xAF\xED\xA0\x80\xE3\x81", [] {
             std::string nine;
             for (int i = 0; i < 9; ++i) nine += "\xEF\xBF\xBD";
             return nine;
         }()},
    };
    for (const auto& [text, escaped] : cases) EXPECT_EQ(EscapeXml(text), escaped) << text;

    // A wide text of a drawing with the units XML forbids.
    DrawingData d = testing::MakeFloorPlan(700);
    d.Texts.front().Text = ArchiveString::Wide(u"a\uFFFEb\uFFFF\u0001c\xD800");
    const std::string svg = Svg(BuildDisplayList(d, DrawingFormat::Jww));
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find(">abc\xEF\xBF\xBD</text>"), std::string::npos);
    EXPECT_EQ(svg.find("\xEF\xBF\xBE"), std::string::npos);
}

// A text that many shapes share is written once among the definitions and used by each; an
// image's name in its frame is cut.
TEST(Svg, SharedTextsAreWrittenOnce) {
    DisplayList list;
    const SharedText shared = SharedText::Shared("<shared text, longer than a reference to it>");
    const SharedText shortText = SharedText::Shared("D1");
    list.Texts = {{{0, 0}, 0, 2, 2, 0, shared, 0},    {{5, 0}, 0, 2, 2, 0, shared, 0},
                  {{9, 0}, 0, 2, 2, 0, "own", 0},     {{0, 9}, 0, 0, 0, 0, std::string(100, 'n'), 0},
                  {{0, 5}, 0, 2, 2, 0, shortText, 0}, {{5, 5}, 0, 2, 2, 0, shortText, 0}};
    list.Points = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (uint32_t i : {0, 1, 2, 4, 5}) list.Items.push_back({ItemKind::Text, false, 1, 0, 2, {}, 0.1f, i, 1});
    list.Items.push_back({ItemKind::ImageFrame, false, 1, 0, 2, {}, 0.1f, 0, 3});
    list.Fonts = {""};
    const std::string svg = Svg(list);
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_EQ(OutsideViewBox(svg), "");
    const std::string definition = "<text id=\"t0\">&lt;shared text, longer than a reference to it&gt;</text>";
    const size_t at = svg.find(definition);
    ASSERT_NE(at, std::string::npos) << svg;
    EXPECT_EQ(svg.find("&lt;shared text", at + definition.size()), std::string::npos);
    size_t uses = 0;
    for (size_t use = svg.find("<use xlink:href=\"#t0\""); use != std::string::npos; use = svg.find("<use ", use + 1)) ++uses;
    EXPECT_EQ(uses, 2u);
    EXPECT_NE(svg.find(">own</text>"), std::string::npos);
    // A short text shared or not is written where it is drawn.
    const size_t first = svg.find(">D1</text>");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(svg.find(">D1</text>", first + 1), std::string::npos);
    EXPECT_NE(svg.find(">[" + std::string(64, 'n') + "\xE2\x80\xA6]</text>"), std::string::npos);
}

TEST(Svg, FloorPlanIsWellFormedWithEveryElementInsideTheViewBox) {
    testing::TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700, images.Path());
    d.Texts.front().Text = "<&\"'>";  // markup in a drawing's text
    const std::string svg = Svg(BuildDisplayList(d, DrawingFormat::Jww));
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_EQ(OutsideViewBox(svg), "");
    EXPECT_NE(svg.find("&lt;&amp;&quot;&apos;&gt;"), std::string::npos);
    EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
    EXPECT_NE(svg.find("<circle"), std::string::npos);
    EXPECT_NE(svg.find("<text"), std::string::npos);
    EXPECT_NE(svg.find("[photo.bmp]"), std::string::npos);
    // The checks themselves see faults.
    EXPECT_NE(XmlProblem("<svg><g></svg>"), "");
    EXPECT_NE(OutsideViewBox("<svg viewBox=\"0 0 1 1\"><circle cx=\"2\" cy=\"0\"/></svg>"), "");
}

// Laid out and written from two walks in pieces of a few shapes, the document is the one the
// whole list makes, the texts a block's insertions share included.
TEST(Svg, WrittenInPiecesAsFromTheWholeList) {
    testing::TempFolder images;
    DrawingData d = testing::MakeFloorPlan(700, images.Path());
    TextRecord text = d.Texts.front();
    text.Text = std::string(40, 'w');
    EntityLists& door = d.BlockDefinitions.front().Members();
    door.EntityOrder.push_back({uint32_t(EntityKind::Text), uint32_t(door.Texts.size())});
    door.Texts.push_back(text);
    const std::string whole = Svg(BuildDisplayList(d, DrawingFormat::Jww));
    ASSERT_NE(whole.find("<use "), std::string::npos);

    DisplayListWalk walk(d, DrawingFormat::Jww, {}, 3);
    SvgLayout layout;
    walk.Walk([&](const DisplayList& piece) { layout.Add(piece); });
    std::ostringstream pieces;
    WriteSvg(layout, walk, pieces);
    EXPECT_EQ(pieces.str(), whole);
}

TEST(Svg, HugeCoordinatesAreWrittenInFull) {
    DisplayList list;
    list.Points = {{-1e300, 0}, {1e300, 1}};
    list.Items.push_back({ItemKind::Polyline, false, 1, 0, 2, {}, 0.1f, 0, 2});
    const std::string svg = Svg(list);
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_EQ(OutsideViewBox(svg), "");
    const size_t at = svg.find("points=\"") + 8;
    EXPECT_EQ(std::strtod(svg.c_str() + at, nullptr), -1e300) << svg.substr(at, 40);
}

// A 10 mm square with the margin of 2 % on every side.
TEST(Svg, EmptyDrawingStillHasAViewBox) {
    const std::string svg = Svg(DisplayList{});
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find("viewBox=\"-0.2 -10.2 10.4 10.4\""), std::string::npos) << svg;
}

// Every real drawing and figure file, before and with the bundled delivery settings.
TEST(SvgCorpus, EveryRealDrawingRenders) {
    const char* corpus = std::getenv("TOLVANE_CORPUS");
    const char* source = std::getenv("TOLVANE_SOURCE_DIR");
    if (corpus == nullptr || !fs::is_directory(corpus)) GTEST_SKIP() << "no corpus";
    ConversionSettings settings;
    ResetConversionSettings(settings);
    if (source != nullptr) LoadConversionSettings(settings, std::string(source) + "/examples/sxf-delivery.set");
    testing::TempFolder images;
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const fs::path& path = entry.path();
        DrawingData d;
        DrawingFormat format = DrawingFormat::Jww;
        std::string error;
        if (ProbeJww(path)) {
            ASSERT_TRUE(ReadJww(path, d, images.Path(), &error)) << path << ": " << error;
            DeleteExtractedImages(d, images.Path());
        } else if (ProbeJws(path)) {
            format = DrawingFormat::Jws;
            ASSERT_TRUE(ReadJws(path, d, &error)) << path << ": " << error;
        } else {
            continue;
        }
        ++files;
        for (View view : {View::Before, View::ChangesOnly}) {
            const DisplayList list = RenderView(d, format, settings, view);
            EXPECT_FALSE(list.ItemLimitReached) << path;
            if (!d.EntityOrder.empty()) {
                EXPECT_FALSE(list.Items.empty()) << path;
            }
            const std::string svg = Svg(list);
            EXPECT_EQ(XmlProblem(svg), "") << path;
            EXPECT_EQ(OutsideViewBox(svg), "") << path;
        }
    }
    EXPECT_GT(files, 0u);
}

}  // namespace
}  // namespace tolvane::render
