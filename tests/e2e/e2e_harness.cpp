// The smart paste for the end-to-end checks (PasteHarness.h). Besides "ready" it prints one line
// per event on standard output:
//   keystroke               the paste keystroke was posted
//   matched <rule name>     the smart paste ended with this rule
#include "PasteHarness.h"

namespace {

using namespace ondrel;

// Forwards to the real keyboard events and says when the keystroke went out.
class AnnouncedKeyboardEvents final : public platform::KeyboardEvents
{
public:
    explicit AnnouncedKeyboardEvents(std::unique_ptr<platform::KeyboardEvents> inner)
        : m_inner(std::move(inner))
    {}

    bool postPasteKeystroke(platform::PasteKeystroke keystroke) override
    {
        const bool posted = m_inner->postPasteKeystroke(keystroke);
        std::cout << "keystroke" << std::endl;
        return posted;
    }

private:
    std::unique_ptr<platform::KeyboardEvents> m_inner;
};

} // namespace

int main(int argc, char** argv)
{
    harness::Hooks hooks;
    hooks.instrument = [](platform::Platform& platform) {
        platform.keyboardEvents =
            std::make_unique<AnnouncedKeyboardEvents>(std::move(platform.keyboardEvents));
    };
    hooks.matched = [](const std::string& rule) { std::cout << "matched " << rule << std::endl; };
    return harness::run(argc, argv, hooks);
}
