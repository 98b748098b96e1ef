#pragma once

// A main window in a home of its own: HOME and XDG_CONFIG_HOME point into a
// temporary directory, the working path is "<home>/work/", the data directory
// is the build tree's, and every question of the window is answered by the
// test through its prompts (recorded, answered from queues).

#include "capture/Web.h"
#include "config/Param.h"
#include "core/Files.h"
#include "support/EnvOverride.h"
#include "support/TempDir.h"
#include "ui/MainWin.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velbrin::test {

// Serves events until done() holds or the time is up; returns done().
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 20000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    return done();
}

inline void WriteText(const std::string& fileName, const std::string& text)
{
    std::ofstream(fileName, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class MainWinTest : public ::testing::Test {
protected:
    MainWinTest()
        : m_home("HOME", m_dir.Path() + "home")
        , m_config("XDG_CONFIG_HOME", m_dir.Path() + "config")
        , m_data("VELBRIN_DATA_DIR", std::string(VELBRIN_DATA_DIR))
    {
        ForceDirectories(Home());
        // Closing the window must not end the event loops a capture runs in.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    std::string Home() const { return m_dir.Path() + "home/"; }
    std::string Work() const { return Home() + "work/"; }

    // Makes the window; nothing is answered unless the test says so.
    TMainWin& Open()
    {
        m_window = std::make_unique<TMainWin>(Work());
        EXPECT_EQ(m_window->StartError(), "");
        TMainWinPrompts& p = m_window->Prompts();
        p.Message = [this](std::string_view caption, std::string_view text, TBoxButtons) {
            Questions.push_back(std::string(caption) + "|" + std::string(text));
            return Next(Answers, TModalResult::Cancel);
        };
        p.Box = [this](const TBox& box) {
            Boxes.push_back(box.Caption);
            return TModalResult::No;
        };
        p.SaveFile = [this](const QString& caption, const std::string&, const std::string&) {
            SaveCaptions.push_back(caption.toStdString());
            std::optional<std::string> chosen;
            if (!SaveAnswers.empty()) {
                chosen = SaveAnswers.front();
                SaveAnswers.pop_front();
            }
            return chosen;
        };
        p.OpenFile = [](const std::string&) { return std::optional<std::string>(); };
        p.NewWeb = [this](const std::string&) { return NewWebAnswer; };
        p.DeleteFiles = [](const std::string&, int) { return TDeleteFilesAnswer::Keep; };
        p.Address = [](const QString&, const std::string&) { return std::optional<std::string>(); };
        p.StopCapture = [] { return std::optional<bool>(true); };
        p.EditSettings = [](int) { return false; };
        p.Show = [this](const std::string& target, bool) {
            Shown.push_back(target);
            return true;
        };
        m_window->show();
        return *m_window;
    }
    TMainWin& Window() { return *m_window; }
    void CloseWindowObject() { m_window.reset(); }

    // A Web made and written at directory (ending with "/"), not shown.
    std::string MakeProject(const std::string& directory, const std::string& title)
    {
        TWEB web(m_window->Settings(), std::string(VELBRIN_DATA_DIR) + "/");
        EXPECT_TRUE(web.Init("http://127.0.0.1/", directory, m_window->GlobalMime()));
        web.Title = title;
        web.SaveToFile(directory + "Local.Web");
        return directory + "Local.Web";
    }

    // A Web shown in the window without a project file.
    TWEB& ShowUnsaved(const std::string& directory)
    {
        auto web = std::make_unique<TWEB>(m_window->Settings(), std::string(VELBRIN_DATA_DIR) + "/");
        EXPECT_TRUE(web->Init("http://127.0.0.1/", directory, m_window->GlobalMime()));
        TWEB& shown = *web;
        m_window->ShowWeb(std::move(web), false);
        return shown;
    }

    template <typename T>
    static T Next(std::deque<T>& queue, T otherwise)
    {
        if (queue.empty())
            return otherwise;
        T value = queue.front();
        queue.pop_front();
        return value;
    }

    std::vector<std::string> Questions;   // caption|text of every message box
    std::deque<TModalResult> Answers;     // their answers, Cancel when none is left
    std::vector<std::string> Boxes;       // captions of the engine's boxes (answered No)
    std::vector<std::string> SaveCaptions;
    std::deque<std::string> SaveAnswers;  // file names for the save dialogs, cancelled when none
    std::optional<TNewWebAnswer> NewWebAnswer;
    std::vector<std::string> Shown;       // pages handed to the browser

private:
    TempDir m_dir;
    EnvOverride m_home;
    EnvOverride m_config;
    EnvOverride m_data;
    std::unique_ptr<TMainWin> m_window;
};

} // namespace velbrin::test
