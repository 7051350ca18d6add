#include "shell/qt/OpenChannel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/NativePath.h"
#include "platform/PrivateFolder.h"
#include "shell/ShellCommands.h"

namespace tallowmark {

namespace {
// How long a start tries to hand its files over: an instance that serves may be busy for
// a moment; one busy for longer leaves the start to open the files itself.
constexpr int kHandOverTimeoutMs = 5000;
// Between two tries to connect, while the instance that holds the lock is not listening
// yet or its queue is full.
constexpr int kRetryMs = 20;
// A start writes its request at once: a connection that sent nothing in this time, or not
// all of its request in the next, is no start and gives its place up.
constexpr int kFirstBytesLimitMs = 250;
constexpr int kRequestLimitMs = 1000;
// Connections read at once; more wait their turn in the queue.
constexpr int kMaxOpenConnections = 64;
// Paths a desktop hands over in one go fit many times over; more is not a request.
constexpr qsizetype kMaxRequestBytes = 1 << 20;
// Ends a request (no path holds it), and answers one: its files were taken.
constexpr char kEndOfRequest = '\0';
constexpr const char* kTaken = "taken";
constexpr const char* kFinished = "finished";

QString LockPath(const QString& name) {
    if (QFileInfo(name).isAbsolute()) return name + QStringLiteral(".lock");
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock");
}

int RemainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
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
    // Whoever holds the lock serves, or is about to: "nobody answered in time" is no crash.
    auto lock = std::make_unique<QLockFile>(LockPath(m_strName));
    lock->setStaleLockTime(0);  // a lock is stale when its holder is gone, however old it is
    const QDeadlineTimer deadline(kHandOverTimeoutMs);
    do {
        if (lock->tryLock(0)) {
            m_pLock = std::move(lock);
            if (Listen()) return Role::Serving;
            m_pLock.reset();
            return Role::Alone;
        }
        if (lock->error() != QLockFile::LockFailedError || !handOver) return Role::Alone;
        switch (Deliver(paths, deadline)) {
            case Delivery::Delivered: return Role::Delivered;
            case Delivery::NotTaken: return Role::Alone;
            case Delivery::Unreachable: QThread::msleep(kRetryMs); break;
        }
    } while (!deadline.hasExpired());
    return Role::Alone;
}

bool OpenChannel::Listen() {
    // The lock was free: a socket left there belongs to a crashed instance.
    QLocalServer::removeServer(m_strName);
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    m_pServer->setMaxPendingConnections(kMaxOpenConnections);
    if (!m_pServer->listen(m_strName)) {
        delete m_pServer;
        m_pServer = nullptr;
        return false;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, &OpenChannel::OnNewConnection);
    return true;
}

OpenChannel::Delivery OpenChannel::Deliver(const std::vector<std::string>& paths,
                                           const QDeadlineTimer& deadline) const {
    QLocalSocket socket;
    socket.connectToServer(m_strName);
    // A local connection is made at once or refused: waiting would only spin.
    if (!socket.waitForConnected(0)) return Delivery::Unreachable;
    std::string request;
    for (const std::string& path : paths) request += OpenCommand(AbsolutePath(path));
    request += kEndOfRequest;
    socket.write(request.data(), static_cast<qint64>(request.size()));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(RemainingMs(deadline))) return Delivery::NotTaken;
    const auto length = static_cast<qsizetype>(std::strlen(kTaken));
    QByteArray answer;
    do answer += socket.read(length - answer.size());
    while (answer.size() < length && socket.waitForReadyRead(RemainingMs(deadline)));
    answer += socket.read(length - answer.size());  // what came with the end of the connection
    return answer == kTaken ? Delivery::Delivered : Delivery::NotTaken;
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
    auto* limit = new QTimer(socket);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this, socket] { Finish(socket, {}, false); });
    limit->start(kFirstBytesLimitMs);
    // The request grows with what arrives, never past the limit by more than a byte.
    auto request = std::make_shared<QByteArray>();
    const auto take = [this, socket, request, limit] {
        if (socket->property(kFinished).toBool()) return;
        if (request->isEmpty() && socket->bytesAvailable() > 0) limit->start(kRequestLimitMs - kFirstBytesLimitMs);
        request->append(socket->read(kMaxRequestBytes + 1 - request->size()));
        const qsizetype end = request->indexOf(kEndOfRequest);
        if (end < 0 && request->size() <= kMaxRequestBytes) return;  // more to come
        // A start whose connection ended after its request gave up waiting: it opens the files itself.
        const bool waiting = end >= 0 && socket->state() == QLocalSocket::ConnectedState;
        Finish(socket, waiting ? request->left(end) : QByteArray(), waiting);
    };
    connect(socket, &QLocalSocket::readyRead, this, take);
    // A start of an earlier version writes its request and goes without waiting for an answer.
    connect(socket, &QLocalSocket::disconnected, this, [this, socket, request, take] {
        take();
        Finish(socket, *request, false);
    });
    // A quick start may have written and gone while its connection waited in the queue.
    take();
    if (socket->state() == QLocalSocket::UnconnectedState) Finish(socket, *request, false);
}

void OpenChannel::Finish(QLocalSocket* socket, const QByteArray& request, bool acknowledge) {
    if (socket->property(kFinished).toBool()) return;
    socket->setProperty(kFinished, true);
    socket->disconnect(this);
    --m_nOpenConnections;
    if (acknowledge) {
        socket->write(kTaken);
        socket->flush();
    }
    socket->abort();
    socket->deleteLater();
    // Another process's names are taken only when absolute: a relative one would be
    // resolved against this instance's folder.
    for (std::string& path : ParseOpenCommands(std::string_view(request.constData(), request.size())))
        if (PathFromUtf8(path).is_absolute()) m_pending.push_back(std::move(path));
    ScheduleHandOver();
    OnNewConnection();  // the next in the queue
}

void OpenChannel::ScheduleHandOver() {
    if (m_bHandOverScheduled || m_bHandingOver || m_pending.empty()) return;
    m_bHandOverScheduled = true;
    QMetaObject::invokeMethod(this, &OpenChannel::HandOver, Qt::QueuedConnection);
}

// Runs from the event loop, never inside a connection's handler: a message box the
// opening shows may take its time, while the channel goes on taking requests.
void OpenChannel::HandOver() {
    m_bHandOverScheduled = false;
    if (m_bHandingOver || m_pending.empty()) return;
    {
        m_bHandingOver = true;
        struct Done {
            bool& handingOver;
            ~Done() { handingOver = false; }
        } done{m_bHandingOver};
        emit FilesHandedOver(std::exchange(m_pending, {}));
    }
    ScheduleHandOver();  // what arrived meanwhile
}

}  // namespace tallowmark
