// Runs tips_server.py: a local stand-in for the tips service or a proxy before it.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumivox::testing {

struct LoggedRequest {
    QString target;
    QJsonObject headers;
};

class TipsServer {
public:
    struct Config {
        QByteArray body;
        int status = 200;
        bool hang = false;
    };

    explicit TipsServer(const Config& config) {
        QFile body(dir_.filePath("body"));
        body.open(QIODevice::WriteOnly);
        body.write(config.body);
        body.close();
        QStringList args{QStringLiteral(LUMIVOX_TIPS_SERVER), "--body", body.fileName(), "--status",
                         QString::number(config.status),      "--log",  LogPath()};
        if (config.hang)
            args << "--hang";
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start("python3", args);
        while (!process_.canReadLine() && process_.waitForReadyRead(20000)) {
        }
        port_ = process_.readLine().trimmed().toInt();
    }

    ~TipsServer() {
        process_.kill();
        process_.waitForFinished(5000);
    }

    int Port() const { return port_; }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    QString LogPath() const { return dir_.filePath("requests.log"); }

    QList<LoggedRequest> Requests() const {
        QList<LoggedRequest> requests;
        QFile log(LogPath());
        if (!log.open(QIODevice::ReadOnly))
            return requests;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject entry = QJsonDocument::fromJson(line).object();
            requests.append({entry["target"].toString(), entry["headers"].toObject()});
        }
        return requests;
    }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// Sets http_proxy for the scope of the object; an empty address removes it.
class ProxyVariable {
public:
    explicit ProxyVariable(const QString& address)
        : had_(qEnvironmentVariableIsSet("http_proxy")), old_(qgetenv("http_proxy")) {
        if (address.isEmpty())
            qunsetenv("http_proxy");
        else
            qputenv("http_proxy", ("http://" + address).toUtf8());
    }
    ~ProxyVariable() {
        if (had_)
            qputenv("http_proxy", old_);
        else
            qunsetenv("http_proxy");
    }

private:
    bool had_;
    QByteArray old_;
};

} // namespace lumivox::testing
