#include "frontend/preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "frontend/scripted_platform.h"
#include "frontend/texts.h"
#include "testsupport/drawing_files.h"

namespace tolvane {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteFile;

// A drawing in its three views with the legend of colour numbers; files that cannot be drawn
// get a short message in Japanese above the reader's reason.
TEST(Preview, RenderAndReasons) {
    TempFolder temp;
    testing::WriteDrawing(temp.Path() / "plan.jww", 600);
    WriteFile(temp.Path() / "broken.jww", std::string("JwwData.") + std::string(40, '\xff'));
    WriteFile(temp.Path() / "text.jww", std::string("plain text"));
    ConversionSettings settings;
    ResetConversionSettings(settings);
    settings.ColorTable[static_cast<size_t>(*ColorSlotOf(2))] = 8;

    const PreviewDrawing plan = RenderPreview(temp.Path() / "plan.jww", settings, temp.Path() / "images");
    ASSERT_TRUE(plan.Ok) << plan.Message;
    EXPECT_FALSE(plan.List(render::View::Before).Items.empty());
    bool changed = false;
    for (const render::DisplayItem& item : plan.List(render::View::ChangesOnly).Items) changed = changed || item.Changed;
    EXPECT_TRUE(changed);
    size_t before2 = 0, after2 = 0, after8 = 0;
    for (const LegendRow& row : plan.Legend) {
        if (row.ColorNumber == 2) before2 = row.Before, after2 = row.After;
        if (row.ColorNumber == 8) after8 = row.After;
    }
    EXPECT_GT(before2, 0u);
    EXPECT_EQ(after2, 0u);
    EXPECT_GE(after8, before2);

    const std::pair<const char*, std::string_view> failures[] = {
        {"broken.jww", preview_text::kCannotRead},
        {"text.jww", preview_text::kNotADrawing},
        {"gone.jww", preview_text::kMissing},
    };
    for (const auto& [name, text] : failures) {
        const PreviewDrawing drawing = RenderPreview(temp.Path() / name, settings, temp.Path() / "images");
        EXPECT_FALSE(drawing.Ok);
        EXPECT_TRUE(drawing.Message.starts_with(std::string(text) + "\n")) << drawing.Message;
        EXPECT_GT(drawing.Message.size(), text.size() + 1) << name;
    }
}

// Only the newest request is shown: a result that comes late is dropped, and Clear drops
// what waits.
TEST(Preview, NewestRequestWins) {
    TempFolder temp;
    const fs::path plan = temp.Path() / "plan.jww", part = temp.Path() / "part.jws";
    testing::WriteDrawing(plan, 600);
    testing::WriteFigure(part, 600);
    ConversionSettings settings;
    ResetConversionSettings(settings);
    testing::PostQueue posts;
    PreviewSession session(temp.Path() / "images", posts.Poster());
    int changes = 0;
    session.Changed = [&] { ++changes; };

    const uint64_t first = session.Show(plan, settings);
    EXPECT_EQ(session.MessageText(), preview_text::kRendering);
    session.Show(part, settings);
    ASSERT_TRUE(posts.RunUntil([&] { return session.ShownFile() == part; }));
    ASSERT_NE(session.CurrentList(), nullptr);
    const PreviewDrawing* shown = session.Shown();
    session.Deliver(first, plan, std::make_shared<PreviewDrawing>());
    EXPECT_EQ(session.ShownFile(), part);
    EXPECT_EQ(session.Shown(), shown);
    session.View = render::View::After;
    EXPECT_EQ(session.CurrentList(), &shown->Lists.After);

    session.Show(plan, settings);
    session.Clear();
    EXPECT_EQ(session.MessageText(), preview_text::kNoDrawing);
    EXPECT_EQ(session.CurrentList(), nullptr);
    session.Stop();
    posts.RunPending();  // whatever the worker sent before it stopped is dropped
    EXPECT_EQ(session.ShownFile(), fs::path());
    EXPECT_GE(changes, 3);
}

// Fitting centres the paper with a margin; zooming keeps the paper point under the cursor;
// dashes keep their paper length in stroke widths; an arc runs from its start to its end.
TEST(Preview, Geometry) {
    render::Bounds extent;
    extent.Add(0, 0);
    extent.Add(200, 100);
    const PaperView fit = FitView(extent, 440, 440);
    EXPECT_NEAR(fit.PixelsPerMm, 2.2 * 0.92, 1e-12);
    EXPECT_DOUBLE_EQ(fit.ToPixels(100, 50).X, 220);
    EXPECT_DOUBLE_EQ(fit.ToPixels(100, 50).Y, 220);
    EXPECT_GT(fit.ToPixels(0, 0).Y, fit.ToPixels(0, 100).Y);

    const PaperView zoomed = ZoomAround(fit, {30, 40}, WheelZoom(120));
    EXPECT_DOUBLE_EQ(zoomed.PixelsPerMm, fit.PixelsPerMm * 1.25);
    EXPECT_NEAR(zoomed.ToPaper({30, 40}).X, fit.ToPaper({30, 40}).X, 1e-9);
    EXPECT_NEAR(zoomed.ToPaper({30, 40}).Y, fit.ToPaper({30, 40}).Y, 1e-9);

    render::DisplayList list;
    list.DashPatterns = {{}, {10, 5, 2}};
    render::DisplayItem item;
    item.Dash = 1;
    item.Width = 0.5f;
    const PaperView view{4, 0, 0};
    EXPECT_EQ(DashPixels(list, item, view), (std::vector<double>{20, 10, 4, 20, 10, 4}));
    item.Dash = 0;
    EXPECT_TRUE(DashPixels(list, item, view).empty());
    EXPECT_EQ(StrokePixels(item, PaperView{1, 0, 0}), 1.0);

    const render::ArcShape arc{{0, 0}, {10, 0}, {0, 10}, 0, std::acos(-1.0) / 2};
    const std::vector<PixelPoint> points = ArcPixels(arc, view);
    ASSERT_GE(points.size(), 5u);
    EXPECT_NEAR(points.front().X, 40, 1e-9);
    EXPECT_NEAR(points.back().Y, -40, 1e-9);
    EXPECT_TRUE(PointPixels(list, 0, 1, view).empty());

    // An image frame of 40 × 30 mm: its name in brackets, sized a twentieth of its diagonal.
    list.Points = {{10, 20}, {50, 20}, {50, 50}, {10, 50}};
    list.Texts.push_back({});
    list.Texts.back().Text = "a.bmp";
    item.First = 0;
    item.Count = 0;
    const std::optional<ImageFrameLabel> label = ImageLabel(list, item);
    ASSERT_TRUE(label);
    EXPECT_DOUBLE_EQ(label->Size, 2.5);
    EXPECT_EQ(label->Label.Text, "[a.bmp]");
    EXPECT_DOUBLE_EQ(label->Label.Position.X, 11.25);
    item.First = 1;
    EXPECT_FALSE(ImageLabel(list, item));
}

}  // namespace
}  // namespace tolvane
