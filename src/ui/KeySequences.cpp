#include "KeySequences.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "KeyboardShortcuts/SpecialKey.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

#include <array>
#include <set>
#include <utility>

namespace ondrel::ui {

namespace {

using shortcuts::ModifierFlags;
using shortcuts::SpecialKey;

constexpr std::array<std::pair<Qt::Key, SpecialKey>, 15> namedKeys{{
    {Qt::Key_Return, SpecialKey::returnKey},
    {Qt::Key_Backspace, SpecialKey::deleteKey},
    {Qt::Key_Delete, SpecialKey::deleteForward},
    {Qt::Key_End, SpecialKey::end},
    {Qt::Key_Escape, SpecialKey::escape},
    {Qt::Key_Help, SpecialKey::help},
    {Qt::Key_Home, SpecialKey::home},
    {Qt::Key_Space, SpecialKey::space},
    {Qt::Key_Tab, SpecialKey::tab},
    {Qt::Key_PageUp, SpecialKey::pageUp},
    {Qt::Key_PageDown, SpecialKey::pageDown},
    {Qt::Key_Up, SpecialKey::upArrow},
    {Qt::Key_Right, SpecialKey::rightArrow},
    {Qt::Key_Down, SpecialKey::downArrow},
    {Qt::Key_Left, SpecialKey::leftArrow},
}};

constexpr int functionKeyCount = 20;

std::optional<Qt::Key> qtKeyOf(SpecialKey special)
{
    const auto first = static_cast<int>(SpecialKey::f1);
    const auto index = static_cast<int>(special) - first;
    if (index >= 0 && index < functionKeyCount)
        return static_cast<Qt::Key>(Qt::Key_F1 + index);
    for (const auto& [key, named] : namedKeys) {
        if (named == special)
            return key;
    }
    return std::nullopt;
}

std::optional<SpecialKey> specialKeyOf(int key)
{
    if (key >= Qt::Key_F1 && key < Qt::Key_F1 + functionKeyCount)
        return static_cast<SpecialKey>(static_cast<int>(SpecialKey::f1) + key - Qt::Key_F1);
    for (const auto& [qtKey, special] : namedKeys) {
        if (qtKey == key)
            return special;
    }
    return std::nullopt;
}

ModifierFlags flagsOf(Qt::KeyboardModifiers modifiers)
{
    ModifierFlags flags;
    if (modifiers & Qt::MetaModifier)
        flags = flags | ModifierFlags::command;
    if (modifiers & Qt::ControlModifier)
        flags = flags | ModifierFlags::control;
    if (modifiers & Qt::AltModifier)
        flags = flags | ModifierFlags::option;
    if (modifiers & Qt::ShiftModifier)
        flags = flags | ModifierFlags::shift;
    return flags;
}

Qt::KeyboardModifiers qtModifiersOf(ModifierFlags flags)
{
    Qt::KeyboardModifiers modifiers;
    if (flags.contains(ModifierFlags::command))
        modifiers |= Qt::MetaModifier;
    if (flags.contains(ModifierFlags::control))
        modifiers |= Qt::ControlModifier;
    if (flags.contains(ModifierFlags::option))
        modifiers |= Qt::AltModifier;
    if (flags.contains(ModifierFlags::shift))
        modifiers |= Qt::ShiftModifier;
    return modifiers;
}

// "&Quit" -> "Quit", "Save && Close" -> "Save & Close".
QString withoutMnemonics(QString text)
{
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

std::optional<shortcuts::MenuItem> menuItemOf(const QAction& action)
{
    const QKeySequence sequence = action.shortcut();
    if (sequence.isEmpty())
        return std::nullopt;
    const QKeyCombination combination = sequence[0];
    const int key = combination.key();
    std::string keyEquivalent;
    if (const auto special = specialKeyOf(key)) {
        keyEquivalent = shortcuts::keyEquivalent(*special).value_or("");
    } else if (key < Qt::Key_Escape) {
        keyEquivalent = QString(QChar(key)).toLower().toStdString();
    }
    if (keyEquivalent.empty())
        return std::nullopt;
    return shortcuts::MenuItem(withoutMnemonics(action.text()).toStdString(), keyEquivalent,
                               flagsOf(combination.keyboardModifiers()));
}

} // namespace

std::optional<QKeySequence> keySequence(const shortcuts::Shortcut& shortcut,
                                        const shortcuts::KeyboardShortcuts& component)
{
    std::optional<Qt::Key> key;
    if (const auto special = shortcuts::specialKey(shortcut.carbonKeyCode)) {
        key = qtKeyOf(*special);
    } else if (const auto character = component.keyToCharacter(shortcut.carbonKeyCode)) {
        const QString upper = QString::fromStdString(*character).toUpper();
        if (upper.size() == 1)
            key = static_cast<Qt::Key>(upper[0].unicode());
    }
    if (!key)
        return std::nullopt;
    return QKeySequence(QKeyCombination(qtModifiersOf(shortcut.modifiers()), *key));
}

shortcuts::Menu applicationMenu()
{
    shortcuts::Menu menu;
    std::set<const QAction*> seen;
    const auto add = [&](const QAction* action) {
        if (!seen.insert(action).second)
            return;
        if (auto item = menuItemOf(*action))
            menu.items.push_back(std::move(*item));
    };
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        for (const QAction* action : window->actions())
            add(action);
        for (const QAction* action : window->findChildren<QAction*>())
            add(action);
    }
    return menu;
}

} // namespace ondrel::ui
