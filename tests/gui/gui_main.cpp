// Runs the widget tests in one QApplication, on the offscreen platform unless
// another is asked for, with settings in a fresh folder of their own.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    char folder[] = "/tmp/rova-gui-test-XXXXXX";
    if (!mkdtemp(folder)) return 2;
    qputenv("XDG_CONFIG_HOME", folder);
    int rc = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return rc;
}
