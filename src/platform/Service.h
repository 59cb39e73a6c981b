#pragma once

namespace ondrel::platform {

// Base of every platform interface: services are shared by reference and never copied.
class Service
{
public:
    virtual ~Service() = default;
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;
    Service(Service&&) = delete;
    Service& operator=(Service&&) = delete;

protected:
    Service() = default;
};

} // namespace ondrel::platform
