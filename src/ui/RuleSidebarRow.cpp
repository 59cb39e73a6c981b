#include "RuleSidebarRow.h"

#include "ApplicationIcons.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QLayout>

namespace ondrel::ui {

namespace {

constexpr int kIconSize = 20;
constexpr int kIconSpacing = 9;

} // namespace

RuleSidebarRow::RuleSidebarRow(const rules::Rule& rule, ApplicationIcons& icons, QWidget* parent)
    : IconTextRow(kIconSize, kIconSpacing, parent), m_icons(icons),
      m_opacity(new QGraphicsOpacityEffect(this))
{
    setObjectName(QStringLiteral("RuleSidebarRow"));
    layout()->setContentsMargins(0, 1, 0, 1);
    setGraphicsEffect(m_opacity);
    setRule(rule);
}

void RuleSidebarRow::setRule(const rules::Rule& rule)
{
    m_rule = rule;
    setTitle(QString::fromStdString(rule.name));
    // The caption line stays even when its text is empty (an application without a name).
    setCaption(subtitle(rule));
    captionLabel()->show();
    m_opacity->setOpacity(rule.isEnabled ? 1.0 : 0.5);
    refreshIcon();
}

void RuleSidebarRow::refreshIcon()
{
    setIcon(m_icons.pixmapFor(m_rule.bundleID, iconSize(), *this));
}

QString RuleSidebarRow::subtitle(const rules::Rule& rule)
{
    QString text = rule.bundleID == "*" ? QStringLiteral("Any App")
                                        : QString::fromStdString(rule.appDisplayName);
    if (rule.urlPattern && !rule.urlPattern->empty())
        text += QStringLiteral(" \u00B7 ") + QString::fromStdString(*rule.urlPattern);
    return text;
}

} // namespace ondrel::ui
