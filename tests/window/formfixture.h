// A main window for tests: no sound server, settings in a fresh folder of its own.
// It is destroyed without closing, so nothing is saved and no page is opened.
#pragma once
#include <QTemporaryDir>

#include <memory>

#include "announcer/clipbank.h"
#include "app/mainform.h"

namespace lumivox::test {

class SilentSound : public SoundOutput {
public:
    void PlaySync(ClipHandle) override {}
    void Abort() override {}
};

struct FormFixture {
    QTemporaryDir settingsDir;
    std::unique_ptr<TForm1> form;

    FormFixture() {
        TForm1::Options options;
        options.sound = std::make_shared<SilentSound>();
        options.settingsDir = settingsDir.path().toStdString();
        form = std::make_unique<TForm1>(std::move(options));
    }
};

} // namespace lumivox::test
