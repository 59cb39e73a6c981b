// ondrel: the tray application. Takes no arguments; one instance per user session.
#include "AppDelegate.h"
#include "SingleInstance.h"
#include "UnixSignals.h"

#include "platform/factory/PlatformFactory.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace {

bool constructingApplication = false;

// Qt's own account of a display it cannot open is a dozen lines ending in abort(); the user
// gets one line and a plain failure status instead.
void startupMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (!constructingApplication) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return;
    }
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        std::cerr << "Ondrel needs a graphical session, and no display could be opened (DISPLAY="
                  << (display && *display ? display : "unset") << ")." << std::endl;
        std::_Exit(EXIT_FAILURE);
    }
}

} // namespace

int main(int argc, char** argv)
{
    using namespace ondrel;

    QtMessageHandler qtHandler = qInstallMessageHandler(startupMessageHandler);
    constructingApplication = true;
    QApplication application(argc, argv);
    constructingApplication = false;
    qInstallMessageHandler(qtHandler);
    QApplication::setApplicationName(QStringLiteral("Ondrel"));
    QApplication::setApplicationVersion(QStringLiteral(ONDREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("ondrel"));

    std::unique_ptr<app::AppDelegate> delegate;
    // A quit asked for while launch is still running (a SIGTERM during the launch alert) ends
    // the program as soon as launch returns.
    bool quitRequested = false;
    auto quit = [&] {
        quitRequested = true;
        QCoreApplication::quit();
    };
    auto activate = [&] {
        if (delegate)
            delegate->openSettings();
    };
    app::UnixSignals unixSignals(quit, activate);

    app::SingleInstance instance(activate);
    switch (instance.claim()) {
    case app::SingleInstance::Outcome::claimed:
        break;
    case app::SingleInstance::Outcome::activatedOther:
        return EXIT_SUCCESS;
    case app::SingleInstance::Outcome::failed:
        std::cerr << "Ondrel is already running but did not answer: "
                  << instance.error().toStdString() << std::endl;
        return EXIT_FAILURE;
    }

    std::unique_ptr<platform::Platform> platform;
    try {
        platform = platform::createPlatform();
    } catch (const platform::PlatformUnavailable& error) {
        std::cerr << error.what() << std::endl;
        return EXIT_FAILURE;
    }
    delegate = std::make_unique<app::AppDelegate>(std::move(platform), quit);
    delegate->applicationDidFinishLaunching();
    const int status = quitRequested ? EXIT_SUCCESS : application.exec();
    delegate.reset();
    return status;
}
