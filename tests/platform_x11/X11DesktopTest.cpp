// End-to-end tests of the X11 backend on a real X server with real programs. Run through
// tests/e2e/run-in-desktop.sh, which provides the display, a window manager and a
// temporary HOME.
#include "DesktopTestSupport.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Hotkeys.h"
#include "platform/x11/X11KeyboardEvents.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11Keymap.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>

namespace ondrel::platform::x11 {
namespace {

using namespace std::chrono_literals;
using test::BackgroundProcess;
using test::runProcess;
using test::spinFor;
using test::spinUntil;

std::shared_ptr<X11Connection> g_connection;

std::vector<std::byte> bytes(const QByteArray& data)
{
    const auto* begin = reinterpret_cast<const std::byte*>(data.constData());
    return {begin, begin + data.size()};
}

QByteArray toQByteArray(const std::vector<std::byte>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()),
                      static_cast<qsizetype>(data.size()));
}

QByteArray md5(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

// What another program sees on the clipboard: every target xclip lists and its bytes.
std::map<std::string, QByteArray> clipboardSeenByXclip()
{
    std::map<std::string, QByteArray> seen;
    const auto targets = runProcess("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    if (targets.exitCode != 0)
        return seen;
    for (const auto& line : targets.output.split('\n')) {
        const auto target = line.trimmed().toStdString();
        if (target.empty() || target == "TARGETS" || target == "TIMESTAMP" || target == "MULTIPLE")
            continue;
        seen[target] = runProcess("xclip", {"-o", "-selection", "clipboard", "-t",
                                            QString::fromStdString(target)})
                           .output;
    }
    return seen;
}

// Puts data on the clipboard with xclip, which then owns it until someone else does.
std::unique_ptr<BackgroundProcess> xclipOwning(const QString& file, const QString& type = {})
{
    // -quiet keeps xclip in the foreground: without it xclip forks, and the child would go on
    // owning the clipboard into the next test after this process is gone.
    QStringList arguments{"-quiet", "-selection", "clipboard", "-i", file};
    if (!type.isEmpty())
        arguments << "-t" << type;
    auto owner = std::make_unique<BackgroundProcess>("xclip", arguments);
    X11Pasteboard probe(g_connection);
    spinUntil([&] { return !probe.items().empty(); }, 5s);
    return owner;
}

// Starts a zenity entry dialog and waits until it is the frontmost application, with the
// entry focused; zenity prints the entry's text when Return closes it.
bool startInFront(QProcess& zenity, X11Workspace& workspace)
{
    zenity.start("zenity", {"--entry", "--title", "paste target"});
    const bool front = spinUntil(
        [&] {
            const auto application = workspace.frontmostApplication();
            return application && application->processIdentifier == zenity.processId();
        },
        20s);
    spinFor(500ms); // let the entry take the focus
    return front;
}

class X11Desktop : public testing::Test
{
protected:
    QString writeTemporary(const QString& name, const QByteArray& data)
    {
        const auto path = m_directory.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    QTemporaryDir m_directory;
};

// --- workspace -------------------------------------------------------------------------

struct FrontmostCase
{
    const char* name;
    QString program;
    QStringList arguments;
    std::string id;
    std::chrono::seconds limit;
};

class Frontmost : public X11Desktop, public testing::WithParamInterface<FrontmostCase>
{};

TEST_P(Frontmost, IsTheActiveWindowsApplication)
{
    X11Workspace workspace(g_connection);
    auto arguments = GetParam().arguments;
    arguments.replaceInStrings("<dir>", m_directory.path());
    BackgroundProcess program(GetParam().program, arguments);
    std::optional<RunningApplication> front;
    const bool found = spinUntil(
        [&] {
            front = workspace.frontmostApplication();
            return front && front->bundleIdentifier == GetParam().id;
        },
        GetParam().limit);
    ASSERT_TRUE(found) << "frontmost: "
                       << (front ? front->bundleIdentifier.value_or("(no id)") : "(none)");
    EXPECT_GT(front->processIdentifier, 0);
    EXPECT_TRUE(front->localizedName && !front->localizedName->empty());

    const auto running = workspace.runningApplications();
    EXPECT_EQ(std::count_if(running.begin(), running.end(),
                            [&](auto& app) { return app.bundleIdentifier == GetParam().id; }),
              1);
    const auto instances = workspace.runningApplications(GetParam().id);
    ASSERT_FALSE(instances.empty());
    EXPECT_EQ(instances.front().processIdentifier, front->processIdentifier);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, Frontmost,
    testing::Values(
        FrontmostCase{"xterm", "xterm", {}, "debian-xterm", 20s},
        // zenity has no desktop entry; its window class stands in for an application ID.
        FrontmostCase{"zenity", "zenity", {"--info", "--text", "frontmost"}, "wmclass:Zenity", 20s},
        FrontmostCase{"firefox",
                      "firefox-esr",
                      {"--no-remote", "--profile", "<dir>", "about:blank"},
                      "firefox-esr",
                      90s},
        FrontmostCase{"chromium",
                      "chromium",
                      {"--no-sandbox", "--user-data-dir=<dir>", "--no-first-run",
                       "--disable-background-networking", "--disable-component-update",
                       "--disable-sync", "--disable-gpu", "about:blank"},
                      "chromium",
                      90s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(X11Desktop, NoActiveWindowMeansNoFrontmostApplication)
{
    X11Workspace workspace(g_connection);
    // No program of ours has a window now; openbox then activates nothing.
    ASSERT_TRUE(spinUntil([&] { return !workspace.frontmostApplication(); }, 10s));
    EXPECT_EQ(workspace.applicationInfo("/usr/share/applications/debian-xterm.desktop"),
              (ApplicationInfo{"debian-xterm", "XTerm", "mini.xterm"}));
}

// --- clipboard -------------------------------------------------------------------------

TEST_F(X11Desktop, TextOwnedByAnotherProgramIsSnapshottedAndRestored)
{
    const QByteArray text = "Gr\xC3\xBC\xC3\x9F"
                            "e aus xclip\n";
    auto owner = xclipOwning(writeTemporary("text", text));
    X11Pasteboard pasteboard(g_connection);
    const auto snapshot = pasteboard.items();
    ASSERT_EQ(snapshot.size(), 1u);
    const auto before = clipboardSeenByXclip();
    ASSERT_FALSE(before.empty());
    for (const auto& entry : snapshot.front())
        EXPECT_EQ(toQByteArray(entry.data), text) << entry.type;

    ASSERT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("rule text")}}));
    ASSERT_TRUE(pasteboard.writeItem(snapshot.front()));
    EXPECT_EQ(clipboardSeenByXclip(), before);

    EXPECT_TRUE(pasteboard.ownsLastWrite());
    auto newer = xclipOwning(writeTemporary("newer", "newer"));
    EXPECT_TRUE(spinUntil([&] { return !pasteboard.ownsLastWrite(); }, 5s));
}

TEST_F(X11Desktop, LargeImageRoundTripsByteExactInPieces)
{
    QByteArray image("\x89PNG\r\n\x1A\n", 8);
    image.resize(5 * 1024 * 1024);
    for (qsizetype i = 8; i < image.size(); i += 4) {
        const auto value = QRandomGenerator::global()->generate();
        std::memcpy(image.data() + i, &value, std::min<qsizetype>(4, image.size() - i));
    }
    auto owner = xclipOwning(writeTemporary("image.png", image), "image/png");
    X11Pasteboard pasteboard(g_connection);
    const auto snapshot = pasteboard.items();
    ASSERT_EQ(snapshot.size(), 1u);
    ASSERT_EQ(snapshot.front().size(), 1u);
    EXPECT_EQ(snapshot.front().front().type, "image/png");
    EXPECT_EQ(md5(toQByteArray(snapshot.front().front().data)), md5(image));

    pasteboard.clearContents();
    ASSERT_TRUE(pasteboard.writeItem(snapshot.front()));
    const auto seen = clipboardSeenByXclip();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(md5(seen.at("image/png")), md5(image));
}

TEST_F(X11Desktop, WrittenTextIsServedUnderTheTextTargetsToAnyReader)
{
    X11Pasteboard pasteboard(g_connection);
    int requests = 0;
    pasteboard.setContentRequestedHandler([&] { ++requests; });
    const QByteArray text = "caf\xC3\xA9";
    ASSERT_TRUE(pasteboard.writeItem(
        {{"text/rtf", bytes("{\\rtf1 caf\\'e9}")}, {"text/plain;charset=utf-8", bytes(text)}}));
    EXPECT_FALSE(pasteboard.contentWasRequested());

    const auto targets = runProcess("xclip", {"-o", "-selection", "clipboard", "-t", "TARGETS"});
    for (const char* target : {"text/rtf", "application/rtf", "text/plain;charset=utf-8",
                               "UTF8_STRING", "STRING", "TEXT", "text/plain", "TIMESTAMP"})
        EXPECT_TRUE(targets.output.split('\n').contains(target)) << target;
    spinFor(100ms);
    EXPECT_FALSE(pasteboard.contentWasRequested()) << "asking for the list is not pasting";

    auto read = [](const char* target) {
        return runProcess("xclip", {"-o", "-selection", "clipboard", "-t", target}).output;
    };
    EXPECT_EQ(read("UTF8_STRING"), text);
    EXPECT_EQ(read("STRING"), QByteArray("caf\xE9"));
    EXPECT_EQ(read("application/rtf"), QByteArray("{\\rtf1 caf\\'e9}"));
    spinFor(100ms);
    // Like a clipboard manager, xclip is not the window a paste keystroke goes to.
    EXPECT_FALSE(pasteboard.contentWasRequested());
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(pasteboard.items(),
              (std::vector<PasteboardItem>{{{"text/rtf", bytes("{\\rtf1 caf\\'e9}")},
                                            {"text/plain;charset=utf-8", bytes(text)}}}));

    pasteboard.clearContents();
    EXPECT_FALSE(pasteboard.contentWasRequested());
    EXPECT_TRUE(pasteboard.items().empty());
    EXPECT_TRUE(clipboardSeenByXclip().empty());
}

// Owns the clipboard on its own thread and answers its first few requests (the target list,
// then the text), then no more, as a program that hangs; counts every request it gets.
class StallingOwner
{
public:
    explicit StallingOwner(int answers)
        : m_answers(answers), m_connection(xcb_connect(nullptr, nullptr), xcb_disconnect)
    {
        auto* c = m_connection.get();
        m_window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, g_connection->root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        take();
        m_thread = std::thread([this] { run(); });
    }
    ~StallingOwner()
    {
        m_stop = true;
        m_thread.join();
    }
    /// Takes the clipboard (again), as a new copy in the same program does.
    void take()
    {
        auto* c = m_connection.get();
        xcb_set_selection_owner(c, m_window, g_connection->atom("CLIPBOARD"), XCB_CURRENT_TIME);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    int requests() const { return m_requests; }

private:
    void run()
    {
        auto* c = m_connection.get();
        auto& x11 = *g_connection; // atoms only: interning is thread-safe
        while (!m_stop) {
            XcbEvent event{xcb_poll_for_event(c)};
            if (!event) {
                std::this_thread::sleep_for(1ms);
                continue;
            }
            if ((event->response_type & 0x7F) != XCB_SELECTION_REQUEST || ++m_requests > m_answers)
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
            xcb_selection_notify_event_t notify{};
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request.time;
            notify.requestor = request.requestor;
            notify.selection = request.selection;
            notify.target = request.target;
            notify.property = request.property;
            xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&notify));
            xcb_flush(c);
        }
    }

    const int m_answers;
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> m_connection;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    std::atomic<int> m_requests = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

struct StallCase
{
    const char* name;
    int answers;
    PasteboardRead read;
};

class StallingOwners : public X11Desktop, public testing::WithParamInterface<StallCase>
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

    owner.take();
    spinFor(200ms); // the news of the change reaches us through the event loop
    pasteboard.items();
    EXPECT_GT(owner.requests(), asked);
    // Taking the clipboard over still works.
    EXPECT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("mine")}}));
}

