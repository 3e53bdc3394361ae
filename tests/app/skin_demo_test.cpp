// Renders the demo layout, which uses every control, offscreen to PNG so
// that the look can be checked; also checks that the picture has content.
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QTest>

#include "app/control_registry.h"
#include "widgets/chart_view.h"
#include "widgets/cloud_share_list_item.h"
#include "widgets/combo_edit_container_element.h"
#include "widgets/device_key_button.h"
#include "widgets/hand_img_button.h"
#include "widgets/wnd_ui.h"
#include "app/main_wnd.h"
#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro::skin;
using namespace kavro::app;
using namespace kavro::widgets;

namespace {

class DemoWnd : public CWindowWnd {
 public:
  QString GetWindowClassName() const override { return "DemoWnd"; }
  QString GetSkinFile() const override { return "demo/skin_demo.xml"; }
  CControlUI* CreateControl(const QString& cls) override { return createCustomControl(cls); }
};

uint32_t colorRef(const QColor& c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }

void fillDemo(DemoWnd& w) {
  for (int i = 0;; ++i) {
    auto* key = w.Find<CDeviceKeyButtonUI>(QString("key_%1").arg(i));
    if (!key) break;
    const int x = key->GetFloatPos().l + key->GetFloatPos().width() / 2;
    key->setLight(colorRef(QColor::fromHsv((x * 300 / 551) % 360, 230, 255)), 235, true);
  }
  for (const char* name : {"key_16", "key_29", "key_30", "key_31"})
    w.Find<CDeviceKeyButtonUI>(name)->setSelectedByRubberBand(true);
  w.Find<CDeviceKeyButtonUI>("key_21")->setKeyMarkHidden(false);
  w.Find<CDeviceKeyButtonUI>("key_1")->setKeyMarkHidden(false);

  auto* chart = w.Find<CChartViewUI>("usage_chart");
  const std::pair<const char*, int> usage[] = {{"Mo", 3}, {"Tu", 5}, {"We", 2}, {"Th", 6}, {"Fr", 4}};
  for (const auto& [day, hours] : usage) chart->Add(day, hours);

  auto* macro = w.Find<CListUI>("macro_action_list");
  const char* steps[][3] = {{"Key down", "W", "50"}, {"Key up", "W", "30"}, {"Left button", "Click", "15"},
                            {"Key down", "Shift", "0"}, {"Key up", "Shift", "120"}};
  for (const auto& s : steps) {
    auto* row = new CComboEditContainerElementUI;
    row->SetFixedHeight(32);
    macro->Add(row);
    row->GetText1()->SetText(s[0]);
    row->GetText2()->SetText(s[1]);
    row->GetDelayEdit()->SetText(s[2]);
  }
  macro->SelectItem(1, false, false);

  auto* cloud = w.Find<CListUI>("cloud_list");
  for (const char* name : {"Aim trainer lights", "Ocean wave"}) {
    auto* item = new CCloudShareListItemUI;
    item->SetFixedHeight(30);
    auto* label = new CLabelUI;
    label->SetText(name);
    label->SetTextPadding(Rect4{10, 0, 10, 0});
    item->Add(label);
    cloud->Add(item);
  }
  w.Find<CHandImgButtonUI>("profile_2")->SetDeleteEnabled(true);

  auto* host = w.Find<CWndUI>("native_host");
  auto* native = new QLabel("Qt", &w);
  native->setAlignment(Qt::AlignCenter);
  native->setStyleSheet("color:#8A93A3;background:transparent;font-size:11px;");
  host->Attach(native);
}

QImage renderDemo(int dpi, const QString& file) {
  CPaintManagerUI::SetAllDPI(dpi);
  DemoWnd w;
  EXPECT_TRUE(w.Create(nullptr, "demo", UI_WNDSTYLE_FRAME));
  w.show();
  fillDemo(w);
  // Hover the delete corner of one profile tile so that its state shows.
  auto* tile = w.Find<CHandImgButtonUI>("profile_2");
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), tile->mapToGlobal(QPointF(5, 5)));
  QCoreApplication::sendEvent(tile, &enter);
  QCoreApplication::processEvents();
  QImage img = w.grab().toImage();
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  img.save(QString(KAVRO_TEST_OUTPUT_DIR) + "/" + file);
  CPaintManagerUI::SetAllDPI(96);
  return img;
}

class MsgPreview : public CWindowWnd {
 public:
  QString GetWindowClassName() const override { return "MsgWnd"; }
  QString GetSkinFile() const override { return "XML_MSG"; }
};

template <class W>
QImage renderWindow(W& w, const QString& file) {
  w.show();
  QCoreApplication::processEvents();
  QImage img = w.grab().toImage();
  img.save(QString(KAVRO_TEST_OUTPUT_DIR) + "/" + file);
  return img;
}

}  // namespace

TEST(SkinDemo, RendersTheDialogAndTheMainWindow) {
  kavro::test::qtApp();
  registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
  MsgPreview msg;
  ASSERT_TRUE(msg.Create(nullptr, "msgwnd", UI_WNDSTYLE_TOOL));
  msg.FindControl("MessageText")->SetText("message_text_2");
  EXPECT_EQ(renderWindow(msg, "skin_msgwnd.png").size(), QSize(380, 210));
  CMainWnd main;
  ASSERT_TRUE(main.Create(nullptr, "KAVRO TR-P40 Mechanical Keyboard", UI_WNDSTYLE_FRAME, 0, 0, 800, 572));
  // Built at its working size (1350 x 810 where the screen has room).
  EXPECT_EQ(renderWindow(main, "skin_main.png").size(), main.workingSize());
  CResourceManager::GetInstance().ResetText();
}

TEST(SkinDemo, RendersEveryControlToPng) {
  kavro::test::qtApp();
  registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
  const QImage img = renderDemo(96, "skin_demo.png");
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), QSize(1120, 720));
  // The page has content: many distinct colours, not a flat fill.
  QSet<QRgb> colours;
  for (int y = 0; y < img.height(); y += 7)
    for (int x = 0; x < img.width(); x += 7) colours.insert(img.pixel(x, y));
  EXPECT_GT(colours.size(), 200);
  const QImage big = renderDemo(144, "skin_demo_144dpi.png");
  EXPECT_EQ(big.size(), QSize(1680, 1080));
}
