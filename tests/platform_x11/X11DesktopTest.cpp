// End-to-end tests of the X11 backend on a real X server with real programs, and the X11 side
// of the desktop contract. Run through tests/e2e/run-in-desktop.sh, which provides the display,
// a window manager and a temporary HOME.
#include "QtTestSupport.h"
#include "TestFiles.h"
#include "contract/Contracts.h"

#include "platform/freedesktop/KeyCodeMap.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Hotkeys.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/X11Modifiers.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace ondrel::platform::x11 {
namespace {

using namespace std::chrono_literals;
using test::bytes;
using test::processEventsFor;
using test::processEventsUntil;

std::shared_ptr<X11Connection> g_connection;

// Our connection, opened once and closed while the application still runs.
class X11Environment final : public testing::Environment
{
public:
    void SetUp() override
    {
        g_connection = X11Connection::open();
        ASSERT_TRUE(g_connection) << "no X server (run through tests/e2e/run-in-desktop.sh)";
    }
    void TearDown() override { g_connection.reset(); }
};
[[maybe_unused]] testing::Environment* const g_environment =
    testing::AddGlobalTestEnvironment(new X11Environment);

struct Finished
{
    int exitCode = -1; // -1: it did not end in time
    QByteArray output;
};

// Runs a program to its end while our event loop keeps serving the clipboard to it.
Finished run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000) ||
        !processEventsUntil([&] { return process.state() == QProcess::NotRunning; }, 20s)) {
        process.kill();
        process.waitForFinished(2000);
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput()};
}

void xdotool(const QStringList& arguments)
{
    EXPECT_EQ(run("xdotool", arguments).exitCode, 0) << arguments.join(' ').toStdString();
}

QByteArray readClipboard(const QString& target)
{
    return run("xclip", {"-o", "-selection", "clipboard", "-t", target}).output;
}

// A program running for the length of a test, given its input whole.
class Background
{
public:
    Background(const QString& program, const QStringList& arguments, const QByteArray& input = {})
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, arguments);
        m_process.waitForStarted(5000);
        m_process.write(input);
        while (m_process.bytesToWrite() > 0 && m_process.waitForBytesWritten(5000)) {
        }
        m_process.closeWriteChannel();
    }
    ~Background()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

private:
    QProcess m_process;
};

// Puts data on the clipboard with xclip, which then owns it until someone else does.
std::unique_ptr<Background> xclipOwning(const QByteArray& data, const QString& type = {})
{
    // -quiet keeps xclip in the foreground: without it xclip forks, and the child would go on
    // owning the clipboard into the next test after this process is gone.
    QStringList arguments{"-quiet", "-selection", "clipboard", "-i"};
    if (!type.isEmpty())
        arguments << "-t" << type;
    auto owner = std::make_unique<Background>("xclip", arguments, data);
    X11Pasteboard probe(g_connection);
    processEventsUntil([&] { return !probe.items().empty(); }, 5s);
    return owner;
}

// The backend's services, the user through xdotool, other programs through a second X
// connection and xclip, and a zenity entry dialog as the paste target.
class X11DesktopHarness final : public test::DesktopHarness
{
public:
    ~X11DesktopHarness() override { hold(0); }

    Hotkeys& hotkeys() override { return m_hotkeys; }
    KeyboardLayout& layout() override { return m_layout; }
    Pasteboard& pasteboard() override { return m_pasteboard; }
    KeyboardEvents& keyboard() override { return m_keyboard; }

