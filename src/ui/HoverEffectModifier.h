#pragma once

#include <QObject>

class QWidget;

namespace ondrel::ui {

// The hover highlight of one clickable row: while the pointer is inside the row, the accent
// colour at 15 % fills it behind its content, in a rectangle with rounded corners. Only the
// row it decorates redraws when the pointer comes or goes. Owned by that row.
class HoverEffectModifier final : public QObject
{
    Q_OBJECT

public:
    static constexpr qreal highlightOpacity = 0.15;
    static constexpr qreal cornerRadius = 6;

    /// Decorates row; false until the pointer enters it.
    explicit HoverEffectModifier(QWidget& row);

    /// True exactly while the pointer is inside the row.
    bool isHovered() const { return m_isHovered; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setHovered(bool hovered);

    QWidget& m_row;
    bool m_isHovered = false;
};

} // namespace ondrel::ui