INSTANTIATE_TEST_SUITE_P(Owners, StallingOwners,
                         testing::Values(StallCase{"silent", 0, PasteboardRead::ownerSilent},
                                         StallCase{"stopsMidway", 2, PasteboardRead::interrupted}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(X11Desktop, MultipleConvertsEachPairAndRefusesUnknownTargets)
{
    X11Pasteboard pasteboard(g_connection);
    ASSERT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("multi")}}));

    // A requestor of our own making asks for two targets in one MULTIPLE request. It is a
    // bare connection: an X11Connection would hand its events to the Qt loop.
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(
        xcb_connect(nullptr, nullptr), xcb_disconnect);
    ASSERT_EQ(xcb_connection_has_error(connection.get()), 0);
    auto* c = connection.get();
    auto& x11 = *g_connection;
    const auto window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, x11.root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const auto first = x11.atom("_TEST_FIRST");
    const auto second = x11.atom("_TEST_SECOND");
    const auto pairsProperty = x11.atom("_TEST_PAIRS");
    const std::array<xcb_atom_t, 4> pairs{x11.atom("UTF8_STRING"), first, x11.atom("image/png"),
                                          second};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, pairsProperty, x11.atom("ATOM_PAIR"), 32,
                        pairs.size(), pairs.data());
    xcb_convert_selection(c, window, x11.atom("CLIPBOARD"), x11.atom("MULTIPLE"), pairsProperty,
                          XCB_CURRENT_TIME);
    xcb_flush(c);

    XcbEvent notify;
    ASSERT_TRUE(spinUntil(
        [&] {
            for (XcbEvent event{xcb_poll_for_event(c)}; event; event.reset(xcb_poll_for_event(c))) {
                if ((event->response_type & 0x7F) == XCB_SELECTION_NOTIFY)
                    notify = std::move(event);
            }
            return notify != nullptr;
        },
        5s));
    EXPECT_EQ(reinterpret_cast<xcb_selection_notify_event_t&>(*notify).property, pairsProperty);
    const auto text = x11.readProperty(window, first);
    ASSERT_TRUE(text);
    EXPECT_EQ(toQByteArray(text->data), QByteArray("multi"));
    EXPECT_EQ(x11.readCardinals(window, pairsProperty),
              (std::vector<std::uint32_t>{pairs[0], first, pairs[2], XCB_ATOM_NONE}));
}

