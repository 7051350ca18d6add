#pragma once
// The per-user channel on which a running instance takes files to open from a later
// start ("tallowmark /dde PATH..."), named after the executable and "system".

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QDeadlineTimer;
class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace tallowmark {

class OpenChannel : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Delivered,  // the instance that serves has taken the paths
        Serving,    // this instance serves from now on
        Alone,      // another instance serves without taking the paths, or there is no channel
    };

    // `name` is the socket's path, inside a folder of the user's own (a pipe name on
    // Windows); an empty name, or one anywhere else, makes every start Alone.
    explicit OpenChannel(QString name, QObject* parent = nullptr);
    ~OpenChannel() override;

    // The session's runtime folder or the program's own folder in the user's cache,
    // whichever is the user's alone (made if need be); empty when neither is.
    static std::string PrivateFolder();
    // A name private to the user, in that folder; empty when there is none.
    static QString DefaultName();

    // Serves when no instance does: the channel's lock is then held for as long as this
    // object lives, and what a crashed instance left behind is cleared. Otherwise, with
    // `handOver`, hands `paths` (as the system spells them, made absolute) to the instance
    // that serves and waits until it has taken them; one that is too busy to take them in
    // time keeps serving, and this start is Alone. Two processes doing this at the same
    // moment end with one serving and the other delivered.
    Role Claim(bool handOver, const std::vector<std::string>& paths);

signals:
    // Files another start handed over, as absolute paths. Emitted from the event loop,
    // never while a slot of an earlier emission still runs: what arrives meanwhile comes
    // together in the next one.
    void FilesHandedOver(const std::vector<std::string>& paths);

private:
    enum class Delivery { Unreachable, Delivered, NotTaken };

    bool InPrivatePlace() const;
    bool Listen();
    Delivery Deliver(const std::vector<std::string>& paths, const QDeadlineTimer& deadline) const;
    void OnNewConnection();
    void Serve(QLocalSocket* socket);
    // Ends a connection; the files of a complete `request` are taken (and the taking
    // acknowledged with `acknowledge`), those of an empty one (too long, too slow) are not.
    void Finish(QLocalSocket* socket, const QByteArray& request, bool acknowledge);
    void ScheduleHandOver();
    void HandOver();

    QString m_strName;
    std::unique_ptr<QLockFile> m_pLock;  // held while serving
    QLocalServer* m_pServer = nullptr;
    int m_nOpenConnections = 0;
    std::vector<std::string> m_pending;  // taken, not yet handed over
    bool m_bHandOverScheduled = false;
    bool m_bHandingOver = false;
};

}  // namespace tallowmark
