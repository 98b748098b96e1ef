#include "capture/ProgramStart.h"

#include "config/Param.h"
#include "config/ProgramDir.h"
#include "core/Errors.h"
#include "net/TlsSettings.h"

namespace velbrin {

TProgramStart StartProgramSettings(const std::string& requestedWorkPath, TDefaultApplication defaultApplication)
{
    TProgramStart start;
    SetProgramDir(LocateProgramDir());
    // The settings keep their chooser (ReadSettings asks it again), so what
    // it says goes where it can outlive this call.
    auto notes = std::make_shared<std::vector<std::string>>();
    try {
        if (!requestedWorkPath.empty() && !ReadProfileWorkPath().empty())
            AdoptWorkPath(requestedWorkPath);
        start.Settings = std::make_unique<TParam>(CommandLineWorkPathChooser(
            requestedWorkPath, [notes](const std::string& note) { notes->push_back(note); }),
            std::move(defaultApplication));
    } catch (const EVelbrinError& e) {
        start.Notes = *notes;
        start.Error = e.what();
        return start;
    }
    start.Notes = *notes;
    TTlsSettings tls;
    start.TlsError = LoadTlsSettings(start.Settings->CaCertificates, start.Settings->IgnoreCertificateErrors, tls);
    return start;
}

} // namespace velbrin
