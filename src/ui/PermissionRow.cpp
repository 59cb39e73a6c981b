#include "PermissionRow.h"

#include "Icons.h"
#include "TextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace ondrel::ui {

PermissionRow::PermissionRow(const QString& title, const QString& description, QWidget* parent)
    : QWidget(parent), m_icon(new QLabel(this)), m_grantedLabel(new QLabel(tr("Granted"), this)),
      m_note(new QLabel(this)), m_button(new QPushButton(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 4, 0, 4);
    row->setSpacing(14);
    row->setAlignment(Qt::AlignTop);

    auto* iconColumn = new QVBoxLayout;
    iconColumn->setContentsMargins(0, 2, 0, 0);
    iconColumn->addWidget(m_icon);
    iconColumn->addStretch();
    row->addLayout(iconColumn);

    auto* text = new QVBoxLayout;
    text->setSpacing(4);
    auto* titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("permissionTitle"));
    applyTextStyle(*titleLabel, TextStyle::headline);
    text->addWidget(titleLabel);
    auto* descriptionLabel = new QLabel(description, this);
    descriptionLabel->setWordWrap(true);
    applyTextStyle(*descriptionLabel, TextStyle::subheadline, TextTone::secondary);
    text->addWidget(descriptionLabel);

    m_grantedLabel->setObjectName(QStringLiteral("granted"));
    applyTextStyle(*m_grantedLabel, TextStyle::caption);
    setTextColor(*m_grantedLabel, AccentColor::green);
    m_grantedLabel->setContentsMargins(0, 2, 0, 0);
    text->addWidget(m_grantedLabel);

    m_note->setObjectName(QStringLiteral("note"));
    m_note->setWordWrap(true);
    applyTextStyle(*m_note, TextStyle::caption);
    setTextColor(*m_note, AccentColor::red);
    text->addWidget(m_note);

    m_button->setObjectName(QStringLiteral("permissionAction"));
    m_button->setDefault(true); // the prominent style
    QFont small = m_button->font();
    small.setPointSizeF(styledFont(TextStyle::caption).pointSizeF());
    m_button->setFont(small);
    connect(m_button, &QPushButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, 4, 0, 0);
    buttonRow->addWidget(m_button);
    buttonRow->addStretch();
    text->addLayout(buttonRow);
    text->addStretch();
    row->addLayout(text, 1);

    setAccessibleName(title);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    showGranted();
}

void PermissionRow::setIcon(const char* symbol, const QColor& color)
{
    const int size = QFontMetrics(styledFont(TextStyle::headline)).height() * 3 / 2;
    m_icon->setPixmap(tintedSymbol(QString::fromLatin1(symbol), color, size));
    m_icon->setObjectName(QString::fromLatin1(symbol));
}

void PermissionRow::showGranted()
{
    m_granted = true;
    setIcon("checkmark.circle.fill", AccentColor::green);
    m_grantedLabel->show();
    m_note->hide();
    m_button->hide();
}

void PermissionRow::showAction(const QString& buttonTitle, std::function<void()> action)
{
    m_granted = false;
    setIcon("xmark.circle.fill", AccentColor::red);
    m_grantedLabel->hide();
    m_note->hide();
    m_button->setText(buttonTitle);
    m_button->setAccessibleName(buttonTitle);
    m_action = std::move(action);
    m_button->setVisible(static_cast<bool>(m_action));
}

void PermissionRow::showNote(const QString& note)
{
    m_granted = false;
    setIcon("xmark.circle.fill", AccentColor::red);
    m_grantedLabel->hide();
    m_button->hide();
    m_note->setText(note);
    m_note->show();
}

} // namespace ondrel::ui
