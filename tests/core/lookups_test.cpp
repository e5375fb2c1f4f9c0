#include <gtest/gtest.h>

#include "app/state.h"
#include "config/lookups.h"

using namespace korventa;

TEST(Lookups, NamesToCodes) {
  ProgramState s;
  EXPECT_EQ(TipoDaTesto(s, "Freq"), 33);
  EXPECT_EQ(TipoDaTesto(s, "Tc K"), 8);
  EXPECT_EQ(TipoDaTesto(s, "EEPROM"), 0);
  EXPECT_EQ(TipoDaTesto(s, "tc k"), 0);   // exact and case-sensitive
  EXPECT_EQ(TipoDaTesto(s, "Tc K "), 0);
  EXPECT_EQ(TipoDaTesto(s, "DUPLIC."), 0);
  EXPECT_EQ(TipoDaTesto(s, ""), 6);  // the first entry without a name
  EXPECT_EQ(UscitaDaTesto(s, "4-20 mA"), 1);
  EXPECT_EQ(UscitaDaTesto(s, "0-5 V"), 3);
  EXPECT_EQ(UscitaDaTesto(s, "2-10 V"), 0);  // an extended name only
  EXPECT_EQ(TolleranzaDaTesto(s, "±5.0%"), 5.0);
  EXPECT_EQ(TolleranzaDaTesto(s, "±7%"), 0.0);
  ComboBox c;
  c.SetText("Pt 100");
  EXPECT_EQ(TipoDaTesto(s, c), 18);
}

TEST(Lookups, CodesToCombos) {
  ProgramState s;
  ComboBox c;
  c.AddItem("Tc J");
  c.AddItem("Tc K");
  MostraIngresso(s, c, 8);
  EXPECT_EQ(c.Text, "Tc K");
  EXPECT_EQ(c.ListIndex, 1);
  MostraIngresso(s, c, 15);  // a device reporting an unnamed code shows an empty input
  EXPECT_EQ(c.Text, "");
  MostraIngresso(s, c, 99);
  EXPECT_EQ(c.Text, "");
  MostraUscita(s, c, 2);
  EXPECT_EQ(c.Text, "0-10 V");
  MostraUscita(s, c, 4);
  EXPECT_EQ(c.Text, "");
  MostraTolleranza(s, c, 2.5);
  EXPECT_EQ(c.Text, "±2.5%");
  MostraTolleranza(s, c, 3.0);  // no such step: the combo keeps its text
  EXPECT_EQ(c.Text, "±2.5%");
  EXPECT_EQ(NomeTolleranza(s, 10), "±10%");
}

TEST(Lookups, LimitLineOfAThermocouple) {
  ProgramState s;
  EXPECT_EQ(RigaLimiti(s, 7, false), "In: Tc J ;Min.Lim.=-200 °C; Max.Lim. 1200 °C; Span min: 100 °C");
  EXPECT_EQ(RigaLimiti(s, 7, true), "In: Tc J ;Min.Lim.=-328 °F; Max.Lim. 2192 °F; Span min: 180 °F");
  SwitchContext sw;
  sw.Fahrenheit = true;
  EXPECT_EQ(TipoDaTesto(s, "Tc J", &sw), 7);
  EXPECT_EQ(sw.VisualizzaLimiti, "In: Tc J ;Min.Lim.=-328 °F; Max.Lim. 2192 °F; Span min: 180 °F");
  // Fahrenheit applies to temperatures only; the switch table has its own
  // limits (Tc B to 1850 °C).
  EXPECT_EQ(TipoDaTesto(s, "90 mV", &sw), 1);
  EXPECT_EQ(sw.VisualizzaLimiti, "In: 90 mV ;Min.Lim.=-100 mV; Max.Lim. 90 mV; Span min: 5 mV");
  sw.Fahrenheit = false;
  TipoDaTesto(s, "Tc B", &sw);
  EXPECT_EQ(sw.VisualizzaLimiti, "In: Tc B ;Min.Lim.=0 °C; Max.Lim. 1850 °C; Span min: 400 °C");
}

TEST(Lookups, LimitBoxForCodesWithoutARow) {
  ProgramState s;
  SwitchContext sw;
  EXPECT_EQ(TipoDaTesto(s, "EEPROM", &sw), 0);
  EXPECT_EQ(sw.VisualizzaLimiti, "EEPROM");
  EXPECT_EQ(TipoDaTesto(s, "nothing", &sw), 0);
  EXPECT_EQ(sw.VisualizzaLimiti, "EEPROM");
  // Rows 28 and up are the frequency sensors, not these codes.
  EXPECT_EQ(TipoDaTesto(s, "KTY83-110", &sw), 28);
  EXPECT_EQ(sw.VisualizzaLimiti, "");
  EXPECT_EQ(TipoDaTesto(s, "Freq", &sw), 33);
  EXPECT_EQ(sw.VisualizzaLimiti, "");
}

TEST(Lookups, OfflineModelAdjustments) {
  ProgramState s;
  SwitchContext f;
  f.ModelloOffline = "PLV7300";
  f.PosizioneLista = 0;
  EXPECT_EQ(TipoDaTesto(s, "whatever", &f), 0);
  EXPECT_EQ(f.VisualizzaLimiti, "EEPROM");
  f.PosizioneLista = 2;
  EXPECT_EQ(TipoDaTesto(s, "", &f), 2);
  EXPECT_EQ(f.VisualizzaLimiti, "In: TTL ;Min.Lim.=0.1Hz; Max.Lim. 20 KHz; Span min: 0.5 Hz");
  f.PosizioneLista = 4;  // past the last frequency row
  EXPECT_EQ(TipoDaTesto(s, "", &f), 4);
  EXPECT_EQ(f.VisualizzaLimiti, "");

  SwitchContext c;
  c.ModelloOffline = "PLV7110C";
  c.PosizioneLista = 1;
  EXPECT_EQ(TipoDaTesto(s, "Pt 100", &c), 8);
  EXPECT_FALSE(c.VisualizzaLimiti.has_value());
  c.PosizioneLista = 3;
  EXPECT_EQ(TipoDaTesto(s, "Pt 100", &c), 3);
  EXPECT_EQ(TipoDaTesto(s, "EEPROM", &c), 0);

  SwitchContext b;
  b.ModelloOffline = "PLV7110B";
  EXPECT_EQ(TipoDaTesto(s, "Res2K", &b), 1);
  EXPECT_EQ(b.VisualizzaLimiti, "In: Res2K ;Min.Lim.=0 ohm; Max.Lim. 2000 ohm; Span min: 50 ohm");
  EXPECT_EQ(TipoDaTesto(s, "EEPROM", &b), 0);  // never a negative code
  EXPECT_EQ(TipoDaTesto(s, "Tc K", &b), 0);

  SwitchContext a;
  a.ModelloOffline = "PLV7110A";
  EXPECT_EQ(TipoDaTesto(s, "Tc K", &a), 8);
}
