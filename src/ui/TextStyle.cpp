#include "TextStyle.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace ondrel::ui {

QFont styledFont(TextStyle style)
{
    QFont font = QApplication::font();
    const qreal base = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    switch (style) {
    case TextStyle::body:
        break;
    case TextStyle::headline:
        font.setWeight(QFont::DemiBold);
        break;
    case TextStyle::subheadline:
        font.setPointSizeF(base * 0.92);
        break;
    case TextStyle::caption:
        font.setPointSizeF(base * 0.85);
        break;
    }
    return font;
}

QColor toneColor(const QWidget& widget, TextTone tone)
{
    // The application palette, not the widget's own: a widget styled once keeps its tone when
    // styled again.
    QColor color = QApplication::palette(&widget).color(QPalette::WindowText);
    switch (tone) {
    case TextTone::primary:
        break;
    case TextTone::secondary:
        color.setAlphaF(0.62);
        break;
    case TextTone::tertiary:
        color.setAlphaF(0.38);
        break;
    }
    return color;
}

void applyTextStyle(QWidget& widget, TextStyle style, TextTone tone)
{
    widget.setFont(styledFont(style));
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, toneColor(widget, tone));
    palette.setColor(QPalette::Text, toneColor(widget, tone));
    widget.setPalette(palette);
}

void setTextColor(QWidget& widget, const QColor& color)
{
    QPalette palette = widget.palette();
    // Text as well: inside a box drawn in the base colour, labels paint with that role.
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget.setPalette(palette);
}

} // namespace ondrel::ui