    void grabElsewhere(std::uint32_t keyCode, std::uint32_t modifiers, bool grab) override
    {
        m_other.reset();
        if (!grab)
            return;
        m_other = X11Connection::open();
        ASSERT_TRUE(m_other);
        const auto keycode = freedesktop::KeyCodeMap::xKeycodeForMac(keyCode);
        const auto xModifiers = xModifiersForCarbon(modifiers, m_other->keymap().roles());
        ASSERT_TRUE(keycode && xModifiers);
        EXPECT_EQ(m_other->grabKey(*keycode, *xModifiers), X11Connection::GrabResult::grabbed);
    }
    void copyElsewhere(const std::string& text) override
    {
        m_copier = xclipOwning(QByteArray::fromStdString(text));
    }
    void hold(std::uint32_t modifiers) override
    {
        if (!m_held.isEmpty()) {
            processEventsFor(300ms); // the target takes the paste before the keys come up
            xdotool(QStringList{"keyup"} + m_held);
        }
        m_held = keyNames(modifiers);
        if (!m_held.isEmpty())
            xdotool(QStringList{"keydown"} + m_held);
    }
    void type(std::uint32_t keyCode, std::uint32_t modifiers) override
    {
        ASSERT_EQ(keyCode, 9u) << "only the V key is spelled out here";
        xdotool({"key", (keyNames(modifiers) << "v").join('+')});
    }
    // Waits until zenity is the frontmost application, then a moment for its entry to take focus.
    void openTarget() override
    {
        ASSERT_TRUE(m_keyboard.hasXTest());
        m_zenity.start("zenity", {"--entry", "--title", "paste target"});
        ASSERT_TRUE(processEventsUntil(
            [&] {
                const auto application = m_workspace.frontmostApplication();
                return application && application->processIdentifier == m_zenity.processId();
            },
            20s));
        processEventsFor(500ms);
    }
    // zenity prints the entry's text when Return closes it.
    std::string targetText() override
    {
        xdotool({"key", "Return"});
        EXPECT_TRUE(
            processEventsUntil([&] { return m_zenity.state() == QProcess::NotRunning; }, 10s));
        return m_zenity.readAllStandardOutput().trimmed().toStdString();
    }
    bool runUntil(const std::function<bool()>& done) override
    {
        return processEventsUntil(done, 5s);
    }
    void settle() override { processEventsFor(300ms); }

private:
    // The desktop contract holds Super and Shift only.
    static QStringList keyNames(std::uint32_t modifiers)
    {
        QStringList names;
        if (modifiers & CarbonModifier::command)
            names << "super";
        if (modifiers & CarbonModifier::shift)
            names << "shift";
        return names;
    }

    X11Workspace m_workspace{g_connection};
    X11Pasteboard m_pasteboard{g_connection};
    X11KeyboardEvents m_keyboard{g_connection};
    X11Hotkeys m_hotkeys{g_connection};
    X11KeyboardLayout m_layout{g_connection};
    std::shared_ptr<X11Connection> m_other;
    std::unique_ptr<Background> m_copier;
    QStringList m_held;
    QProcess m_zenity;
};

using test::DesktopContract;
INSTANTIATE_TEST_SUITE_P(
    X11, DesktopContract,
    testing::Values(test::backend<test::DesktopHarness, X11DesktopHarness>("X11")),
    test::BackendName{});

// --- workspace -------------------------------------------------------------------------

TEST(X11Desktop, NoActiveWindowMeansNoFrontmostApplication)
{
    X11Workspace workspace(g_connection);
    // No program of ours had a window yet; openbox then activates nothing. (Once one closes,
    // openbox leaves _NET_ACTIVE_WINDOW naming it: the tests that open windows come later.)
    ASSERT_TRUE(processEventsUntil([&] { return !workspace.frontmostApplication(); }, 10s));
    EXPECT_EQ(workspace.applicationInfo("/usr/share/applications/debian-xterm.desktop"),
              (ApplicationInfo{"debian-xterm", "XTerm", "mini.xterm"}));
}

// --- clipboard -------------------------------------------------------------------------

TEST(X11Desktop, LargeImageRoundTripsByteExactInPieces)
{
    QByteArray image("\x89PNG\r\n\x1A\n", 8);
    image.resize(5 * 1024 * 1024);
    for (qsizetype i = 8; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 7919 % 251); // a period no piece size is a multiple of
    auto owner = xclipOwning(image, "image/png");
    X11Pasteboard pasteboard(g_connection);
    const PasteboardItem item{{"image/png", bytes({image.constData(), std::size_t(image.size())})}};
    // Compared whole, not printed: 5 MB.
    EXPECT_TRUE(pasteboard.items() == std::vector<PasteboardItem>{item});

    pasteboard.clearContents();
    ASSERT_TRUE(pasteboard.writeItem(item));
    EXPECT_TRUE(readClipboard("image/png") == image);
}

