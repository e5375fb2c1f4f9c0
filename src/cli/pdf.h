// The PDF files korventa-cli writes (the certificate of a production run,
// the switch card): drawn by the desktop program's PDF library where the
// build has Qt, refused with a reason where it has not.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace korventa {
struct BancoDip;
struct Certificato;
struct SchedaSwitch;
}  // namespace korventa

namespace korventa::cli {

bool ScriviCertificatoPdf(const std::string& path, const Certificato& c, std::string& errore);
bool ScriviSchedaPdf(const std::string& path, const SchedaSwitch& scheda, const std::array<BancoDip, 3>& banchi,
                     std::string& errore);

// The local time in strftime's `format`, as the documents show it.
std::string OraLocale(const char* format);

// Whether the arguments ask for a PDF file (--certificate or --pdf): the
// program then needs a graphical application object, made before any port.
bool ChiedePdf(const std::vector<std::string>& args);

}  // namespace korventa::cli
