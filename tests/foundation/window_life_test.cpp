#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <stdexcept>

#include "announcer/mythread.h"
#include "app/exceptionbox.h"
#include "app/mainform.h"
#include "maker.h"
#include "silentsound.h"

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

struct BoxRecorder {
    QStringList titles, texts;
    BoxRecorder() {
        lumivox::SetMessageBoxPresenter([this](const QString& title, const QString& text) {
            titles << title;
            texts << text;
        });
    }
    ~BoxRecorder() { lumivox::SetMessageBoxPresenter({}); }
};

TForm1::Options TestOptions(const QTemporaryDir& dir) {
    TForm1::Options options;
    options.sound = std::make_shared<lumivox::testing::SilentSound>();
    options.settingsDir = QDir(dir.path()).filePath("").toStdString();
    return options;
}

} // namespace

TEST(WindowLife, CreatedWithTheTitleAndClosingOpensTheHomePageOnce) {
    UrlRecorder urls;
    QDesktopServices::setUrlHandler("http", &urls, "open");
    QDesktopServices::setUrlHandler("https", &urls, "open");
    QTemporaryDir dir;
    {
        TForm1 form(TestOptions(dir));
        EXPECT_EQ(Form1, &form);
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Lumivox语音报时器"));
        form.show();
        EXPECT_TRUE(urls.opened.isEmpty());
        EXPECT_TRUE(form.close());
        // The announcer has ended: it takes nothing more.
        EXPECT_FALSE(form.Announcer->PostThreadMessage(lumivox::kAnnouncerMessage, 1, 8000));
    }
    EXPECT_EQ(Form1, nullptr);
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(urls.opened, QStringList{QString::fromUtf8(lumivox::maker::kHomePageSlash)});
    EXPECT_TRUE(urls.opened.value(0).endsWith("/"));
}

TEST(ExceptionBox, HandlerExceptionsAreShownWithTheTitleAndTheProgramGoesOn) {
    BoxRecorder boxes;
    bool after = false;
    lumivox::RunHandler(nullptr,
                        [] { throw std::runtime_error("'abc' is not a valid integer value"); });
    lumivox::RunHandler(nullptr, [] { throw 42; });
    lumivox::RunHandler(nullptr, [&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(boxes.texts, (QStringList{"'abc' is not a valid integer value.", ""}));
    EXPECT_EQ(boxes.titles.value(0), QString::fromUtf8("Lumivox语音报时器"));
}

#include "window_life_test.moc"
