#pragma once

#include <QString>
#include <QStringList>

namespace pulsegrove {

// What the command line asks of a start, read before any application object exists so that a
// second start can hand its request to the running copy and leave without a display. Besides
// the application's own options, the toolkit's standard ones (-platform, -style, -session, …)
// pass through: the session manager restarts a Qt application with -session.
class LaunchOptions {
public:
    enum class Action { start, showHelp, refuse };

    static LaunchOptions parse(const QStringList &arguments);

    Action action() const { return m_action; }
    // The preview this start opens, as launch picks it among several; empty for none.
    const QString &preview() const { return m_preview; }
    // The first argument that is not understood, when refused.
    const QString &unknownArgument() const { return m_unknownArgument; }

    static QString helpText();
    // The two lines a refused start writes to standard error.
    QString refusalText() const;

private:
    Action m_action = Action::start;
    QString m_preview;
    QString m_unknownArgument;
};

} // namespace pulsegrove