// A clipboard manager after the freedesktop convention, on its own thread: asked to save
// the clipboard (SAVE_TARGETS), it reads the text from the owner and keeps it.
class FakeClipboardManager
{
public:
    FakeClipboardManager() : m_connection(xcb_connect(nullptr, nullptr), xcb_disconnect)
    {
        auto* c = m_connection.get();
        m_window = xcb_generate_id(c);
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, g_connection->root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &mask);
        xcb_set_selection_owner(c, m_window, g_connection->atom("CLIPBOARD_MANAGER"),
                                XCB_CURRENT_TIME);
        xcb_flush(c);
        m_thread = std::thread([this] { run(); });
    }
    ~FakeClipboardManager()
    {
        m_stop = true;
        m_thread.join();
    }
    QByteArray saved() const { return m_saved; }

private:
    XcbEvent waitFor(int type)
    {
        while (!m_stop) {
            if (XcbEvent event{xcb_poll_for_event(m_connection.get())}) {
                if ((event->response_type & 0x7F) == type)
                    return event;
                continue;
            }
            std::this_thread::sleep_for(1ms);
        }
        return nullptr;
    }

    void run()
    {
        auto* c = m_connection.get();
        auto& x11 = *g_connection; // atoms only: interning is thread-safe
        const auto request = waitFor(XCB_SELECTION_REQUEST);
        if (!request)
            return;
        const auto& save = reinterpret_cast<const xcb_selection_request_event_t&>(*request);
        const auto property = x11.atom("_TEST_SAVED");
        xcb_convert_selection(c, m_window, x11.atom("CLIPBOARD"), x11.atom("UTF8_STRING"), property,
                              XCB_CURRENT_TIME);
        xcb_flush(c);
        if (!waitFor(XCB_SELECTION_NOTIFY))
            return;
        XcbPointer<xcb_get_property_reply_t> value(xcb_get_property_reply(
            c, xcb_get_property(c, 1, m_window, property, XCB_ATOM_ANY, 0, 1 << 20), nullptr));
        if (value)
            m_saved = QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                                 xcb_get_property_value_length(value.get()));
        xcb_selection_notify_event_t done{};
        done.response_type = XCB_SELECTION_NOTIFY;
        done.time = save.time;
        done.requestor = save.requestor;
        done.selection = save.selection;
        done.target = save.target;
        done.property = save.property;
        xcb_send_event(c, 0, save.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&done));
        xcb_flush(c);
    }

    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> m_connection;
    xcb_window_t m_window = XCB_WINDOW_NONE;
    std::atomic<bool> m_stop = false;
    QByteArray m_saved;
    std::thread m_thread;
};

