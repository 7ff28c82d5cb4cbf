// valthera-loop run as a student's script would run it: its JSON and CSV
// against the model library, and every kind of bad input refused cleanly.

#include "model/model.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace valthera::lab;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run run(const QStringList &args)
{
    QProcess p;
    p.start(VALTHERA_LOOP_PATH, args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class LoopCliTest : public QObject {
    Q_OBJECT
private slots:
    void jsonMatchesTheModel_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("defaults") << QStringList{};
        QTest::newRow("explicit --json, several parameters, last one wins")
            << QStringList{"R=2", "Ees=3.5", "--json", "HR=60", "R=1.6", "Gar=0.25"};
    }

    void jsonMatchesTheModel()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(r.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);

        Parameters p;
        for (const QString &a : args)
            if (a.contains('='))
                p[findParameter(a.section('=', 0, 0).toStdString())->id] = a.section('=', 1).toDouble();
        const SteadyState s = steadyState(p);
        const Measures m = measure(s);
        for (const MeasureInfo &i : measureTable()) {
            const QString key = QString::fromUtf8(i.name.data(), i.name.size());
            QVERIFY2(json.value(key).isDouble(), qPrintable(key));
            QVERIFY2(
                std::abs(json.value(key).toDouble() - m[i.id]) <= std::pow(10.0, -i.decimals - 2), qPrintable(key));
        }
        QCOMPARE(json.value("beats").toInt(), s.beats);
    }

    void csvIsOneSteadyBeat()
    {
        const Run r = run({"HR=40", "--csv"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        const int n = samplesPerBeat(40);
        QCOMPARE(lines.size(), n + 1);
        QCOMPARE(lines.front(), QByteArray("t,V,Plv,Pao,Qmv,Qav"));
        const double h = beatPeriod(40) / n;
        for (int k = 0; k < n; k += n / 10) {
            const QList<QByteArray> cells = lines[k + 1].split(',');
            QCOMPARE(cells.size(), 6);
            bool ok = false;
            QCOMPARE(cells[0].toDouble(&ok), std::round(k * h * 1e4) / 1e4);
            QVERIFY(ok);
            for (const QByteArray &c : cells)
                QVERIFY((c.toDouble(&ok), ok));
        }
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QStringList>("named"); // what the error line must name
        const QStringList hrRange{"HR", "40 to 180"};
        QTest::newRow("unknown name") << "Hr=80" << QStringList{"Hr", "HR", "Pla"};
        QTest::newRow("word") << "HR=fast" << hrRange;
        QTest::newRow("nan") << "HR=nan" << hrRange;
        QTest::newRow("inf") << "HR=inf" << hrRange;
        QTest::newRow("empty") << "HR=" << hrRange;
        QTest::newRow("trailing junk") << "HR=80bpm" << hrRange;
        QTest::newRow("leading blank") << "HR= 80" << hrRange;
        QTest::newRow("below range") << "HR=39.9" << hrRange;
        QTest::newRow("above range") << "Gmr=2.01" << QStringList{"Gmr", "0.00 to 2.00"};
        QTest::newRow("negative") << "Rav=-0.1" << QStringList{"Rav", "0.002 to 0.500"};
        QTest::newRow("no value") << "HR" << hrRange;
        QTest::newRow("no name") << "=80" << QStringList{"=80"};
        QTest::newRow("unknown option") << "--fast" << QStringList{"--fast"};
        QTest::newRow("both formats") << "--csv" << QStringList{"--json", "--csv"};
    }

    void badInputIsRefused()
    {
        QFETCH(QString, arg);
        QFETCH(QStringList, named);
        // A good argument before the bad one must not leak output either.
        QStringList args{"R=1.2", arg};
        if (arg == "--csv")
            args.prepend("--json");
        const Run r = run(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.endsWith('\n'));
        QCOMPARE(r.err.count('\n'), 1);
        for (const QString &word : named)
            QVERIFY2(r.err.contains(word.toUtf8()), r.err.constData());
    }

    void helpListsEveryParameter()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        for (const ParamInfo &i : parameterTable()) {
            const QByteArray name(i.name.data(), i.name.size());
            const QByteArray unit(i.unit.data(), i.unit.size());
            const auto line = std::find_if(
                lines.begin(), lines.end(), [&](const QByteArray &l) { return l.trimmed().startsWith(name + ' '); });
            QVERIFY2(line != lines.end(), name.constData());
            QVERIFY2(line->contains(QByteArray::number(i.defaultValue, 'f', i.decimals)), line->constData());
            QVERIFY2(line->contains(QByteArray::number(i.min, 'f', i.decimals) + " to " +
                         QByteArray::number(i.max, 'f', i.decimals) + ' ' + unit),
                line->constData());
        }
    }
};

QTEST_GUILESS_MAIN(LoopCliTest)
#include "tst_loopcli.moc"
