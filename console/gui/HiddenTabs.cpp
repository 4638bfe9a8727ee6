#include "gui/HiddenTabs.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

namespace {

// A hidden tab is laid out with no room, yet the tab bar still draws it when
// code has made its page the current one: its caption would show through at
// the left end of the bar. A tab without room draws nothing here.
class NoRoomNoTabStyle : public QProxyStyle {
 public:
  // Draws the rest as a fresh instance of the application's style would.
  NoRoomNoTabStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const bool tabPart = element == CE_TabBarTab || element == CE_TabBarTabShape ||
                         element == CE_TabBarTabLabel;
    if (tabPart && option->rect.isEmpty()) return;
    QProxyStyle::drawControl(element, option, painter, widget);
  }
};

void drawNoTabWithoutRoom(QTabBar* bar) {
  if (dynamic_cast<NoRoomNoTabStyle*>(bar->style()) != nullptr) return;
  auto* style = new NoRoomNoTabStyle;
  style->setParent(bar);
  bar->setStyle(style);
}

}  // namespace

void hidePageTab(QTabWidget* pageControl, int index) {
  QTabBar* bar = pageControl->tabBar();
  pageControl->setTabVisible(index, false);
  // The keyboard and the wheel step over disabled tabs only, hidden or not.
  // Disabled in the bar alone: the page's own controls stay enabled.
  bar->setTabEnabled(index, false);
  drawNoTabWithoutRoom(bar);
}