TEST_F(X11Desktop, OurClipboardIsHandedToAClipboardManagerWhenWeGoAway)
{
    FakeClipboardManager manager;
    {
        X11Pasteboard pasteboard(g_connection);
        ASSERT_TRUE(pasteboard.writeItem({{"text/plain;charset=utf-8", bytes("keep me")}}));
    }
    EXPECT_EQ(manager.saved(), QByteArray("keep me"));
}

// --- keystroke -------------------------------------------------------------------------

TEST_F(X11Desktop, PasteKeystrokeReachesZenityWithExactlyControlWhileShiftAndSuperAreHeld)
{
    X11Workspace workspace(g_connection);
    X11Pasteboard pasteboard(g_connection);
    X11KeyboardEvents keyboard(g_connection);
    ASSERT_TRUE(keyboard.hasXTest());

    QProcess zenity;
    ASSERT_TRUE(startInFront(zenity, workspace));

    const std::string text = "pasted by Ondrel";
    ASSERT_TRUE(pasteboard.writeItem(
        {{"text/plain;charset=utf-8", bytes(QByteArray::fromStdString(text))}}));
    ASSERT_EQ(runProcess("xdotool", {"keydown", "shift", "super"}).exitCode, 0);
    EXPECT_TRUE(keyboard.postPasteKeystroke(PasteKeystroke::standard));
    ASSERT_TRUE(spinUntil([&] { return pasteboard.contentWasRequested(); }, 5s));
    spinFor(300ms);
    ASSERT_EQ(runProcess("xdotool", {"keyup", "super", "shift"}).exitCode, 0);
    ASSERT_EQ(runProcess("xdotool", {"key", "Return"}).exitCode, 0);
    ASSERT_TRUE(spinUntil([&] { return zenity.state() == QProcess::NotRunning; }, 10s));
    EXPECT_EQ(zenity.readAllStandardOutput().trimmed().toStdString(), text);
}

