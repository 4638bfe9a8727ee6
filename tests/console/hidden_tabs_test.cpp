// The pages whose tab is hidden: out of the operator's reach by keyboard and
// mouse, taking no room in the tab bar, and not drawn even while code shows
// their page.
#include <QImage>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "Main.h"
#include "console_fixture.h"

namespace {

class HiddenTabs : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    pages = Form1->PageControl1;
    bar = pages->tabBar();
    pages->setEnabled(true);  // as after a link was opened
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
  }

  bool currentTabShown() const { return pages->isTabVisible(pages->currentIndex()); }
  QString currentCaption() const { return pages->tabText(pages->currentIndex()); }

  QTabWidget* pages = nullptr;
  QTabBar* bar = nullptr;
};

// Where each operator action starts: every shown tab, and pages that code
// showed although their tab is hidden.
std::vector<QWidget*> startPages() {
  return {Form1->TabSheet1, Form1->TabSheet6, Form1->TabSheet8, Form1->TabSheet2,
          Form1->TabSheet5};
}

TEST_F(HiddenTabs, KeyboardNeverReachesAHiddenPage) {
  struct Keys {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool onTabBar;  // sent to the tab bar rather than to the page control
  };
  const Keys cases[] = {
      {"Ctrl+Tab", Qt::Key_Tab, Qt::ControlModifier, false},
      {"Ctrl+Shift+Tab", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, false},
      {"Ctrl+PgDown", Qt::Key_PageDown, Qt::ControlModifier, false},
      {"Ctrl+PgUp", Qt::Key_PageUp, Qt::ControlModifier, false},
      {"Right", Qt::Key_Right, Qt::NoModifier, true},
      {"Left", Qt::Key_Left, Qt::NoModifier, true},
      {"Down", Qt::Key_Down, Qt::NoModifier, true},
      {"Up", Qt::Key_Up, Qt::NoModifier, true},
      {"Home", Qt::Key_Home, Qt::NoModifier, true},
      {"End", Qt::Key_End, Qt::NoModifier, true},
  };
  for (const Keys& keys : cases) {
    for (QWidget* start : startPages()) {
      pages->setCurrentWidget(start);
      QWidget* target = keys.onTabBar ? static_cast<QWidget*>(bar) : pages;
      // Enough presses to go round the eight pages either way.
      for (int press = 0; press < 9; ++press) {
        QTest::keyClick(target, keys.key, keys.modifiers);
        if (pages->currentWidget() == start) continue;  // a key that does nothing here
        ASSERT_TRUE(currentTabShown())
            << keys.name << " from " << start->objectName().toStdString() << " reached "
            << currentCaption().toStdString();
      }
    }
  }
}

TEST_F(HiddenTabs, MouseOnTheTabBarNeverReachesAHiddenPage) {
  for (QWidget* start : startPages()) {
    pages->setCurrentWidget(start);
    for (int x = 0; x < bar->width(); x += 2) {
      QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(x, bar->height() / 2));
      ASSERT_TRUE(currentTabShown()) << "click at x=" << x << " reached "
                                     << currentCaption().toStdString();
    }
  }
  for (QWidget* start : startPages()) {
    for (int notch : {120, -120}) {
      pages->setCurrentWidget(start);
      for (int turn = 0; turn < 9; ++turn) {
        const QPoint at(bar->width() / 2, bar->height() / 2);
        QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &wheel);
        if (pages->currentWidget() == start) continue;
        ASSERT_TRUE(currentTabShown()) << "wheel " << notch << " from "
                                       << start->objectName().toStdString() << " reached "
                                       << currentCaption().toStdString();
      }
    }
  }
}

// The shown tabs stay the operator's: Ctrl+Tab goes round them, a click
// selects one.
TEST_F(HiddenTabs, ShownTabsStayReachable) {
  pages->setCurrentWidget(Form1->TabSheet1);
  std::vector<QString> seen;
  for (int press = 0; press < 3; ++press) {
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
    seen.push_back(currentCaption());
  }
  EXPECT_EQ(seen, (std::vector<QString>{"Ethernet Set", "Firmware", "Initial / Card Control"}));
  for (int index : {7, 6, 0}) {
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    EXPECT_EQ(pages->currentIndex(), index);
  }
}

TEST_F(HiddenTabs, HiddenTabsTakeNoRoomInTheTabBar) {
  int shownWidth = 0;
  for (int i = 0; i < pages->count(); ++i) {
    if (pages->isTabVisible(i)) {
      shownWidth += bar->tabRect(i).width();
    } else {
      EXPECT_TRUE(bar->tabRect(i).isEmpty()) << pages->tabText(i).toStdString();
    }
  }
  // The three shown tabs sit side by side from the left end of the bar.
  EXPECT_EQ(bar->tabRect(0).left(), 0);
  EXPECT_EQ(bar->tabRect(6).left(), bar->tabRect(0).right() + 1);
  EXPECT_EQ(bar->tabRect(7).left(), bar->tabRect(6).right() + 1);
  EXPECT_EQ(bar->sizeHint().width(), shownWidth);
}

// Whatever the hidden tabs' captions are, the bar looks the same: nothing of
// them is drawn, also while code shows one of their pages.
TEST_F(HiddenTabs, NothingOfAHiddenTabIsDrawnWhileCodeShowsItsPage) {
  for (QWidget* shownByCode : {Form1->TabSheet2, Form1->TabSheet3, Form1->TabSheet7,
                               Form1->TabSheet4, Form1->TabSheet5}) {
    pages->setCurrentWidget(shownByCode);
    ASSERT_EQ(pages->currentWidget(), shownByCode);
    EXPECT_TRUE(shownByCode->isVisible());
    const QImage before = bar->grab().toImage();
    std::vector<QString> captions;
    for (int i = 0; i < pages->count(); ++i) {
      captions.push_back(pages->tabText(i));
      if (!pages->isTabVisible(i)) pages->setTabText(i, "WWWWWWWWWWWWWWWW");
    }
    const QImage after = bar->grab().toImage();
    for (int i = 0; i < pages->count(); ++i) pages->setTabText(i, captions[i]);
    EXPECT_TRUE(before == after) << shownByCode->objectName().toStdString();
  }
}

}  // namespace
