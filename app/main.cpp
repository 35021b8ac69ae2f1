// Program entry: the command line, the application object, the one window, the
// message loop.
#include <QApplication>

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/commandline.h"
#include "app/endsignals.h"
#include "app/exceptionbox.h"
#include "app/mainform.h"
#include "app/platformchoice.h"
#include "app/singleinstance.h"
#include "maker.h"

namespace {

// What the command line asked of this process, when it ends before any window.
std::optional<int> CommandOnly(const lumivox::ParsedCommand& parsed) {
    using lumivox::CommandAction;
    if (!parsed.command) {
        std::fprintf(stderr, "lumivox: %s\n%s", parsed.error.c_str(),
                     lumivox::CommandUsage().c_str());
        return lumivox::kExitUsage;
    }
    if (parsed.command->action == CommandAction::Help) {
        std::fputs(lumivox::CommandUsage().c_str(), stdout);
        return lumivox::kExitDone;
    }
    if (parsed.command->action == CommandAction::Version) {
        std::printf("lumivox %s\n", lumivox::maker::kFileVersion);
        return lumivox::kExitDone;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    const lumivox::ParsedCommand parsed =
        lumivox::ParseCommand(std::vector<std::string>(argv + 1, argv + argc));
    if (const std::optional<int> status = CommandOnly(parsed))
        return *status;
    const lumivox::Command& command = *parsed.command;

    // One copy per user: two would speak every chime and count twice. A later start
    // hands its request to the running copy and ends here.
    lumivox::SingleInstance instance;
    if (!instance.Claim(command)) {
        if (command.action == lumivox::CommandAction::Start)
            return lumivox::kExitDone;
        const std::optional<lumivox::CommandReply> reply = instance.Reply();
        if (!reply) {
            std::fputs("lumivox: the running copy did not answer\n", stderr);
            return 1;
        }
        if (!reply->text.empty())
            std::fprintf(reply->status == lumivox::kExitDone ? stdout : stderr, "%s\n",
                         reply->text.c_str());
        return reply->status;
    }
    if (lumivox::NeedsRunningCopy(command.action)) {
        std::puts("not running");
        return lumivox::kExitNotRunning;
    }

    lumivox::ChooseQtPlatform();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumivox"));
    QApplication::setOrganizationName(QStringLiteral("Lumivox"));
    QApplication::setApplicationVersion(QString::fromUtf8(lumivox::maker::kFileVersion));
    QApplication::setApplicationDisplayName(QString::fromUtf8(lumivox::maker::kTitle));
    instance.Listen();

    lumivox::EndSignals endSignals;

    int result = 1;
    std::unique_ptr<TForm1> window;
    try {
        window = std::make_unique<TForm1>();
        QObject::connect(&instance, &lumivox::SingleInstance::activationRequested, window.get(),
                         &TForm1::BringToFront);
        instance.SetCommandHandler(
            [&window](const lumivox::Command& given) { return window->Rules().RunCommand(given); });
        window->show();
        // This start's own command, once the window is there.
        if (command.action != lumivox::CommandAction::Start) {
            const lumivox::CommandReply reply = window->Rules().RunCommand(command);
            if (!reply.text.empty())
                std::fprintf(stderr, "lumivox: %s\n", reply.text.c_str());
        }
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
