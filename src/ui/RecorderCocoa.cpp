#include "RecorderCocoa.h"

#include "KeySequences.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/Localization.h"
#include "KeyboardShortcuts/SpecialKey.h"
#include "platform/Alerts.h"
#include "platform/KeyboardLayout.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>

#include <utility>

namespace ondrel::ui {

namespace {

using shortcuts::KeyboardShortcuts;
using shortcuts::ModifierFlags;
using shortcuts::Shortcut;

constexpr int outsideMargin = 3;
constexpr std::int64_t escapeKeyCode = 53;
constexpr std::int64_t f12KeyCode = 111;
constexpr int forceUseButton = 1;

QString localizedText(const char* key)
{
    return QString::fromStdString(shortcuts::localized(key));
}

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

// F1 to F20 (the keys with key codes of their own) are accepted without a modifier.
bool isFunctionKey(std::int64_t keyCode)
{
    const auto special = shortcuts::specialKey(keyCode);
    return special && *special >= shortcuts::SpecialKey::f1 &&
           *special <= shortcuts::SpecialKey::f20;
}

std::uint32_t toolkitModifiers(Qt::KeyboardModifiers modifiers)
{
    std::uint32_t bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= platform::ToolkitModifier::shift;
    if (modifiers & Qt::ControlModifier)
        bits |= platform::ToolkitModifier::control;
    if (modifiers & Qt::AltModifier)
        bits |= platform::ToolkitModifier::alt;
    if (modifiers & Qt::MetaModifier)
        bits |= platform::ToolkitModifier::meta;
    return bits;
}

} // namespace

RecorderCocoa::RecorderCocoa(UiContext& context, shortcuts::Name name, OnChange onChange,
                             QWidget* parent)
    : QLineEdit(parent), m_context(context), m_shortcutName(std::move(name)),
      m_onChange(std::move(onChange))
{
    setObjectName(QStringLiteral("RecorderCocoa"));
    // Keys never edit the text: they are recorded. Read-only also keeps the caret hidden.
    setReadOnly(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAlignment(Qt::AlignCenter);
    setPlaceholderText(localizedText("record_shortcut"));
    setMinimumWidth(minimumWidth);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    QIcon clearIcon = QIcon::fromTheme(QStringLiteral("edit-clear"),
                                       style()->standardIcon(QStyle::SP_LineEditClearButton));
    m_clearAction = addAction(clearIcon, QLineEdit::TrailingPosition);
    m_clearAction->setText(tr("Clear Shortcut"));
    m_clearAction->setObjectName(QStringLiteral("clearShortcut"));
    connect(m_clearAction, &QAction::triggered, this, [this] {
        setText({});
        textDidChange(text());
    });

    setStringValueFromName();

    m_shortcutsNameChangeObserver = m_context.keyboardShortcuts.notificationCenter().addObserver(
        KeyboardShortcuts::shortcutByNameDidChange,
        [self = QPointer<RecorderCocoa>(this)](const std::string&,
                                               const platform::UserInfo& userInfo) {
            const std::string* name = platform::userInfoText(userInfo, "name");
            if (self && name && *name == self->m_shortcutName.rawValue)
                self->setStringValueFromName();
        });
}

RecorderCocoa::~RecorderCocoa()
{
    m_context.keyboardShortcuts.notificationCenter().removeObserver(m_shortcutsNameChangeObserver);
    // A recorder going away while it records must not leave the shortcuts paused.
    endRecording();
}

void RecorderCocoa::setShortcutName(const shortcuts::Name& name)
{
    if (name == m_shortcutName)
        return;
    m_shortcutName = name;
    setStringValueFromName();
}

QSize RecorderCocoa::sizeHint() const
{
    return {minimumWidth, QLineEdit::sizeHint().height()};
}

void RecorderCocoa::setStringValueFromName()
{
    const auto shortcut = m_context.keyboardShortcuts.getShortcut(m_shortcutName);
    setText(shortcut ? QString::fromStdString(m_context.keyboardShortcuts.description(*shortcut))
                     : QString());
    updateClearButton();
}

void RecorderCocoa::updateClearButton()
{
    m_clearAction->setVisible(!text().isEmpty());
}

void RecorderCocoa::becomeFirstResponder()
{
    m_focusRequested = true;
    setFocus(Qt::OtherFocusReason);
}

void RecorderCocoa::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    const bool requested = std::exchange(m_focusRequested, false);
    // A window that becomes active hands focus to its first control on its own; that must not
    // start a recording the user never asked for.
    if (event->reason() == Qt::ActiveWindowFocusReason && !requested) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (hasFocus() && !isRecording())
                    clearFocus();
            },
            Qt::QueuedConnection);
        return;
    }
    startRecording();
}

void RecorderCocoa::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    endRecording();
    // The window went to the background: coming back must not resume recording by itself.
    if (event->reason() == Qt::ActiveWindowFocusReason)
        clearFocus();
}

void RecorderCocoa::startRecording()
{
    if (isRecording())
        return;
    setPlaceholderText(localizedText("press_shortcut"));
    updateClearButton();
    m_context.keyboardShortcuts.setPaused(true);
    // Holding the keyboard outranks every other program's key grabs, so a combination the
    // desktop or another program has taken reaches us, and the conflict can be said.
    grabKeyboard();
    postActiveStatus(true);
    m_eventMonitor = std::make_unique<LocalEventMonitor>(
        std::initializer_list<QEvent::Type>{QEvent::KeyPress, QEvent::ShortcutOverride,
                                            QEvent::MouseButtonRelease},
        [self = QPointer<RecorderCocoa>(this)](QObject* receiver, QEvent* event) {
            // Gone meanwhile: nothing is left to record into.
            return self ? self->handleEvent(receiver, event) : false;
        });
    m_eventMonitor->start();
}

