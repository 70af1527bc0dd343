#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("澄川省科技计划项目申报系统2001版"));
    window.resize(800, 524);
    window.show();
    return app.exec();
}
