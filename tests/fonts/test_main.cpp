// Font tests need a GUI application: the font database lives in it.
#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
