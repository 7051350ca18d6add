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

    explicit OpenChannel(QString name, QObject* parent = nullptr);
    ~OpenChannel() override;

    // A name private to the user: in the user's runtime folder where there is one.
    static QString DefaultName();

    // With `handOver`, sends `paths` (as the system spells them) to the instance that
    // answers, if any. Otherwise
    // starts answering, clearing what a crashed instance left behind. Two processes
    // doing this at the same moment end with one serving and the other delivered.
    Role Claim(bool handOver, const std::vector<std::string>& paths);

signals:
    void OpenRequested(const std::string& path);

private:
    bool Deliver(const std::vector<std::string>& paths) const;
    void OnNewConnection();
    void OnFinished(QLocalSocket* socket);

    QString m_strName;
    QLocalServer* m_pServer = nullptr;
};

}  // namespace tallowmark
