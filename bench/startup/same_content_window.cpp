// What the application's first frame costs in plain Qt: the same menus, toolbar (its icons,
// labels and search box), and eight rows of icon and text in the rows' font, built directly,
// without the application's interface descriptions, platform layer or machine reading. Between
// the bare window and this lies the cost of what the window shows; between this and the
// application, the cost of how it is made.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>

#include "platform/qt/embedded_image.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("quelmarn"));
    window.setWindowIcon(platform::embeddedIcon(QStringLiteral(":/images/quelmarn-64.png")));
    for (const char* menu : {"文件", "编辑", "窗口", "帮助"}) {
        window.menuBar()->addMenu(QString::fromUtf8(menu));
    }
    auto* toolbar = window.addToolBar(QStringLiteral("toolbar"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->addAction(platform::embeddedIcon(QStringLiteral(":/images/cpu.png")),
                       QStringLiteral("设备信息"));
    toolbar->addAction(platform::embeddedIcon(QStringLiteral(":/images/model.png")),
                       QStringLiteral("序列号查询"));
    auto* search = new QLineEdit;
    search->setPlaceholderText(QStringLiteral("输入序列号后按回车"));
    toolbar->addWidget(search);
    toolbar->addAction(platform::embeddedIcon(QStringLiteral(":/images/quelmarn-64.png")),
                       QStringLiteral("关于"));
    toolbar->addAction(platform::embeddedIcon(QStringLiteral(":/images/help.png")),
                       QStringLiteral("帮助"));

    // The rows of a virtual machine without sensors, as the machines that run this usually are.
    const std::pair<const char*, const char*> rows[] = {
        {"cpu", "CPU型号：AMD EPYC"},  {"hz", "CPU频率：2.6GHz * 2"},
        {"memory", "内存：24.0G"},     {"os", "系统版本：Debian GNU/Linux 12 (6.1.0-18-amd64)"},
        {"model", "型号：未知"},       {"display", "分辨率：1280*800 (非高清屏)"},
        {"heat", "CPU温度：未检测到"}, {"fan", "风扇数：0 ( 未检测到风扇 )"},
    };
    QFont rowFont(QStringLiteral("DejaVu Sans"));
    rowFont.setPixelSize(14);
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    int at = 0;
    for (const auto& [icon, text] : rows) {
        auto* image = new QLabel;
        image->setPixmap(
            QPixmap::fromImage(
                platform::embeddedImage(QStringLiteral(":/images/%1.png").arg(QLatin1String(icon))))
                .scaled(30, 30, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        auto* label = new QLabel(QString::fromUtf8(text));
        label->setFont(rowFont);
        grid->addWidget(image, at, 0);
        grid->addWidget(label, at++, 1);
    }
    window.setCentralWidget(panel);
    window.resize(640, 520);
    window.show();
    return QApplication::exec();
}
