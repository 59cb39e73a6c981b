#include "GeneralSettingsView.h"

#include "FormSection.h"
#include "Icons.h"
#include "KeySequences.h"
#include "Recorder.h"
#include "TextStyle.h"

#include "KeyboardShortcuts/KeyboardShortcuts.h"
#include "paste/HotkeyCoordinator.h"
#include "platform/LoginItem.h"
#include "platform/Platform.h"
#include "rules/RuleStore.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <iostream>

namespace ondrel::ui {

namespace {

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    applyTextStyle(*label, TextStyle::caption, TextTone::secondary);
    return label;
}

shortcuts::Name smartPasteName()
{
    return shortcuts::Name(paste::HotkeyCoordinator::shortcutName,
                           paste::HotkeyCoordinator::defaultShortcut());
}

// "Super+Shift+V", the way Linux desktops name a combination in text.
QString spelledOut(const shortcuts::Shortcut& shortcut,
                   const shortcuts::KeyboardShortcuts& component)
{
    const auto sequence = keySequence(shortcut, component);
    if (!sequence)
        return QString::fromStdString(component.description(shortcut));
    const QKeyCombination combination = (*sequence)[0];
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QString text;
    if (modifiers & Qt::MetaModifier)
        text += QStringLiteral("Super+");
    if (modifiers & Qt::ShiftModifier)
        text += QStringLiteral("Shift+");
    if (modifiers & Qt::AltModifier)
        text += QStringLiteral("Alt+");
    if (modifiers & Qt::ControlModifier)
        text += QStringLiteral("Ctrl+");
    return text + QKeySequence(combination.key()).toString(QKeySequence::PortableText);
}

// The rules' folder as the user would type it: under the home folder, written with "~".
QString storageFolderText(const std::filesystem::path& rulesFile)
{
    QString folder = QString::fromStdString(rulesFile.parent_path().string());
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QStringLiteral("/") &&
        (folder == home || folder.startsWith(home + u'/')))
        folder = u'~' + folder.mid(home.size());
    return folder + u'/';
}

QString versionText()
{
    const QString version = QStringLiteral(ONDREL_VERSION);
    return version.isEmpty() ? QStringLiteral("1.0") : version;
}

} // namespace

