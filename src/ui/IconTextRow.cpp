#include "IconTextRow.h"

#include "TextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace ondrel::ui {

namespace {

// One line that ends in "…" when it does not fit; text() keeps the whole text.
class ElidedLabel final : public QLabel
{
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const QString shown =
            fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
        painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
    }
};

} // namespace

IconTextRow::IconTextRow(int iconSize, int spacing, QWidget* parent)
    : QWidget(parent), m_iconSize(iconSize), m_layout(new QHBoxLayout(this)),
      m_icon(new QLabel(this)), m_title(new ElidedLabel(this)), m_caption(new ElidedLabel(this))
{
    m_layout->setSpacing(spacing);
    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(iconSize, iconSize);
    m_icon->setAlignment(Qt::AlignCenter);
    m_layout->addWidget(m_icon);

    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    m_title->setObjectName(QStringLiteral("title"));
    m_caption->setObjectName(QStringLiteral("caption"));
    applyTextStyle(*m_title, TextStyle::body);
    applyTextStyle(*m_caption, TextStyle::caption, TextTone::secondary);
    m_caption->hide();
    column->addWidget(m_title);
    column->addWidget(m_caption);
    m_layout->addLayout(column, 1);
}

void IconTextRow::setIcon(const QPixmap& pixmap)
{
    m_icon->setPixmap(pixmap);
}

void IconTextRow::setTitle(const QString& title)
{
    m_title->setText(title);
}

void IconTextRow::setCaption(const QString& caption)
{
    m_caption->setText(caption);
    m_caption->setVisible(!caption.isEmpty());
}

void IconTextRow::setHighlighted(bool highlighted)
{
    if (!highlighted) {
        applyTextStyle(*m_title, TextStyle::body);
        applyTextStyle(*m_caption, TextStyle::caption, TextTone::secondary);
        return;
    }
    const QColor text = palette().color(QPalette::HighlightedText);
    QColor caption = text;
    caption.setAlphaF(0.8f);
    for (auto [label, color] : {std::pair{m_title, text}, std::pair{m_caption, caption}}) {
        QPalette colors = label->palette();
        colors.setColor(QPalette::WindowText, color);
        label->setPalette(colors);
    }
}

void IconTextRow::addTrailing(QWidget* widget)
{
    m_layout->addWidget(widget, 0, Qt::AlignVCenter);
}

} // namespace ondrel::ui
