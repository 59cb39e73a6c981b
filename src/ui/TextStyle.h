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

} // namespace ondrel::ui
