// Writes a picture of the whole screen of the X display into a PNG file:
// the end-to-end scenario's screenshots show menus and dialogs of every
// window on the display, not only one widget.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) return 2;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 1;
  return screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
