// The floor for any Qt Widgets program: one window with one CJK label, nothing else.
// bench/run.sh measures it beside the program in the same run.
// Usage: bench_reference_bare_window
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(480, 360);
    QLabel label(QString::fromUtf8("Lumivox语音报时器"), &window);
    label.move(20, 20);
    window.show();
    return QApplication::exec();
}
