// valthera-loop run as a student's script would run it: its JSON and CSV
// against the model library in both models, the beats after a step, and every
// kind of bad input refused cleanly.

#include "model/model.h"
#include "model/presets.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using namespace valthera::model;

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

QJsonDocument parse(const Run &r)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
    [&] { QCOMPARE(error.error, QJsonParseError::NoError); }();
    return doc;
}

} // namespace

Q_DECLARE_METATYPE(valthera::model::Parameters)

class LoopCliTest : public QObject {
    Q_OBJECT
private slots:
    void jsonMatchesTheModel_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Parameters>("p");
        QTest::newRow("defaults") << QStringList{} << Parameters();
        Parameters several;
        several[Param::Ees] = 3.5;
        several[Param::HR] = 60;
        several[Param::R] = 1.6;
        several[Param::AROA] = 0.25;
        QTest::newRow("several, last one wins")
            << QStringList{"R=2", "Ees=3.5", "--json", "HR=60", "R=1.6", "AROA=0.25"} << several;
        Parameters heart = findPresetById("hfpef")->parameters(ModelKind::Heart);
        heart[Param::Pla] = 20;
        QTest::newRow("isolated heart, a preset changed")
            << QStringList{"--heart", "--preset", "hfpef", "Pla=20"} << heart;
        Parameters sucked = findPresetById("hfref")->parameters(ModelKind::Circulation);
        sucked[Param::LVAD] = 6000;
        sucked[Param::Volume] = -300;
        QTest::newRow("LVAD, suction") << QStringList{"--preset", "hfref", "LVAD=6000", "Volume=-300"} << sucked;
    }

    void jsonMatchesTheModel()
    {
        QFETCH(QStringList, args);
        QFETCH(Parameters, p);
        const Run r = run(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.err.isEmpty());
        const QJsonObject json = parse(r).object();
        const SteadyState s = steadyState(p);
        const Measures m = measure(s);
        QCOMPARE(json.value("model").toString(), p.model == ModelKind::Heart ? "heart" : "circulation");
        for (const MeasureInfo &i : measureTable()) {
            const QString key = QString::fromUtf8(i.name.data(), i.name.size());
            if (std::isnan(m[i.id])) {
                QVERIFY2(json.value(key).isNull(), qPrintable(key));
                continue;
            }
            if (i.flag) {
                QVERIFY2(json.value(key).isBool(), qPrintable(key));
                QCOMPARE(json.value(key).toBool(), m[i.id] > 0);
                continue;
            }
            QVERIFY2(json.value(key).isDouble(), qPrintable(key));
            QVERIFY2(
                std::abs(json.value(key).toDouble() - m[i.id]) <= std::pow(10.0, -i.decimals - 2), qPrintable(key));
        }
        QCOMPARE(json.value("beats").toInt(), s.beats);
        QVERIFY(json.value("converged").toBool());
    }

    // The steady beat's samples; in the whole circulation V and the V_
    // columns hold all the blood on every row.
    void csvIsOneSteadyBeat()
    {
        const Run r = run({"HR=40", "Volume=-300", "--csv"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        const int n = samplesPerBeat(40);
        QCOMPARE(lines.size(), n + 1);
        QCOMPARE(
            lines.front(), QByteArray("t,V,Plv,Pao,Qmv,Qav,Pla,e,V_SA,V_SV,V_RV,V_PA,V_PV,V_LA,Pra,Prv,Ppa,Ppv,Qpump,phase"));
        Parameters p;
        p[Param::Volume] = -300;
        const double blood = circulatingVolume(p);
        for (int k = 1; k <= n; ++k) {
            const QList<QByteArray> cells = lines[k].split(',');
            QCOMPARE(cells.size(), 20);
            double sum = cells[1].toDouble();
            for (int c = 8; c < 14; ++c)
                sum += cells[c].toDouble();
            QVERIFY2(std::abs(sum - blood) < 0.01, lines[k].constData());
        }
        QCOMPARE(run({"--heart", "--csv"}).out.split('\n').front(), QByteArray("t,V,Plv,Pao,Qmv,Qav,Pla,e,phase"));
    }

    // The phase column read against the row's own flows and the volume of
    // the next row: filling and ejection by the valves, isovolumic only where
    // the volume stands, in states where leaks and pumps move it.
    void csvPhaseColumn_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("phases"); // every phase the beat must show
        const QString shut = "valves-shut-volume-changing";
        QTest::newRow("control") << QStringList{}
                                 << QStringList{"filling", "isovolumic-contraction", "ejection", "isovolumic-relaxation"};
        QTest::newRow("LVAD 4000") << QStringList{"--preset", "hfref", "LVAD=4000"} << QStringList{"filling", shut};
        QTest::newRow("mitral regurgitation")
            << QStringList{"--preset", "mitral-regurgitation"} << QStringList{"filling", "ejection", shut};
        QTest::newRow("aortic regurgitation, isolated heart")
            << QStringList{"--heart", "AROA=0.3"} << QStringList{"filling", "ejection", shut};
    }
    void csvPhaseColumn()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, phases);
        const Run r = run(args + QStringList{"--csv"});
        QCOMPARE(r.exitCode, 0);
        QList<QByteArray> lines = r.out.trimmed().split('\n');
        const QList<QByteArray> header = lines.takeFirst().split(',');
        const qsizetype v = header.indexOf("V"), qmv = header.indexOf("Qmv"), qav = header.indexOf("Qav");
        QCOMPARE(header.last(), QByteArray("phase"));
        QSet<QString> seen;
        double fastest = 0;
        for (qsizetype k = 0; k + 1 < lines.size(); ++k)
            fastest = std::max(fastest, std::abs(lines[k + 1].split(',')[v].toDouble() - lines[k].split(',')[v].toDouble()));
        for (qsizetype k = 0; k + 1 < lines.size(); ++k) {
            const QList<QByteArray> row = lines[k].split(','), next = lines[k + 1].split(',');
            const QString phase = QString::fromUtf8(row.last());
            seen << phase;
            QCOMPARE(phase == "ejection", row[qav].toDouble() > 0);
            if (row[qav].toDouble() <= 0)
                QCOMPARE(phase == "filling", row[qmv].toDouble() > 0);
            if (phase.startsWith("isovolumic"))
                QVERIFY2(std::abs(next[v].toDouble() - row[v].toDouble()) < 0.02 * fastest, lines[k].constData());
        }
        for (const QString &p : phases)
            QVERIFY2(seen.contains(p), qPrintable(p));
    }

    void versionIsTheProjects()
    {
        const Run r = run({"--version"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("valthera-loop " VALTHERA_VERSION "\n"));
        QVERIFY(r.err.isEmpty());
    }

    // A balloon pump assisting every second beat: the JSON's whole cycle with
    // each kind of beat's own measures, the CSV's two beats with the balloon's
    // volume; at 1:1 the beat is one and the JSON has no split.
    void balloonCycle()
    {
        Parameters p;
        p[Param::IABP] = 2;
        const SteadyState s = steadyState(p);
        const std::optional<AssistSplit> split = assistSplit(s.beat, p);
        QVERIFY(split);
        const QJsonObject json = parse(run({"IABP=2"})).object();
        for (const auto &[key, m] :
            {std::pair{"assisted", split->assisted}, std::pair{"unassisted", split->unassisted}})
            for (Measure id : {Measure::SV, Measure::DBP, Measure::LVSP})
                QVERIFY2(std::abs(json.value(key).toObject().value(QString::fromUtf8(info(id).name.data())).toDouble() -
                             m[id]) < 1e-3,
                    key);
        QVERIFY(std::abs(json.value("SV").toDouble() - measure(s)[Measure::SV]) < 1e-3);
        QVERIFY(!parse(run({"IABP=1"})).object().contains("assisted"));

        const QList<QByteArray> lines = run({"IABP=2", "IABPvol=30", "--csv"}).out.trimmed().split('\n');
        const int n = samplesPerBeat(75);
        QCOMPARE(lines.size(), 2 * n + 1);
        QVERIFY(lines.front().startsWith("beat,t,V,"));
        QVERIFY(lines.front().endsWith(",Qpump,Vballoon,phase"));
        QVERIFY(lines[1].startsWith("1,0.0000,") && lines[n + 1].startsWith("2,"));
        double most = 0;
        for (int k = 1; k <= 2 * n; ++k)
            most = std::max(most, lines[k].split(',').at(lines[k].count(',') - 1).toDouble());
        QCOMPARE(most, 30.0);
    }

    // Switching a pump on at beat 1: the loop moves left, beat by beat.
    void aStepSwitchesADeviceOn()
    {
        const Run r = run({"--preset", "hfref", "--step", "Axial=50", "--beats", "20"});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray beats = parse(r).array();
        QCOMPARE(beats.size(), 20);
        const double edv =
            measure(steadyState(findPresetById("hfref")->parameters(ModelKind::Circulation)))[Measure::EDV];
        QVERIFY(beats.last().toObject().value("EDV").toDouble() < edv - 5);
        QVERIFY(beats.last().toObject().value("PumpFlow").toDouble() > 3);
    }

    // The afterload lesson's story beat by beat: beat 1 keeps its EDV, which
    // then rises.
    void aStepPrintsTheBeatsAfterIt()
    {
        const Run json = run({"--step", "R=1.6", "--beats", "12"});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray beats = parse(json).array();
        QCOMPARE(beats.size(), 12);
        const double edv = measure(steadyState(Parameters()))[Measure::EDV];
        QCOMPARE(beats.first().toObject().value("beat").toInt(), 1);
        QVERIFY(std::abs(beats.first().toObject().value("EDV").toDouble() - edv) <= 1);
        QVERIFY(beats.last().toObject().value("EDV").toDouble() > edv + 1);

        const Run csv = run({"--heart", "--step", "Ees=3", "--beats", "5", "--csv"});
        QCOMPARE(csv.exitCode, 0);
        const QList<QByteArray> lines = csv.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines.front().startsWith("beat,EDV,"));
        QVERIFY(lines.last().startsWith("5,"));
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("named"); // what the error line must name
        const QStringList hrRange{"HR", "30 to 200"};
        QTest::newRow("unknown name") << QStringList{"Hr=80"} << QStringList{"Hr", "HR", "Volume"};
        QTest::newRow("word") << QStringList{"HR=fast"} << hrRange;
        QTest::newRow("nan") << QStringList{"HR=nan"} << hrRange;
        QTest::newRow("empty") << QStringList{"HR="} << hrRange;
        QTest::newRow("trailing junk") << QStringList{"HR=80bpm"} << hrRange;
        QTest::newRow("leading blank") << QStringList{"HR= 80"} << hrRange;
        QTest::newRow("below range") << QStringList{"HR=29.9"} << hrRange;
        QTest::newRow("above range") << QStringList{"MROA=1.01"} << QStringList{"MROA", "0.00 to 1.00"};
        QTest::newRow("no value") << QStringList{"HR"} << hrRange;
        QTest::newRow("no name") << QStringList{"=80"} << QStringList{"=80"};
        QTest::newRow("unknown option") << QStringList{"--fast"} << QStringList{"--fast"};
        QTest::newRow("both formats") << QStringList{"--json", "--csv"} << QStringList{"--json", "--csv"};
        QTest::newRow("both models") << QStringList{"--heart", "--circulation"}
                                     << QStringList{"--circulation", "--heart"};
        QTest::newRow("the heart's parameter in the circulation")
            << QStringList{"Pla=20"} << QStringList{"Pla", "--heart"};
        QTest::newRow("the circulation's parameter in the heart")
            << QStringList{"--heart", "Volume=100"} << QStringList{"Volume", "--circulation"};
        QTest::newRow("a stepped parameter of the other model")
            << QStringList{"--heart", "--step", "Volume=100"} << QStringList{"Volume"};
        QTest::newRow("unknown preset") << QStringList{"--preset", "shock"} << QStringList{"shock", "hfref"};
        QTest::newRow("preset without id") << QStringList{"--preset"} << QStringList{"--preset"};
        QTest::newRow("step without NAME=VALUE") << QStringList{"--step", "R"} << QStringList{"--step", "R"};
        QTest::newRow("step at the end") << QStringList{"--step"} << QStringList{"--step", "NAME=VALUE"};
        QTest::newRow("beats zero") << QStringList{"--step", "R=1.2", "--beats", "0"} << QStringList{"--beats", "200"};
        QTest::newRow("beats too many") << QStringList{"--beats", "201"} << QStringList{"--beats"};
        QTest::newRow("beats not whole") << QStringList{"--beats", "2.5"} << QStringList{"--beats"};
        QTest::newRow("beats without a step") << QStringList{"--beats", "5"} << QStringList{"--beats", "--step"};
        QTest::newRow("balloon ratio above 3") << QStringList{"IABP=4"} << QStringList{"IABP", "0 to 3"};
        QTest::newRow("balloon ratio not whole") << QStringList{"IABP=1.5"} << QStringList{"IABP", "whole"};
        QTest::newRow("axial pump below its lowest speed")
            << QStringList{"Axial=10"} << QStringList{"Axial", "0 (off) or 20 to 50"};
        QTest::newRow("negative ECMO flow") << QStringList{"ECMO=-1"} << QStringList{"ECMO", "0.0 to 6.0"};
        QTest::newRow("a device in the isolated heart")
            << QStringList{"--heart", "LVAD=3000"} << QStringList{"LVAD", "--circulation"};
    }

    void badInputIsRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, named);
        // A good argument before the bad one must not leak output either.
        const Run r = run(QStringList{"R=1.2"} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.endsWith('\n'));
        QCOMPARE(r.err.count('\n'), 1);
        for (const QString &word : named)
            QVERIFY2(r.err.contains(word.toUtf8()), r.err.constData());
    }

    void helpNamesModelsPresetsAndParameters()
    {
        const Run r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char *word : {"--circulation", "--heart", "--step", "--beats"})
            QVERIFY2(r.out.contains(word), word);
        for (const Preset &p : presets())
            QVERIFY2(r.out.contains(QByteArray(p.id.data(), p.id.size())), p.id.data());
        const QList<QByteArray> lines = r.out.split('\n');
        for (const ParamInfo &i : parameterTable()) {
            const QByteArray name(i.name.data(), i.name.size());
            const QByteArray unit(i.unit.data(), i.unit.size());
            const auto line = std::find_if(
                lines.begin(), lines.end(), [&](const QByteArray &l) { return l.trimmed().startsWith(name + ' '); });
            QVERIFY2(line != lines.end(), name.constData());
            const double shown = appliesTo(i, ModelKind::Circulation) ? i.defaultValue : i.heartDefault;
            QVERIFY2(line->contains(QByteArray::number(shown, 'f', i.decimals)), line->constData());
            // A device with a gap reads "0 (off) or 20 to 50".
            QVERIFY2(line->contains(QByteArray::number(i.lowestOn > 0 ? i.lowestOn : i.min, 'f', i.decimals) + " to " +
                         QByteArray::number(i.max, 'f', i.decimals) + ' ' + unit),
                line->constData());
        }
    }
};

QTEST_GUILESS_MAIN(LoopCliTest)
#include "tst_loopcli.moc"
