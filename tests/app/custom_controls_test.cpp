// Custom controls in a window: rubber band selection, key buttons, hand
// image buttons, record button, ring progress and the list rows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/control_registry.h"
#include "widgets/circle_progress.h"
#include "widgets/cloud_share_list_item.h"
#include "widgets/combo_edit_container_element.h"
#include "widgets/device_key_button.h"
#include "widgets/hand_img_button.h"
#include "widgets/redio_macro_button.h"
#include "widgets/select_panel.h"
#include "widgets/wnd_ui.h"
#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro::skin;
using namespace kavro::app;
using namespace kavro::widgets;

namespace {

class Host : public INotifyUI, public IDialogBuilderCallback {
 public:
  explicit Host(const QString& xml) {
    kavro::test::qtApp();
    static const bool registered = !registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/").isEmpty();
    EXPECT_TRUE(registered);
    pm.Init(&window);
    pm.AddNotifier(this);
    CDialogBuilder b;
    CControlUI* root = b.CreateFromText(xml, this, &pm);
    EXPECT_NE(root, nullptr) << qPrintable(b.GetLastError());
    pm.AttachDialog(root);
    window.resize(400, 300);
    root->setGeometry(window.rect());
    window.show();
  }
  ~Host() override { pm.RemoveNotifier(this); }
  CControlUI* CreateControl(const QString& cls) override { return createCustomControl(cls); }
  void Notify(TNotifyUI& msg) override {
    types << msg.sType;
    senders << (msg.pSender ? msg.pSender->GetName() : QString());
  }
  template <class T = CControlUI>
  T* find(const QString& name) { return qobject_cast<T*>(pm.FindControl(name)); }
  void mouse(QWidget* w, QEvent::Type t, QPoint pos, Qt::MouseButtons held = Qt::LeftButton) {
    QMouseEvent e(t, QPointF(pos), w->mapToGlobal(QPointF(pos)), t == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
  }
  kavro::test::AppGuard guard;  // the application exists before the widgets
  QWidget window;
  CPaintManagerUI pm;
  QStringList types, senders;
};

const char* kPanel = "<VerticalLayout><SelectPanel name='panel' height='200'>"
                     "<DeviceKeyButton name='key_0' float='true' pos='10,10,50,50'/>"
                     "<DeviceKeyButton name='key_1' float='true' pos='60,10,100,50'/>"
                     "<DeviceKeyButton name='key_2' float='true' pos='200,100,240,140'/>"
                     "</SelectPanel></VerticalLayout>";

}  // namespace

TEST(SelectPanel, DragSelectsIntersectingKeysAndReportsOnce) {
  Host h(kPanel);
  auto* panel = h.find<CSelectPanelUI>("panel");
  ASSERT_EQ(panel->KeyButtons().size(), 3);
  auto* k0 = h.find<CDeviceKeyButtonUI>("key_0");
  auto* k1 = h.find<CDeviceKeyButtonUI>("key_1");
  auto* k2 = h.find<CDeviceKeyButtonUI>("key_2");
  k2->setSelectedByRubberBand(true);  // cleared by the next selection
  h.mouse(panel, QEvent::MouseButtonPress, QPoint(150, 70));
  h.mouse(panel, QEvent::MouseMove, QPoint(120, 60));
  h.mouse(panel, QEvent::MouseMove, QPoint(80, 30));  // half over key_1 only
  EXPECT_TRUE(panel->IsDragging());
  EXPECT_EQ(panel->GetSelectionRect(), QRect(QPoint(80, 30), QPoint(150, 70)));
  h.mouse(panel, QEvent::MouseButtonRelease, QPoint(80, 30), Qt::NoButton);
  EXPECT_FALSE(k0->isSelectedByRubberBand());
  EXPECT_TRUE(k1->isSelectedByRubberBand());
  EXPECT_FALSE(k2->isSelectedByRubberBand());
  EXPECT_EQ(h.types, QStringList{"click_select_end"});
  EXPECT_FALSE(panel->IsDragging());
}

TEST(SelectPanel, PressWithoutMoveSelectsNothing) {
  Host h(kPanel);
  auto* panel = h.find<CSelectPanelUI>("panel");
  auto* k0 = h.find<CDeviceKeyButtonUI>("key_0");
  k0->setSelectedByRubberBand(true);
  h.mouse(panel, QEvent::MouseButtonPress, QPoint(5, 5));
  h.mouse(panel, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
  EXPECT_TRUE(h.types.isEmpty());
  EXPECT_TRUE(k0->isSelectedByRubberBand());
  panel->SetEnabled(false);
  h.mouse(panel, QEvent::MouseButtonPress, QPoint(5, 5));
  h.mouse(panel, QEvent::MouseMove, QPoint(100, 100));
  EXPECT_FALSE(panel->IsDragging());
}

TEST(SelectPanel, ADragFromAKeyBecomesTheBandAndAShortOneStaysAClick) {
  Host h(kPanel);
  auto* panel = h.find<CSelectPanelUI>("panel");
  auto* k0 = h.find<CDeviceKeyButtonUI>("key_0");
  auto* k1 = h.find<CDeviceKeyButtonUI>("key_1");
  const int far = QApplication::startDragDistance() + 2;
  // A press on key_0 with a jitter below the drag distance is a click on it.
  h.mouse(k0, QEvent::MouseButtonPress, QPoint(20, 20));
  h.mouse(k0, QEvent::MouseMove, QPoint(21, 21));
  h.mouse(k0, QEvent::MouseButtonRelease, QPoint(21, 21), Qt::NoButton);
  EXPECT_EQ(h.types, QStringList{"click"});
  EXPECT_EQ(h.senders, QStringList{"key_0"});
  h.types.clear(), h.senders.clear();

  // Dragged from key_0 over key_1: the panel's band, and no click.
  h.mouse(k0, QEvent::MouseButtonPress, QPoint(20, 20));
  h.mouse(k0, QEvent::MouseMove, QPoint(20 + far, 20));
  EXPECT_TRUE(panel->IsDragging());
  h.mouse(k0, QEvent::MouseMove, QPoint(60, 30));  // to x 70 in the panel, inside key_1
  EXPECT_EQ(panel->GetSelectionRect(), QRect(QPoint(30, 30), QPoint(70, 40)));
  h.mouse(k0, QEvent::MouseButtonRelease, QPoint(60, 30), Qt::NoButton);
  EXPECT_EQ(h.types, QStringList{"click_select_end"});
  EXPECT_TRUE(k0->isSelectedByRubberBand());
  EXPECT_TRUE(k1->isSelectedByRubberBand());
  EXPECT_FALSE(k0->IsPushed());
  EXPECT_FALSE(panel->IsDragging());
}

TEST(DeviceKeyButton, DefaultsLightAndDoubleClick) {
  Host h("<VerticalLayout><DeviceKeyButton name='k' height='40' gmnametextcolor='#FF00FF'/></VerticalLayout>");
  auto* k = h.find<CDeviceKeyButtonUI>("k");
  EXPECT_EQ(k->GetClass(), "DeviceKeyButton");
  EXPECT_EQ(k->getLightColor(), 255u);
  EXPECT_EQ(k->getLightBrightness(), 200);
  EXPECT_FALSE(k->isLightShown());
  EXPECT_TRUE(k->isKeyMarkHidden());
  k->setLight(0x123456, 300, true);
  EXPECT_EQ(k->getLightColor(), 0x123456u);
  EXPECT_EQ(k->getLightBrightness(), 255);
  QTest::mouseDClick(k, Qt::LeftButton);
  EXPECT_TRUE(h.types.contains("dbclick"));
  k->SetEnabled(false);
  h.types.clear();
  QTest::mouseDClick(k, Qt::LeftButton);
  EXPECT_FALSE(h.types.contains("dbclick"));
}

TEST(DeviceKeyButton, ASkinChangeRepaintsTheCachedKey) {
  Host h("<VerticalLayout><DeviceKeyButton name='k' height='40' bkcolor='#FF1B1F26'/></VerticalLayout>");
  auto* k = h.find<CDeviceKeyButtonUI>("k");
  const QPoint mid(k->width() / 2, k->height() / 2);
  const QRgb dark = k->grab().toImage().pixel(mid);
  SetSkinTheme({SkinTone::Light, kLayoutAccent});
  const QRgb light = k->grab().toImage().pixel(mid);
  SetSkinTheme({});
  EXPECT_GT(qGray(light), qGray(dark) + 100);
  EXPECT_EQ(k->grab().toImage().pixel(mid), dark);
}

TEST(HandImgButton, DeleteZoneOnlyWhenEnabledElseNormalClick) {
  Host h("<HorizontalLayout><HandImgButton name='p' width='100' height='80'/><Control/></HorizontalLayout>");
  auto* p = h.find<CHandImgButtonUI>("p");
  const QPoint inZone = p->GetDeleteRect().center();
  EXPECT_EQ(p->GetDeleteRect(), QRect(70, 51, 20, 20));
  QTest::mouseClick(p, Qt::LeftButton, {}, inZone);
  EXPECT_EQ(h.types, QStringList{"click"});  // deleting is off after construction
  p->SetDeleteEnabled(true);
  h.types.clear();
  QTest::mouseClick(p, Qt::LeftButton, {}, inZone);
  EXPECT_EQ(h.types, QStringList{"click_handdelete"});
  h.types.clear();
  QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(h.types, QStringList{"click"});
  h.types.clear();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), p->mapToGlobal(QPointF(5, 5)));
  QCoreApplication::sendEvent(p, &enter);
  h.mouse(p, QEvent::MouseMove, inZone, Qt::NoButton);
  EXPECT_TRUE(p->IsDeleteHot());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(p, &leave);
  EXPECT_EQ(h.types, QStringList({"msenter", "msleave"}));
  EXPECT_FALSE(p->IsDeleteHot());
}

