#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// How requests to https addresses judge the server's certificate. A plain
// value: the session makes it once from the application settings and hands
// it to each of its requests.
struct TTlsSettings {
    // Authorities trusted besides the system's, each certificate as DER bytes.
    std::vector<std::string> CaCertificates;
    // Any certificate is accepted; every error accepted is still reported.
    bool IgnoreCertificateErrors = false;
};

// Reads every certificate of the PEM file caFile into settings.CaCertificates
// (nothing when caFile is empty) and sets IgnoreCertificateErrors. Returns an
// empty text on success, otherwise a text for the user that names the file and
// what is wrong with it: a file that cannot be read, or one without any
// certificate, is refused rather than trusted as nothing.
std::string LoadTlsSettings(std::string_view caFile, bool ignoreCertificateErrors, TTlsSettings& settings);

} // namespace velbrin
