#pragma once

// A Web of its own for every test: a scratch home (so that the settings and
// the profile land there), settings read from a scratch working path, a
// program directory holding the two report pages, and a capture directory.

#include "capture/Web.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "core/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

namespace velbrin::test {

class ScopedEnv {
public:
    ScopedEnv(std::string name, const char* value)
        : m_name(std::move(name))
    {
        if (const char* old = std::getenv(m_name.c_str()))
            m_old = old;
        if (value)
            ::setenv(m_name.c_str(), value, 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

inline const std::string kNotFoundPage = "<html>not found</html>";
inline const std::string kBadLinkPage = "<html>bad link</html>";

class WebFixture : public ::testing::Test {
protected:
    WebFixture()
        : m_home("HOME", (root.Path() + "home").c_str())
        , m_config("XDG_CONFIG_HOME", nullptr)
    {
        SetWorkPath("");
        ForceDirectories(root.Path() + "home/");
        ForceDirectories(programDir);
        WriteWholeFile(programDir + "NotFound.htm", kNotFoundPage);
        WriteWholeFile(programDir + "BadLink.htm", kBadLinkPage);
        settings = std::make_unique<TParam>(
            [this](const std::string&) { return std::optional<std::string>(root.Path() + "work"); },
            [](const std::string&) { return std::optional<std::string>(); });
        mimes.SetToDefault();
    }
    ~WebFixture() override
    {
        settings.reset();
        SetWorkPath("");
    }

    std::unique_ptr<TWEB> NewWeb() { return std::make_unique<TWEB>(*settings, programDir); }

    // A Web made with Init on url in the capture directory.
    std::unique_ptr<TWEB> InitWeb(std::string_view url)
    {
        auto web = NewWeb();
        EXPECT_TRUE(web->Init(url, capture, mimes));
        return web;
    }

    std::string LogText() const { return FileExists(capture + "LogFile.htm") ? ReadWholeFile(capture + "LogFile.htm") : ""; }

    TempDir root;
    const std::string programDir = root.Path() + "program/";
    const std::string capture = root.Path() + "webs/site/";
    TMIMELIST mimes;
    std::unique_ptr<TParam> settings;

private:
    ScopedEnv m_home;
    ScopedEnv m_config;
};

} // namespace velbrin::test
