// main() for test programs that draw text or images: Qt's fonts and pixmaps
// need a QGuiApplication. Without a display, the offscreen platform is used
// unless QT_QPA_PLATFORM names another.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
