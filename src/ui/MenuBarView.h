#pragma once

#include "common/ObserverList.h"

#include <QWidget>

#include <cstddef>
#include <functional>

class QAbstractButton;
class QLabel;

namespace ondrel::rules {
class RuleStore;
}
namespace ondrel::paste {
class HotkeyCoordinator;
}

namespace ondrel::ui {

// The panel that drops down from the tray icon: the product's name, how many rules are on, the
// rule the last smart paste used, and the Settings and Quit commands. It edits nothing, and
// follows the store and the coordinator while it is open.
class MenuBarView final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int panelWidth = 280;

    /// Reads ruleStore and hotkeyCoordinator, which must outlive the view; the actions run from
    /// the "Settings..." and "Quit Ondrel" rows.
    MenuBarView(rules::RuleStore& ruleStore, paste::HotkeyCoordinator& hotkeyCoordinator,
                std::function<void()> onOpenSettings, std::function<void()> onQuit,
                QWidget* parent = nullptr);

    /// "0 active rules", "1 active rule", "12 active rules".
    static QString activeRulesText(std::size_t count);

protected:
    void changeEvent(QEvent* event) override;

private:
    void redraw();
    void paintIcons();

    rules::RuleStore& m_ruleStore;
    paste::HotkeyCoordinator& m_hotkeyCoordinator;
    QLabel* m_headerIcon;
    QLabel* m_activeRulesIcon;
    QLabel* m_activeRulesText;
    QWidget* m_lastMatchLine;
    QLabel* m_lastMatchIcon;
    QLabel* m_lastMatchText;
    QAbstractButton* m_settingsRow;
    QAbstractButton* m_quitRow;
    common::Subscription m_rulesSubscription;
    common::Subscription m_lastMatchSubscription;
};

} // namespace ondrel::ui
