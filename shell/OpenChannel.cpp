#include "shell/OpenChannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include "model/NativePath.h"
#include "shell/ShellCommands.h"

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace tallowmark {

namespace {
constexpr int kConnectTimeoutMs = 2000;
// Paths a desktop hands over in one go fit many times over; more is not a request.
constexpr qint64 kMaxRequestBytes = 1 << 20;

QString LockPath(const QString& name) {
    if (QFileInfo(name).isAbsolute()) return name + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock");
}
}  // namespace

OpenChannel::OpenChannel(QString name, QObject* parent) : QObject(parent), m_strName(std::move(name)) {}

OpenChannel::~OpenChannel() {
    if (m_pServer) m_pServer->close();
}

QString OpenChannel::DefaultName() {
    const QString base =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".system");
#ifdef Q_OS_WIN
    return base + QLatin1Char('.') + qEnvironmentVariable("USERNAME");
#else
    // The runtime folder belongs to the user alone (Qt makes one when the session has none).
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) return runtime + QLatin1Char('/') + base;
    return base + QLatin1Char('.') + QString::number(getuid());
#endif
}

OpenChannel::Role OpenChannel::Claim(bool handOver, const std::vector<std::string>& paths) {
    // One process at a time decides; the rest find it serving.
    QLockFile lock(LockPath(m_strName));
    lock.setStaleLockTime(10000);
    const bool locked = lock.tryLock(10000);

    QLocalSocket probe;
    probe.connectToServer(m_strName);
    if (probe.waitForConnected(kConnectTimeoutMs)) {
        probe.abort();
        if (!handOver) return Role::Alone;
        return Deliver(paths) ? Role::Delivered : Role::Alone;
    }
    if (!locked) return Role::Alone;
    // Nobody answers: a socket left there belongs to a crashed instance.
    QLocalServer::removeServer(m_strName);
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(m_strName)) {
        delete m_pServer;
        m_pServer = nullptr;
        return Role::Alone;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &OpenChannel::OnNewConnection);
    return Role::Serving;
}

bool OpenChannel::Deliver(const std::vector<std::string>& paths) const {
    QLocalSocket socket;
    socket.connectToServer(m_strName);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    std::string request;
    for (const std::string& path : paths) request += OpenCommand(AbsolutePath(path));
    socket.write(request.data(), static_cast<qint64>(request.size()));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(kConnectTimeoutMs)) return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

void OpenChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [socket] {
            if (socket->bytesAvailable() <= kMaxRequestBytes) return;
            socket->setProperty("refused", true);
            socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { OnFinished(socket); });
        socket->setReadBufferSize(kMaxRequestBytes + 1);
    }
}

void OpenChannel::OnFinished(QLocalSocket* socket) {
    const QByteArray request = socket->readAll();
    socket->deleteLater();
    if (socket->property("refused").toBool()) return;
    for (const std::string& path : ParseOpenCommands(std::string_view(request.constData(), request.size())))
        emit OpenRequested(path);
}

}  // namespace tallowmark
