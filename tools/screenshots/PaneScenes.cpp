// The settings window on its General and Permissions panes.
#include "Scene.h"

#include "ui/SettingsView.h"

namespace ondrel::screenshots {

namespace {

const QSize kWindowSize{820, 540};

std::unique_ptr<QWidget> settingsOn(test::UiTestContext& context,
                                    ui::SettingsView::SidebarItem item)
{
    // The default shortcut stored, as after the first launch.
    paste::HotkeyCoordinator::smartPasteName(context.keyboardShortcuts);
    auto view = std::make_unique<ui::SettingsView>(context.context);
    view->setSelection(item);
    return view;
}

std::unique_ptr<QWidget> permissions(test::UiTestContext& context, bool trusted)
{
    context.fake.accessibility().setTrusted(trusted);
    context.permissionManager.refreshAccessibility();
    return settingsOn(context, ui::SettingsView::SidebarItem::permissions());
}

} // namespace

ONDREL_SCENE("settings-general",
             "the General pane: shortcut recorder, login switch, about, support", kWindowSize,
             [](test::UiTestContext& context) {
                 return settingsOn(context, ui::SettingsView::SidebarItem::general());
             });

ONDREL_SCENE("settings-permissions-missing", "the Permissions pane before Accessibility is on",
             kWindowSize, [](test::UiTestContext& context) { return permissions(context, false); });

ONDREL_SCENE("settings-permissions-granted", "the Permissions pane with Accessibility on",
             kWindowSize, [](test::UiTestContext& context) { return permissions(context, true); });

} // namespace ondrel::screenshots
