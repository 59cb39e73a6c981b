#pragma once

#include "PrivateBus.h"

#include <QDBusMessage>
#include <QMap>
#include <QMutex>
#include <QString>
#include <QThread>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ondrel::test {

// One accessible object of a scripted application.
struct FakeNode
{
    std::uint32_t role = 0;
    QString roleName;
    std::uint64_t states = 0;
    QString name;
    std::optional<QString> text;                    // has the Text interface
    std::optional<QMap<QString, QString>> document; // has the Document interface
    std::vector<QString> children;                  // ids of nodes of the same tree
};

// How a scripted application misbehaves, if at all. None offers the Collection interface: a
// search fails and the tree is walked (real browsers answer searches end to end).
struct FakeBehaviour
{
    bool asleep = false;    // the root has no children until its attributes are read
    int emptyAfterWake = 0; // ... nor for this many GetChildren calls after that
    QString hangOn;         // a method that is never answered
    QString exitOn;         // a method on which the application leaves the bus
    QString malformedOn;    // a method answered with a reply of the wrong form
};

// A scripted application's tree; the node with id "root" is the application itself.
struct FakeTree
{
    std::map<QString, FakeNode> nodes;
    FakeBehaviour behaviour;

    /// Adds (or replaces) a node and makes it the last child of parent (none for the root).
    FakeTree& add(const QString& id, FakeNode node, const QString& parent = {});
};

class FakeServiceObject;

// A desktop's accessibility services on a private bus, served from a thread of their own so
// the code under test may block on them: the launcher (org.a11y.Bus with its IsEnabled
// switch, answering GetAddress with the same private bus), the registry, and any number of
// scripted applications, each on its own connection. Every application's process id is this
// test process's.
class FakeAtspiDesktop
{
public:
    struct Options
    {
        bool launcher = true; // org.a11y.Bus answers
        bool registry = true; // org.a11y.atspi.Registry answers
        bool enabled = true;  // the initial IsEnabled
    };

    explicit FakeAtspiDesktop(Options options = {true, true, true});
    ~FakeAtspiDesktop();
    FakeAtspiDesktop(const FakeAtspiDesktop&) = delete;
    FakeAtspiDesktop& operator=(const FakeAtspiDesktop&) = delete;

    /// The session bus address to hand to the code under test.
    QString address() const { return m_bus.address(); }

    /// Connects an application and lists it in the registry (after those before it).
    void addApplication(FakeTree tree);
    /// Lists a bus name in the registry that nobody owns (an application that exited).
    void addVanishedApplication();
    /// Changes an application's tree while it runs.
    void update(std::size_t application, const std::function<void(FakeTree&)>& change);

    int enableRequests() const;
    /// How often an application was sent this method ("<node id>.<method>", any interface).
    int calls(std::size_t application, const QString& method) const;

private:
    friend class FakeServiceObject;

    // Both run under the lock: the launcher's and the registry's answers, and an application's.
    QDBusMessage answerDesktop(const QDBusMessage& message);
    std::optional<QDBusMessage> answerApplication(std::size_t index, const QDBusMessage& message,
                                                  bool& leave);

    struct Application
    {
        QString connectionName;
        QString service;
        FakeTree tree;
        std::unique_ptr<FakeServiceObject> object;
        std::map<QString, int> calls;
        bool woken = false;
        int emptyAnswers = 0;
    };

    PrivateBus m_bus;
    Options m_options;
    QThread m_thread;
    mutable QMutex m_mutex;
    QString m_desktopConnection;
    std::unique_ptr<FakeServiceObject> m_desktopObject;
    std::vector<std::unique_ptr<Application>> m_applications;
    std::vector<QString> m_registryServices;
    bool m_enabled = true;
    int m_enableRequests = 0;
};

} // namespace ondrel::test
