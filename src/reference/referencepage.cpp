#include "reference/referencepage.h"

#include "ui/look.h"
#include "ui/zoom.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace valthera {

namespace {

// The page's lines are painted, so nothing would reach a screen reader. This
// presents the page as a window named by its caption whose text (read-only,
// with the place of every character on screen) is the printed lines.
class PageAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PageAccessible(ReferencePage *page)
        : QAccessibleWidget(page, QAccessible::Window)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    using QAccessibleWidget::text;
    QString text(QAccessible::Text which) const override
    {
        if (which == QAccessible::Description || which == QAccessible::Value)
            return page()->text();
        return QAccessibleWidget::text(which);
    }

    QString text(int startOffset, int endOffset) const override
    {
        const QString all = page()->text();
        startOffset = std::clamp(startOffset, 0, int(all.size()));
        endOffset = std::clamp(endOffset, startOffset, int(all.size()));
        return all.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(page()->text().size()); }

    QRect characterRect(int offset) const override
    {
        const auto [line, column] = lineAndColumn(offset);
        if (line < 0)
            return {};
        const QFontMetrics metrics(page()->font());
        const QString &text = page()->lines().at(line);
        const int left = metrics.horizontalAdvance(text.left(column));
        const int width = column < text.size() ? metrics.horizontalAdvance(text.at(column)) : 1;
        const QRect local(left, page()->lineTop(line), width, page()->lineHeight());
        return QRect(page()->mapToGlobal(local.topLeft()), local.size());
    }

    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint local = page()->mapFromGlobal(point);
        const QStringList &lines = page()->lines();
        const int line = local.y() / std::max(1, page()->lineHeight());
        if (local.y() < 0 || local.x() < 0 || line >= lines.size())
            return -1;
        const QFontMetrics metrics(page()->font());
        int offset = 0;
        for (int i = 0; i < line; ++i)
            offset += int(lines.at(i).size()) + 1;
        const QString &text = lines.at(line);
        for (int column = 0; column < text.size(); ++column) {
            if (local.x() < metrics.horizontalAdvance(text.left(column + 1)))
                return offset + column;
        }
        return -1;
    }

    // Nothing on the page can be selected, edited or scrolled.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    ReferencePage *page() const { return static_cast<ReferencePage *>(widget()); }

    // Line index and column of a character offset; the line break after a line
    // counts as that line's last column. {-1, -1} outside the text.
    std::pair<int, int> lineAndColumn(int offset) const
    {
        const QStringList &lines = page()->lines();
        if (offset < 0)
            return {-1, -1};
        for (int i = 0; i < lines.size(); ++i) {
            if (offset <= lines.at(i).size())
                return {i, offset};
            offset -= int(lines.at(i).size()) + 1;
        }
        return {-1, -1};
    }
};

QAccessibleInterface *pageInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(ReferencePage::staticMetaObject.className()))
        return new PageAccessible(static_cast<ReferencePage *>(object));
    return nullptr;
}

} // namespace

ReferencePage::ReferencePage(Design design, QWidget *parent)
    : QWidget(parent)
    , design_(std::move(design))
{
    static const bool presented = (QAccessible::installFactory(&pageInterface), true);
    Q_UNUSED(presented);
    setWindowTitle(design_.caption);
    setFont(design_.font);
    look::paintBackground(this, design_.background);
    const QSize designSize = look::toPixels(design_.widthTwips, design_.heightTwips);
    look::sizeForZoom(this, designSize, 1.0);
    // The printed lines take the window's font, which the zoom scales.
    look::followZoom(this);
    connect(&look::Zoom::instance(), &look::Zoom::changed, this,
        [this, designSize](qreal, qreal previous) { look::sizeForZoom(this, designSize, previous); });
}

int ReferencePage::lineHeight() const
{
    return QFontMetrics(font()).height();
}

int ReferencePage::lineTop(int index) const
{
    return index * lineHeight();
}

bool ReferencePage::event(QEvent *event)
{
    // Becoming the active window clears the page and prints it afresh.
    if (event->type() == QEvent::WindowActivate)
        update();
    return QWidget::event(event);
}

void ReferencePage::paintEvent(QPaintEvent *)
{
    // The whole surface is cleared by the background fill; the lines are then
    // printed from the top-left corner, one text line below the other. Painting
    // every time keeps the text on display when the window is uncovered.
    QPainter painter(this);
    painter.fillRect(rect(), design_.background);
    painter.setFont(font());
    painter.setPen(design_.text);
    const QFontMetrics metrics(font());
    for (int i = 0; i < design_.lines.size(); ++i)
        painter.drawText(0, lineTop(i) + metrics.ascent(), design_.lines.at(i));
}

ReferencePage *ReferencePage::instructions()
{
    return new ReferencePage({QStringLiteral("Instructions"), 9435, 5055, look::darkBlue(), look::lightText(),
        look::sansSerif(), instructionLines()});
}

