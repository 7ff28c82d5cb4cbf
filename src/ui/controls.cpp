#include "ui/controls.h"

#include "ui/zoom.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <cmath>
#include <optional>

namespace valthera::look {

namespace {

// The number in a spin box's text without its prefix and suffix, if it is one.
std::optional<double> typedNumber(const QAbstractSpinBox &box, QString text, const QString &prefix,
    const QString &suffix)
{
    text = text.trimmed();
    if (!prefix.isEmpty() && text.startsWith(prefix.trimmed()))
        text.remove(0, prefix.trimmed().size());
    if (!suffix.isEmpty() && text.endsWith(suffix.trimmed()))
        text.chop(suffix.trimmed().size());
    bool ok = false;
    const double value = box.locale().toDouble(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// A number the standard box refused is taken as not yet complete, for
// fixup to bring in range when it is.
QValidator::State takeNumbers(QValidator::State state, const std::optional<double> &typed)
{
    return state == QValidator::Invalid && typed && std::isfinite(*typed) ? QValidator::Intermediate : state;
}

// Tells on the note what became of a number typed beyond the range.
void tellClamp(QAbstractSpinBox *box, QLabel *note, const QString &range, const QString &set)
{
    if (!note)
        return;
    note->setText(QStringLiteral("Allowed: %1. Set to %2").arg(range, set));
    note->setAccessibleName(QStringLiteral("%1: %2").arg(box->accessibleName(), note->text()));
    note->show();
    announce(note);
}

void describeRange(QAbstractSpinBox *box, const QString &range)
{
    box->setToolTip(QStringLiteral("From %1").arg(range));
}

} // namespace

RangeDoubleSpinBox::RangeDoubleSpinBox(QWidget *parent)
    : QDoubleSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    connect(this, &QDoubleSpinBox::valueChanged, this, [this](double value) {
        if (note_ && value != noted_)
            note_->hide();
    });
}

void RangeDoubleSpinBox::setNote(QLabel *note)
{
    note_ = note;
    note_->hide();
    describeRange(this, rangeText());
}

void RangeDoubleSpinBox::setRangeText(const QString &text)
{
    rangeText_ = text;
    describeRange(this, rangeText());
}

QString RangeDoubleSpinBox::rangeText() const
{
    if (!rangeText_.isEmpty())
        return rangeText_;
    return QStringLiteral("%1 to %2%3")
        .arg(locale().toString(minimum(), 'f', decimals()), locale().toString(maximum(), 'f', decimals()), suffix());
}

QValidator::State RangeDoubleSpinBox::validate(QString &text, int &pos) const
{
    return takeNumbers(QDoubleSpinBox::validate(text, pos), typedNumber(*this, text, prefix(), suffix()));
}

void RangeDoubleSpinBox::fixup(QString &text) const
{
    const std::optional<double> typed = typedNumber(*this, text, prefix(), suffix());
    if (!typed || !std::isfinite(*typed)) {
        QDoubleSpinBox::fixup(text);
        return;
    }
    const double set = legal_ ? legal_(*typed) : std::clamp(*typed, minimum(), maximum());
    text = prefix() + textFromValue(set) + suffix();
    if (*typed < minimum() || *typed > maximum()) {
        noted_ = set;
        tellClamp(const_cast<RangeDoubleSpinBox *>(this), note_, rangeText(), textFromValue(set) + suffix());
    }
}

RangeSpinBox::RangeSpinBox(QWidget *parent)
    : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    connect(this, &QSpinBox::valueChanged, this, [this](int value) {
        if (note_ && value != noted_)
            note_->hide();
    });
}

void RangeSpinBox::setNote(QLabel *note)
{
    note_ = note;
    note_->hide();
    describeRange(this, rangeText());
}

QString RangeSpinBox::rangeText() const
{
    return QStringLiteral("%1 to %2%3").arg(minimum()).arg(maximum()).arg(suffix());
}

QValidator::State RangeSpinBox::validate(QString &text, int &pos) const
{
    return takeNumbers(QSpinBox::validate(text, pos), typedNumber(*this, text, prefix(), suffix()));
}

void RangeSpinBox::fixup(QString &text) const
{
    const std::optional<double> typed = typedNumber(*this, text, prefix(), suffix());
    if (!typed || !std::isfinite(*typed)) {
        QSpinBox::fixup(text);
        return;
    }
    const int set = static_cast<int>(std::lround(std::clamp(*typed, double(minimum()), double(maximum()))));
    text = prefix() + textFromValue(set) + suffix();
    if (*typed < minimum() || *typed > maximum()) {
        noted_ = set;
        tellClamp(const_cast<RangeSpinBox *>(this), note_, rangeText(), textFromValue(set) + suffix());
    }
}

void CommandButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(QPalette::ButtonText));
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, caption);
}

void CommandButton::keyPressEvent(QKeyEvent *event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain && !isDefault()) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

QPushButton *makeButton(
    QWidget *parent, const QString &name, const QString &caption, const Place &place, const QColor &face)
{
    auto *button = new CommandButton(caption, parent);
    button->setObjectName(name);
    styleButton(button, face);
    look::place(button, place);
    button->setAutoDefault(false);
    return button;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const Place &place)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    look::place(label, place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void setCaption(QLabel *label, const QString &caption, bool autoSize)
{
    label->setText(caption);
    if (autoSize) {
        markFitsCaption(label);
        label->resize(label->sizeHint());
    }
}

void sizeToDesign(QMainWindow *window, int clientWidthTwips, int clientHeightTwips)
{
    const QSize client(zoomedPx(clientWidthTwips), zoomedPx(clientHeightTwips));
    const QSize bar = window->menuBar()->sizeHint();
    window->resize(std::max(client.width(), bar.width()), client.height() + bar.height());
}

void orderTabsByPlace(QWidget *client)
{
    QList<QWidget *> focusable;
    for (QWidget *widget : client->findChildren<QWidget *>()) {
        if (widget->focusPolicy() & Qt::TabFocus && widget->window() == client->window())
            focusable.append(widget);
    }
    // Controls whose tops lie within half a text line of each other share a row.
    const int rowTolerance = zoomedPx(120);
    auto place = [client](const QWidget *widget) { return widget->mapTo(client, QPoint(0, 0)); };
    std::stable_sort(focusable.begin(), focusable.end(), [&](const QWidget *a, const QWidget *b) {
        const QPoint pa = place(a), pb = place(b);
        if (std::abs(pa.y() - pb.y()) > rowTolerance)
            return pa.y() < pb.y();
        return pa.x() < pb.x();
    });
    for (qsizetype i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1], focusable[i]);
}

void describeQuestionButtons(QPushButton *start, QPushButton *next, QPushButton *reset)
{
    start->setAccessibleDescription(QStringLiteral("Puts up the first question"));
    next->setAccessibleDescription(QStringLiteral("Puts up the next question"));
    reset->setAccessibleDescription(QStringLiteral("Clears the questions"));
}

void announce(QLabel *label)
{
    QAccessibleEvent nameChanged(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent alert(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

} // namespace valthera::look
