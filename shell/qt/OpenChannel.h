#pragma once
// The per-user channel on which a running instance takes files to open from a later
// start ("tallowmark /dde PATH..."), named after the executable and "system".

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace tallowmark {

class OpenChannel : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Delivered,  // another instance answered and has the paths
        Serving,    // this instance answers from now on
        Alone,      // another instance answers, or the channel could not be set up
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

    // With `handOver`, sends `paths` (as the system spells them) to the instance that
    // answers, if any. Otherwise starts answering, clearing what a crashed instance left
    // behind. Two processes doing this at the same moment end with one serving and the
    // other delivered.
    Role Claim(bool handOver, const std::vector<std::string>& paths);

signals:
    void OpenRequested(const std::string& path);

private:
    bool InPrivatePlace() const;
    bool Deliver(const std::vector<std::string>& paths) const;
    void OnNewConnection();
    void Serve(QLocalSocket* socket);
    // Ends a connection and carries out the open commands of `request` (empty for one
    // that was too long or too slow).
    void Finish(QLocalSocket* socket, const QByteArray& request);

    QString m_strName;
    QLocalServer* m_pServer = nullptr;
    int m_nOpenConnections = 0;
};

}  // namespace tallowmark
