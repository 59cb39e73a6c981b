#include "HoverEffectModifier.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace ondrel::ui {

HoverEffectModifier::HoverEffectModifier(QWidget& row) : QObject(&row), m_row(row)
{
    row.installEventFilter(this);
}

bool HoverEffectModifier::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_row)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        setHovered(true);
        break;
    case QEvent::Leave:
    // A panel that closes under the pointer gets no leave event; it must not open highlighted.
    case QEvent::Hide:
        setHovered(false);
        break;
    case QEvent::Paint:
        if (m_isHovered) {
            // Painted before the row's own content, which therefore stays on top.
            QPainter painter(&m_row);
            painter.setRenderHint(QPainter::Antialiasing);
            QColor accent = m_row.palette().color(QPalette::Highlight);
            accent.setAlphaF(highlightOpacity);
            QPainterPath shape;
            shape.addRoundedRect(QRectF(m_row.rect()), cornerRadius, cornerRadius);
            painter.fillPath(shape, accent);
        }
        break;
    default:
        break;
    }
    return false;
}

void HoverEffectModifier::setHovered(bool hovered)
{
    if (hovered == m_isHovered)
        return;
    m_isHovered = hovered;
    m_row.update();
}

} // namespace ondrel::ui