// Another program's X connection with an input-only window of its own; what it does runs on a
// thread of its own until stopped.
class OtherClient
{
public:
    explicit OtherClient(std::uint32_t eventMask = 0)
        : m_connection(xcb_connect(nullptr, nullptr), xcb_disconnect)
    {
        window = xcb_generate_id(c());
        xcb_create_window(c(), XCB_COPY_FROM_PARENT, window, g_connection->root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                          eventMask ? XCB_CW_EVENT_MASK : 0, &eventMask);
        xcb_flush(c());
    }
    ~OtherClient() { stop(); }

    xcb_connection_t* c() const { return m_connection.get(); }
    void start(std::function<void()> body) { m_thread = std::thread(std::move(body)); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    /// The first waiting event of this type, dropping others before it; none when none waits.
    XcbEvent poll(int type)
    {
        for (XcbEvent event{xcb_poll_for_event(c())}; event; event.reset(xcb_poll_for_event(c()))) {
            if ((event->response_type & 0x7F) == type)
                return event;
        }
        return nullptr;
    }
    /// Waits on the client's thread for an event of this type; none once stopped.
    XcbEvent next(int type)
    {
        while (!m_stop) {
            if (auto event = poll(type))
                return event;
            std::this_thread::sleep_for(1ms);
        }
        return nullptr;
    }
    /// Tells the requestor its conversion is done, into property.
    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property)
    {
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(c(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
        xcb_flush(c());
    }

    xcb_window_t window = XCB_WINDOW_NONE;

private:
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> m_connection;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// Owns the clipboard and answers its first few requests (the target list, then the text), then
// no more, as a program that hangs; counts every request it gets.
class StallingOwner
{
public:
    explicit StallingOwner(int answers) : m_answers(answers)
    {
        take();
        m_client.start([this] { run(); });
    }
    ~StallingOwner() { m_client.stop(); }
    /// Takes the clipboard (again), as a new copy in the same program does.
    void take()
    {
        auto* c = m_client.c();
        xcb_set_selection_owner(c, m_client.window, g_connection->atom("CLIPBOARD"),
                                XCB_CURRENT_TIME);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    int requests() const { return m_requests; }

private:
    void run()
    {
        auto* c = m_client.c();
        auto& x11 = *g_connection; // atoms only: interning is thread-safe
        while (auto event = m_client.next(XCB_SELECTION_REQUEST)) {
            if (++m_requests > m_answers)
                continue;
            const auto& request = reinterpret_cast<const xcb_selection_request_event_t&>(*event);
            if (request.target == x11.atom("TARGETS")) {
                const std::array<xcb_atom_t, 3> targets{
                    x11.atom("TARGETS"), x11.atom("UTF8_STRING"), x11.atom("image/png")};
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                    XCB_ATOM_ATOM, 32, targets.size(), targets.data());
            } else {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                    request.target, 8, 4, "text");
            }
            m_client.notify(request, request.property);
        }
    }

    const int m_answers;
    std::atomic<int> m_requests = 0;
    OtherClient m_client;
};

struct StallCase
{
    const char* name;
    int answers;
    PasteboardRead read;
};

class StallingOwners : public testing::TestWithParam<StallCase>
{};

TEST_P(StallingOwners, AreWaitedForOnceUntilTheClipboardChangesHands)
{
    StallingOwner owner(GetParam().answers);
    X11Pasteboard pasteboard(g_connection);
    pasteboard.setTimeouts(200ms, 500ms);
    pasteboard.items();
    EXPECT_EQ(pasteboard.lastRead(), GetParam().read);
    const int asked = owner.requests();
    EXPECT_EQ(asked, GetParam().answers + 1);

    pasteboard.items();
    EXPECT_EQ(pasteboard.lastRead(), GetParam().read);
    EXPECT_EQ(owner.requests(), asked) << "asked again before the clipboard changed hands";

    // The news of the change reaches us through the event loop, later on a loaded machine.
    owner.take();
    EXPECT_TRUE(processEventsUntil(
        [&] {
            pasteboard.items();
            return owner.requests() > asked;
        },
        5s));
    // Taking the clipboard over still works.
    EXPECT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("mine")}}));
}

