// The main window as tests build it: a silent sound output unless the test brings its
// own, and settings in a folder the test names, so nothing touches the user's files.
// It is destroyed without closing unless the test closes it, so nothing is saved and
// no page is opened.
#pragma once
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "app/exceptionbox.h"
#include "app/mainform.h"
#include "silentsound.h"

namespace lumivox::testing {

// settingsDir "" is the program's own choice: beside the executable.
inline std::unique_ptr<TForm1> MakeForm(const std::string& settingsDir,
                                        std::shared_ptr<SoundOutput> sound = nullptr,
                                        std::shared_ptr<ClipSource> clipSource = nullptr) {
    TForm1::Options options;
    options.sound = sound ? std::move(sound) : std::make_shared<SilentSound>();
    options.clipSource = std::move(clipSource);
    options.settingsDir = settingsDir;
    auto form = std::make_unique<TForm1>(std::move(options));
    form->CreateAboutPage(); // whole, as it is once shown
    return form;
}

// A window over a fresh settings folder of its own.
struct FormFixture {
    QTemporaryDir settingsDir;
    std::shared_ptr<SoundOutput> sound = std::make_shared<SilentSound>();
    std::unique_ptr<TForm1> form = MakeForm(settingsDir.path().toStdString(), sound);
};

// The message boxes shown while it lives, in order, instead of on the screen.
struct BoxRecorder {
    struct Box {
        QString title, text;
    };
    QList<Box> boxes;

    BoxRecorder() {
        SetMessageBoxPresenter([this](const QString& title, const QString& text) {
            boxes.append({title, text});
        });
    }
    ~BoxRecorder() { SetMessageBoxPresenter({}); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;
};

} // namespace lumivox::testing

// The window's controls, as tests name them: form->Control<QCheckBox>(Id::chkHour).
using Id = lumivox::ControlId;
