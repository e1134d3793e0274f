// The yardstick for start-up: the least a Qt Widgets program does to show a window with a
// toolbar and a few lines of text.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QToolBar>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("quelmarn"));
    window.addToolBar(QStringLiteral("toolbar"))->addAction(QStringLiteral("设备信息"));
    auto* panel = new QWidget;
    auto* rows = new QVBoxLayout(panel);
    for (int row = 1; row <= 8; ++row) {
        rows->addWidget(new QLabel(QStringLiteral("第 %1 行").arg(row)));
    }
    window.setCentralWidget(panel);
    window.resize(640, 520);
    window.show();
    return QApplication::exec();
}
