// A main window over a settings folder of the test's own, with no sound server and
// no browser: web pages opened while closing are only counted.
#pragma once
#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include <filesystem>
#include <memory>
#include <string>

#include "announcer/clipbank.h"
#include "app/mainform.h"

namespace lumivox::test {

class QuietSound : public SoundOutput {
public:
    void PlaySync(ClipHandle) override {}
    void Abort() override {}
};

class PageCatcher : public QObject {
    Q_OBJECT
public:
    PageCatcher() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~PageCatcher() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }
    int opened = 0;

public slots:
    void open(const QUrl&) { ++opened; }
};

inline std::unique_ptr<TForm1> MakeForm(const std::string& settingsDir) {
    TForm1::Options options;
    options.sound = std::make_shared<QuietSound>();
    options.settingsDir = settingsDir;
    return std::make_unique<TForm1>(std::move(options));
}

} // namespace lumivox::test
