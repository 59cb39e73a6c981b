#pragma once

#include "UiContext.h"

#include "common/ObserverList.h"
#include "rules/Uuid.h"

#include <QWidget>

#include <optional>

class QAction;
class QListWidget;
class QListWidgetItem;
class QTimer;
class QToolBar;
class QVBoxLayout;

namespace ondrel::ui {

class ApplicationIcons;
class RuleEditorView;

// The settings window's content: a toolbar, the sidebar listing the rules and the two settings
// panes, and the detail of whatever the sidebar has selected.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    // What the sidebar can select: one rule (by ID), the General pane or the Permissions pane.
    struct SidebarItem
    {
        enum class Kind
        {
            rule,
            general,
            permissions
        };
        Kind kind = Kind::general;
        rules::Uuid id; // only for a rule

        static SidebarItem rule(const rules::Uuid& id) { return {Kind::rule, id}; }
        static SidebarItem general() { return {Kind::general, {}}; }
        static SidebarItem permissions() { return {Kind::permissions, {}}; }
        bool operator==(const SidebarItem&) const = default;
        auto operator<=>(const SidebarItem&) const = default;
    };

    /// Starts with nothing selected.
    explicit SettingsView(UiContext& context, QWidget* parent = nullptr);
    ~SettingsView() override;

    const std::optional<SidebarItem>& selection() const { return m_selection; }
    /// Selects item (none: nothing) and shows its detail.
    void setSelection(std::optional<SidebarItem> item);
    /// Appends a new rule with the default values and selects it.
    void addRule();
    /// Removes every rule with id and clears the selection (the editor's delete action).
    void deleteRule(const rules::Uuid& id);

    /// The detail shown now: an editor, a pane or the placeholder.
    QWidget* detail() const { return m_detail; }
    /// The editor shown now, or null.
    RuleEditorView* editor() const { return m_editor; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class DetailKind
    {
        placeholder,
        editor,
        general,
        permissions
    };

    QWidget* buildToolbar();
    QWidget* buildPlaceholder();
    void rebuildSidebar();
    void highlightSelection();
    void sidebarSelectionChanged();
    void showDetail();
    void replaceDetail(QWidget* detail, DetailKind kind);
    void refreshIcons();

    UiContext& m_context;
    ApplicationIcons* m_icons;
    std::optional<SidebarItem> m_selection;
    QToolBar* m_toolbar = nullptr;
    QAction* m_addAction = nullptr;
    QAction* m_deleteAction = nullptr;
    QListWidget* m_sidebar = nullptr;
    QVBoxLayout* m_detailLayout = nullptr;
    QWidget* m_detail = nullptr;
    DetailKind m_detailKind = DetailKind::placeholder;
    RuleEditorView* m_editor = nullptr;
    QTimer* m_iconRefresh = nullptr;
    bool m_updatingSidebar = false;
    common::Subscription m_rulesChanged;
};

} // namespace ondrel::ui
