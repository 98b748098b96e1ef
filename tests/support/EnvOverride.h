#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace velbrin::test {

// Sets an environment variable for the life of the object, then puts back
// what was there.
class EnvOverride {
public:
    // Sets the variable, or unsets it when value is nothing.
    EnvOverride(std::string name, std::optional<std::string> value)
        : m_name(std::move(name))
    {
        if (const char* old = std::getenv(m_name.c_str()))
            m_old = old;
        if (value)
            ::setenv(m_name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ~EnvOverride()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace velbrin::test