INSTANTIATE_TEST_SUITE_P(Owners, StallingOwners,
                         testing::Values(StallCase{"silent", 0, PasteboardRead::ownerSilent},
                                         StallCase{"stopsMidway", 2, PasteboardRead::interrupted}),
                         [](const auto& info) { return std::string(info.param.name); });

// Which targets are served is pinned by the unit tests; here they reach readers, also pair by
// pair in one MULTIPLE request, and an unknown target is refused.
TEST(X11Desktop, WrittenTextIsServedToAnyReaderAlsoPairByPair)
{
    X11Pasteboard pasteboard(g_connection);
    ASSERT_TRUE(pasteboard.writeItem({{"text/rtf", bytes("{\\rtf1 caf\\'e9}")},
                                      {"text/plain;charset=utf-8", bytes("caf\xC3\xA9")}}));
    EXPECT_EQ(readClipboard("STRING"), QByteArray("caf\xE9"));
    EXPECT_EQ(readClipboard("application/rtf"), QByteArray("{\\rtf1 caf\\'e9}"));

    // Another program asks for two targets in one MULTIPLE request.
    OtherClient requestor;
    auto& x11 = *g_connection;
    const auto first = x11.atom("_TEST_FIRST");
    const auto second = x11.atom("_TEST_SECOND");
    const auto pairsProperty = x11.atom("_TEST_PAIRS");
    const std::array<xcb_atom_t, 4> pairs{x11.atom("UTF8_STRING"), first, x11.atom("image/png"),
                                          second};
    xcb_change_property(requestor.c(), XCB_PROP_MODE_REPLACE, requestor.window, pairsProperty,
                        x11.atom("ATOM_PAIR"), 32, pairs.size(), pairs.data());
    xcb_convert_selection(requestor.c(), requestor.window, x11.atom("CLIPBOARD"),
                          x11.atom("MULTIPLE"), pairsProperty, XCB_CURRENT_TIME);
    xcb_flush(requestor.c());

    XcbEvent notify;
    ASSERT_TRUE(processEventsUntil(
        [&] { return (notify = requestor.poll(XCB_SELECTION_NOTIFY)) != nullptr; }, 5s));
    EXPECT_EQ(reinterpret_cast<xcb_selection_notify_event_t&>(*notify).property, pairsProperty);
    const auto text = x11.readProperty(requestor.window, first);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->data, bytes("caf\xC3\xA9"));
    EXPECT_EQ(x11.readCardinals(requestor.window, pairsProperty),
              (std::vector<std::uint32_t>{pairs[0], first, pairs[2], XCB_ATOM_NONE}));
    processEventsFor(100ms);
    // Like clipboard managers, these readers are not the window a paste keystroke goes to.
    EXPECT_FALSE(pasteboard.contentWasRequested());

    pasteboard.clearContents();
    EXPECT_TRUE(readClipboard("UTF8_STRING").isEmpty());
}

TEST(X11Desktop, OurClipboardIsHandedToAClipboardManagerWhenWeGoAway)
{
    // A clipboard manager after the freedesktop convention: asked to save the clipboard
    // (SAVE_TARGETS), it reads the text from the owner and keeps it.
    OtherClient manager(XCB_EVENT_MASK_PROPERTY_CHANGE);
    QByteArray saved;
    xcb_set_selection_owner(manager.c(), manager.window, g_connection->atom("CLIPBOARD_MANAGER"),
                            XCB_CURRENT_TIME);
    xcb_flush(manager.c());
    manager.start([&] {
        auto* c = manager.c();
        auto& x11 = *g_connection; // atoms only: interning is thread-safe
        const auto request = manager.next(XCB_SELECTION_REQUEST);
        if (!request)
            return;
        const auto property = x11.atom("_TEST_SAVED");
        xcb_convert_selection(c, manager.window, x11.atom("CLIPBOARD"), x11.atom("UTF8_STRING"),
                              property, XCB_CURRENT_TIME);
        xcb_flush(c);
        if (!manager.next(XCB_SELECTION_NOTIFY))
            return;
        XcbPointer<xcb_get_property_reply_t> value(xcb_get_property_reply(
            c, xcb_get_property(c, 1, manager.window, property, XCB_ATOM_ANY, 0, 1 << 20),
            nullptr));
        if (value)
            saved = QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                               xcb_get_property_value_length(value.get()));
        const auto& save = reinterpret_cast<const xcb_selection_request_event_t&>(*request);
        manager.notify(save, save.property);
    });
    {
        X11Pasteboard pasteboard(g_connection);
        ASSERT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("keep me")}}));
    }
    manager.stop();
    EXPECT_EQ(saved, QByteArray("keep me"));
}

