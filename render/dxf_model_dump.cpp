// dxf_model_dump FILE...: what the model of each drawing holds, as one JSON object per file
// and line, for the check that compares DXF files against the drawings they came from. It
// reads with the format readers only and knows nothing of the DXF writer.
// dxf_model_dump --sample FILE.jww: writes a drawing with wide strings whose texts hold
// characters that Shift-JIS lacks, for the same check.
#include <iostream>
#include <random>
#include <string>

#include <nlohmann/json.hpp>

#include "formats/jww.h"
#include "render/read_drawing.h"
#include "settings/text_encoding.h"
#include "testsupport/drawing_generator.h"

namespace {

using tolvane::ArchiveStringToUtf8;
using Json = nlohmann::ordered_json;

Json Base(const char* kind, const tolvane::EntityBase& b) {
    return Json{{"kind", kind}, {"group", b.LayerGroup}, {"layer", b.Layer}};
}

// images: the image list entry each text of the lists names, as ImagesOfTexts gives them.
Json Entities(const tolvane::DrawingData& d, const tolvane::EntityLists& l, const uint32_t* images) {
    using tolvane::EntityKind;
    Json list = Json::array();
    for (const tolvane::EntityRef& ref : l.EntityOrder) {
        switch (static_cast<EntityKind>(ref.Kind)) {
            case EntityKind::Line: {
                const auto& r = l.Lines.at(ref.Index);
                Json j = Base("line", r);
                j["xy"] = {r.StartX, r.StartY, r.EndX, r.EndY};
                list.push_back(j);
                break;
            }
            case EntityKind::Arc: {
                const auto& r = l.Arcs.at(ref.Index);
                Json j = Base("arc", r);
                j["center"] = {r.CenterX, r.CenterY};
                j["radius"] = r.Radius;
                j["flatness"] = r.Flatness;
                j["sweep"] = r.ArcAngle;
                j["full"] = r.FullCircle != 0;
                list.push_back(j);
                break;
            }
            case EntityKind::Point: {
                const auto& r = l.Points.at(ref.Index);
                Json j = Base("point", r);
                j["xy"] = {r.X, r.Y};
                j["temporary"] = r.Temporary != 0;
                list.push_back(j);
                break;
            }
            case EntityKind::Text: {
                const auto& r = l.Texts.at(ref.Index);
                Json j = Base("text", r);
                j["xy"] = {r.StartX, r.StartY};
                j["height"] = r.SizeY;
                j["text"] = ArchiveStringToUtf8(r.Text);
                const uint32_t image = images[ref.Index];
                j["image"] = image != tolvane::kNoImage && !d.EmbeddedImageList[image].FileName.empty();
                list.push_back(j);
                break;
            }
            case EntityKind::Dimension: {
                const auto& r = l.Dimensions.at(ref.Index);
                Json j = Base("dimension", r);
                int auxLines = 0, points = 0;
                for (const auto* a : {&r.AuxLine1, &r.AuxLine2})
                    auxLines += a->StartX != 0 || a->StartY != 0 || a->EndX != 0 || a->EndY != 0;
                for (const auto* p : {&r.Point1, &r.Point2, &r.AuxPoint1, &r.AuxPoint2})
                    points += p->PenStyle != 0 && p->Temporary == 0;
                j["lines"] = 1 + auxLines;
                j["points"] = points;
                j["text"] = ArchiveStringToUtf8(r.DimensionText.Text);
                list.push_back(j);
                break;
            }
            case EntityKind::Solid: {
                const auto& r = l.Solids.at(ref.Index);
                Json j = Base("solid", r);
                j["ownColor"] = r.PenColor == 10;
                list.push_back(j);
                break;
            }
            case EntityKind::BlockInsert: {
                const auto& r = l.BlockInserts.at(ref.Index);
                Json j = Base("insert", r);
                j["block"] = r.BlockNumber;
                j["xy"] = {r.X, r.Y};
                j["scale"] = {r.ScaleX, r.ScaleY};
                list.push_back(j);
                break;
            }
            case EntityKind::BlockDefinition: break;
        }
    }
    return list;
}

}  // namespace

// A floor plan saved by a current version of the CAD program, with texts in scripts and
// characters beyond Shift-JIS, one of them outside the basic plane.
int WriteSample(const char* file) {
    tolvane::DrawingData d = tolvane::testing::MakeFloorPlan(700);
    tolvane::testing::MakeStringsWide(d);
    for (const char16_t* text : {u"𠮷野家の①号店", u"한국어 Ελληνικά", u"～〜‖∥－−"}) {
        d.EntityOrder.push_back({static_cast<uint32_t>(tolvane::EntityKind::Text), static_cast<uint32_t>(d.Texts.size())});
        tolvane::TextRecord& r = d.Texts.emplace_back(d.Texts.front());
        r.StartY += 10;
        r.Text = tolvane::ArchiveString::Wide(text);
    }
    return tolvane::WriteJww(file, d, 700, {}) ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--sample") return WriteSample(argv[2]);
    int status = 0;
    // A folder of this run's own for the images the reader extracts.
    const auto images = std::filesystem::temp_directory_path() /
                         ("tolvane-dxf-model-dump-" + std::to_string(std::random_device{}()));
    for (int i = 1; i < argc; ++i) {
        tolvane::DrawingData d;
        const tolvane::render::ReadOutcome read = tolvane::render::ReadDrawingFile(argv[i], d, images);
        Json j{{"file", argv[i]}, {"ok", read.Ok}};
        if (read.Ok) {
            const bool jww = read.Format == tolvane::render::DrawingFormat::Jww;
            Json scales = Json::array(), names = Json::array(), states = Json::array();
            for (size_t g = 0; g < 16; ++g) {
                scales.push_back(jww ? d.Header.LayerGroups[g].Scale : d.Jws.LayerGroupScales[g]);
                Json groupNames = Json::array();
                for (const auto& layer : d.Header.LayerGroups[g].Layers) groupNames.push_back(jww ? ArchiveStringToUtf8(layer.Name) : "");
                names.push_back(groupNames);
            }
            j["format"] = jww ? "jww" : "jws";
            j["scales"] = scales;
            j["layerNames"] = names;
            const std::vector<uint32_t> listed = tolvane::ImagesOfTexts(d);
            const uint32_t* textImages = listed.data();
            j["entities"] = Entities(d, d, textImages);
            textImages += d.Texts.size();
            Json blocks = Json::array();
            for (const auto& b : d.BlockDefinitions) {
                blocks.push_back(Json{{"number", b.Number}, {"name", ArchiveStringToUtf8(b.Name)}, {"entities", Entities(d, b.Members(), textImages)}});
                textImages += b.Members().Texts.size();
            }
            j["blocks"] = blocks;
        } else {
            status = 1;
        }
        tolvane::DeleteExtractedImages(d, images);
        std::cout << j.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    }
    std::error_code ignored;
    std::filesystem::remove_all(images, ignored);
    return status;
}
