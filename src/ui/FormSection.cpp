#include "FormSection.h"

#include "TextStyle.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace ondrel::ui {

FormSection::FormSection(const QString& header, QWidget* parent)
    : QWidget(parent), m_layout(new QVBoxLayout(this))
{
    m_layout->setContentsMargins({});
    m_layout->setSpacing(4);
    if (!header.isEmpty()) {
        auto* title = new QLabel(header, this);
        title->setObjectName(QStringLiteral("sectionHeader"));
        applyTextStyle(*title, TextStyle::headline, TextTone::secondary);
        m_layout->addWidget(title);
    }
    auto* box = new QFrame(this);
    box->setFrameShape(QFrame::StyledPanel);
    box->setAutoFillBackground(true);
    box->setBackgroundRole(QPalette::Base);
    m_rows = new QVBoxLayout(box);
    m_layout->addWidget(box);
}

void FormSection::addRow(QWidget* row)
{
    row->setParent(m_rows->parentWidget());
    m_rows->addWidget(row);
}

QLabel* FormSection::addRow(const QString& leading, QWidget* trailing)
{
    auto* row = new QWidget(m_rows->parentWidget());
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins({});
    auto* label = new QLabel(leading, row);
    layout->addWidget(label);
    layout->addStretch();
    trailing->setParent(row);
    layout->addWidget(trailing);
    label->setBuddy(trailing);
    if (trailing->accessibleName().isEmpty())
        trailing->setAccessibleName(leading);
    m_rows->addWidget(row);
    return label;
}

QLabel* FormSection::setFooter(const QString& text)
{
    if (!m_footer) {
        m_footer = new QLabel(this);
        m_footer->setObjectName(QStringLiteral("sectionFooter"));
        m_footer->setWordWrap(true);
        applyTextStyle(*m_footer, TextStyle::caption, TextTone::secondary);
        m_layout->addWidget(m_footer);
    }
    m_footer->setText(text);
    return m_footer;
}

} // namespace ondrel::ui
