#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace pulsegrove {

// Keeps one running application per user. The first start takes a lock file in the runtime
// folder (claim) and, holding it, replaces any socket a crashed run left behind and listens on a local
// socket named with the user id. A later start finds the lock held, connects, asks the running
// one to reopen and leaves. A lock whose owner is gone (a crash, a kill) is taken over at once.
class SingleApplicationInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        // This process holds the lock (and listens, unless the socket could not be made).
        primary,
        // Another live process holds the lock.
        secondary,
        // The lock could not be made at all (no writable runtime folder): run without the guard.
        unguarded,
    };

    static constexpr const char *reopenRequest = "reopen\n";
    static constexpr const char *acknowledgement = "ok\n";

    // $XDG_RUNTIME_DIR when it is an absolute path to a folder, else the temporary folder (the
    // names carry the user id, so users sharing it never meet).
    static QString defaultRuntimeDirectory();

    explicit SingleApplicationInstance(const QString &runtimeDirectory = defaultRuntimeDirectory(),
                                       QObject *parent = nullptr);
    ~SingleApplicationInstance() override;

    QString lockFilePath() const;
    QString serverName() const;

    // Takes the lock, or finds who holds it. Needs no application object, so a second start can
    // ask and leave before it connects to any display.
    Role claim();
    Role role() const { return m_role; }
    // For the primary, once the application object exists: replaces a socket a crashed run left
    // and listens. False when not primary or the socket could not be made.
    bool listen();
    bool isListening() const { return m_server && m_server->isListening(); }

    // From a secondary start: asks the primary to reopen and waits up to `timeoutMs` for its
    // acknowledgement. False when no running instance answered.
    bool requestReopen(int timeoutMs = 3000) const;

Q_SIGNALS:
    // A later start asked this (primary) instance to reopen.
    void reopenRequested();

private:
    void serve();

    QString m_runtimeDirectory;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    Role m_role = Role::unguarded;
};

} // namespace pulsegrove
