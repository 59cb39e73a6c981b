#pragma once

#include "UiContext.h"

#include <QWidget>

namespace ondrel::ui {

// The Permissions pane: whether Ondrel may synthesise the paste keystroke, and how to allow it.
class PermissionsView final : public QWidget
{
    Q_OBJECT

public:
    explicit PermissionsView(UiContext& context, QWidget* parent = nullptr);

private:
    UiContext& m_context;
};

} // namespace ondrel::ui
