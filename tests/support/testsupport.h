#pragma once
// What many tests set up the same way: a private configuration (so no test reads or writes the
// user's settings, or sees defaults installed on the machine), message boxes captured instead of
// shown, the locale variables a test row names, and programs started by a test ended when it is
// done.

#include "platform/messagebox.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <utility>

namespace zimbrel::testing {

// A temporary folder that is the test's configuration: XDG_CONFIG_HOME is <folder>/config and
// XDG_CONFIG_DIRS <folder>/xdg while it lives; both come back as they were when it goes, unless
// a newer one has taken over meanwhile (a fixture replaced by the next test's).
class TemporaryConfig
{
public:
    TemporaryConfig()
        : m_home(qgetenv("XDG_CONFIG_HOME"))
        , m_dirs(qgetenv("XDG_CONFIG_DIRS"))
        , m_hadHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , m_hadDirs(qEnvironmentVariableIsSet("XDG_CONFIG_DIRS"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_dir.filePath(QStringLiteral("xdg"))));
    }
    ~TemporaryConfig()
    {
        if (qgetenv("XDG_CONFIG_HOME") != QFile::encodeName(configHome()))
            return;
        restore("XDG_CONFIG_HOME", m_hadHome, m_home);
        restore("XDG_CONFIG_DIRS", m_hadDirs, m_dirs);
    }
    TemporaryConfig(const TemporaryConfig &) = delete;
    TemporaryConfig &operator=(const TemporaryConfig &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    QString configHome() const { return m_dir.filePath(QStringLiteral("config")); }

private:
    static void restore(const char *name, bool wasSet, const QByteArray &value)
    {
        if (wasSet)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

    QTemporaryDir m_dir;
    QByteArray m_home;
    QByteArray m_dirs;
    bool m_hadHome;
    bool m_hadDirs;
};

// Message boxes, captured while it lives instead of shown (no test may wait on a real one).
class MessageCapture
{
public:
    MessageCapture()
        : m_previous(setMessageHandler([this](const Message &m) { m_texts << m.text; }))
    { }
    ~MessageCapture() { setMessageHandler(m_previous); }
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    // The texts of the messages so far, oldest first.
    const QStringList &texts() const { return m_texts; }
    void clear() { m_texts.clear(); }

private:
    QStringList m_texts;
    MessageHandler m_previous;
};

// The locale variables as a row sets them ("LANG=de_DE.UTF-8 LC_NUMERIC=C"); the others unset,
// and all as they were afterwards.
class LocaleVariables
{
public:
    static constexpr const char *kNames[] = {"LC_ALL", "LC_NUMERIC", "LC_MESSAGES", "LANG", "LANGUAGE"};

    // The names and values of "NAME=value NAME=value".
    static QList<std::pair<QByteArray, QByteArray>> variablesOf(const QByteArray &settings)
    {
        QList<std::pair<QByteArray, QByteArray>> variables;
        for (const QByteArray &pair : settings.split(' ')) {
            if (const qsizetype equals = pair.indexOf('='); equals > 0)
                variables.append({pair.left(equals), pair.mid(equals + 1)});
        }
        return variables;
    }

    explicit LocaleVariables(const QByteArray &settings)
    {
        for (const char *name : kNames) {
            m_saved.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            qunsetenv(name);
        }
        for (const auto &[name, value] : variablesOf(settings))
            qputenv(name.constData(), value);
    }
    LocaleVariables(const LocaleVariables &) = delete;
    LocaleVariables &operator=(const LocaleVariables &) = delete;
    ~LocaleVariables()
    {
        for (const Saved &saved : m_saved) {
            if (saved.set)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool set;
    };
    QList<Saved> m_saved;
};

// Ends a program a test started, if it still runs, and waits for it.
inline void endProcess(QProcess *process)
{
    if (process && process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished();
    }
}

} // namespace zimbrel::testing
