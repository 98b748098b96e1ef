#include "capture/Web.h"

#include "core/Errors.h"
#include "core/Files.h"
#include "core/Text.h"
#include "store/LocalName.h"

namespace velbrin {

bool TWEB::HtmlFileInit(std::string_view fileName)
{
    if (Path.empty() || fileName.empty() || !IsSafeLocalName(fileName))
        return false;
    std::string file = Path + std::string(fileName);
    CloseLog();
    if (FileExists(file))
        return true;
    try {
        WriteWholeFile(file, LogHeading(Url));
    } catch (const EVelbrinError& failure) {
        NoteLogFailure(failure);
        return false;
    }
    return true;
}

bool TWEB::Log(std::string_view message)
{
    if (Path.empty())
        return false;
    try {
        std::string file = Path + std::string(kLogFileName);
        if (!m_logFile || m_logFile->FileName() != file)
            m_logFile = std::make_unique<TAppendFile>(std::move(file));
        m_logFile->Append(LogEntry(message));
    } catch (const EVelbrinError& failure) {
        NoteLogFailure(failure);
        return false;
    }
    return true;
}

void TWEB::CloseLog()
{
    if (!m_logFile)
        return;
    try {
        m_logFile->Close();
    } catch (const EVelbrinError& failure) {
        NoteLogFailure(failure);
    }
    m_logFile.reset();
}

bool TWEB::LogUrl(std::string_view siteText, std::string_view text)
{
    return Log(HtmlEscape(siteText) + std::string(text));
}

bool TWEB::LogAfter(std::string_view text, std::string_view siteText)
{
    return Log(std::string(text) + HtmlEscape(siteText));
}

void TWEB::NoteLogFailure(const std::exception& failure)
{
    m_logError = failure.what();
    if (const auto* io = dynamic_cast<const EInOutError*>(&failure); io && io->IsDiskFull())
        m_diskFull = true;
}

void TWEB::ClearLogError()
{
    m_logError.clear();
    m_diskFull = false;
}

} // namespace velbrin