TEST(RedioMacroButton, PulseSetsFadedForegroundImage) {
  Host h("<VerticalLayout><RedioMacroButton name='r' redioimage='rec.png'/></VerticalLayout>");
  auto* r = h.find<CRedioMacroButtonUI>("r");
  r->SetPulsing(true);
  EXPECT_TRUE(r->HasTimer(CRedioMacroButtonUI::kPulseTimerId));
  r->PulseStep();
  EXPECT_EQ(r->GetForeImage(), "res='rec.png' fade='235'");
  ASSERT_TRUE(kavro::test::waitFor([&] { return r->GetFade() <= 195; }));
  EXPECT_TRUE(h.types.isEmpty());  // its own timer sends no "timer" notification
  r->SetPulsing(false);
  EXPECT_FALSE(r->HasTimer(CRedioMacroButtonUI::kPulseTimerId));
  EXPECT_TRUE(r->GetForeImage().isEmpty());
}

TEST(CircleProgress, HalfValueSweepsHalfTheRing) {
  Host h("<VerticalLayout><CircleProgress name='c' min='0' max='100' value='50'/></VerticalLayout>");
  auto* c = h.find<CCircleProgressUI>("c");
  EXPECT_EQ(c->GetClass(), "CircleProgress");
  EXPECT_DOUBLE_EQ(c->SweepDegrees(), 180.0);
  QImage img(100, 100, QImage::Format_ARGB32);
  img.fill(Qt::black);
  c->setGeometry(0, 0, 100, 100);
  c->SetAttribute("forecolor", "#FFFF0000");
  c->SetBkColor(0xFF0000FF);
  c->render(&img);
  // The fore colour fills the left half of the ring (from the bottom, clockwise).
  EXPECT_EQ(QColor(img.pixel(4, 50)).red(), 255);
  EXPECT_EQ(QColor(img.pixel(95, 50)).blue(), 255);
  EXPECT_EQ(QColor(img.pixel(50, 50)), QColor(Qt::white));
}

