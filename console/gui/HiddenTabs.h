// Pages of a page control whose tab is hidden: the page and its controls are
// built in full, but the operator can neither see its tab nor reach the page
// (no click, wheel turn, Ctrl+Tab, Ctrl+Shift+Tab or arrow key on the tab
// bar lands on it). Only code can show such a page, with setCurrentIndex or
// setCurrentWidget; even then nothing of its tab is drawn. GUI thread.
#pragma once

class QTabWidget;

void hidePageTab(QTabWidget* pageControl, int index);
