#pragma once

#include "InterProcessLock.h"
#include "SystemLog.h"

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <filesystem>
#include <memory>

namespace pulsegrove {

// Keeps one running application per user. The first start locks a lock file in the runtime folder
// (claim) and, holding it, replaces any socket a crashed run left behind and listens on a local
// socket named with the user id. A later start finds the lock held, connects, asks the running
// one to reopen or to open a preview, and leaves. The lock is the kernel's (flock), not a process
// id written into the file, so it ends exactly when its holder does, however it ends: what a
// killed start leaves is an empty file that the next start simply locks. Anything else found at
// the lock's path (a folder, a link, a FIFO, another user's file) is moved aside with a log line.
// The runtime folder must be the user's alone: in a folder anyone else can write to, a planted
// lock and socket could silence every start, so there is no guard at all.
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
    // Followed by the option ("--" and lower-case letters and dashes) and a line feed.
    static constexpr const char *previewRequestPrefix = "preview ";
    static constexpr const char *acknowledgement = "ok\n";

    // $XDG_RUNTIME_DIR when it is a folder only its user can enter, else the folder
    // "io.velorn.Pulsegrove-<uid>" in the temporary folder, made owner-only when missing. That
    // name is predictable: when someone else took it first (a folder of theirs, one open to
    // others, a link), the folder "runtime-<host>" in the user's own cache folder stands in, made
    // owner-only, and `log` gets a line naming the folder that could not be used. Either way one
    // copy runs per user, whatever others plant in the temporary folder.
    static QString defaultRuntimeDirectory(const std::shared_ptr<SystemLog> &log = nullptr);

    // `log` receives the one line that says why the guard is off.
    explicit SingleApplicationInstance(const QString &runtimeDirectory = defaultRuntimeDirectory(),
                                       std::shared_ptr<SystemLog> log = nullptr, QObject *parent = nullptr);
    ~SingleApplicationInstance() override;

    QString lockFilePath() const;
    QString serverName() const;

    // Takes the lock, or finds who holds it. Needs no application object, so a second start can
    // ask and leave before it connects to any display, and never waits on what stands at the
    // lock's path. Unguarded, with a log line, when the runtime folder is missing, a link, not
    // the user's, or open to group or others, or when no lock file can be opened there.
    Role claim();
    Role role() const { return m_role; }
    // For the primary, once the application object exists: replaces a socket a crashed run left
    // (anything else at the socket's path is moved aside with a log line) and listens. False, with
    // a log line, when not primary or the socket could not be made.
    bool listen();
    bool isListening() const { return m_server && m_server->isListening(); }

    // From a secondary start: asks the primary to reopen and waits up to `timeoutMs` for its
    // acknowledgement. False when no running instance answered.
    bool requestReopen(int timeoutMs = 3000) const;
    // The same for opening the preview of `option`.
    bool requestPreview(const QString &option, int timeoutMs = 3000) const;

Q_SIGNALS:
    // A later start asked this (primary) instance to reopen.
    void reopenRequested();
    // A later start asked for a preview; `option` has the form of an option, nothing more is known.
    void previewRequested(const QString &option);

private:
    bool hasUsableFolder() const;
    Role lock();
    void logObstacle(const InterProcessLock::Obstacle &obstacle) const;
    void clearSocketPath() const;
    void logError(const QString &format, const QStringList &arguments) const;
    void serve();
    bool request(const QByteArray &line, int timeoutMs) const;

    QString m_runtimeDirectory;
    std::shared_ptr<SystemLog> m_log;
    // Held only while this process is the primary.
    std::unique_ptr<InterProcessLock> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    Role m_role = Role::unguarded;
};

} // namespace pulsegrove