ReferencePage *ReferencePage::glossary()
{
    const QPalette palette = QApplication::palette();
    return new ReferencePage(
        {QStringLiteral("Abbreviations-Definitions-Formulas"), 9885, 8100, palette.color(QPalette::Button),
            palette.color(QPalette::ButtonText), look::arial(look::kOrdinaryPointSize, true), glossaryLines()});
}

const QStringList &ReferencePage::instructionLines()
{
    static const QStringList lines{
        QStringLiteral(" "),
        QStringLiteral("  This interactive learning module consists of five major segments"),
        QString(),
        QStringLiteral("  1.    Loop Basics that shows the main features of cardiac pressure-volume (P-V) loops"),
        QStringLiteral("  2.    Relationships between P-V loops and the pressure-time patterns of the cardiac cycle"),
        QStringLiteral("  3-5. Affects that changes in Afterload, Preload and Contractility have on P-V loop features"),
        QString(),
        QStringLiteral("  In each segment you will be able to interactively vary loop parameters and will have "),
        QStringLiteral("  the chance to answer qualitative and quantative multiple choice questions"),
        QString(),
        QStringLiteral("  A glossary of abbreviations, definitions and equations is also provided"),
        QString(),
        QStringLiteral("  Finally, you will have the opportunity to evaluate your understanding"),
        QStringLiteral("  by taking a multiple choice practice test with explanations of answers."),
        QString(),
        QStringLiteral("  To begin, we recommend that you start by clicking on Loop Basics."),
        QString(),
        QStringLiteral(" Those of you who are already familiar with the material may choose to proceed directly to"),
        QStringLiteral(
            "  the test. It and its explanations should provide you with excellent practice and preparation."),
    };
    return lines;
}

const QStringList &ReferencePage::glossaryLines()
{
    static const QString cont(33, QLatin1Char(' '));
    static const QStringList lines{
        QStringLiteral("EDV.........................  End Diastolic Volume = LV volume at the onset of systole"),
        QStringLiteral("ESV.........................  End Systolic Volume = LV volume at the end of systole "),
        QStringLiteral(
            "SV...........................  Stroke Volume = volume ejected from ventricle per beat = EDV - ESV"),
        QStringLiteral("EF...........................   Ejection Fraction = SV / EDV as fraction or percentage"),
        QStringLiteral("LVP.........................   Left ventricular Pressure (mmHg)"),
        QStringLiteral("EDP........................   End Diasolic Pressure = LVP at end of filling phase=start of "
                       "ventricle systole"),
        QStringLiteral(
            "ESP........................   End Systolic Pressure = LVP at end of systole = point 5 on the P-V loop"),
        QStringLiteral("Laplace's Law.......   Average stress = pressure x radius / wall thickness (T = Pr/w)"),
        QStringLiteral("Afterload................   Average stress that myocardial cells must overcome to shorten"),
        cont + QStringLiteral("In the intact heart is proportional to aortic diastolic pressure"),
        QStringLiteral("PIP.........................  Peak Isovolumic Pressure = maximum pressure developed by the"),
        cont + QStringLiteral("ventricle at a given EDV and contractility during isovolumic contraction"),
        cont + QStringLiteral("Increases in EDV and contractility will increase PIP"),
        QStringLiteral("PIP line..................  Shows the relationship between PIP and EDV and is also called the"),
        cont + QStringLiteral("end-systolic pressure-volume relation. ESP falls on the PIP line."),
        QStringLiteral("Preload..................  Ventricular volume at onset of ventricular systole. At the muscle"),
        cont + QStringLiteral("cell level, it is the sarcomere stretch; in the intact ventricle it is"),
        cont + QStringLiteral("best represented by EDV. Increased preload increases SV."),
        QStringLiteral(
            "Contractility............  Intrinsic contraction potential of the myocardium at a given preload."),
        cont + QStringLiteral("The slope of the PIP line increases with an increase in contractility."),
        QStringLiteral("Pulse Pressure......  Difference between systolic and diastolic pressures."),
        QStringLiteral("Stroke Work...........  Mechanical work done by the heart per beat = SV x MAP"),
        QStringLiteral("Frank-Starling .......  Mechanism whereby SV increases with increasing EDV (preload)"),
        QStringLiteral("MAP ......................  Mean Aortic Pressure = diastolic pressure + 1/3 pulse pressure"),
        QStringLiteral("TPR ......................  Total Peripheral Resistance. MAP = Cardiac Output x TPR"),
        QStringLiteral("Inotropy ................. e.g. Positive inotropic agent is one that increases contractility"),
        QStringLiteral("CO ........................  Cardiac Output=volume output of heart per minute = SV x HR"),
        QStringLiteral("HR ........................  Heart Rate = number of cardiac beats per minute"),
        QStringLiteral("Systole ................   Intervel during which ventricle is contracting"),
        QStringLiteral("Diastole ..............    Interval during which ventricle is relaxing"),
        QStringLiteral(
            "Diastolic P ..........   Diastolic pressure in aorta is its minimum value during the cardiac cycle"),
        QStringLiteral(
            "Systolic P ...........   Systolic pressure in aorta is its maximum value during the cardiac cycle"),
    };
    return lines;
}

} // namespace valthera
