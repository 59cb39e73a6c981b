#include "SettingsView.h"

#include "ApplicationIcons.h"
#include "GeneralSettingsView.h"
#include "IconTextRow.h"
#include "Icons.h"
#include "PermissionsView.h"
#include "RuleEditorView.h"
#include "RuleSidebarRow.h"
#include "TextStyle.h"
#include "WidgetHelpers.h"

#include "rules/RuleStore.h"

#include "platform/Platform.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace ondrel::ui {

namespace {

constexpr int kSidebarMinimumWidth = 180;
constexpr int kSidebarWidth = 210;
constexpr int kSidebarMaximumWidth = 260;
constexpr int kPlaceholderSymbolSize = 40;
constexpr std::chrono::seconds kIconRefreshInterval{1};

// Item data: which sidebar item a row selects.
constexpr int kKindRole = Qt::UserRole;
constexpr int kRuleIdRole = Qt::UserRole + 1;

using Kind = SettingsView::SidebarItem::Kind;

std::optional<SettingsView::SidebarItem> itemOf(const QListWidgetItem* row)
{
    if (!row || !row->data(kKindRole).isValid())
        return std::nullopt;
    const auto kind = static_cast<Kind>(row->data(kKindRole).toInt());
    if (kind != Kind::rule)
        return SettingsView::SidebarItem{kind, {}};
    const auto id = rules::Uuid::fromString(row->data(kRuleIdRole).toString().toStdString());
    if (!id)
        return std::nullopt;
    return SettingsView::SidebarItem::rule(*id);
}

// Sidebar lines are widgets, so headers, rules and panes share one inset and one look.
constexpr int kLineInset = 8;

QListWidgetItem* addLine(QListWidget* list, QWidget* line, const QString& accessibleText)
{
    auto* item = new QListWidgetItem(list);
    item->setData(Qt::AccessibleTextRole, accessibleText);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    // No width of its own: the line takes the sidebar's width and elides its texts.
    item->setSizeHint(QSize(0, line->sizeHint().height()));
    list->setItemWidget(item, line);
    return item;
}

void addStaticLine(QListWidget* list, const QString& text, TextStyle style, TextTone tone,
                   int verticalPadding)
{
    auto* label = new QLabel(text, list);
    applyTextStyle(*label, style, tone);
    label->setContentsMargins(kLineInset, verticalPadding + 4, kLineInset, verticalPadding);
    addLine(list, label, text)->setFlags(Qt::NoItemFlags);
}

void addPaneLine(QListWidget* list, const QString& text, QStringView symbol, Kind kind)
{
    auto* line = new IconTextRow(20, 9, list);
    line->layout()->setContentsMargins(kLineInset, 3, kLineInset, 3);
    line->setIcon(
        tintedSymbol(symbol, toneColor(*list, TextTone::secondary), 16, list->devicePixelRatioF()));
    line->setTitle(text);
    addLine(list, line, text)->setData(kKindRole, static_cast<int>(kind));
}

} // namespace

SettingsView::SettingsView(UiContext& context, QWidget* parent)
    : QWidget(parent), m_context(context),
      m_icons(new ApplicationIcons(*context.platform.workspace, this))
{
    setObjectName(QStringLiteral("SettingsView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildToolbar());

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("settingsSplit"));
    split->setChildrenCollapsible(false);
    m_sidebar = new QListWidget(split);
    nameWidget(*m_sidebar, QStringLiteral("sidebar"), QStringLiteral("Sidebar"));
    m_sidebar->setMinimumWidth(kSidebarMinimumWidth);
    m_sidebar->setMaximumWidth(kSidebarMaximumWidth);
    m_sidebar->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setBackgroundRole(QPalette::Window);
    connect(m_sidebar, &QListWidget::itemSelectionChanged, this,
            &SettingsView::sidebarSelectionChanged);
    auto* deleteKey = new QShortcut(QKeySequence::Delete, m_sidebar);
    deleteKey->setContext(Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (m_editor)
            m_editor->confirmDelete();
    });

    auto* detailArea = new QWidget(split);
    detailArea->setObjectName(QStringLiteral("detailArea"));
    m_detailLayout = new QVBoxLayout(detailArea);
    m_detailLayout->setContentsMargins(0, 0, 0, 0);
    split->addWidget(m_sidebar);
    split->addWidget(detailArea);
    split->setStretchFactor(1, 1);
    split->setSizes({kSidebarWidth, 820 - kSidebarWidth});
    column->addWidget(split, 1);

    m_iconRefresh = new QTimer(this);
    m_iconRefresh->setInterval(kIconRefreshInterval);
    connect(m_iconRefresh, &QTimer::timeout, m_icons, &ApplicationIcons::refresh);
    connect(m_icons, &ApplicationIcons::changed, this, &SettingsView::refreshIcons);

    m_rulesChanged = m_context.ruleStore.addDidChangeObserver([this] {
        rebuildSidebar();
        showDetail();
    });
    rebuildSidebar();
    showDetail();
}