// --- hotkeys and layout ----------------------------------------------------------------

constexpr std::uint32_t kKeyV = 9;
constexpr std::uint8_t kVPosition = 55;
constexpr std::uint32_t kCommandShift = 0x300;

TEST_F(X11Desktop, ACombinationAnotherClientHoldsFailsAndOursFiresOncePerPress)
{
    X11Hotkeys hotkeys(g_connection);
    X11KeyboardLayout layout(g_connection);
    std::vector<KeyEvent> events;
    hotkeys.installEventHandler([&](const KeyEvent& event) {
        events.push_back(event);
        return noErr;
    });
    hotkeys.addEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
    const HotKeyID id{0x48544B59, 1};
    HotKeyRef ref = 0;
    {
        // Another client grabs Super+Shift+V first.
        auto other = X11Connection::open();
        ASSERT_TRUE(other);
        const auto keycode = *other->keymap().keycodeForKeysym(0x76); // 'v'
        ASSERT_EQ(other->grabKey(keycode, 0x40 | 0x01), X11Connection::GrabResult::grabbed);
        EXPECT_TRUE(layout.isTakenBySystem(kKeyV, kCommandShift));
        EXPECT_EQ(hotkeys.registerEventHotKey(kKeyV, kCommandShift, id, ref), eventHotKeyExistsErr);
        EXPECT_EQ(ref, 0u);
    }
    EXPECT_FALSE(layout.isTakenBySystem(kKeyV, kCommandShift));
    ASSERT_EQ(hotkeys.registerEventHotKey(kKeyV, kCommandShift, id, ref), noErr);
    EXPECT_NE(ref, 0u);
    EXPECT_FALSE(layout.isTakenBySystem(kKeyV, kCommandShift)) << "our own grab is not taken";

    ASSERT_EQ(runProcess("xdotool", {"key", "super+shift+v"}).exitCode, 0);
    ASSERT_TRUE(spinUntil([&] { return events.size() >= 2; }, 3s));
    spinFor(200ms);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, KeyEventKind::hotKeyPressed);
    EXPECT_EQ(events[0].hotKeyID, id);
    EXPECT_EQ(events[1].kind, KeyEventKind::hotKeyReleased);
    EXPECT_EQ(events[1].hotKeyID, id);

    // With Num Lock on the same combination still fires; with the kinds removed nothing does.
    events.clear();
    ASSERT_EQ(runProcess("xdotool", {"key", "Num_Lock", "super+shift+v", "Num_Lock"}).exitCode, 0);
    ASSERT_TRUE(spinUntil([&] { return events.size() >= 2; }, 3s));
    hotkeys.removeEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
    events.clear();
    ASSERT_EQ(runProcess("xdotool", {"key", "super+shift+v"}).exitCode, 0);
    spinFor(300ms);
    EXPECT_TRUE(events.empty());

    // A key held long enough to repeat is still one press.
    hotkeys.addEventTypes({KeyEventKind::hotKeyPressed, KeyEventKind::hotKeyReleased});
    ASSERT_EQ(runProcess("xdotool", {"keydown", "super+shift+v"}).exitCode, 0);
    spinFor(1200ms);
    ASSERT_EQ(runProcess("xdotool", {"keyup", "v", "shift", "super"}).exitCode, 0);
    ASSERT_TRUE(spinUntil([&] { return events.size() >= 2; }, 3s));
    spinFor(200ms);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, KeyEventKind::hotKeyPressed);
    EXPECT_EQ(events[1].kind, KeyEventKind::hotKeyReleased);

    EXPECT_EQ(hotkeys.unregisterEventHotKey(ref), noErr);
    EXPECT_EQ(hotkeys.unregisterEventHotKey(ref), eventHotKeyInvalidErr);
}

