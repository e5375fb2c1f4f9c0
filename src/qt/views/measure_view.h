// The measurement window frm_misura: per channel the live output and input
// with the bar and its under/over-range marks and the programmed summary,
// the trip fields with their lamps, Start/Stop, and a
// trend plot of the last minutes and a CSV recording of every reading.
#pragma once

#include <array>
#include <deque>
#include <optional>
#include <vector>

#include <QtCharts/QChartView>
#include <QtCore/QElapsedTimer>
#include <QtWidgets/QWidget>

#include "qt/views/render.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace korventa::qt {

class Barra;
class Desktop;
class Lampada;

// A small square mark in the model's colour: lbl_Break_L, lbl_Break_H.
class Segnale final : public QWidget {
 public:
  explicit Segnale(QWidget* parent = nullptr);
  void Imposta(const QColor& c);
  QColor Colore() const { return colore_; }
  QSize sizeHint() const override { return {12, 12}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QColor colore_;
};

// The trend of one channel over the last minutes: the input on the left
// axis with the programmed range (and the trips) as lines, the output on the
// right axis. Paused, it keeps collecting and shows nothing new until it
// goes on.
class Andamento final : public QChartView {
 public:
  // How far back the plot reaches, in seconds.
  static constexpr double kFinestra = 300;

  struct Linea {
    QString nome;
    double valore;
  };

  explicit Andamento(QWidget* parent = nullptr);
  void Azzera();
  // A reading t seconds into the run; nullopt where the window could not
  // work the value out.
  void Aggiungi(double t, std::optional<double> ingresso, std::optional<double> uscita);
  // The chart's title and the names of the input and output series in the
  // user's language (the units follow them).
  void Nomi(const QString& titolo, const QString& ingresso, const QString& uscita);
  void Imposta(const QString& titolo, const QString& unitaIngresso, const QString& unitaUscita,
               const std::vector<Linea>& linee);
  void Pausa(bool pausa);
  bool InPausa() const { return pausa_; }
  int Punti() const { return static_cast<int>(ingresso_.size()); }
  // What the plot shows now (a paused plot lags behind).
  int PuntiMostrati() const;
  const std::vector<Linea>& Linee() const { return linee_; }

 private:
  void Ridisegna();

  QLineSeries* serieIngresso_;
  QLineSeries* serieUscita_;
  QString nomeIngresso_, nomeUscita_, unitaIngresso_, unitaUscita_;
  std::vector<QLineSeries*> serieLinee_;
  QValueAxis* asseTempo_;
  QValueAxis* asseIngresso_;
  QValueAxis* asseUscita_;
  std::deque<QPointF> ingresso_, uscita_;
  std::vector<Linea> linee_;
  double ultimo_ = 0;
  bool pausa_ = false;
};

class MisuraView final : public QWidget {
 public:
  explicit MisuraView(Desktop& d);

  // The whole window from the model.
  void Rendi();
  // After the preparation and after every reading: the fields and the trend.
  void NuovaLettura();

  // For tests.
  QPushButton* Start() const { return start_; }
  QPushButton* Stop() const { return stop_; }
  QPushButton* Registra() const { return registra_; }
  QCheckBox* PausaAndamento() const { return pausa_; }
  QLabel* Uscita(int ch) const { return out_[U(ch)]; }
  QLabel* Ingresso(int ch) const { return in_[U(ch)]; }
  QLabel* ProgIn(int ch) const { return progIn_[U(ch)]; }
  QLabel* ProgOut(int ch) const { return progOut_[U(ch)]; }
  Barra* Progress(int ch) const { return progress_[U(ch)]; }
  Segnale* BreakL(int ch) const { return breakL_[U(ch)]; }
  Segnale* BreakH(int ch) const { return breakH_[U(ch)]; }
  Lampada* Led(int i) const { return led_[U(i)]; }
  QLineEdit* ProgTrip(int i) const { return trip_[U(i)]; }
  QGroupBox* Canale(int ch) const { return canale_[U(ch)]; }
  QGroupBox* Soglia(int i) const { return soglia_[U(i)]; }
  Andamento* Grafico(int ch) const { return grafico_[U(ch)]; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  static std::size_t U(int i) { return static_cast<std::size_t>(i); }
  QGroupBox* PannelloCanale(int ch);
  void ImpostaAndamenti();

  Desktop& d_;
  QGroupBox* frm_modo_;
  QPushButton *start_, *stop_, *registra_;
  QCheckBox* pausa_;
  QLabel* fileRegistro_;
  std::array<QGroupBox*, 2> canale_{};
  std::array<QLabel*, 2> lblUscita_{}, lblIngresso_{}, out_{}, in_{}, progIn_{}, progOut_{};
  std::array<Barra*, 2> progress_{};
  std::array<Segnale*, 2> breakL_{}, breakH_{};
  QGroupBox* soglie_;
  std::array<QGroupBox*, 3> soglia_{};
  std::array<QLineEdit*, 9> trip_{};
  std::array<Lampada*, 3> led_{};
  std::array<Andamento*, 2> grafico_{};
  StatoFinestra stato_;
  // The trend's clock: seconds since the run's first reading.
  QElapsedTimer tempo_;
  long lettureViste_ = 0;
};

}  // namespace korventa::qt
