#pragma once

#include "UiContext.h"

#include "platform/NotificationCenter.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;

namespace ondrel::ui {

class Recorder;

// The General pane: the smart-paste shortcut, launch at login, version and storage, support.
class GeneralSettingsView final : public QWidget
{
    Q_OBJECT

public:
    /// The purchase page the support row opens.
    static constexpr const char* supportUrl = "https://ondrel.app/support";

    explicit GeneralSettingsView(UiContext& context, QWidget* parent = nullptr);
    ~GeneralSettingsView() override;

    /// Whether the switch says Ondrel starts at login.
    bool launchAtLogin() const;

private:
    void setLaunchAtLogin(bool enabled);
    void updateConflictNote();

    UiContext& m_context;
    Recorder* m_recorder = nullptr;
    QLabel* m_note = nullptr;
    QCheckBox* m_launchAtLogin = nullptr;
    std::array<platform::NotificationCenter::ObserverToken, 2> m_observers{};
};

} // namespace ondrel::ui
