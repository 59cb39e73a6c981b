#pragma once

#include "IconTextRow.h"

#include "rules/Rule.h"

class QGraphicsOpacityEffect;

namespace ondrel::ui {

class ApplicationIcons;

// The sidebar line of one rule: its application's icon, its name, and what it applies to.
// Drawn at half opacity while the rule is disabled.
class RuleSidebarRow final : public IconTextRow
{
public:
    RuleSidebarRow(const rules::Rule& rule, ApplicationIcons& icons, QWidget* parent = nullptr);

    const rules::Rule& rule() const { return m_rule; }
    /// Shows rule instead, as stored now.
    void setRule(const rules::Rule& rule);
    /// Asks for the application's icon again (it may have started or quit).
    void refreshIcon();

    /// "Any App" or the application's name, then " · " and the URL pattern when there is one.
    static QString subtitle(const rules::Rule& rule);

private:
    rules::Rule m_rule;
    ApplicationIcons& m_icons;
    QGraphicsOpacityEffect* m_opacity;
};

} // namespace ondrel::ui
