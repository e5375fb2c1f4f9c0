#include "cli/pdf.h"

#include <ctime>
#include <vector>

#ifdef KORVENTA_HAVE_PDF
#include "qt/print/pdf.h"
#endif

namespace korventa::cli {

namespace {

[[maybe_unused]] bool SenzaPdf(std::string& errore) {
  errore = "this build of korventa-cli cannot write PDF files (built without Qt)";
  return false;
}

}  // namespace

bool ScriviCertificatoPdf(const std::string& path, const Certificato& c, std::string& errore) {
#ifdef KORVENTA_HAVE_PDF
  return qt::ScriviCertificato(path, c, errore);
#else
  (void)path, (void)c;
  return SenzaPdf(errore);
#endif
}

bool ScriviSchedaPdf(const std::string& path, const SchedaSwitch& scheda, const std::array<BancoDip, 3>& banchi,
                     std::string& errore) {
#ifdef KORVENTA_HAVE_PDF
  return qt::ScriviSchedaSwitch(path, scheda, banchi, errore);
#else
  (void)path, (void)scheda, (void)banchi;
  return SenzaPdf(errore);
#endif
}

std::string OraLocale(const char* format) {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  return std::strftime(buf, sizeof buf, format, &tm) ? buf : "";
}

bool ChiedePdf(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    for (const std::string o : {"--certificate", "--pdf"})
      if (a == o || a.rfind(o + "=", 0) == 0) return true;
  return false;
}

}  // namespace korventa::cli
