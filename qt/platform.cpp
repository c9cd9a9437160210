#include "qt/platform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTranslator>
#include <QUrl>

namespace tolvane {

namespace {

// Tracks whether Escape is down, for the long loops that poll it between files and folders.
// While a poll lets only the Escape key through, other input is held back.
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
                if (key->key() == Qt::Key_Escape) {
                    if (!key->isAutoRepeat()) EscapeDown = event->type() == QEvent::KeyPress;
                    return EscapeOnly;
                }
                return EscapeOnly;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
                return EscapeOnly;
            default:
                return QObject::eventFilter(watched, event);
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

class QtPlatform : public Platform {
public:
    MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text, MessageButtons buttons) override {
        QMessageBox box(IconOf(kind), QApplication::applicationName(), text,
                        buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
        const int answer = box.exec();
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    void Beep() override { QApplication::beep(); }

    std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& initialFolder) override {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, initialFolder);
        if (folder.isEmpty()) return std::nullopt;
        return folder;
    }

    std::optional<QString> ChooseSaveFile(QWidget* parent, const FileChoice& choice) override {
        return Choose(parent, choice, QFileDialog::AcceptSave);
    }

    std::optional<QString> ChooseOpenFile(QWidget* parent, const FileChoice& choice) override {
        return Choose(parent, choice, QFileDialog::AcceptOpen);
    }

    bool IsEscapeDown() override {
        Tracker();
        tracker_->EscapeOnly = true;
        QCoreApplication::processEvents();
        tracker_->EscapeOnly = false;
        return tracker_->EscapeDown;
    }

    void OpenWithAssociatedApplication(const QString& path) override {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }

    void RepaintNow(QWidget* widget) override {
        if (widget) widget->repaint();
    }

    void ProcessPendingEvents() override {
        Tracker();
        QCoreApplication::processEvents();
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
    void Tracker() {
        if (!tracker_) {
            tracker_ = new EscapeTracker;
            tracker_->setParent(qApp);
            qApp->installEventFilter(tracker_);
        }
    }

    static std::optional<QString> Choose(QWidget* parent, const FileChoice& choice, QFileDialog::AcceptMode mode) {
        QFileDialog dialog(parent, choice.Title, choice.InitialFolder, choice.Filter);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(choice.DefaultSuffix);
        if (!choice.InitialName.isEmpty()) dialog.selectFile(choice.InitialName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().first();
    }

    EscapeTracker* tracker_ = nullptr;
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

Platform& RealPlatform() {
    static QtPlatform platform;
    return platform;
}

}  // namespace tolvane
