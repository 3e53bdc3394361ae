// Notifications from simulated mouse and keyboard input: buttons, option
// groups, combos, lists, sliders, edits, and control timers.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro::skin;

namespace {

struct Event {
  QString type, sender;
  WPARAM w;
  LPARAM l;
};

class Host : public INotifyUI {
 public:
  explicit Host(const QString& xml) {
    kavro::test::qtApp();
    pm.Init(&window);
    pm.AddNotifier(this);
    CDialogBuilder b;
    CControlUI* root = b.CreateFromText(xml, nullptr, &pm);
    EXPECT_NE(root, nullptr) << qPrintable(b.GetLastError());
    pm.AttachDialog(root);
    window.resize(400, 400);
    root->setGeometry(window.rect());
    window.show();
  }
  ~Host() override { pm.RemoveNotifier(this); }
  void Notify(TNotifyUI& msg) override {
    events.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : QString(), msg.wParam, msg.lParam});
  }
  template <class T = CControlUI>
  T* find(const QString& name) { return qobject_cast<T*>(pm.FindControl(name)); }
  QStringList types(const QString& sender = QString()) const {
    QStringList out;
    for (const auto& e : events)
      if (sender.isEmpty() || e.sender == sender) out << e.type;
    return out;
  }
  kavro::test::AppGuard guard;  // the application exists before the widgets
  QWidget window;
  CPaintManagerUI pm;
  std::vector<Event> events;
};

}  // namespace

TEST(SkinInput, ButtonClicksOnlyWhenReleasedInsideAndEnabled) {
  Host h("<VerticalLayout><Button name='b' height='40'/><Control/></VerticalLayout>");
  auto* b = h.find<CButtonUI>("b");
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(h.types("b"), QStringList{"click"});
  // Pressed inside, released outside: no click.
  h.events.clear();
  QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 300));
  EXPECT_TRUE(h.events.empty());
  b->SetEnabled(false);
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_TRUE(h.events.empty());
  b->SetEnabled(true);
  b->setFocusPolicy(Qt::StrongFocus);
  b->setFocus();
  QTest::keyClick(b, Qt::Key_Space);
  EXPECT_EQ(h.types("b"), QStringList{"click"});
}

TEST(SkinInput, OptionGroupsAreExclusiveAndCheckBoxesToggle) {
  Host h("<VerticalLayout>"
         "<Option name='a' group='g' height='30' selected='true'/><Option name='b' group='g' height='30'/>"
         "<Option name='other' group='h' height='30' selected='true'/><CheckBox name='c' height='30'/>"
         "</VerticalLayout>");
  auto* a = h.find<COptionUI>("a");
  auto* b = h.find<COptionUI>("b");
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_TRUE(b->IsSelected());
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(h.find<COptionUI>("other")->IsSelected());  // another group is untouched
  EXPECT_EQ(h.types(), QStringList({"click", "selectchanged", "selectchanged"}));
  // Clicking the selected member of a group changes nothing.
  h.events.clear();
  QTest::mouseClick(b, Qt::LeftButton);
  EXPECT_EQ(h.types(), QStringList{"click"});
  // Selecting without notification.
  h.events.clear();
  a->Selected(true, false);
  EXPECT_TRUE(h.events.empty());
  EXPECT_FALSE(b->IsSelected());
  auto* c = h.find<CCheckBoxUI>("c");
  QTest::mouseClick(c, Qt::LeftButton);
  EXPECT_TRUE(c->GetCheck());
  QTest::mouseClick(c, Qt::LeftButton);
  EXPECT_FALSE(c->GetCheck());
  EXPECT_EQ(h.types("c"), QStringList({"click", "selectchanged", "click", "selectchanged"}));
}

TEST(SkinInput, ComboSelectionFromCodeAndFromThePopup) {
  Host h("<VerticalLayout><Combo name='combo' height='30' itemheight='20'>"
         "<ListLabelElement text='zero'/><ListLabelElement text='one'/><ListLabelElement text='two'/>"
         "</Combo><Control/></VerticalLayout>");
  auto* combo = h.find<CComboUI>("combo");
  EXPECT_EQ(combo->GetCount(), 3);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_TRUE(combo->SelectItem(1));
  ASSERT_EQ(h.events.size(), 1u);
  EXPECT_EQ(h.events[0].type, "itemselect");
  EXPECT_EQ(h.events[0].w, 1u);
  EXPECT_EQ(h.events[0].l, -1);
  EXPECT_EQ(combo->GetText(), "one");
  h.events.clear();
  EXPECT_TRUE(combo->SelectItem(1));  // already selected: no event
  EXPECT_TRUE(combo->SelectItem(2, false, false));
  EXPECT_TRUE(h.events.empty());
  EXPECT_FALSE(combo->SelectItem(7));

  QTest::mouseClick(combo, Qt::LeftButton);
  ASSERT_TRUE(combo->IsDropDownShown());
  ComboPopup* popup = combo->GetDropDown();
  QTest::mouseClick(popup, Qt::LeftButton, {}, popup->RowRect(0).center());
  EXPECT_FALSE(combo->IsDropDownShown());
  EXPECT_EQ(combo->GetCurSel(), 0);
  ASSERT_FALSE(h.events.empty());
  EXPECT_EQ(h.events.back().type, "itemselect");
  // The release of the click that opened the list reaches the list over the
  // box: the list stays open. A release elsewhere outside it closes it.
  QTest::mousePress(combo, Qt::LeftButton);
  ASSERT_TRUE(combo->IsDropDownShown());
  QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->mapFromGlobal(combo->mapToGlobal(QPoint(5, 5))));
  EXPECT_TRUE(combo->IsDropDownShown());
  QTest::mouseRelease(popup, Qt::LeftButton, {}, popup->mapFromGlobal(combo->mapToGlobal(QPoint(5, 5))));
  EXPECT_FALSE(combo->IsDropDownShown());
  // Removing the selected item leaves no selection; indexes shift.
  combo->RemoveAt(0);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(combo->GetCount(), 2);
}

