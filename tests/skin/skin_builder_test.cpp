// Building control trees from layout XML, look-up by name, state read-back,
// language texts and menus.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include "platform/debug.h"
#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro::skin;

namespace {

class Recorder : public IDialogBuilderCallback {
 public:
  CControlUI* CreateControl(const QString& className) override {
    asked << className;
    return className == "MyThing" ? new CLabelUI : nullptr;
  }
  QStringList asked;
};

class BuilderTest : public ::testing::Test {
 protected:
  void SetUp() override { kavro::test::qtApp(); }
  void TearDown() override { kavro::dbg::setCapture({}); }
};

const char* kLayout = R"(<?xml version="1.0"?>
<Window size="300,200" caption="0,0,0,30">
  <VerticalLayout name="root" inset="4,4,4,4">
    <HorizontalLayout name="row" height="30">
      <Button name="ok" text="OK" width="80" userdata="u1" tag="7"/>
      <MyThing name="custom"/>
      <NoSuchThing name="lost"/>
    </HorizontalLayout>
    <Label name="ok" text="second ok"/>
    <Edit name="edit" text="12" numberonly="true" maxchar="3"/>
  </VerticalLayout>
</Window>)";

}  // namespace

TEST_F(BuilderTest, BuildsTreeAndAsksCallbackForUnknownClasses) {
  Recorder cb;
  CPaintManagerUI pm;
  CDialogBuilder b;
  CControlUI* root = b.CreateFromText(kLayout, &cb, &pm);
  ASSERT_NE(root, nullptr);
  pm.AttachDialog(root);
  EXPECT_EQ(cb.asked, QStringList({"MyThing", "NoSuchThing"}));
  EXPECT_EQ(pm.GetInitSize(), QSize(300, 200));
  EXPECT_EQ(pm.GetCaptionRect(), (Rect4{0, 0, 0, 30}));
  auto* row = qobject_cast<CContainerUI*>(pm.FindControl("row"));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->GetCount(), 2);  // the unknown class is left out
  EXPECT_EQ(pm.FindControl("custom")->GetClass(), "Label");
  EXPECT_EQ(pm.FindControl("lost"), nullptr);
  delete root;
}

TEST_F(BuilderTest, LookUpFindsFirstMatchAndSearchesBelowParentOnly) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  CControlUI* root = b.CreateFromText(kLayout, nullptr, &pm);
  ASSERT_NE(root, nullptr);
  pm.AttachDialog(root);
  CControlUI* ok = pm.FindControl("ok");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetClass(), "Button");  // depth-first: the button comes before the label
  CControlUI* row = pm.FindControl("row");
  EXPECT_EQ(pm.FindSubControlByName(row, "ok"), ok);
  EXPECT_EQ(pm.FindSubControlByName(row, "row"), nullptr);  // the parent itself is not searched
  EXPECT_EQ(pm.FindSubControlByName(row, "edit"), nullptr);
  EXPECT_EQ(pm.FindSubControlByName(ok, "ok"), nullptr);    // a plain control has no children
  EXPECT_EQ(pm.FindControl(""), nullptr);
  delete root;
}

TEST_F(BuilderTest, StateReadsBackAsSet) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  CControlUI* root = b.CreateFromText(kLayout, nullptr, &pm);
  pm.AttachDialog(root);
  CControlUI* ok = pm.FindControl("ok");
  EXPECT_EQ(ok->GetUserData(), "u1");
  EXPECT_EQ(ok->GetTag(), 7u);
  ok->SetVisible(false);
  ok->SetEnabled(false);
  ok->SetText("Fine");
  ok->SetBkColor(0xFF102030);
  ok->SetUserData("u2");
  ok->SetTag(99);
  ok->SetAttribute("hotbkcolor", "#FF405060");
  EXPECT_FALSE(ok->IsVisible());
  EXPECT_FALSE(ok->IsEnabled());
  EXPECT_EQ(ok->GetText(), "Fine");
  EXPECT_EQ(ok->GetBkColor(), 0xFF102030u);
  EXPECT_EQ(ok->GetAttribute("bkcolor"), "#FF102030");
  EXPECT_EQ(ok->GetAttribute("visible"), "false");
  EXPECT_EQ(ok->GetAttribute("text"), "Fine");
  EXPECT_EQ(ok->GetAttribute("userdata"), "u2");
  EXPECT_EQ(ok->GetAttribute("tag"), "99");
  EXPECT_EQ(ok->GetAttribute("hotbkcolor"), "#FF405060");
  auto* edit = qobject_cast<CEditUI*>(pm.FindControl("edit"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->GetText(), "12");
  EXPECT_EQ(edit->GetMaxChar(), 3);
  delete root;
}

