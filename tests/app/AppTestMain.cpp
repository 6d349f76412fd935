// The app tests need a QApplication (widgets, network, screens); without a display
// they run on the off-screen platform.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Recovery copies of the editors these tests start go to a folder of the test run's
    // own, never among the user's.
    char data[] = "/tmp/tessaro-app-tests-XXXXXX";
    // The per-user settings (recent files, window layout) likewise.
    if (mkdtemp(data)) {
        setenv("XDG_DATA_HOME", data, 1);
        setenv("XDG_CONFIG_HOME", data, 1);
    }
    QApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    std::system(("rm -rf '" + std::string(data) + "'").c_str());
    return result;
}