void RecorderCocoa::endRecording()
{
    if (!isRecording())
        return;
    m_eventMonitor.reset();
    releaseKeyboard();
    setPlaceholderText(localizedText("record_shortcut"));
    updateClearButton();
    m_context.keyboardShortcuts.setPaused(false);
    postActiveStatus(false);
}

void RecorderCocoa::blur()
{
    if (hasFocus())
        clearFocus();
    else
        endRecording();
}

void RecorderCocoa::postActiveStatus(bool isActive)
{
    m_context.keyboardShortcuts.notificationCenter().post(
        KeyboardShortcuts::recorderActiveStatusDidChange, {{"isActive", isActive}});
}

void RecorderCocoa::textDidChange(const QString& newText)
{
    if (newText.isEmpty()) {
        m_context.keyboardShortcuts.setShortcut(std::nullopt, m_shortcutName);
        if (m_onChange)
            m_onChange(std::nullopt);
    }
    updateClearButton();
    // Clearing keeps recording, so the user can type the new combination straight away.
    if (newText.isEmpty())
        becomeFirstResponder();
}

bool RecorderCocoa::handleEvent(QObject* receiver, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton)
            return false;
        const QRect area =
            rect().adjusted(-outsideMargin, -outsideMargin, outsideMargin, outsideMargin);
        if (!area.contains(mapFromGlobal(mouse->globalPosition().toPoint()))) {
            blur();
            return true;
        }
        // The clear button inside the field still works.
        return receiver != this && isAncestorOf(qobject_cast<QWidget*>(receiver));
    }
    case QEvent::ShortcutOverride:
        // Claiming the key keeps menus and in-window shortcuts from acting on it.
        event->accept();
        return false;
    case QEvent::KeyPress:
        return handleKey(*static_cast<QKeyEvent*>(event));
    default:
        return false;
    }
}

bool RecorderCocoa::handleKey(QKeyEvent& event)
{
    // Modifiers alone are part of the combination still being typed.
    if (isModifierKey(event.key()))
        return false;

    const auto stroke = m_context.platform.keyboardLayout->keyStroke(
        platform::ToolkitKeyEvent{event.key(), toolkitModifiers(event.modifiers()),
                                  event.nativeScanCode(), event.nativeModifiers()});
    const ModifierFlags flags =
        stroke ? shortcuts::modifierFlags(stroke->carbonModifiers) : ModifierFlags{};
    const bool noModifiers = (flags.rawValue & 0xFFDE0000) == 0 &&
                             (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool atMostShift = (flags.rawValue & 0xFF5C0000) == 0;

    if (noModifiers && event.key() == Qt::Key_Tab)
        return true; // focus moves on as usual, which ends recording
    if (noModifiers && stroke && stroke->keyCode == escapeKeyCode) {
        blur();
        return false;
    }
    if (noModifiers && (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete)) {
        setText({});
        textDidChange(text());
        return false;
    }
    if (!stroke || (atMostShift && !isFunctionKey(stroke->keyCode))) {
        QApplication::beep();
        return false;
    }
    storeOrAlert(Shortcut(stroke->keyCode, stroke->carbonModifiers));
    return false;
}

int RecorderCocoa::runAlert(const platform::Alert& alert)
{
    QWidget* sheetWindow = window()->isVisible() ? window() : nullptr;
    return m_context.platform.alerts->runSheet(alert, sheetWindow);
}

void RecorderCocoa::storeOrAlert(const Shortcut& shortcut)
{
    KeyboardShortcuts& component = m_context.keyboardShortcuts;
    const QPointer<RecorderCocoa> self(this);

    const shortcuts::Menu menu = applicationMenu();
    if (const auto* item = component.menuItemWithMatchingShortcut(menu, shortcut)) {
        const std::string title = item->title;
        blur();
        runAlert(platform::Alert{
            shortcuts::localizedFormat("keyboard_shortcut_used_by_menu_item", {title}),
            {},
            {},
            platform::AlertStyle::warning});
        if (self)
            becomeFirstResponder();
        return;
    }

    // F12 alone is the one combination never reported as taken by the system.
    const bool isPlainF12 = shortcut.carbonKeyCode == f12KeyCode && shortcut.carbonModifiers == 0;
    if (!isPlainF12 && component.isTakenBySystem(shortcut)) {
        blur();
        const int answer = runAlert(platform::Alert{
            shortcuts::localized("keyboard_shortcut_used_by_system"),
            shortcuts::localized("keyboard_shortcuts_can_be_changed"),
            {shortcuts::localized("ok"), shortcuts::localized("force_use_shortcut")},
            platform::AlertStyle::warning,
            0});
        if (!self)
            return;
        becomeFirstResponder();
        if (answer != forceUseButton)
            return;
    }

    setText(QString::fromStdString(component.description(shortcut)));
    updateClearButton();
    component.setShortcut(shortcut, m_shortcutName);
    if (m_onChange)
        m_onChange(shortcut);
    if (self)
        blur();
}

} // namespace ondrel::ui