// --- hotkeys and layout ----------------------------------------------------------------

constexpr std::uint32_t kKeyV = 9;
constexpr std::uint8_t kVPosition = 55;
constexpr std::uint32_t kCommandShift = 0x300;

// Counts the presses and releases of one hotkey, Super+Shift+V.
class HotkeyPresses
{
public:
    explicit HotkeyPresses(Hotkeys& hotkeys, std::function<void()> onPress = {})
    {
        hotkeys.installEventHandler([this, onPress = std::move(onPress)](const KeyEvent& event) {
            kinds.push_back(event.kind);
            if (onPress && event.kind == KeyEventKind::hotKeyPressed)
                onPress();
            return noErr;
        });
        hotkeys.addEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
        HotKeyRef ref = 0;
        EXPECT_EQ(hotkeys.registerEventHotKey(kKeyV, kCommandShift, {1, 2}, ref), noErr);
    }
    /// True once count events arrived, and no more came within a moment after.
    bool cameTo(std::size_t count)
    {
        const bool arrived = processEventsUntil([&] { return kinds.size() >= count; }, 3s);
        processEventsFor(200ms);
        return arrived && kinds.size() == count;
    }

    std::vector<KeyEventKind> kinds;
};

TEST(X11Desktop, WithNumLockOnOrTheKeyRepeatingAPressIsStillOnePress)
{
    X11Hotkeys hotkeys(g_connection);
    HotkeyPresses presses(hotkeys);
    xdotool({"key", "Num_Lock", "super+shift+v", "Num_Lock"});
    EXPECT_TRUE(presses.cameTo(2));

    xdotool({"keydown", "super+shift+v"});
    processEventsFor(1200ms);
    xdotool({"keyup", "v", "shift", "super"});
    ASSERT_TRUE(presses.cameTo(4));
    EXPECT_EQ(presses.kinds[2], KeyEventKind::hotKeyPressed);
    EXPECT_EQ(presses.kinds[3], KeyEventKind::hotKeyReleased);
}

// Raw input of every keyboard and pointer tells when the hotkey's modifiers are held; what the
// press is meant for is read then. Anything else pressed meanwhile ends it.
TEST(X11Desktop, HoldingTheHotkeysModifiersArmsItAndAnythingElseEndsThat)
{
    X11Hotkeys hotkeys(g_connection);
    HotkeyPresses presses(hotkeys);
    std::vector<bool> armed;
    hotkeys.setArmedObserver([&](bool now) { armed.push_back(now); });
    const auto cameTo = [&](std::vector<bool> expected) {
        return processEventsUntil([&] { return armed == expected; }, 3s);
    };

    xdotool({"keydown", "super+shift"});
    EXPECT_TRUE(cameTo({true}));
    xdotool({"key", "a"});
    EXPECT_TRUE(cameTo({true, false}));
    xdotool({"keyup", "shift"});
    xdotool({"keydown", "shift"});
    EXPECT_TRUE(cameTo({true, false, true}));
    xdotool({"click", "1"});
    EXPECT_TRUE(cameTo({true, false, true, false}));
    xdotool({"keyup", "shift", "super"});

    // The press itself keeps it; letting go ends it.
    xdotool({"keydown", "super+shift"});
    EXPECT_TRUE(cameTo({true, false, true, false, true}));
    xdotool({"key", "v"});
    EXPECT_TRUE(presses.cameTo(2));
    xdotool({"keyup", "shift", "super"});
    EXPECT_TRUE(cameTo({true, false, true, false, true, false}));
}

