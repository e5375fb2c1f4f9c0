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
  f.cmb_Prog_In[1].SetText("Pt 100");
  f.txt_Input_max[0].Text = "1300";
  f.txt_Input_min[0].Text = "-200";
  f.txt_Fisico_max[3].Text = "12.5";
  f.opt_CJC[1].Value = true;
  f.opt_Fili[5].Value = true;
  f.opt_gradi_far[1].Value = true;
  f.chk_HS.Value = true;
  f.txt_Delay.Text = "0.2";
  f.frm_input[1].Visible = false;
  f.lbl_uMisIn[0].Caption = "°C";
  f.cmd_Operatore[1].Caption = "MAX";
  return f;
}

// The values alone, without what describes the screen.
json::Value FormWithoutScreen(const FrmProgram& f) {
  json::Value all = FormToJson(f);
  json::Value values = json::Value::Object();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all.Keys()[i] != kFormVisible && all.Keys()[i] != kFormCaptions) values.Set(all.Keys()[i], all[i]);
  return values;
}

json::Value Doc(const char* text) {
  json::ParseError e;
  auto v = json::Parse(text, e);
  EXPECT_TRUE(v) << e.Message();
  return v ? *v : json::Value();
}

}  // namespace

TEST(FormFields, DocumentCarriesValuesVisibilityAndCaptionsByControlName) {
  const json::Value doc = FormToJson(Sample());
  EXPECT_EQ(doc.Find("cmb_Prog_In")->size(), 2u);
  EXPECT_EQ((*doc.Find("cmb_Prog_In"))[0].AsString(), "Tc K");
  EXPECT_EQ((*doc.Find("txt_Input_max"))[0].AsString(), "1300");
  EXPECT_EQ(doc.Find("opt_Fili")->size(), 6u);
  EXPECT_TRUE((*doc.Find("opt_Fili"))[5].AsBool());
  EXPECT_TRUE(doc.Find("chk_HS")->AsBool());
  EXPECT_EQ(doc.Find("txt_Delay")->AsString(), "0.2");
  // Labels, frames and buttons carry no value.
  EXPECT_EQ(doc.Find("lbl_uMisIn"), nullptr);
  EXPECT_EQ(doc.Find("frm_input"), nullptr);
  const json::Value* visible = doc.Find(kFormVisible);
  ASSERT_NE(visible, nullptr);
  EXPECT_FALSE((*visible->Find("frm_input"))[1].AsBool());
  EXPECT_TRUE(visible->Find("chk_HS")->AsBool());
  EXPECT_EQ(visible->Find("lbl_uMisIn")->size(), 8u);
  const json::Value* captions = doc.Find(kFormCaptions);
  EXPECT_EQ((*captions->Find("lbl_uMisIn"))[0].AsString(), "°C");
  EXPECT_EQ((*captions->Find("cmd_Operatore"))[1].AsString(), "MAX");
  // Every value name of the table is in the document, in table order.
  std::vector<std::string> keys(doc.Keys().begin(), doc.Keys().end() - 2);
  EXPECT_EQ(keys, FormValueNames());
}

TEST(FormFields, PrintedDocumentSetsTheSameValuesBackWithoutTouchingVisibility) {
  const FrmProgram original = Sample();
  json::ParseError e;
  auto doc = json::Parse(json::Write(FormToJson(original)), e);
  ASSERT_TRUE(doc);
  FrmProgram target;
  target.cmb_Prog_In[0].List = {"Tc J", "Tc K"};
  target.frm_input[1].Visible = true;
  target.lbl_uMisIn[0].Caption = "mV";
  std::string error;
  ASSERT_TRUE(FormFromJson(*doc, target, error)) << error;
  EXPECT_EQ(FormWithoutScreen(target), FormWithoutScreen(original));
  // The combo's selection follows a text that is in its list.
  EXPECT_EQ(target.cmb_Prog_In[0].ListIndex, 1);
  EXPECT_TRUE(target.frm_input[1].Visible);
  EXPECT_EQ(target.lbl_uMisIn[0].Caption, "mV");
}

TEST(FormFields, PartialDocumentChangesOnlyWhatItNames) {
  FrmProgram f = Sample();
  std::string error;
  ASSERT_TRUE(FormFromJson(Doc(R"({"txt_Input_max": ["1000", "", "", ""], "chk_HS": false})"), f, error)) << error;
  EXPECT_EQ(f.txt_Input_max[0].Text, "1000");
  EXPECT_FALSE(f.chk_HS.Value);
  EXPECT_EQ(f.txt_Input_min[0].Text, "-200");
  EXPECT_EQ(f.txt_Delay.Text, "0.2");
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
      {R"({"opt_gradi": [false, true]})", "channel 1 cannot show both"},
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
