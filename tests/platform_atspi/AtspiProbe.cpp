// Command-line probe of the AT-SPI backend, for the end-to-end tests and for looking at a live
// desktop by hand:
//   atspi_probe trust                      prints "trusted" or "untrusted"
//   atspi_probe request-trust accept|decline   answers the consent alert, then prints trust
//   atspi_probe text-fields PID            prints "field<TAB><value>" for every text field
//                                          of the application's focused window
#include "platform/freedesktop/AtspiAccessibility.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayFacts.h"

#include <QCoreApplication>

#include <cstdlib>
#include <iostream>
#include <string>
#include <variant>

using ondrel::platform::AttributeValue;
using ondrel::platform::ElementRef;
using ondrel::platform::freedesktop::AtspiAccessibility;
namespace AXAttribute = ondrel::platform::AXAttribute;

namespace {

int usage()
{
    std::cerr << "usage: atspi_probe trust | request-trust accept|decline | text-fields PID\n";
    return 64;
}

std::string textOf(const AttributeValue& value)
{
    const auto* text = std::get_if<std::string>(&value);
    return text ? *text : std::string();
}

// Walks the tree depth-first and prints its text fields.
void printTextFields(AtspiAccessibility& accessibility, const ElementRef& element, int depth)
{
    if (depth > 60) {
        return;
    }
    if (textOf(accessibility.attributeValue(element, AXAttribute::role)) == "AXTextField") {
        std::cout << "field\t" << textOf(accessibility.attributeValue(element, AXAttribute::value))
                  << '\n';
    }
    const auto children = accessibility.attributeValue(element, AXAttribute::children);
    if (const auto* list = std::get_if<std::vector<ElementRef>>(&children)) {
        for (const auto& child : *list) {
            printTextFields(accessibility, child, depth + 1);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto arguments = app.arguments();
    if (arguments.size() < 2) {
        return usage();
    }
    const auto command = arguments.at(1);
    // The display facts come over an X connection of our own, as in the application.
    const auto connection = ondrel::platform::x11::X11Connection::open();
    AtspiAccessibility::Options options;
    if (connection) {
        options.display = ondrel::platform::x11::displayFactsOf(connection);
    }

    if (command == QLatin1String("trust")) {
        AtspiAccessibility accessibility(nullptr, options);
        std::cout << (accessibility.isProcessTrusted() ? "trusted" : "untrusted") << std::endl;
        return 0;
    }
    if (command == QLatin1String("request-trust") && arguments.size() == 3) {
        const bool accept = arguments.at(2) == QLatin1String("accept");
        AtspiAccessibility accessibility(
            [accept](const ondrel::platform::Alert& alert) {
                std::cout << "asked\t" << alert.messageText << std::endl;
                return accept ? 0 : 1;
            },
            options);
        accessibility.requestTrust();
        std::cout << (accessibility.isProcessTrusted() ? "trusted" : "untrusted") << std::endl;
        return 0;
    }
    if (command == QLatin1String("text-fields") && arguments.size() == 3) {
        AtspiAccessibility accessibility(nullptr, options);
        const auto application = accessibility.applicationElement(arguments.at(2).toLongLong());
        const auto window = accessibility.attributeValue(application, AXAttribute::focusedWindow);
        const auto* element = std::get_if<ElementRef>(&window);
        if (!element) {
            return 1;
        }
        printTextFields(accessibility, *element, 0);
        return 0;
    }
    return usage();
}
