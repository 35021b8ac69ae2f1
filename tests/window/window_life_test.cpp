#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <stdexcept>

#include "announcer/mythread.h"
#include "formfixture.h"
#include "maker.h"
#include "urlrecorder.h"

TEST(WindowLife, CreatedWithTheTitleAndClosingOpensTheHomePageOnce) {
    lumivox::testing::UrlRecorder urls;
    QTemporaryDir dir;
    {
        auto form = lumivox::testing::MakeForm(QDir(dir.path()).filePath("").toStdString());
        EXPECT_EQ(Form1, form.get());
        EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Lumivox语音报时器"));
        form->show();
        EXPECT_TRUE(urls.opened.isEmpty());
        EXPECT_TRUE(form->close());
        // The announcer has ended: it takes nothing more.
        EXPECT_FALSE(
            form->Rules().Announcer->PostThreadMessage(lumivox::kAnnouncerMessage, 1, 8000));
    }
    EXPECT_EQ(Form1, nullptr);
    ASSERT_EQ(urls.opened.size(), 1);
    EXPECT_EQ(urls.opened[0].toString(), QString::fromUtf8(lumivox::maker::kHomePageSlash));
    EXPECT_TRUE(urls.opened[0].toString().endsWith("/"));
}

TEST(ExceptionBox, HandlerExceptionsAreShownWithTheTitleAndTheProgramGoesOn) {
    lumivox::testing::BoxRecorder shown;
    bool after = false;
    lumivox::RunHandler(nullptr,
                        [] { throw std::runtime_error("'abc' is not a valid integer value"); });
    lumivox::RunHandler(nullptr, [] { throw 42; });
    lumivox::RunHandler(nullptr, [&] { after = true; });
    EXPECT_TRUE(after);
    ASSERT_EQ(shown.boxes.size(), 2);
    EXPECT_EQ(shown.boxes[0].text, "'abc' is not a valid integer value.");
    EXPECT_EQ(shown.boxes[1].text, "");
    EXPECT_EQ(shown.boxes[0].title, QString::fromUtf8("Lumivox语音报时器"));
}
