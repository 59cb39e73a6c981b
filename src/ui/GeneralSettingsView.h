#pragma once

#include "UiContext.h"

#include <QWidget>

namespace ondrel::ui {

// The General pane: the smart-paste shortcut, launch at login, version and storage.
class GeneralSettingsView final : public QWidget
{
    Q_OBJECT

public:
    explicit GeneralSettingsView(UiContext& context, QWidget* parent = nullptr);

private:
    UiContext& m_context;
};

} // namespace ondrel::ui