TEST(ListRows, ComboEditRowBuildsItsChildrenAndCloudRowActivates) {
  Host h("<VerticalLayout><List name='list'>"
         "<ComboEditContainerElement name='row' normalimage='x.png'/>"
         "<CCloudShareListItemUI name='cloud'/></List></VerticalLayout>");
  auto* row = h.find<CComboEditContainerElementUI>("row");
  ASSERT_NE(row, nullptr);
  ASSERT_NE(row->GetText1(), nullptr);
  ASSERT_NE(row->GetText2(), nullptr);
  ASSERT_NE(row->GetDelayEdit(), nullptr);
  QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_TRUE(row->IsSelected());
  QTest::mouseClick(row, Qt::LeftButton, Qt::ControlModifier, QPoint(2, 2));
  EXPECT_FALSE(row->IsSelected());  // Ctrl toggles
  row->setFocusPolicy(Qt::StrongFocus);
  h.types.clear();
  QTest::keyClick(row, Qt::Key_Return);
  EXPECT_EQ(h.types, QStringList({"itemactivate", "return"}));
  auto* cloud = h.find<CCloudShareListItemUI>("cloud");
  h.types.clear();
  QTest::mouseDClick(cloud, Qt::LeftButton);
  EXPECT_TRUE(h.types.contains("itemactivate"));
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 3));
  QCoreApplication::sendEvent(cloud, &menu);
  EXPECT_EQ(h.types.last(), "menu");
}

TEST(WndUI, KeepsTheHostedWidgetOnItsRectangle) {
  Host h("<VerticalLayout><Control height='20'/><CWndUI name='w' height='50'/><Control/></VerticalLayout>");
  auto* w = h.find<CWndUI>("w");
  QWidget native(&h.window);
  ASSERT_TRUE(w->Attach(&native));
  EXPECT_EQ(native.geometry(), QRect(0, 20, 400, 50));
  w->SetVisible(false);
  EXPECT_FALSE(native.isVisible());
  w->SetVisible(true);
  EXPECT_TRUE(native.isVisible());
  EXPECT_EQ(w->Detach(), &native);
}
