#include "FakeAccessibility.h"

#include "FakeExecutor.h"

#include <algorithm>

namespace ondrel::platform::fake {

void FakeElement::set(std::string_view attribute, AttributeValue value)
{
    if (std::holds_alternative<std::monostate>(value)) {
        if (auto found = m_attributes.find(attribute); found != m_attributes.end()) {
            m_attributes.erase(found);
        }
        return;
    }
    m_attributes.insert_or_assign(std::string(attribute), std::move(value));
}

AttributeValue FakeElement::get(std::string_view attribute) const
{
    auto found = m_attributes.find(attribute);
    return found == m_attributes.end() ? AttributeValue{} : found->second;
}

void FakeElement::addChild(std::shared_ptr<const FakeElement> child)
{
    auto found = m_attributes.find(AXAttribute::children);
    if (found == m_attributes.end() ||
        !std::holds_alternative<std::vector<ElementRef>>(found->second)) {
        m_attributes.insert_or_assign(std::string(AXAttribute::children),
                                      std::vector<ElementRef>{});
        found = m_attributes.find(AXAttribute::children);
    }
    std::get<std::vector<ElementRef>>(found->second).push_back(std::move(child));
}

FakeElementPtr makeElement(std::string_view role, std::optional<std::string> value,
                           std::string label)
{
    auto element = std::make_shared<FakeElement>(std::move(label));
    element->set(AXAttribute::role, std::string(role));
    if (value) {
        element->set(AXAttribute::value, std::move(*value));
    }
    return element;
}

FakeAccessibility::FakeAccessibility(FakeExecutor* executor) : m_executor(executor) {}

FakeAccessibility::~FakeAccessibility()
{
    if (m_executor) {
        m_executor->shutdown();
    }
}

bool FakeAccessibility::isProcessTrusted()
{
    return m_trusted;
}

TrustRequest FakeAccessibility::requestTrust()
{
    ++m_requestCount;
    if (!m_canSynthesize) {
        return TrustRequest::impossible;
    }
    const TrustRequest answer = m_requestAnswer;
    if (answer == TrustRequest::granted) {
        m_trusted = true;
    }
    return answer;
}

ElementRef FakeAccessibility::applicationElement(std::int64_t processIdentifier)
{
    std::lock_guard lock(m_mutex);
    const auto found = m_applications.find(processIdentifier);
    return found != m_applications.end() ? found->second : nullptr;
}

AttributeValue FakeAccessibility::attributeValue(const ElementRef& element,
                                                 std::string_view attribute)
{
    {
        std::lock_guard lock(m_mutex);
        m_reads.push_back(Read{element.get(), std::string(attribute)});
    }
    const auto* fakeElement = dynamic_cast<const FakeElement*>(element.get());
    if (!m_trusted || !fakeElement) {
        return {};
    }
    return fakeElement->get(attribute);
}

void FakeAccessibility::setApplication(std::int64_t processIdentifier, ElementRef element)
{
    std::lock_guard lock(m_mutex);
    m_applications.insert_or_assign(processIdentifier, std::move(element));
}

std::vector<FakeAccessibility::Read> FakeAccessibility::reads() const
{
    std::lock_guard lock(m_mutex);
    return m_reads;
}

int FakeAccessibility::readCount(const ElementRef& element) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_reads.begin(), m_reads.end(), [&](const Read& read) {
        return read.element == element.get();
    }));
}

} // namespace ondrel::platform::fake
