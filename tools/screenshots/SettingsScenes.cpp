// The settings window: the rule list, the editor with a URL filter, the application picker.
#include "Scene.h"

#include "ui/AppPickerSheet.h"
#include "ui/ApplicationIcons.h"
#include "ui/SettingsView.h"

namespace ondrel::screenshots {

namespace {

using platform::ActivationPolicy;

const QSize kWindowSize{820, 540};

rules::Rule rule(const char* name, const char* bundleID, const char* appName,
                 std::optional<std::string> pattern, const char* content, bool enabled = true)
{
    rules::Rule made;
    made.name = name;
    made.bundleID = bundleID;
    made.appDisplayName = appName;
    made.urlPattern = std::move(pattern);
    made.content = content;
    made.isEnabled = enabled;
    return made;
}

// A few rules of the kinds people write, and the applications they name.
void addExampleRules(test::UiTestContext& context)
{
    auto& workspace = context.fake.workspace();
    workspace.addRunningApplication(
        {"firefox-esr", 100, "Firefox ESR", ActivationPolicy::regular, "firefox-esr"});
    workspace.addInstalledApplication({"chromium", "Chromium", "chromium"});
    auto& store = context.ruleStore;
    store.addRule(rule("Support signature", "*", "Any Application", std::nullopt,
                       "Best regards,\nThe Example Support Team"));
    auto reply = rule("Issue reply", "firefox-esr", "Firefox ESR", "github.com",
                      "Thanks for the report! Could you attach the log from ~/.cache/app/log.txt?");
    store.addRule(reply);
    store.addRule(rule("Staging login", "chromium", "Chromium", "https://staging.example.com/",
                       "deploy-bot"));
    store.addRule(rule("Old address", "org.example.Mail", "Example Mail", std::nullopt,
                       "12 Old Street", false));
}

std::unique_ptr<QWidget> settingsView(test::UiTestContext& context)
{
    addExampleRules(context);
    return std::make_unique<ui::SettingsView>(context.context);
}

} // namespace

ONDREL_SCENE("settings-rules", "the settings window listing a few rules, nothing selected",
             kWindowSize, settingsView);

ONDREL_SCENE("settings-editor-url", "the rule editor on a rule with a URL filter", kWindowSize,
             [](test::UiTestContext& context) {
                 auto view = settingsView(context);
                 auto* settings = static_cast<ui::SettingsView*>(view.get());
                 settings->setSelection(
                     ui::SettingsView::SidebarItem::rule(context.ruleStore.rules()[1].id));
                 return view;
             });

ONDREL_SCENE("app-picker", "the application picker with running applications", QSize(),
             [](test::UiTestContext& context) -> std::unique_ptr<QWidget> {
                 auto& workspace = context.fake.workspace();
                 workspace.setRunningApplications({
                     {"firefox-esr", 100, "Firefox ESR", ActivationPolicy::regular, "firefox-esr"},
                     {"chromium", 101, "Chromium", ActivationPolicy::regular, "chromium"},
                     {"debian-xterm", 102, "XTerm", ActivationPolicy::regular, "xterm-color"},
                     {"org.gnome.Calculator", 103, "Calculator", ActivationPolicy::regular, {}},
                     {"copyq", 104, "CopyQ", ActivationPolicy::accessory, "copyq"},
                 });
                 auto* icons = new ui::ApplicationIcons(workspace);
                 auto sheet = std::make_unique<ui::AppPickerSheet>(context.fake.platform(), *icons,
                                                                   "firefox-esr");
                 icons->setParent(sheet.get());
                 return sheet;
             });

} // namespace ondrel::screenshots
