// Program entry: the application object, the one window, the message loop.
#include <QApplication>

#include <exception>
#include <memory>

#include "app/endsignals.h"
#include "app/exceptionbox.h"
#include "app/mainform.h"
#include "app/platformchoice.h"
#include "app/singleinstance.h"
#include "maker.h"

int main(int argc, char* argv[]) {
    lumivox::ChooseQtPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivox"));
    QApplication::setOrganizationName(QStringLiteral("Lumivox"));
    QApplication::setApplicationVersion(QString::fromUtf8(lumivox::maker::kFileVersion));
    QApplication::setApplicationDisplayName(QString::fromUtf8(lumivox::maker::kTitle));
    // One copy per user: two would speak every chime and count twice. A later start
    // brings the running window forward and ends here.
    lumivox::SingleInstance instance;
    if (!instance.Claim())
        return 0;

    lumivox::EndSignals endSignals;

    int result = 1;
    std::unique_ptr<TForm1> window;
    try {
        window = std::make_unique<TForm1>();
        QObject::connect(&instance, &lumivox::SingleInstance::activationRequested, window.get(),
                         &TForm1::BringToFront);
        window->show();
        // A logout, a shutdown or a signal ends the program as a close does, but opens
        // no page: quitting would close the window, so it is torn down before.
        lumivox::OnQuitRequest(application, [&window] { window->EndQuietly(); });
        QObject::connect(&endSignals, &lumivox::EndSignals::endRequested, &application,
                         &QCoreApplication::quit);
        result = QApplication::exec();
        // Whatever ended the loop, the window is torn down as on a close; a close
        // through the window has done it already.
        window->EndQuietly();
    } catch (const std::exception& error) {
        lumivox::ShowException(nullptr, error);
    } catch (...) {
        lumivox::ShowException(nullptr, QString());
    }
    return result;
}
