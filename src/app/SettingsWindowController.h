#pragma once

#include <QWidget>

#include <memory>

namespace ondrel::ui {
struct UiContext;
}

namespace ondrel::app {

// Owns the settings window: built once, 820 by 540 and not resizable, centred when it is built
// and kept for the life of the process, so closing only hides it and the next opening shows it
// as it was left (the same rule selected).
class SettingsWindowController final
{
public:
    static constexpr int windowWidth = 820;
    static constexpr int windowHeight = 540;

    /// Builds the window around the settings content for context; does not show it.
    explicit SettingsWindowController(ui::UiContext& context);

    /// The settings window.
    QWidget& window() { return *m_window; }
    /// Shows the window (restored if minimised), raises it and asks for the keyboard focus.
    void showWindow();

private:
    std::unique_ptr<QWidget> m_window;
};

} // namespace ondrel::app
