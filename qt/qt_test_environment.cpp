// One QApplication for the whole test program, on the offscreen platform unless the caller
// chose another one.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <gtest/gtest.h>

namespace {

// The offscreen platform says for every window that it cannot pass size hints on.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QStringLiteral("does not support propagateSizeHints"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(QuietMessages);
        application_ = std::make_unique<QApplication>(argc_, argv_);
        QApplication::setApplicationName(QStringLiteral("Tolvane"));
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[17] = "main_window_test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

const ::testing::Environment* const kQtApplication = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
