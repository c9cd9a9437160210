// The preview pane in the main window: the file under the list's cursor is drawn after the
// worker finishes, the three views switch, hiding the pane lasts to the next start, and a
// late result never replaces a newer one.
#include <chrono>
#include <filesystem>
#include <functional>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTabBar>
#include <QTableWidget>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "qt/app_test_support.h"
#include "qt/preview_pane.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace tolvane::testing {
namespace {

namespace fs = std::filesystem;

// Lets events through until the condition holds, for at most ten seconds.
bool WaitFor(const std::function<bool()>& condition) {
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() > 10000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void LetEventsThrough(int milliseconds) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < milliseconds) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

class PreviewPaneTest : public WindowTest {
protected:
    fs::path Drawings = Home / "図面";

    PreviewPaneTest() {
        fs::create_directories(Drawings);
        WriteDrawing(Drawings / "a-plan.jww", 600);
        WriteFigure(Drawings / "b-part.jws", 600);
        WriteFile(Drawings / "c-broken.jww", std::string("JwwData.") + std::string(40, '\xff'));
    }

    void ListDrawings() {
        ChooseSearchFolder(Home);
        ClickFolder(Drawings);
        ASSERT_EQ(Form->FileRowCount(), 3);
    }

    bool Shows(const std::string& name) {
        return WaitFor([&] { return Form->Preview->ShownFile() == fs::path(Bytes(Drawings) + "/" + name); });
    }
};

TEST_F(PreviewPaneTest, TheRowUnderTheCursorIsDrawnInEachView) {
    Start();
    // After the start, which reads the settings from the state file.
    Settings.ColorTable[static_cast<size_t>(*ColorSlotOf(2))] = 8;
    ListDrawings();
    // Listing puts the cursor on the first file.
    ASSERT_TRUE(Shows("a-plan.jww"));
    PreviewPane& pane = *Form->Preview;
    const PreviewDrawing* shown = pane.Shown();
    ASSERT_TRUE(shown && shown->Ok);
    EXPECT_FALSE(shown->Before.Items.empty());
    EXPECT_EQ(pane.Canvas->List(), &shown->Before);

    // The legend: colour 2 before, colour 8 after.
    ASSERT_EQ(pane.Legend->rowCount(), static_cast<int>(shown->Legend.size()));
    int row2 = -1, row8 = -1;
    for (int row = 0; row < pane.Legend->rowCount(); ++row) {
        if (pane.Legend->item(row, 0)->text() == "2") row2 = row;
        if (pane.Legend->item(row, 0)->text() == "8") row8 = row;
    }
    ASSERT_GE(row2, 0);
    ASSERT_GE(row8, 0);
    EXPECT_NE(pane.Legend->item(row2, 1)->text(), "0");
    EXPECT_EQ(pane.Legend->item(row2, 2)->text(), "0");
    EXPECT_GT(pane.Legend->item(row8, 2)->text().toInt(), pane.Legend->item(row8, 1)->text().toInt());

    pane.Tabs->setCurrentIndex(1);
    EXPECT_EQ(pane.CurrentView(), render::View::After);
    EXPECT_EQ(pane.Canvas->List(), &shown->After);
    pane.Tabs->setCurrentIndex(2);
    EXPECT_EQ(pane.Canvas->List(), &shown->ChangesOnly);
    size_t changed = 0, greyed = 0;
    for (const render::DisplayItem& item : shown->ChangesOnly.Items) {
        if (item.Changed) ++changed;
        else if (item.Paint == render::kUnchangedColor) ++greyed;
    }
    EXPECT_GT(changed, 0u);
    EXPECT_GT(greyed, 0u);
    pane.SetView(render::View::Before);
    EXPECT_EQ(pane.Canvas->List(), &shown->Before);

    // The wheel zooms around the cursor; a double click fits again.
    const PaperView fitted = pane.Canvas->View();
    const QPointF at(30, 40);
    QWheelEvent wheel(at, pane.Canvas->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(pane.Canvas, &wheel);
    EXPECT_DOUBLE_EQ(pane.Canvas->View().PixelsPerMm, fitted.PixelsPerMm * 1.25);
    EXPECT_NEAR(pane.Canvas->View().ToPaper(at).x(), fitted.ToPaper(at).x(), 1e-9);
    EXPECT_NEAR(pane.Canvas->View().ToPaper(at).y(), fitted.ToPaper(at).y(), 1e-9);
    QMouseEvent click(QEvent::MouseButtonDblClick, at, pane.Canvas->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(pane.Canvas, &click);
    EXPECT_DOUBLE_EQ(pane.Canvas->View().PixelsPerMm, fitted.PixelsPerMm);
    // Dragging moves the drawing with the mouse.
    const auto mouse = [&](QEvent::Type type, QPointF to, Qt::MouseButtons buttons) {
        QMouseEvent event(type, to, pane.Canvas->mapToGlobal(to), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(pane.Canvas, &event);
    };
    mouse(QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(QEvent::MouseMove, at + QPointF(20, -10), Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, at + QPointF(20, -10), Qt::NoButton);
    EXPECT_DOUBLE_EQ(pane.Canvas->View().OriginX, fitted.OriginX + 20);
    EXPECT_DOUBLE_EQ(pane.Canvas->View().OriginY, fitted.OriginY - 10);

    // A figure file, then a file that cannot be read: a message, no drawing.
    Form->StringGrid1->setCurrentCell(1, 0);
    ASSERT_TRUE(Shows("b-part.jws"));
    ASSERT_TRUE(pane.Shown() && pane.Shown()->Ok);
    EXPECT_EQ(pane.Canvas->List(), &pane.Shown()->Before);
    Form->StringGrid1->setCurrentCell(2, 0);
    ASSERT_TRUE(Shows("c-broken.jww"));
    EXPECT_EQ(pane.Canvas->List(), nullptr);
    EXPECT_TRUE(pane.Canvas->Message().startsWith(QStringLiteral("図面を読み込めません")));
    EXPECT_EQ(pane.Legend->rowCount(), 0);
    fs::create_directories(TOLVANE_SCREENSHOT_DIR);
    EXPECT_TRUE(pane.grab().save(Q(fs::path(TOLVANE_SCREENSHOT_DIR) / "preview_unreadable.png")));
}

// Settings opened while a drawing shows: its after view is made again with them.
TEST_F(PreviewPaneTest, OpenedSettingsRedrawTheAfterView) {
    Start();
    ListDrawings();
    ASSERT_TRUE(Shows("a-plan.jww"));
    const auto afterCount = [&](uint16_t color) -> size_t {
        const PreviewDrawing* shown = Form->Preview->Shown();
        if (!shown) return 0;
        for (const LegendRow& row : shown->Legend)
            if (row.ColorNumber == color) return row.After;
        return 0;
    };
    const size_t colour2 = afterCount(2);
    ASSERT_GT(colour2, 0u);
    ConversionSettings chosen;
    ResetConversionSettings(chosen);
    chosen.ColorTable[static_cast<size_t>(*ColorSlotOf(2))] = 8;
    const fs::path file = Home / "rules.set";
    ASSERT_TRUE(SaveConversionSettings(chosen, Bytes(file)));
    Platform.Files.push_back(Q(file));
    Form->MnuSetOpenClick();
    EXPECT_TRUE(WaitFor([&] { return afterCount(2) == 0; }));
    EXPECT_GE(afterCount(8), colour2);
}

TEST_F(PreviewPaneTest, HidingLastsToTheNextStart) {
    Start();
    ListDrawings();
    ASSERT_TRUE(Shows("a-plan.jww"));
    Form->MnuViewPreview->trigger();
    EXPECT_FALSE(Form->MnuViewPreview->isChecked());
    EXPECT_FALSE(Form->Preview->isVisible());
    // Hidden, it draws nothing.
    Form->StringGrid1->setCurrentCell(1, 0);
    LetEventsThrough(300);
    EXPECT_EQ(Form->Preview->ShownFile(), fs::path(Bytes(Drawings) + "/a-plan.jww"));
    Form->close();
    EXPECT_EQ(ProfileDocument::Load(Paths.StateFile).Get("Set", "PREVIEW", 22).second, "0");

    Start();
    EXPECT_FALSE(Form->MnuViewPreview->isChecked());
    EXPECT_FALSE(Form->Preview->isVisible());
    ListDrawings();
    Form->MnuViewPreview->trigger();
    EXPECT_TRUE(Form->Preview->isVisible());
    EXPECT_TRUE(Shows("a-plan.jww"));
    Form->close();
    EXPECT_EQ(ProfileDocument::Load(Paths.StateFile).Get("Set", "PREVIEW", 22).second, "1");
}

TEST_F(PreviewPaneTest, ALateResultDoesNotReplaceANewerOne) {
    PreviewPane pane(Temp.Path() / "images");
    pane.resize(300, 300);
    pane.show();
    const fs::path plan = Drawings / "a-plan.jww", part = Drawings / "b-part.jws";
    const uint64_t first = pane.ShowFile(plan, Settings);
    pane.ShowFile(part, Settings);
    ASSERT_TRUE(WaitFor([&] { return pane.ShownFile() == part; }));
    LetEventsThrough(300);
    EXPECT_EQ(pane.ShownFile(), part);
    const PreviewDrawing* shown = pane.Shown();

    auto late = std::make_shared<PreviewDrawing>();
    late->Ok = true;
    pane.Deliver(first, plan, late);
    EXPECT_EQ(pane.ShownFile(), part);
    EXPECT_EQ(pane.Shown(), shown);

    // A request after Clear is the newest again.
    pane.Clear();
    EXPECT_EQ(pane.Canvas->List(), nullptr);
    pane.ShowFile(plan, Settings);
    EXPECT_TRUE(WaitFor([&] { return pane.ShownFile() == plan; }));
    pane.Stop();
}

// The painter puts paper y upwards, each shape in its own colour, with its dashes.
TEST(DisplayPainter, PaintsShapesWhereThePaperHasThem) {
    render::DisplayList list;
    list.Points = {{0, 0}, {100, 0}, {100, 100}, {0, 50}, {100, 50}};
    list.DashPatterns = {{}, {10, 10}};
    list.Items.push_back({render::ItemKind::Polyline, false, 0, 0, 1, {255, 0, 0}, 2, 0, 2});
    list.Items.push_back({render::ItemKind::Dot, false, 0, 0, 2, {0, 0, 255}, 10, 2, 1});
    list.Items.push_back({render::ItemKind::Polyline, false, 0, 1, 3, {0, 160, 0}, 2, 3, 2});
    QImage image(220, 220, QImage::Format_RGB32);
    image.fill(Qt::white);
    const PaperView view = FitView(list.Extent(), QRectF(image.rect()));
    {
        QPainter painter(&image);
        PaintDisplayList(painter, list, view);
    }
    const auto pixel = [&](double x, double y) { return image.pixelColor(view.ToPixels(x, y).toPoint()); };
    EXPECT_GT(view.ToPixels(0, 0).y(), view.ToPixels(0, 100).y());
    EXPECT_EQ(pixel(50, 0), QColor(255, 0, 0));
    EXPECT_EQ(pixel(100, 100), QColor(0, 0, 255));
    // The dashed line: drawn from 0 to 10 mm, left out from 10 to 20.
    EXPECT_EQ(pixel(5, 50), QColor(0, 160, 0));
    EXPECT_EQ(pixel(15, 50), QColor(Qt::white));
    EXPECT_EQ(pixel(50, 25), QColor(Qt::white));
}

}  // namespace
}  // namespace tolvane::testing
