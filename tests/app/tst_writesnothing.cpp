// The program writes nothing but a figure the student saves, and talks to no
// one: a whole session (which never asks to save) runs in a child process
// under strace, and every file opened for writing and every socket is held
// against the few things the platform itself keeps.
//
// The child is this executable again, started with VALTHERA_SESSION_CHILD set:
// it runs a seeded random session over every screen, End Session included.

#include "support/monkey.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace valthera;

namespace {

constexpr int kChildSteps = 1500;

struct SaveDialogWatch : QObject {
    bool seen = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->objectName().startsWith(QLatin1String("SaveImage")))
            seen = true;
        return false;
    }
};

int runChildSession(int argc, char **argv)
{
    QApplication app(argc, argv);
    // Saving a figure is the one way to write a file; a session that never
    // chose to save must never have been asked where to.
    SaveDialogWatch watch;
    app.installEventFilter(&watch);
    testing::Monkey monkey(testing::monkeyEnvironment("SEED", 3));
    const QString fault = monkey.run(kChildSteps);
    if (!fault.isEmpty()) {
        std::fputs(qPrintable(monkey.report(fault)), stderr);
        return 1;
    }
    if (watch.seen) {
        std::fputs("the session was asked to save an image\n", stderr);
        return 3;
    }
    // The session must have gone everywhere, ending included.
    return monkey.sessions() > 1 && monkey.boxesAnswered() > 0 ? 0 : 2;
}

// What the platform may write to: the font cache, the null device and the
// runtime directory the toolkit sets up for itself.
bool writeAllowed(const QString &path)
{
    static const QRegularExpression allowed(
        QStringLiteral("^(/dev/null|/dev/tty|.*/fontconfig/.*|/var/cache/fontconfig/.*|/tmp/runtime-[^/]+(/.*)?|/run/"
                       "user/\\d+(/.*)?)$"));
    return allowed.match(path).hasMatch();
}

// Local sockets are allowed only to the C library's user-database cache, which
// the toolkit's lookup of the user's runtime directory asks; nothing else, and
// no other family of socket at all.
bool socketAllowed(const QString &call, const QString &arguments)
{
    if (call == QLatin1String("socket"))
        return arguments.startsWith(QLatin1String("AF_UNIX,"));
    static const QRegularExpression local(QStringLiteral("sa_family=AF_UNIX, sun_path=\"(/var)?/run/nscd/socket\""));
    return local.match(arguments).hasMatch();
}

struct Trace {
    QStringList writes; // files opened for writing, or created
    QStringList sockets; // sockets and connections the process made
    int opens = 0;
};

Trace readTrace(const QString &path)
{
    Trace trace;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return trace;
    static const QRegularExpression open(QStringLiteral("\\b(openat|open|creat)\\((?:[^,]*, )?\"([^\"]*)\"(.*)$"));
    static const QRegularExpression writing(QStringLiteral("O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND"));
    static const QRegularExpression socket(QStringLiteral("\\b(socket|connect)\\((.*)$"));
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (const QRegularExpressionMatch m = open.match(line); m.hasMatch()) {
            ++trace.opens;
            const bool creating = m.captured(1) == QLatin1String("creat");
            if ((creating || writing.match(m.captured(3)).hasMatch()) && !writeAllowed(m.captured(2)))
                trace.writes.append(line.trimmed());
        } else if (const QRegularExpressionMatch s = socket.match(line); s.hasMatch()) {
            if (!socketAllowed(s.captured(1), s.captured(2)))
                trace.sockets.append(line.trimmed());
        }
    }
    return trace;
}

} // namespace

class WritesNothingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        strace_ = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace_.isEmpty())
            QSKIP("strace is not installed (./dev.sh installs it)");
        QVERIFY(dir_.isValid());
    }

    // The trace reader itself: a write-open among reads is found, the font
    // cache is let through, and sockets other than the user-database lookup are listed.
    void traceReaderTellsWritesFromReads()
    {
        const QString path = dir_.filePath(QStringLiteral("sample.trace"));
        QFile sample(path);
        QVERIFY(sample.open(QIODevice::WriteOnly));
        sample.write("12 openat(AT_FDCWD, \"/usr/share/fonts/a.ttf\", O_RDONLY|O_CLOEXEC) = 5\n"
                     "12 openat(AT_FDCWD, \"/root/.cache/fontconfig/x.cache-8\", O_RDWR|O_CREAT, 0666) = 6\n"
                     "12 openat(AT_FDCWD, \"/home/s/notes.txt\", O_WRONLY|O_CREAT|O_TRUNC, 0666) = -1 EACCES\n"
                     "13 creat(\"/tmp/x\", 0644) = 7\n"
                     "13 socket(AF_INET, SOCK_STREAM|SOCK_CLOEXEC, IPPROTO_IP) = 8\n"
                     "13 socket(AF_UNIX, SOCK_STREAM|SOCK_CLOEXEC|SOCK_NONBLOCK, 0) = 9\n"
                     "13 connect(9, {sa_family=AF_UNIX, sun_path=\"/var/run/nscd/socket\"}, 110) = -1 ENOENT\n"
                     "13 connect(9, {sa_family=AF_UNIX, sun_path=\"/run/user/0/bus\"}, 110) = 0\n");
        sample.close();
        const Trace trace = readTrace(path);
        QCOMPARE(trace.opens, 4);
        QCOMPARE(trace.writes.size(), 2);
        QVERIFY(trace.writes[0].contains("notes.txt"));
        QVERIFY(trace.writes[1].contains("creat(\"/tmp/x\""));
        QCOMPARE(trace.sockets.size(), 2);
        QVERIFY(trace.sockets[0].contains("AF_INET"));
        QVERIFY(trace.sockets[1].contains("/run/user/0/bus"));
    }

    void wholeSessionWritesNothing_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("random session over every screen") << QApplication::applicationFilePath() << QStringList() << 0;
        // The shipped program, started as a student starts it and left idle
        // until timeout ends it (exit 124).
        const QString shipped = QApplication::applicationDirPath() + QStringLiteral("/../valthera");
        const QString timeout = QStandardPaths::findExecutable(QStringLiteral("timeout"));
        if (QFile::exists(shipped) && !timeout.isEmpty())
            QTest::newRow("the program left running") << timeout << QStringList{QStringLiteral("3"), shipped} << 124;
    }

    void wholeSessionWritesNothing()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const QString tracePath = dir_.filePath(QStringLiteral("session.trace"));
        QFile::remove(tracePath);

        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VALTHERA_SESSION_CHILD"), QStringLiteral("1"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // The leak checker stops the world with ptrace, which strace already holds.
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(strace_,
            QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-e"),
                QStringLiteral("trace=openat,open,creat,socket,connect"), QStringLiteral("-o"), tracePath, program} +
                arguments);
        QVERIFY(child.waitForStarted());
        QVERIFY(child.waitForFinished(240000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), exitCode);

        const Trace trace = readTrace(tracePath);
        qInfo("%d opens traced", trace.opens);
        QVERIFY2(trace.opens > 0, "strace saw nothing; is ptrace allowed here?");
        QVERIFY2(trace.writes.isEmpty(), qPrintable(trace.writes.join('\n')));
        QVERIFY2(trace.sockets.isEmpty(), qPrintable(trace.sockets.join('\n')));
    }

private:
    QString strace_;
    QTemporaryDir dir_;
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("VALTHERA_SESSION_CHILD"))
        return runChildSession(argc, argv);
    QApplication app(argc, argv);
    WritesNothingTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_writesnothing.moc"
