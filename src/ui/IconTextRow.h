#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace ondrel::ui {

// An icon beside a one-line title and, below it, an optional caption in the secondary tone; the
// trailing end may hold more. The rows of the sidebar, the editor's application and the picker.
class IconTextRow : public QWidget
{
public:
    /// iconSize and spacing (between icon and text) in device-independent pixels.
    IconTextRow(int iconSize, int spacing, QWidget* parent = nullptr);

    void setIcon(const QPixmap& pixmap);
    void setTitle(const QString& title);
    /// An empty caption hides its line.
    void setCaption(const QString& caption);
    /// Draws the texts for a selected (highlighted) background, or the normal one.
    void setHighlighted(bool highlighted);
    /// Puts widget after a flexible space at the trailing end.
    void addTrailing(QWidget* widget);

    QLabel* iconLabel() const { return m_icon; }
    QLabel* titleLabel() const { return m_title; }
    QLabel* captionLabel() const { return m_caption; }
    int iconSize() const { return m_iconSize; }

private:
    int m_iconSize;
    QHBoxLayout* m_layout;
    QLabel* m_icon;
    QLabel* m_title;
    QLabel* m_caption;
};

} // namespace ondrel::ui