SettingsView::~SettingsView() = default;

QWidget* SettingsView::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("settingsToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_addAction = m_toolbar->addAction(symbolIcon(u"plus"), QStringLiteral("Add Rule"));
    m_addAction->setToolTip(QStringLiteral("Add Rule"));
    m_addAction->setShortcut(QKeySequence::New);
    m_addAction->setShortcutContext(Qt::WindowShortcut);
    connect(m_addAction, &QAction::triggered, this, &SettingsView::addRule);
    if (auto* button = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(m_addAction)))
        nameWidget(*button, QStringLiteral("addRuleButton"), QStringLiteral("Add Rule"));

    auto* spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);

    m_deleteAction = m_toolbar->addAction(symbolIcon(u"trash"), QStringLiteral("Delete Rule"));
    m_deleteAction->setToolTip(QStringLiteral("Delete Rule"));
    m_deleteAction->setVisible(false);
    connect(m_deleteAction, &QAction::triggered, this, [this] {
        if (m_editor)
            m_editor->confirmDelete();
    });
    if (auto* button = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(m_deleteAction)))
        nameWidget(*button, QStringLiteral("deleteRuleButton"), QStringLiteral("Delete Rule"));
    return m_toolbar;
}

QWidget* SettingsView::buildPlaceholder()
{
    auto* placeholder = new QWidget;
    placeholder->setObjectName(QStringLiteral("placeholder"));
    auto* column = new QVBoxLayout(placeholder);
    column->setSpacing(10);
    column->addStretch(1);

    auto* symbol = new QLabel(placeholder);
    symbol->setAlignment(Qt::AlignCenter);
    symbol->setPixmap(tintedSymbol(u"doc.on.clipboard", toneColor(*this, TextTone::tertiary),
                                   kPlaceholderSymbolSize, devicePixelRatioF()));
    column->addWidget(symbol);

    auto* select = new QLabel(QStringLiteral("Select a rule to edit"), placeholder);
    applyTextStyle(*select, TextStyle::body, TextTone::secondary);
    auto* create = new QLabel(QStringLiteral("Click + to create a new rule"), placeholder);
    applyTextStyle(*create, TextStyle::caption, TextTone::tertiary);
    for (auto* label : {select, create}) {
        label->setAlignment(Qt::AlignCenter);
        column->addWidget(label);
    }
    column->addStretch(1);
    return placeholder;
}

void SettingsView::rebuildSidebar()
{
    m_updatingSidebar = true;
    m_sidebar->clear();
    addStaticLine(m_sidebar, QStringLiteral("Rules"), TextStyle::caption, TextTone::secondary, 0);
    const auto& rules = m_context.ruleStore.rules();
    if (rules.empty()) {
        addStaticLine(m_sidebar, QStringLiteral("No rules yet"), TextStyle::subheadline,
                      TextTone::tertiary, 2);
    }
    for (const auto& rule : rules) {
        auto* row = new RuleSidebarRow(rule, *m_icons, m_sidebar);
        row->layout()->setContentsMargins(kLineInset, 1, kLineInset, 1);
        auto* item = addLine(m_sidebar, row, QString::fromStdString(rule.name));
        item->setData(kKindRole, static_cast<int>(Kind::rule));
        item->setData(kRuleIdRole, QString::fromStdString(rule.id.toString()));
    }
    addStaticLine(m_sidebar, QStringLiteral("Settings"), TextStyle::caption, TextTone::secondary,
                  6);
    addPaneLine(m_sidebar, QStringLiteral("General"), u"gear", Kind::general);
    addPaneLine(m_sidebar, QStringLiteral("Permissions"), u"lock.shield", Kind::permissions);
    highlightSelection();
    m_updatingSidebar = false;
}

