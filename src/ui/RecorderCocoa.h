#pragma once

#include "LocalEventMonitor.h"
#include "UiContext.h"

#include "KeyboardShortcuts/Name.h"
#include "KeyboardShortcuts/Shortcut.h"
#include "platform/NotificationCenter.h"

#include <QLineEdit>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QKeyEvent;

namespace ondrel::platform {
struct Alert;
}

namespace ondrel::ui {

// The control in which the user records the shortcut of one name: a field showing the stored
// shortcut, with a clear button and a prompt. Focusing it (a click, or Tab) starts recording;
// the next acceptable combination is checked against the application's menus and the system,
// then stored, registered and shown. While it records, the stored shortcuts reach no action.
class RecorderCocoa final : public QLineEdit
{
    Q_OBJECT

public:
    using OnChange = std::function<void(const std::optional<shortcuts::Shortcut>&)>;

    static constexpr int minimumWidth = 130;

    RecorderCocoa(UiContext& context, shortcuts::Name name, OnChange onChange = {},
                  QWidget* parent = nullptr);
    ~RecorderCocoa() override;

    const shortcuts::Name& shortcutName() const { return m_shortcutName; }
    /// Shows another name's shortcut; a name with the same raw value changes nothing.
    void setShortcutName(const shortcuts::Name& name);
    /// True while the control records.
    bool isRecording() const { return m_eventMonitor != nullptr; }

    QSize sizeHint() const override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setStringValueFromName();
    void updateClearButton();
    void becomeFirstResponder();
    void startRecording();
    void endRecording();
    void blur();
    void textDidChange(const QString& newText);
    bool handleEvent(QObject* receiver, QEvent* event);
    bool handleKey(QKeyEvent& event);
    void storeOrAlert(const shortcuts::Shortcut& shortcut);
    int runAlert(const platform::Alert& alert);
    void postActiveStatus(bool isActive);

    UiContext& m_context;
    shortcuts::Name m_shortcutName;
    OnChange m_onChange;
    QAction* m_clearAction = nullptr;
    bool m_focusRequested = false;
    std::unique_ptr<LocalEventMonitor> m_eventMonitor;
    platform::NotificationCenter::ObserverToken m_shortcutsNameChangeObserver = 0;
};

} // namespace ondrel::ui