TEST(SkinInput, ListSelectionClickActivationAndMultiSelect) {
  Host h("<VerticalLayout><List name='list' multiselect='true'>"
         "<ListLabelElement name='i0' text='a'/><ListLabelElement name='i1' text='b'/>"
         "<ListLabelElement name='i2' text='c'/></List></VerticalLayout>");
  auto* list = h.find<CListUI>("list");
  auto* i1 = h.find<CListLabelElementUI>("i1");
  auto* i2 = h.find<CListLabelElementUI>("i2");
  QTest::mouseClick(i1, Qt::LeftButton);
  EXPECT_EQ(list->GetCurSel(), 1);
  EXPECT_EQ(h.types(), QStringList({"itemselect", "itemclick"}));
  h.events.clear();
  QTest::mouseDClick(i1, Qt::LeftButton);
  EXPECT_TRUE(h.types().contains("itemactivate"));
  QTest::mouseClick(i2, Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(list->GetSelectedItems(), QList<int>({1, 2}));
  QTest::mouseClick(i1, Qt::LeftButton, Qt::ControlModifier);  // toggles off
  EXPECT_EQ(list->GetSelectedItems(), QList<int>({2}));
  QTest::mouseClick(h.find("i0"), Qt::LeftButton);  // plain click: single selection
  EXPECT_EQ(list->GetSelectedItems(), QList<int>({0}));
  list->RemoveAt(0);
  EXPECT_EQ(list->GetCurSel(), -1);
  EXPECT_EQ(i1->GetIndex(), 0);
  kavro::test::flushDeletes();
}

TEST(SkinInput, SliderSendsMoveWhileDraggingAndValueOnRelease) {
  Host h("<HorizontalLayout><Slider name='s' width='110' height='20' min='0' max='100' thumbsize='10,10'/>"
         "<Control/></HorizontalLayout>");
  auto* s = h.find<CSliderUI>("s");
  ASSERT_EQ(s->width(), 110);
  // Track runs from x=5 to x=105.
  QTest::mousePress(s, Qt::LeftButton, {}, QPoint(55, 10));
  EXPECT_EQ(s->GetValue(), 50);
  QMouseEvent move(QEvent::MouseMove, QPointF(80, 10), s->mapToGlobal(QPointF(80, 10)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(s, &move);
  EXPECT_EQ(s->GetValue(), 75);
  QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(80, 10));
  EXPECT_EQ(h.types("s"), QStringList({"movevaluechanged", "movevaluechanged", "valuechanged"}));
  EXPECT_EQ(h.events.back().w, 75u);
  s->SetValue(500);
  EXPECT_EQ(s->GetValue(), 100);
  s->SetMaxValue(10);
  EXPECT_EQ(s->GetValue(), 10);
}

TEST(SkinInput, EditLimitsNumbersLengthAndValue) {
  Host h("<VerticalLayout><Edit name='e' height='30' numberonly='true' maxchar='4' minvalue='10' maxvalue='500'/>"
         "<Edit name='free' height='30'/></VerticalLayout>");
  auto* e = h.find<CEditUI>("e");
  QLineEdit* line = e->GetLineEdit();
  line->setFocus();
  QTest::keyClicks(line, "9a8b7c6d5");
  EXPECT_EQ(e->GetText(), "9876");  // letters refused, at most four characters
  EXPECT_TRUE(h.types("e").contains("textchanged"));
  h.events.clear();
  QTest::keyClick(line, Qt::Key_Return);
  EXPECT_EQ(e->GetText(), "500");  // clamped on commit
  EXPECT_EQ(h.types("e"), QStringList({"textchanged", "return"}));
  e->SetText("3");
  EXPECT_EQ(e->GetText(), "3");  // code may set anything; the limits apply on commit
  e->CommitValue();
  EXPECT_EQ(e->GetText(), "10");
  auto* free = h.find<CEditUI>("free");
  QTest::keyClicks(free->GetLineEdit(), "abc");
  EXPECT_EQ(free->GetText(), "abc");
}

TEST(SkinInput, ControlTimersRepeatUntilKilled) {
  Host h("<VerticalLayout><Control name='t'/></VerticalLayout>");
  CControlUI* t = h.find("t");
  ASSERT_TRUE(t->SetTimer(42, 1));
  ASSERT_TRUE(kavro::test::waitFor([&] { return h.events.size() >= 3; }));
  for (const auto& e : h.events) {
    EXPECT_EQ(e.type, "timer");
    EXPECT_EQ(e.w, 42u);
  }
  t->KillTimer(42);
  EXPECT_FALSE(t->HasTimer(42));
  const size_t count = h.events.size();
  QCoreApplication::processEvents();
  QTest::qWait(20);
  EXPECT_EQ(h.events.size(), count);
}
