#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace ondrel::ui {

// The semantic text styles the interface is described in, mapped onto the application font and
// palette, so the whole window follows the desktop's font size and light or dark scheme.
enum class TextStyle
{
    body,
    headline,
    subheadline,
    caption
};
enum class TextTone
{
    primary,
    secondary,
    tertiary
};

/// The font of a semantic text style, derived from the application's default font.
QFont styledFont(TextStyle style);

/// The text colour of a tone on widget's palette (secondary and tertiary are dimmed).
QColor toneColor(const QWidget& widget, TextTone tone);

/// Sets widget's font and text colour to a style and tone.
void applyTextStyle(QWidget& widget, TextStyle style, TextTone tone = TextTone::primary);

// Colours that carry meaning (granted, missing, a warning, the support heart).
namespace AccentColor {
inline const QColor green{0x34, 0xC7, 0x59};
inline const QColor red{0xFF, 0x3B, 0x30};
inline const QColor orange{0xFF, 0x95, 0x00};
inline const QColor pink{0xFF, 0x2D, 0x55};
} // namespace AccentColor

/// Sets widget's text colour, keeping its font.
void setTextColor(QWidget& widget, const QColor& color);

} // namespace ondrel::ui