void SettingsView::highlightSelection()
{
    const bool wasUpdating = std::exchange(m_updatingSidebar, true);
    m_sidebar->clearSelection();
    for (int index = 0; index < m_sidebar->count(); ++index) {
        QListWidgetItem* row = m_sidebar->item(index);
        const bool selected = m_selection && itemOf(row) == m_selection;
        if (selected) {
            row->setSelected(true);
            m_sidebar->setCurrentItem(row);
        }
        if (auto* line = dynamic_cast<IconTextRow*>(m_sidebar->itemWidget(row)))
            line->setHighlighted(selected);
    }
    m_updatingSidebar = wasUpdating;
}

void SettingsView::sidebarSelectionChanged()
{
    if (m_updatingSidebar)
        return;
    const auto selected = m_sidebar->selectedItems();
    if (selected.isEmpty())
        return;
    if (auto item = itemOf(selected.front()))
        setSelection(item);
}

void SettingsView::setSelection(std::optional<SidebarItem> item)
{
    m_selection = item;
    highlightSelection();
    showDetail();
}

void SettingsView::addRule()
{
    rules::Rule rule;
    const auto id = rule.id;
    m_context.ruleStore.addRule(std::move(rule));
    setSelection(SidebarItem::rule(id));
}

void SettingsView::deleteRule(const rules::Uuid& id)
{
    m_context.ruleStore.deleteRule(id);
    setSelection(std::nullopt);
}

void SettingsView::showDetail()
{
    if (!m_selection) {
        if (m_detailKind != DetailKind::placeholder || !m_detail)
            replaceDetail(buildPlaceholder(), DetailKind::placeholder);
        return;
    }
    switch (m_selection->kind) {
    case Kind::rule: {
        const auto& rules = m_context.ruleStore.rules();
        const bool exists = std::any_of(rules.begin(), rules.end(), [&](const auto& rule) {
            return rule.id == m_selection->id;
        });
        if (!exists) {
            if (m_detailKind != DetailKind::placeholder)
                replaceDetail(buildPlaceholder(), DetailKind::placeholder);
        } else if (!m_editor || m_editor->ruleID() != m_selection->id) {
            // A fresh editor per rule: unsaved edits of the previous one are dropped.
            const auto id = m_selection->id;
            replaceDetail(
                new RuleEditorView(m_context, *m_icons, id, [this, id] { deleteRule(id); }),
                DetailKind::editor);
        }
        return;
    }
    case Kind::general:
        if (m_detailKind != DetailKind::general)
            replaceDetail(new GeneralSettingsView(m_context), DetailKind::general);
        return;
    case Kind::permissions:
        if (m_detailKind != DetailKind::permissions)
            replaceDetail(new PermissionsView(m_context), DetailKind::permissions);
        return;
    }
}

void SettingsView::replaceDetail(QWidget* detail, DetailKind kind)
{
    if (m_detail) {
        // Deleted later: the old detail may be running the slot that brought us here.
        m_detail->hide();
        m_detailLayout->removeWidget(m_detail);
        m_detail->deleteLater();
    }
    m_detail = detail;
    m_detailKind = kind;
    m_editor = kind == DetailKind::editor ? static_cast<RuleEditorView*>(detail) : nullptr;
    m_detailLayout->addWidget(detail);
    // A child added to a shown widget would appear only on a later event-loop turn.
    if (isVisible())
        detail->show();
    m_deleteAction->setVisible(m_editor != nullptr);
}

void SettingsView::refreshIcons()
{
    for (int index = 0; index < m_sidebar->count(); ++index) {
        if (auto* row =
                dynamic_cast<RuleSidebarRow*>(m_sidebar->itemWidget(m_sidebar->item(index))))
            row->refreshIcon();
    }
    if (m_editor)
        m_editor->refreshApplicationIcon();
}

void SettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_icons->refresh();
    m_iconRefresh->start();
}

void SettingsView::hideEvent(QHideEvent* event)
{
    m_iconRefresh->stop();
    QWidget::hideEvent(event);
}

} // namespace ondrel::ui