TEST_F(X11Desktop, KeyPositionsTypeTheCharactersOfTheCurrentLayout)
{
    X11KeyboardLayout layout(g_connection);
    EXPECT_EQ(layout.characterForKeyCode(0), "a");
    EXPECT_EQ(layout.characterForKeyCode(9), "v");
    EXPECT_EQ(layout.characterForKeyCode(0x12), "1");
    EXPECT_EQ(layout.characterForKeyCode(0x2B), ",");
    EXPECT_EQ(layout.characterForKeyCode(36), std::nullopt);   // Return
    EXPECT_EQ(layout.characterForKeyCode(0x3F), std::nullopt); // fn
    EXPECT_TRUE(layout.systemShortcuts().empty());
}

TEST_F(X11Desktop, AfterALayoutChangeKeysKeepTheirPositionsAndTheHotkeyKeepsWorking)
{
    X11Hotkeys hotkeys(g_connection);
    X11KeyboardLayout layout(g_connection);
    int presses = 0;
    hotkeys.installEventHandler([&](const KeyEvent& event) {
        presses += event.kind == KeyEventKind::hotKeyPressed;
        return noErr;
    });
    hotkeys.addEventTypes({KeyEventKind::hotKeyPressed});
    HotKeyRef ref = 0;
    ASSERT_EQ(hotkeys.registerEventHotKey(kKeyV, kCommandShift, {1, 2}, ref), noErr);

    // Dvorak types "k" at the V position and puts "v" where "." is on US keyboards.
    ASSERT_EQ(runProcess("setxkbmap", {"us", "-variant", "dvorak"}).exitCode, 0);
    EXPECT_TRUE(spinUntil([&] { return layout.characterForKeyCode(kKeyV) == "k"; }, 3s));
    EXPECT_EQ(layout.characterForKeyCode(0x2F), "v");
    EXPECT_EQ(g_connection->keymap().keycodeForKeysym(0x76), 60);

    // The shortcut stays on its key: Super+Shift+<the key at V> fires, whatever it types.
    ASSERT_EQ(runProcess("xdotool", {"key", "super+shift+k"}).exitCode, 0);
    EXPECT_TRUE(spinUntil([&] { return presses == 1; }, 3s));

    // A Cyrillic group names keys by the first Latin group, else by a US keyboard.
    ASSERT_EQ(runProcess("setxkbmap", {"ru,us", "-variant", ",dvorak"}).exitCode, 0);
    EXPECT_TRUE(spinUntil(
        [&] { return g_connection->keymap().keysymAt(kVPosition) == 0x6cd /* Cyrillic_em */; },
        3s));
    EXPECT_EQ(layout.characterForKeyCode(kKeyV), "k");
    ASSERT_EQ(runProcess("setxkbmap", {"ru"}).exitCode, 0);
    EXPECT_TRUE(spinUntil([&] { return layout.characterForKeyCode(kKeyV) == "v"; }, 3s));

    ASSERT_EQ(runProcess("setxkbmap", {"us"}).exitCode, 0);
    EXPECT_TRUE(spinUntil([&] { return g_connection->keymap().keysymAt(kVPosition) == 0x76; }, 3s));
    ASSERT_EQ(runProcess("xdotool", {"key", "super+shift+v"}).exitCode, 0);
    EXPECT_TRUE(spinUntil([&] { return presses == 2; }, 3s));
}

