// Catches the addresses the program asks the desktop to open, instead of a browser,
// for the schemes given, while it lives.
#pragma once
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace lumivox::testing {

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    explicit UrlRecorder(QStringList schemes = {QStringLiteral("http"), QStringLiteral("https")})
        : schemes_(std::move(schemes)) {
        for (const QString& scheme : schemes_)
            QDesktopServices::setUrlHandler(scheme, this, "Open");
    }
    ~UrlRecorder() override {
        for (const QString& scheme : schemes_)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }

private:
    QStringList schemes_;
};

} // namespace lumivox::testing
