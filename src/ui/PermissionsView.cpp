#include "PermissionsView.h"

#include "FormSection.h"
#include "PermissionRow.h"

#include "paste/PermissionManager.h"

#include <QVBoxLayout>

namespace ondrel::ui {

PermissionsView::PermissionsView(UiContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("PermissionsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(16);

    auto* required = new FormSection(tr("Required Permissions"), this);
    m_accessibilityRow = new PermissionRow(
        tr("Accessibility"),
        tr("Required to simulate the paste keystroke (Ctrl+V) in other applications, and to read "
           "URLs from browsers."));
    m_accessibilityRow->setObjectName(QStringLiteral("accessibilityPermission"));
    required->addRow(m_accessibilityRow);
    required->setFooter(tr("Ondrel cannot paste without Accessibility access. After granting it, "
                           "you may need to restart browsers that were already open."));
    layout->addWidget(required);

    auto* browsers = new FormSection(tr("Browser Integration"), this);
    auto* urlRow = new PermissionRow(
        tr("Browser URL Access"),
        tr("Allows reading the current URL from Firefox, Chromium, Chrome, Brave, Edge, Vivaldi, "
           "and other browsers via the desktop's accessibility services. No browser asks for it "
           "separately."));
    urlRow->setObjectName(QStringLiteral("browserPermission"));
    browsers->addRow(urlRow);
    browsers->setFooter(tr("URL access comes with Accessibility access: there is no permission "
                           "dialog for each browser. A browser started before Accessibility "
                           "access was granted may need a restart."));
    layout->addWidget(browsers);
    layout->addStretch();

    m_subscription =
        context.permissionManager.addDidChangeObserver([this] { updateAccessibilityRow(); });
    updateAccessibilityRow();
}

PermissionsView::~PermissionsView()
{
    if (isVisible())
        m_context.permissionManager.stopPolling();
}

void PermissionsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_context.permissionManager.startPolling();
    updateAccessibilityRow();
}

void PermissionsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_context.permissionManager.stopPolling();
}

void PermissionsView::updateAccessibilityRow()
{
    paste::PermissionManager& manager = m_context.permissionManager;
    if (manager.hasAccessibility()) {
        m_accessibilityRow->showGranted();
    } else if (!manager.canGrantAccessibility()) {
        m_accessibilityRow->showNote(
            tr("This display does not offer the XTEST extension, so no setting can grant it "
               "here."));
    } else {
        m_accessibilityRow->showAction(paste::PermissionManager::grantButton, [this] {
            m_context.permissionManager.requestAccessibility();
        });
    }
}

} // namespace ondrel::ui
