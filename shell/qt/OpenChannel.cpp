#include "shell/qt/OpenChannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <memory>

#include "platform/NativePath.h"
#include "platform/PrivateFolder.h"
#include "shell/ShellCommands.h"

namespace tallowmark {

namespace {
constexpr int kConnectTimeoutMs = 2000;
// A start hands its paths over at once; one that takes longer is not a start.
constexpr int kReadTimeoutMs = 5000;
// Connections read at once; more wait their turn in the queue.
constexpr int kMaxOpenConnections = 8;
// Paths a desktop hands over in one go fit many times over; more is not a request.
constexpr qsizetype kMaxRequestBytes = 1 << 20;
constexpr const char* kFinished = "finished";

QString LockPath(const QString& name) {
    if (QFileInfo(name).isAbsolute()) return name + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock");
}
}  // namespace

OpenChannel::OpenChannel(QString name, QObject* parent) : QObject(parent), m_strName(std::move(name)) {}

OpenChannel::~OpenChannel() {
    if (m_pServer) m_pServer->close();
}

std::string OpenChannel::PrivateFolder() {
    return platform::UserPrivateFolder(platform::SessionRuntimeFolder(), platform::UserCacheFolder(), "tallowmark");
}

QString OpenChannel::DefaultName() {
    const QString base =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".system");
#ifdef Q_OS_WIN
    // Pipe names: the user's name keeps one user's instance apart from another's.
    return base + QLatin1Char('.') + qEnvironmentVariable("USERNAME");
#else
    const std::string folder = PrivateFolder();
    if (folder.empty()) return {};
    return QString::fromStdString(folder) + QLatin1Char('/') + base;
#endif
}

bool OpenChannel::InPrivatePlace() const {
    if (m_strName.isEmpty()) return false;
#ifdef Q_OS_WIN
    return true;
#else
    // The socket and its lock live only where nobody else can make or take a name: checked
    // afresh on every start, since the folder may have changed since the name was chosen.
    const QFileInfo socket(m_strName);
    return socket.isAbsolute() && platform::IsPrivateFolder(socket.path().toStdString());
#endif
}

OpenChannel::Role OpenChannel::Claim(bool handOver, const std::vector<std::string>& paths) {
    if (!InPrivatePlace()) return Role::Alone;
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
    m_pServer->setMaxPendingConnections(kMaxOpenConnections);
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
    while (m_pServer && m_nOpenConnections < kMaxOpenConnections) {
        QLocalSocket* socket = m_pServer->nextPendingConnection();
        if (!socket) return;
        Serve(socket);
    }
}

void OpenChannel::Serve(QLocalSocket* socket) {
    ++m_nOpenConnections;
    // The request grows with what arrives, never past the limit by more than a byte.
    auto request = std::make_shared<QByteArray>();
    const auto take = [socket, request] {
        request->append(socket->read(kMaxRequestBytes + 1 - request->size()));
        return request->size() <= kMaxRequestBytes;
    };
    const auto end = [this, socket, request, take] { Finish(socket, take() ? *request : QByteArray()); };
    auto* limit = new QTimer(socket);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this, socket] { Finish(socket, {}); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, take] {
        if (!take()) Finish(socket, {});
    });
    connect(socket, &QLocalSocket::disconnected, this, end);
    limit->start(kReadTimeoutMs);
    // A quick start may have written and gone while its connection waited in the queue.
    if (socket->state() == QLocalSocket::UnconnectedState) end();
    else if (!take())
        Finish(socket, {});
}

void OpenChannel::Finish(QLocalSocket* socket, const QByteArray& request) {
    if (socket->property(kFinished).toBool()) return;
    socket->setProperty(kFinished, true);
    socket->disconnect(this);
    --m_nOpenConnections;
    socket->abort();
    socket->deleteLater();
    for (const std::string& path : ParseOpenCommands(std::string_view(request.constData(), request.size())))
        emit OpenRequested(path);
    OnNewConnection();  // the next in the queue, after this one's files
}

}  // namespace tallowmark
