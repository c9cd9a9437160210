#include "qt/qt_platform.h"

#include <QApplication>
#include <QCollator>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

#include "qt/qt_text.h"

namespace tolvane {

namespace fs = std::filesystem;

namespace {

// Tracks whether Escape is down, for the listing that polls it between files. While a poll
// lets only the Escape key through, other input is held back.
class EscapeTracker : public QObject {
public:
    bool EscapeDown = false;
    bool EscapeOnly = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* key = static_cast<QKeyEvent*>(event);
                if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) EscapeDown = event->type() == QEvent::KeyPress;
                return EscapeOnly;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel: return EscapeOnly;
            default: return QObject::eventFilter(watched, event);
        }
    }
};

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Error: return QMessageBox::Critical;
        case MessageKind::Information: return QMessageBox::Information;
        case MessageKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QWidget* ActiveWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

class RealQtPlatform : public QtPlatform {
public:
    MessageAnswer ShowMessage(const Message& message) override {
        const bool yesNo = message.Buttons == MessageButtons::YesNo;
        QMessageBox box(IconOf(message.Kind), QApplication::applicationName(), ToQString(message.Text),
                        yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, ActiveWindow());
        const int answer = box.exec();
        if (!yesNo) return MessageAnswer::Ok;
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    void Beep() override { QApplication::beep(); }

    std::optional<fs::path> ChooseFolder(const std::string& title, const fs::path& initialFolder) override {
        const QString folder = QFileDialog::getExistingDirectory(ActiveWindow(), ToQString(title), FileSystemQString(initialFolder));
        if (folder.isEmpty()) return std::nullopt;
        return ToPath(folder);
    }

    std::optional<fs::path> ChooseSaveFile(const FileChoice& choice) override {
        return Choose(choice, QFileDialog::AcceptSave);
    }

    std::optional<fs::path> ChooseOpenFile(const FileChoice& choice) override {
        return Choose(choice, QFileDialog::AcceptOpen);
    }

    bool IsEscapeDown() override {
        if (!tracker_) {
            tracker_ = new EscapeTracker;
            tracker_->setParent(qApp);
            qApp->installEventFilter(tracker_);
        }
        tracker_->EscapeOnly = true;
        QCoreApplication::processEvents();
        tracker_->EscapeOnly = false;
        return tracker_->EscapeDown;
    }

    bool OpenWithAssociatedApplication(const fs::path& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(FileSystemQString(path)));
    }

    bool FolderNameLess(std::string_view a, std::string_view b) override {
        return collator_.compare(ToQString(a), ToQString(b)) < 0;
    }

    QMargins FrameMargins(const QWidget* window) override {
        const QRect frame = window->frameGeometry();
        const QRect client = window->geometry();
        return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
                frame.bottom() - client.bottom()};
    }

    std::vector<QRect> ScreenAreas() override {
        std::vector<QRect> areas;
        if (QScreen* primary = QGuiApplication::primaryScreen()) areas.push_back(primary->availableGeometry());
        for (QScreen* screen : QGuiApplication::screens())
            if (screen != QGuiApplication::primaryScreen()) areas.push_back(screen->availableGeometry());
        return areas;
    }

private:
    static std::optional<fs::path> Choose(const FileChoice& choice, QFileDialog::AcceptMode mode) {
        QFileDialog dialog(ActiveWindow(), ToQString(choice.Title), FileSystemQString(choice.InitialFolder),
                           ToQString(choice.FilterName));
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(ToQString(choice.DefaultSuffix));
        if (!choice.InitialName.empty()) dialog.selectFile(FileSystemQString(choice.InitialName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return ToPath(dialog.selectedFiles().first());
    }

    EscapeTracker* tracker_ = nullptr;
    QCollator collator_;
};

}  // namespace

bool InstallQtJapanese() {
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

QtPlatform& RealPlatform() {
    static RealQtPlatform platform;
    return platform;
}

}  // namespace tolvane
