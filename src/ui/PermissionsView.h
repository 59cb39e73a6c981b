#pragma once

#include "UiContext.h"

#include "common/ObserverList.h"

#include <QWidget>

namespace ondrel::ui {

class PermissionRow;

// The Permissions pane: whether Ondrel may synthesise the paste keystroke, and how to allow it.
// While shown it keeps the permission manager polling, so a grant shows within one poll.
class PermissionsView final : public QWidget
{
    Q_OBJECT

public:
    explicit PermissionsView(UiContext& context, QWidget* parent = nullptr);
    ~PermissionsView() override;

    PermissionRow& accessibilityRow() { return *m_accessibilityRow; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateAccessibilityRow();

    UiContext& m_context;
    PermissionRow* m_accessibilityRow = nullptr;
    common::Subscription m_subscription;
};

} // namespace ondrel::ui
