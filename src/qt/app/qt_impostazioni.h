// The program's settings between runs, kept by QSettings (on Linux
// ~/.config/KORVENTA/korventa.conf).
#pragma once

#include <QSettings>

#include "instruments/selettori.h"

namespace korventa::qt {

class QtImpostazioni final : public Impostazioni {
 public:
  QtImpostazioni() : settings_("KORVENTA", "korventa") {}
  // A settings file of its own (tests).
  explicit QtImpostazioni(const QString& file) : settings_(file, QSettings::IniFormat) {}

  std::optional<std::string> Leggi(const std::string& chiave) const override {
    const QVariant v = settings_.value(QString::fromStdString(chiave));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
  }
  void Scrivi(const std::string& chiave, const std::string& valore) override {
    settings_.setValue(QString::fromStdString(chiave), QString::fromStdString(valore));
  }
  void Sync() { settings_.sync(); }

 private:
  QSettings settings_;
};

}  // namespace korventa::qt
