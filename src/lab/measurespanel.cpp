#include "lab/measurespanel.h"

#include "ui/controls.h"
#include "ui/look.h"

#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

namespace valthera::lab {

namespace {

// Lines of the "what changed" sentence shown before it scrolls.
constexpr int kChangesLines = 6;
// The column, in pixels at zoom 1: room for most measures' names in words on
// one line at a size a step smaller than the lab's text, a five-digit stroke work with its unit and its change; the
// window's restored width still holds it beside the controls and the charts.
constexpr int kReadoutsWidth = 295;
// Of which a name may take this much on one line; a longer one is broken
// between its words by hand (a wrapping label would ask the layouts for
// heights by width, which the lab's columns do not ask).
constexpr int kNameWidth = 160;

constexpr double kRowPointSize = look::kOrdinaryPointSize * 0.85;

// The support devices' measures: no value while none runs.
bool ofDevices(Measure m)
{
    return m == Measure::PumpFlow || m == Measure::Suction || m == Measure::DrainageLimited;
}

// What a screen reader hears of a measure: its words, then the abbreviation
// and value as the panel shows them ("End-diastolic volume: EDV 120 ml").
QString spoken(Measure m, const QString &value)
{
    const MeasureInfo &i = info(m);
    const QString title = toQString(i.title);
    return i.abbreviation.empty() ? title + QStringLiteral(": ") + value
                                  : QStringLiteral("%1: %2 %3").arg(title, toQString(i.abbreviation), value);
}

// The name on as many lines as it needs within kNameWidth in this font.
QString brokenToFit(const QString &name, const QFont &font)
{
    const QFontMetrics metrics(font);
    QStringList lines;
    for (const QString &word : name.split(QLatin1Char(' '))) {
        if (!lines.isEmpty() && metrics.horizontalAdvance(lines.last() + QLatin1Char(' ') + word) <= kNameWidth)
            lines.last() += QLatin1Char(' ') + word;
        else
            lines << word;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString measureTitle(Measure m)
{
    const MeasureInfo &i = info(m);
    const QString title = toQString(i.title);
    return i.abbreviation.empty() ? title : QStringLiteral("%1 (%2)").arg(title, toQString(i.abbreviation));
}

MeasuresPanel::MeasuresPanel(const LabSession &session, QWidget *parent)
    : Column(parent)
    , session_(session)
{
    setObjectName(QStringLiteral("labReadouts"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto *heading = whiteLabel(QStringLiteral("Measures (change from baseline)"), this);
    heading->setWordWrap(true);
    column->addWidget(heading);
    baseline_ = whiteLabel(QString(), this);
    baseline_->setObjectName(QStringLiteral("labBaseline"));
    baseline_->setWordWrap(true);
    baseline_->setAccessibleDescription(QStringLiteral("The loop the changes are counted from, drawn dashed"));
    QFont bold = baseline_->font();
    bold.setBold(true);
    baseline_->setFont(bold);
    column->addWidget(baseline_);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(0);
    buildRows(grid);
    column->addLayout(grid);
    buildChanges(column);

    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(kSettleMs);
    connect(&settleTimer_, &QTimer::timeout, this, &MeasuresPanel::announceChanges);
    showSession();
    takeAsHeard();
}

void MeasuresPanel::buildRows(QGridLayout *grid)
{
    int row = 0;
    for (const MeasureInfo &i : measureTable()) {
        auto *label = whiteLabel(measureTitle(i.id), this);
        label->setToolTip(toQString(i.meaning));
        auto *value = whiteLabel(QString(), this);
        value->setObjectName(QStringLiteral("value") + toQString(i.name));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setAccessibleDescription(toQString(i.meaning));
        auto *delta = whiteLabel(QString(), this);
        delta->setObjectName(QStringLiteral("delta") + toQString(i.name));
        delta->setAccessibleName(measureTitle(i.id) + QStringLiteral(" against the baseline"));
        // A step smaller than the lab's text, so most names in words stay on one line.
        for (QLabel *w : {label, value, delta})
            w->setFont(look::sansSerif(kRowPointSize));
        label->setText(brokenToFit(label->text(), label->font()));
        label->setAccessibleName(measureTitle(i.id));
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
        grid->addWidget(delta, row, 2);
        readouts_[static_cast<std::size_t>(i.id)] = {label, value, delta};
        ++row;
    }
    grid->setColumnStretch(0, 1);
    grid->setRowMinimumHeight(row++, 10);
    eesFit_ = addFit(grid, row++, QStringLiteral("Ees (fit)"), QStringLiteral("valueEesFit"),
        QStringLiteral("slope of the line through the occlusion run's end-systolic points"), eesFitLabel_);
    v0Fit_ = addFit(grid, row++, QStringLiteral("V0 (fit)"), QStringLiteral("valueV0Fit"),
        QStringLiteral("volume where that line meets zero pressure"), v0FitLabel_);
}

QLabel *MeasuresPanel::addFit(QGridLayout *grid, int row, const QString &caption, const QString &name,
    const QString &meaning, QLabel *&label)
{
    label = whiteLabel(caption, this);
    auto *value = whiteLabel(QString(), this);
    value->setObjectName(name);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setAccessibleDescription(meaning);
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1, 1, 2);
    return value;
}

void MeasuresPanel::buildChanges(QVBoxLayout *column)
{
    // What changed is told in a sentence that can run to many lines; it
    // scrolls within a few lines so it never squeezes the measures above it.
    // It repeats the table, and is read out when it changes, so it takes no
    // place in the Tab order.
    auto *area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("labChangesArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setFocusPolicy(Qt::NoFocus);
    area->viewport()->setAutoFillBackground(false);
    changes_ = whiteLabel(QString(), area);
    changes_->setObjectName(QStringLiteral("labChanges"));
    changes_->setWordWrap(true);
    changes_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    area->setWidget(changes_);
    column->addSpacing(8);
    column->addWidget(area);
    changesArea_ = area;
}

void MeasuresPanel::addBelow(QWidget *widget, int stretch)
{
    static_cast<QVBoxLayout *>(layout())->addWidget(widget, stretch);
}

void MeasuresPanel::setZoom(double zoom)
{
    setColumnWidth(static_cast<int>(std::lround(kReadoutsWidth * zoom)));
    changesArea_->setMaximumHeight(static_cast<int>(std::lround(kChangesLines * 16 * zoom)));
}

void MeasuresPanel::showSession()
{
    showBaseline();
    const Measures &now = session_.measures();
    for (const MeasureInfo &i : measureTable()) {
        const Readout &r = readouts_[static_cast<std::size_t>(i.id)];
        // A measure the state has no value for (the circulation's in the
        // isolated heart, a device's while none runs) takes no row rather
        // than an empty one.
        const bool has = std::isfinite(now[i.id]) && (!ofDevices(i.id) || deviceOn(session_.current().parameters));
        for (QLabel *w : {r.label, r.value, r.delta})
            w->setVisible(has);
        r.value->setText(session_.value(i.id));
        r.value->setAccessibleName(spoken(i.id, r.value->text()));
        r.delta->setText(session_.delta(i.id));
        r.delta->setAccessibleDescription(session_.deltaDescription(i.id));
    }
    eesFit_->setText(session_.eesFit());
    v0Fit_->setText(session_.v0Fit());
    eesFit_->setAccessibleName(QStringLiteral("Ees from the occlusion run ") + eesFit_->text());
    v0Fit_->setAccessibleName(QStringLiteral("V0 from the occlusion run ") + v0Fit_->text());
    // The fit exists only after an occlusion run.
    for (QLabel *w : {eesFitLabel_, eesFit_, v0FitLabel_, v0Fit_})
        w->setVisible(session_.occlusion().has_value());
    settleTimer_.start();
}

void MeasuresPanel::showBaseline()
{
    const QString text = QStringLiteral("Baseline: ") + session_.baselineName();
    if (text == baseline_->text())
        return;
    const bool first = baseline_->text().isEmpty();
    baseline_->setText(text);
    baseline_->setAccessibleName(text);
    if (!first)
        look::announce(baseline_);
}

void MeasuresPanel::tell(const QString &text)
{
    changes_->setText(text);
    look::announce(changes_);
}

void MeasuresPanel::clearTold()
{
    changes_->clear();
}

void MeasuresPanel::takeAsHeard()
{
    for (const MeasureInfo &i : measureTable())
        announced_[static_cast<std::size_t>(i.id)] = session_.value(i.id);
    settleTimer_.stop();
}

void MeasuresPanel::announceChanges()
{
    QStringList changed;
    for (const MeasureInfo &i : measureTable()) {
        QString &last = announced_[static_cast<std::size_t>(i.id)];
        const QString now = session_.value(i.id);
        if (now == last)
            continue;
        last = now;
        if (!std::isfinite(session_.measures()[i.id]))
            continue; // a row no longer shown
        changed << QStringLiteral("%1 (%2)").arg(spoken(i.id, now), session_.deltaDescription(i.id));
    }
    const QString fit = session_.eesFit();
    if (fit != announcedFit_) {
        announcedFit_ = fit;
        if (!fit.isEmpty())
            changed << QStringLiteral("Ees from the occlusion run %1, V0 %2").arg(fit, session_.v0Fit());
    }
    if (changed.isEmpty())
        return;
    tell(QStringLiteral("Now: ") + changed.join(QStringLiteral("; ")));
}

} // namespace valthera::lab
