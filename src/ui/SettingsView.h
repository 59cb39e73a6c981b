#pragma once

#include "UiContext.h"

#include <QWidget>

namespace ondrel::ui {

// The settings window's content: the rule list and the panes beside the selected item's detail.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsView(UiContext& context, QWidget* parent = nullptr);

private:
    UiContext& m_context;
};

} // namespace ondrel::ui