GeneralSettingsView::GeneralSettingsView(UiContext& context, QWidget* parent)
    : QWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("GeneralSettingsView"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(16);

    // Keyboard Shortcut
    auto* shortcutSection = new FormSection(tr("Keyboard Shortcut"), this);
    m_recorder = new Recorder(context, QString(), smartPasteName());
    m_recorder->control().setAccessibleName(tr("Smart Paste hotkey"));
    shortcutSection->addRow(tr("Smart Paste hotkey"), m_recorder);
    shortcutSection->addRow(captionLabel(
        tr("Press this key combination anywhere to trigger the context-aware paste."), this));
    m_note = captionLabel({}, this);
    m_note->setObjectName(QStringLiteral("shortcutNote"));
    setTextColor(*m_note, AccentColor::orange);
    shortcutSection->addRow(m_note);
    layout->addWidget(shortcutSection);

    // Startup
    auto* startupSection = new FormSection(tr("Startup"), this);
    m_launchAtLogin = new QCheckBox(tr("Launch Ondrel at login"));
    m_launchAtLogin->setObjectName(QStringLiteral("launchAtLogin"));
    m_launchAtLogin->setAccessibleName(m_launchAtLogin->text());
    m_launchAtLogin->setChecked(context.platform.loginItem->status() ==
                                platform::LoginItemStatus::enabled);
    connect(m_launchAtLogin, &QCheckBox::toggled, this,
            [this](bool enabled) { setLaunchAtLogin(enabled); });
    startupSection->addRow(m_launchAtLogin);
    layout->addWidget(startupSection);

    // About
    auto* aboutSection = new FormSection(tr("About"), this);
    auto* version = new QLabel(versionText());
    version->setObjectName(QStringLiteral("version"));
    applyTextStyle(*version, TextStyle::body, TextTone::secondary);
    aboutSection->addRow(tr("Version"), version);
    auto* storage = new QLabel(storageFolderText(context.ruleStore.storagePath()));
    storage->setObjectName(QStringLiteral("storage"));
    storage->setTextInteractionFlags(Qt::TextSelectableByMouse);
    applyTextStyle(*storage, TextStyle::caption, TextTone::secondary);
    aboutSection->addRow(tr("Storage"), storage);
    layout->addWidget(aboutSection);

    // Support
    auto* supportSection = new FormSection(tr("Support Ondrel"), this);
    auto* link = new QPushButton;
    link->setObjectName(QStringLiteral("supportLink"));
    link->setFlat(true);
    link->setCursor(Qt::PointingHandCursor);
    link->setAccessibleName(tr("Support Ondrel"));
    auto* linkLayout = new QHBoxLayout(link);
    linkLayout->setContentsMargins(4, 2, 4, 2);
    auto* heart = new QLabel(link);
    heart->setPixmap(tintedSymbol(u"heart.fill", AccentColor::pink, 16));
    linkLayout->addWidget(heart);
    linkLayout->addWidget(new QLabel(tr("Support Ondrel"), link));
    linkLayout->addStretch();
    auto* arrow = new QLabel(link);
    arrow->setPixmap(symbolIcon(u"arrow.up.right").pixmap(12, 12));
    linkLayout->addWidget(arrow);
    link->setMinimumHeight(linkLayout->sizeHint().height());
    connect(link, &QPushButton::clicked, this,
            [this] { m_context.platform.workspace->openURL(supportUrl); });
    supportSection->addRow(link);
    supportSection->setFooter(
        tr("Enjoying Ondrel? A one-time purchase helps keep it maintained and ad-free."));
    layout->addWidget(supportSection);
    layout->addStretch();

    // The note is read again when the shortcut changes and when a recording ends (while one
    // runs, our own grabs are let go and the probe would not tell ours from another's).
    const auto reread = [self = QPointer<GeneralSettingsView>(this)](const std::string&,
                                                                     const platform::UserInfo&) {
        if (self)
            self->updateConflictNote();
    };
    platform::NotificationCenter& center = context.keyboardShortcuts.notificationCenter();
    m_observers = {
        center.addObserver(shortcuts::KeyboardShortcuts::shortcutByNameDidChange, reread),
        center.addObserver(shortcuts::KeyboardShortcuts::recorderActiveStatusDidChange, reread)};
    updateConflictNote();
}

GeneralSettingsView::~GeneralSettingsView()
{
    for (const auto token : m_observers)
        m_context.keyboardShortcuts.notificationCenter().removeObserver(token);
}

bool GeneralSettingsView::launchAtLogin() const
{
    return m_launchAtLogin->isChecked();
}

void GeneralSettingsView::setLaunchAtLogin(bool enabled)
{
    platform::LoginItem& item = *m_context.platform.loginItem;
    const auto error = enabled ? item.registerItem() : item.unregisterItem();
    if (!error)
        return;
    std::cout << "[GeneralSettings] Launch at login error: " << *error << std::endl;
    // Through the same path as a click: a switch that flips back tries once more.
    m_launchAtLogin->setChecked(item.status() == platform::LoginItemStatus::enabled);
}

void GeneralSettingsView::updateConflictNote()
{
    shortcuts::KeyboardShortcuts& component = m_context.keyboardShortcuts;
    const auto current = component.getShortcut(smartPasteName());
    const QString alternative =
        spelledOut(shortcuts::Shortcut(shortcuts::Key::v, shortcuts::ModifierFlags::command |
                                                              shortcuts::ModifierFlags::shift |
                                                              shortcuts::ModifierFlags::option),
                   component);
    // Our own registration does not count: the probe sees only other programs' grabs.
    if (current && !component.isPaused() && component.isTakenBySystem(*current)) {
        m_note->setText(tr("Note: %1 is already used by another program on this desktop, so it "
                           "cannot trigger the paste. Consider changing this shortcut to %2.")
                            .arg(spelledOut(*current, component), alternative));
        return;
    }
    m_note->setText(
        tr("Note: Desktops and window managers may keep Super combinations for themselves. If "
           "the default %1 does nothing, consider changing this shortcut to %2.")
            .arg(spelledOut(paste::HotkeyCoordinator::defaultShortcut(), component), alternative));
}

} // namespace ondrel::ui
