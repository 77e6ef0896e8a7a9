// Baseline for the start-up benchmark: an empty Qt window of the main window's size and
// caption, so the figure for the program can be read against what Qt itself costs.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Velloq"));
    window.resize(948, 802);
    window.show();
    return QApplication::exec();
}
