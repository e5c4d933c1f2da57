// The yardstick of bench_start: a Qt widgets program that shows one window and closes it once the event loop
// runs, as `SW40917 --self-test` does with its main window, and nothing else.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(694, 396);
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    return app.exec();
}
