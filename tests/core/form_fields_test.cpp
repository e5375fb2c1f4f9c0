// The programming window's controls by name: what read --json prints must
// come back through write --form unchanged, and anything else must be
// refused before it touches the window.
#include <gtest/gtest.h>

#include "config/form_fields.h"

using namespace korventa;

namespace {

FrmProgram Sample() {
  FrmProgram f;
  f.cmb_Prog_In[0].List = {"Tc J", "Tc K"};
  f.cmb_Prog_In[0].Select(1);
  f.txt_Input_min[0].Text = "-200";
  f.txt_Fisico_max[3].Text = "12.5";
  f.opt_Fili[5].Value = true;
  f.chk_HS.Value = true;
  f.txt_Delay.Text = "0.2";
  f.frm_input[1].Visible = false;
  f.lbl_uMisIn[0].Caption = "°C";
  return f;
}

json::Value Doc(const char* text) {
  json::ParseError e;
  auto v = json::Parse(text, e);
  EXPECT_TRUE(v) << e.Message();
  return v ? *v : json::Value();
}

}  // namespace

TEST(FormFields, PrintedDocumentSetsTheSameValuesBackButNeverTheScreen) {
  const json::Value doc = FormToJson(Sample());
  EXPECT_EQ(doc.at("cmb_Prog_In")[0], "Tc K");
  EXPECT_EQ(doc.at("opt_Fili")[5], true);
  EXPECT_EQ(doc.at("txt_Delay"), "0.2");
  EXPECT_FALSE(doc.contains("lbl_uMisIn"));  // labels carry no value
  EXPECT_EQ(doc.at(kFormVisible).at("frm_input")[1], false);
  EXPECT_EQ(doc.at(kFormCaptions).at("lbl_uMisIn")[0], "°C");
  std::vector<std::string> keys;
  for (const auto& [key, value] : doc.items()) keys.push_back(key);
  keys.resize(keys.size() - 2);
  EXPECT_EQ(keys, FormValueNames());

  json::ParseError e;
  auto printed = json::Parse(json::Write(doc), e);
  ASSERT_TRUE(printed);
  FrmProgram target;
  target.cmb_Prog_In[0].List = {"Tc J", "Tc K"};
  target.lbl_uMisIn[0].Caption = "mV";
  std::string error;
  ASSERT_TRUE(FormFromJson(*printed, target, error)) << error;
  EXPECT_EQ(target.cmb_Prog_In[0].ListIndex, 1);  // the selection follows the text
  EXPECT_EQ(target.txt_Fisico_max[3].Text, "12.5");
  EXPECT_TRUE(target.frm_input[1].Visible);
  EXPECT_EQ(target.lbl_uMisIn[0].Caption, "mV");

  // A document may name only what it changes.
  ASSERT_TRUE(FormFromJson(Doc(R"({"chk_HS": false})"), target, error)) << error;
  EXPECT_FALSE(target.chk_HS.Value);
  EXPECT_EQ(target.txt_Input_min[0].Text, "-200");
}

TEST(FormFields, BadDocumentsAreRefusedAndLeaveTheWindowAlone) {
  struct Case {
    const char* doc;
    const char* error;
  };
  const Case cases[] = {
      {"[1]", "must be a JSON object"},
      {R"({"txt_Nope": "1"})", "unknown control \"txt_Nope\""},
      {R"({"txt_Delay": 0.5})", "txt_Delay: expected a string"},
      {R"({"chk_HS": "yes"})", "chk_HS: expected true or false"},
      {R"({"cmb_Prog_In": ["Tc K"]})", "cmb_Prog_In: expected an array of 2 values"},
      {R"({"opt_CJC": [true, false, 1, false]})", "opt_CJC: expected an array of 4 values"},
      {R"({"lbl_uMisIn": ["°F","","","","","","",""]})", "lbl_uMisIn: the window sets this control itself"},
      {R"({"opt_funz": [true, true, false, false, false, false]})", "opt_funz: more than one button ticked among 0 to 2"},
      {R"({"opt_gradi": [false, true], "opt_gradi_far": [false, true]})", "channel 1 cannot show both"},
      // Ticking °F would leave the boxes in °C and the write taking them as °F.
      {R"({"opt_gradi": [false, false], "opt_gradi_far": [true, false]})", "channel 0 keeps the scale"},
  };
  for (const auto& c : cases) {
    FrmProgram f = Sample();
    const json::Value before = FormToJson(f);
    std::string error;
    EXPECT_FALSE(FormFromJson(Doc(c.doc), f, error)) << c.doc;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.doc << " -> " << error;
    EXPECT_EQ(FormToJson(f), before) << c.doc;
  }
}
