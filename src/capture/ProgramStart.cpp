#include "capture/ProgramStart.h"

#include "config/Param.h"
#include "config/ProgramDir.h"
#include "core/Errors.h"
#include "net/TlsSettings.h"

namespace velbrin {

TProgramStart StartProgramSettings(const std::string& requestedWorkPath, const TTell& tell)
{
    TProgramStart start;
    SetProgramDir(LocateProgramDir());
    try {
        if (!requestedWorkPath.empty() && !ReadProfileWorkPath().empty())
            AdoptWorkPath(requestedWorkPath);
        start.Settings = std::make_unique<TParam>(CommandLineWorkPathChooser(requestedWorkPath, tell));
    } catch (const EVelbrinError& e) {
        start.Error = e.what();
        return start;
    }
    TTlsSettings tls;
    start.TlsError = LoadTlsSettings(start.Settings->CaCertificates, start.Settings->IgnoreCertificateErrors, tls);
    return start;
}

} // namespace velbrin
