// Shared by the tests of the main window: a QApplication for the whole test program, a
// scripted platform that also records the status text at every repaint, a main window over
// temporary folders, and drawing files to list and convert.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include "qt/folder_tree.h"
#include "qt/main_window.h"
#include "qt/scripted_platform.h"
#include "formats/jws.h"
#include "formats/jww.h"
#include "settings/conversion_settings.h"
#include "testsupport/drawing_generator.h"
#include "testsupport/test_files.h"

namespace tolvane::testing {

class RecordingPlatform : public ScriptedPlatform {
public:
    // The status text each time the status bar was repainted at once.
    std::vector<QString> RepaintedTexts;

    // Runs whenever the window lets pending events through, as the user's input would.
    std::function<void()> DuringEvents;

    void ProcessPendingEvents() override {
        if (DuringEvents) DuringEvents();
    }

    void RepaintNow(QWidget* widget) override {
        ScriptedPlatform::RepaintNow(widget);
        if (auto* label = qobject_cast<QLabel*>(widget)) RepaintedTexts.push_back(label->text());
    }
};

inline std::string Bytes(const std::filesystem::path& path) {
    return path.string();
}

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

inline void WriteDrawing(const std::filesystem::path& path, uint32_t version) {
    DrawingData drawing = MakeFloorPlan(version);
    if (!WriteJww(path, drawing, version, path.parent_path())) throw std::runtime_error("cannot write " + path.string());
}

inline void WriteFigure(const std::filesystem::path& path, uint32_t version) {
    if (!WriteJws(path, MakeFigure(version), version)) throw std::runtime_error("cannot write " + path.string());
}

// A JWK header of 400 bytes: the legacy identification, then the two memo lines.
inline void WriteLegacyJwk(const std::filesystem::path& path, const std::string& memo1, const std::string& memo2) {
    std::string bytes = "jw_cad(c)data.......";
    bytes.resize(40, ' ');
    bytes += memo1;
    bytes.resize(72, ' ');
    bytes += memo2;
    bytes.resize(400, ' ');
    WriteFile(path, bytes);
}

// A main window whose home, state file and image folder lie in a temporary folder.
class WindowTest : public ::testing::Test {
protected:
    TempFolder Temp;
    std::filesystem::path Home = Temp.Path() / "home";
    ProgramPaths Paths{Bytes(Home) + "/", Bytes(Temp.Path() / "config" / "tolvane" / "tolvane.ini"),
                       Temp.Path() / "cache" / "tolvane" / "TEMP" / ""};
    ConversionSettings Settings;
    RecordingPlatform Platform;
    std::unique_ptr<TForm1> Form;

    WindowTest() {
        std::filesystem::create_directories(Home);
        ResetConversionSettings(Settings);
    }

    TForm1& Start() {
        Form = std::make_unique<TForm1>(Settings, Platform, Paths);
        Form->show();
        return *Form;
    }

    void ChooseSearchFolder(const std::filesystem::path& folder) {
        Platform.Folders.push_back(Q(folder));
        Form->MnuFileSFolderClick();
    }

    QTreeWidgetItem* NodeOf(const std::string& path) {
        for (QTreeWidgetItem* node = NodeAtIndex(Form->TreeView1, 0); node; node = NextNode(node)) {
            if (NodePath(node) == path) return node;
        }
        return nullptr;
    }

    // A click on the node of the folder, which lists its files.
    void ClickFolder(const std::filesystem::path& folder) {
        QTreeWidgetItem* node = NodeOf(Bytes(folder) + "/");
        if (!node) throw std::runtime_error("no node for " + folder.string());
        Form->TreeView1->setCurrentItem(node);
        Form->TreeView1Click();
    }

    std::vector<std::string> ListedNames() {
        std::vector<std::string> names;
        for (int row = 1; row <= Form->FileRowCount(); ++row) names.push_back(Form->CellBytes(row, 0));
        return names;
    }

    std::vector<QString> MessageTexts() {
        std::vector<QString> texts;
        for (const auto& message : Platform.Messages) texts.push_back(message.Text);
        return texts;
    }
};

}  // namespace tolvane::testing
