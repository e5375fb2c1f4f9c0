// The main window `communication`: the port box and selector, the busy
// lamp, the progress bar, the model labels, the picture buttons and the
// menus. It paints the Communication model and hands every click to the
// model's handlers.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QtWidgets/QMainWindow>

#include "qt/views/render.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QToolButton;

namespace korventa::qt {

class Desktop;

// The serial ports the machine has now: device path and description.
std::vector<std::pair<std::string, std::string>> PorteSeriali();

// The busy lamp `Spia`: a round light in the model's colour.
class Lampada final : public QWidget {
 public:
  explicit Lampada(QWidget* parent = nullptr);
  void Imposta(const QColor& c);
  QColor Colore() const { return colore_; }
  QSize sizeHint() const override { return {18, 18}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor colore_;
};

// The progress bar: `bar`, the full-width track, with `progress` over it.
class Barra final : public QWidget {
 public:
  explicit Barra(QWidget* parent = nullptr);
  void Imposta(double quota);
  double Quota() const { return quota_; }
  QSize sizeHint() const override { return {120, 10}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  double quota_ = 0;
};

class CommunicationView final : public QMainWindow {
 public:
  explicit CommunicationView(Desktop& d);

  // The whole window from the model.
  void Rendi();
  // Only what a running transaction changes: lamp, progress, enabling.
  void RendiSpia();

  // For tests and the start-up.
  QCheckBox* Check1() const { return check1_; }
  QComboBox* Porta() const { return porta_; }
  Lampada* Spia() const { return spia_; }
  Barra* Progresso() const { return barra_; }
  QLabel* Dispositivo(int i) const { return device_[static_cast<std::size_t>(i)]; }
  QToolButton* Modo(int i) const { return modo_[static_cast<std::size_t>(i)]; }
  QToolButton* Leggi() const { return read_; }
  QToolButton* Scrivi() const { return write_; }
  QToolButton* Start() const { return start_; }
  QToolButton* Lingua() const { return lang_; }
  QAction* Azione(const MenuItem& m) const;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  QToolButton* Pulsante(QWidget* parent);
  QAction* Voce(QMenu* menu, MenuItem Communication::*voce, void (*handler)(Context&));

  Desktop& d_;
  QGroupBox* frame2_;
  QCheckBox* check1_;
  QComboBox* porta_;
  Lampada* spia_;
  Barra* barra_;
  std::array<QLabel*, 2> device_{};
  QLabel* verifica_ = nullptr;
  std::array<QToolButton*, 3> modo_{};
  QToolButton *read_, *write_, *start_, *lang_;
  std::vector<std::pair<MenuItem Communication::*, QAction*>> voci_;
  std::vector<std::pair<MenuItem Communication::*, QMenu*>> menu_;
  StatoFinestra stato_;
};

}  // namespace korventa::qt
