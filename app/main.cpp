// Program entry: the application object, the one window, the message loop.
#include <QApplication>
#include <QIcon>

#include <exception>
#include <memory>

#include "app/exceptionbox.h"
#include "app/mainform.h"
#include "maker.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivox"));
    QApplication::setOrganizationName(QStringLiteral("Lumivox"));
    QApplication::setApplicationVersion(QString::fromUtf8(lumivox::maker::kFileVersion));
    QApplication::setApplicationDisplayName(QString::fromUtf8(lumivox::maker::kTitle));

    int result = 1;
    std::unique_ptr<TForm1> window;
    try {
        window = std::make_unique<TForm1>();
        window->show();
        result = QApplication::exec();
    } catch (const std::exception& error) {
        lumivox::ShowException(nullptr, error);
    } catch (...) {
        lumivox::ShowException(nullptr, QString());
    }
    return result;
}