TEST(X11Desktop, AfterALayoutChangeKeysKeepTheirPositionsAndTheHotkeyKeepsWorking)
{
    X11Hotkeys hotkeys(g_connection);
    X11KeyboardLayout layout(g_connection);
    HotkeyPresses presses(hotkeys);

    // Dvorak types "k" at the V position and puts "v" where "." is on US keyboards.
    ASSERT_EQ(run("setxkbmap", {"us", "-variant", "dvorak"}).exitCode, 0);
    EXPECT_TRUE(processEventsUntil([&] { return layout.characterForKeyCode(kKeyV) == "k"; }, 3s));
    EXPECT_EQ(layout.characterForKeyCode(0x2F), "v");
    EXPECT_EQ(g_connection->keymap().keycodeForKeysym(0x76), 60);

    // The shortcut stays on its key: Super+Shift+<the key at V> fires, whatever it types.
    xdotool({"key", "super+shift+k"});
    EXPECT_TRUE(presses.cameTo(2));

    // A Cyrillic group names keys by the first Latin group, else by a US keyboard.
    ASSERT_EQ(run("setxkbmap", {"ru,us", "-variant", ",dvorak"}).exitCode, 0);
    EXPECT_TRUE(processEventsUntil(
        [&] { return g_connection->keymap().keysymAt(kVPosition) == 0x6cd /* Cyrillic_em */; },
        3s));
    EXPECT_EQ(layout.characterForKeyCode(kKeyV), "k");
    ASSERT_EQ(run("setxkbmap", {"ru"}).exitCode, 0);
    EXPECT_TRUE(processEventsUntil([&] { return layout.characterForKeyCode(kKeyV) == "v"; }, 3s));

    ASSERT_EQ(run("setxkbmap", {"us"}).exitCode, 0);
    EXPECT_TRUE(processEventsUntil(
        [&] { return g_connection->keymap().keysymAt(kVPosition) == 0x76; }, 3s));
    xdotool({"key", "super+shift+v"});
    EXPECT_TRUE(presses.cameTo(4));
}

// What the application does on a press: put the text up and type Ctrl+V, with the user's
// Super+Shift+V still held down (the server drops a press of a key that is already down).
TEST(X11Desktop, AHotkeyPressCanPasteIntoTheFocusedWindowWhileTheKeysAreStillDown)
{
    X11DesktopHarness desktop;
    desktop.openTarget();
    HotkeyPresses presses(desktop.hotkeys(), [&] {
        desktop.pasteboard().writeItem({{"text/plain;charset=utf-8", bytes("from the hotkey")}});
        desktop.keyboard().postPasteKeystroke(PasteKeystroke::standard);
    });
    xdotool({"keydown", "super+shift+v"});
    EXPECT_TRUE(processEventsUntil([&] { return desktop.pasteboard().contentWasRequested(); }, 5s));
    processEventsFor(300ms);
    xdotool({"keyup", "v", "shift", "super"});
    EXPECT_EQ(desktop.targetText(), "from the hotkey");
}

// zenity's and the browsers' IDs are checked end to end with the paste and the URL look-up.
TEST(X11Desktop, FrontmostIsTheActiveWindowsApplication)
{
    X11Workspace workspace(g_connection);
    Background xterm("xterm", {});
    std::optional<RunningApplication> front;
    ASSERT_TRUE(processEventsUntil(
        [&] {
            front = workspace.frontmostApplication();
            return front && front->bundleIdentifier == "debian-xterm";
        },
        20s))
        << "frontmost: " << (front ? front->bundleIdentifier.value_or("(no id)") : "(none)");
    EXPECT_TRUE(front->localizedName && !front->localizedName->empty());

    const auto running = workspace.runningApplications();
    EXPECT_EQ(std::count_if(running.begin(), running.end(),
                            [&](auto& app) { return app.bundleIdentifier == "debian-xterm"; }),
              1);
    const auto instances = workspace.runningApplications("debian-xterm");
    ASSERT_FALSE(instances.empty());
    EXPECT_EQ(instances.front().processIdentifier, front->processIdentifier);
}

} // namespace
} // namespace ondrel::platform::x11
