#pragma once
// A page of fixed lines printed from the top-left corner: the instructions and
// the glossary. The page has no controls and no menu; each activation clears it
// and prints the lines again, so they are never shown twice.

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QWidget>

namespace valthera {

class ReferencePage : public QWidget {
    Q_OBJECT
public:
    struct Design {
        QString caption;
        int widthTwips = 0;
        int heightTwips = 0;
        QColor background;
        QColor text;
        QFont font;
        QStringList lines;
    };

    explicit ReferencePage(Design design, QWidget *parent = nullptr);

    static ReferencePage *instructions();
    static ReferencePage *glossary();
    static const QStringList &instructionLines();
    static const QStringList &glossaryLines();

    const QStringList &lines() const { return design_.lines; }
    // The printed lines as one text, a line break between lines: what assistive
    // technology reads, since the page has no text controls.
    QString text() const { return design_.lines.join(QLatin1Char('\n')); }
    // Top of line index (0-based) in the client area, in pixels.
    int lineTop(int index) const;
    int lineHeight() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Design design_;
};

} // namespace valthera
