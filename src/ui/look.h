#pragma once
// The common look of every window: colours, fonts and the twips-to-pixels rule.
// Positions in this program are kept in twips (1/1440 inch), as the layouts were
// designed; at 96 dpi that is 15 twips to a device-independent pixel.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>

class QWidget;
class QLabel;
class QAbstractButton;

namespace valthera::look {

inline constexpr int kTwipsPerPixel = 15;

// A rectangle in twips: left, top, width, height.
struct Place {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

int px(int twips);
QRect toPixels(const Place &place);
QSize toPixels(int widthTwips, int heightTwips);

// Places a control at a place in twips, at the program's zoom, and keeps the
// place so the control follows later zoom changes (see ui/zoom.h).
void place(QWidget *widget, const Place &twips);

// Colours.
QColor windowBlue(); // window background, RGB 0,0,255
QColor darkBlue(); // lists, text areas, instruction labels, RGB 0,0,192
QColor startGreen(); // "Start Questions", RGB 0,255,0
QColor nextYellow(); // "Next Question", RGB 255,255,128
QColor lightText(); // text on blue: the palette's highlighted-text colour

// Fonts. The screens were drawn for bold MS Sans Serif 9.75 pt; where that
// font is missing a metric-close sans serif stands in (see installFonts()).
inline constexpr double kOrdinaryPointSize = 9.75;
QFont sansSerif(double pointSize = kOrdinaryPointSize, bool bold = true);
QFont arial(double pointSize, bool bold = false);

// Registers the substitutes for the design fonts and the application style.
// Called once, before the first window is made.
void installApplicationLook();

// Window background colour for a top-level window or a client area.
void paintBackground(QWidget *widget, const QColor &colour);

// Dark-blue box with white text, used by lists, text areas and instruction labels.
// textRole names the system colour of the text (highlighted text is white in the
// usual scheme; some question lists use the window-background colour instead).
void styleDarkBox(QWidget *widget, QPalette::ColorRole textRole = QPalette::HighlightedText);

// A label on the blue window, text in the system's highlighted-text colour.
void styleBlueLabel(QLabel *label);

// A button with a coloured face; an invalid colour keeps the standard face.
void styleButton(QAbstractButton *button, const QColor &face = {});

} // namespace valthera::look