TEST_F(BuilderTest, BrokenAndMissingFilesGiveNoTreeAndSayWhy) {
  std::vector<std::string> lines;
  kavro::dbg::setCapture([&](const std::string& l) { lines.push_back(l); });
  CPaintManagerUI pm;
  CDialogBuilder b;
  EXPECT_EQ(b.CreateFromText("<VerticalLayout><Button name='a'></VerticalLayout>", nullptr, &pm), nullptr);
  EXPECT_FALSE(b.GetLastError().isEmpty());
  EXPECT_EQ(b.CreateFromText("", nullptr, &pm), nullptr);
  EXPECT_EQ(b.Create("XML/does_not_exist.xml", nullptr, &pm), nullptr);
  EXPECT_TRUE(b.GetLastError().contains("not found"));
  EXPECT_EQ(b.CreateFromText("<Nothing/>", nullptr, &pm), nullptr);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[0].find("line"), std::string::npos);
}

TEST_F(BuilderTest, FactoryIncludesAndStylesApply) {
  CControlFactory::GetInstance()->RegistControl("CTestWidgetUI", [] { return new CProgressUI; });
  QTemporaryDir dir;
  QFile f(dir.filePath("part.xml"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<Label name='included' text='x'/>");
  f.close();
  CResourceManager::GetInstance().AddStyle("test_style", "height='44' text='styled'");
  const QString text = QString("<VerticalLayout><ctestwidgetui name='w' value='30'/>"
                               "<Include source='%1' count='2'/>"
                               "<Label name='s' height='10' style='test_style'/></VerticalLayout>")
                           .arg(dir.filePath("part.xml"));
  CPaintManagerUI pm;
  CDialogBuilder b;
  auto* root = qobject_cast<CContainerUI*>(b.CreateFromText(text, nullptr, &pm));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetCount(), 4);
  auto* w = qobject_cast<CProgressUI*>(root->GetItemAt(0));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->GetValue(), 30);
  EXPECT_EQ(root->GetItemAt(1)->GetName(), "included");
  // The style is applied first; the element's own attribute wins.
  EXPECT_EQ(root->GetItemAt(3)->GetFixedHeight(), 10);
  EXPECT_EQ(root->GetItemAt(3)->GetText(), "styled");
  delete root;
}

TEST_F(BuilderTest, LanguageTextsResolveAndReloadIntoOpenTrees) {
  QTemporaryDir dir;
  auto writeLang = [&](const char* value) {
    QFile f(dir.filePath("lang.xml"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QString("<Language><Text id='hello_key' value='%1'/></Language>").arg(value).toUtf8());
  };
  auto& rm = CResourceManager::GetInstance();
  writeLang("Hello");
  ASSERT_TRUE(rm.LoadLanguage(dir.filePath("lang.xml")));
  CPaintManagerUI pm;
  CDialogBuilder b;
  CControlUI* root = b.CreateFromText("<VerticalLayout><Label name='l' text='hello_key'/>"
                                      "<Edit name='e' prompttext='hello_key'/></VerticalLayout>",
                                      nullptr, &pm);
  pm.AttachDialog(root);
  CControlUI* label = pm.FindControl("l");
  EXPECT_EQ(label->GetText(), "hello_key");
  EXPECT_EQ(label->GetDisplayText(), "Hello");
  writeLang("Bonjour");
  ASSERT_TRUE(rm.LoadLanguage(dir.filePath("lang.xml")));
  rm.ReloadText();
  EXPECT_EQ(label->GetDisplayText(), "Bonjour");
  auto* edit = qobject_cast<CEditUI*>(pm.FindControl("e"));
  EXPECT_EQ(edit->GetLineEdit()->placeholderText(), "Bonjour");
  // A broken file keeps the texts that were loaded.
  QFile bad(dir.filePath("bad.xml"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("<Language><Text id='hello_key' value='x'>");
  bad.close();
  EXPECT_FALSE(rm.LoadLanguage(dir.filePath("bad.xml")));
  EXPECT_EQ(rm.GetText("hello_key"), "Bonjour");
  rm.ResetText();
  delete root;
}

TEST_F(BuilderTest, TabLayoutShowsOneChildAndHonoursSelectedId) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  auto* tab = qobject_cast<CTabLayoutUI*>(
      b.CreateFromText("<TabLayout selectedid='1'><Label name='a'/><Label name='b'/><Label name='c'/></TabLayout>",
                       nullptr, &pm));
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_FALSE(tab->GetItemAt(0)->IsVisible());
  EXPECT_TRUE(tab->GetItemAt(1)->IsVisible());
  tab->SelectItem(2);
  EXPECT_FALSE(tab->GetItemAt(1)->IsVisible());
  EXPECT_TRUE(tab->GetItemAt(2)->IsVisible());
  tab->RemoveAt(2);
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_TRUE(tab->GetItemAt(1)->IsVisible());
  EXPECT_FALSE(tab->SelectItem(5));
  delete tab;
  kavro::test::flushDeletes();
}