TEST_F(X11Desktop, AHotkeyPressCanPasteIntoTheFocusedWindowWhileTheKeysAreStillDown)
{
    X11Workspace workspace(g_connection);
    X11Pasteboard pasteboard(g_connection);
    X11KeyboardEvents keyboard(g_connection);
    X11Hotkeys hotkeys(g_connection);
    QProcess zenity;
    ASSERT_TRUE(startInFront(zenity, workspace));

    // What the application does on a press: put the text up and type Ctrl+V, with the
    // user's Super+Shift+V still held down.
    const QByteArray text = "from the hotkey";
    hotkeys.installEventHandler([&](const KeyEvent& event) {
        if (event.kind == KeyEventKind::hotKeyPressed) {
            pasteboard.writeItem({{"text/plain;charset=utf-8", bytes(text)}});
            keyboard.postPasteKeystroke(PasteKeystroke::standard);
        }
        return noErr;
    });
    hotkeys.addEventTypes({KeyEventKind::hotKeyPressed});
    HotKeyRef ref = 0;
    ASSERT_EQ(hotkeys.registerEventHotKey(kKeyV, kCommandShift, {1, 3}, ref), noErr);
    ASSERT_EQ(runProcess("xdotool", {"keydown", "super+shift+v"}).exitCode, 0);
    EXPECT_TRUE(spinUntil([&] { return pasteboard.contentWasRequested(); }, 5s));
    spinFor(300ms);
    ASSERT_EQ(runProcess("xdotool", {"keyup", "v", "shift", "super"}).exitCode, 0);
    ASSERT_EQ(runProcess("xdotool", {"key", "Return"}).exitCode, 0);
    ASSERT_TRUE(spinUntil([&] { return zenity.state() == QProcess::NotRunning; }, 10s));
    EXPECT_EQ(zenity.readAllStandardOutput().trimmed(), text);
}

} // namespace
} // namespace ondrel::platform::x11

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    ondrel::platform::x11::g_connection = ondrel::platform::x11::X11Connection::open();
    if (!ondrel::platform::x11::g_connection) {
        fprintf(stderr, "no X server (run through tests/e2e/run-in-desktop.sh)\n");
        return 1;
    }
    const int result = RUN_ALL_TESTS();
    ondrel::platform::x11::g_connection.reset();
    return result;
}
