#include "PageControl.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

TOwnerDrawnTabBar::TOwnerDrawnTabBar(QWidget *parent) : TRepaintOnFocus(parent) {
    setDrawBase(false);
    setExpanding(false);
}

QSize TOwnerDrawnTabBar::tabSizeHint(int index) const {
    // Room for the caption written 2 pixels in from the corner, with a margin like a button's.
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(tabText(index)) + 12, metrics.height() + 8};
}

void TOwnerDrawnTabBar::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    for (int index = 0; index < count(); ++index) {
        if (OnDrawTab)
            OnDrawTab(painter, index, tabRect(index), index == currentIndex());
    }
    // Only the keyboard brings the focus to the bar (a press on a tab does not); the shown tab
    // then says so, as a style frames a control reached by Tab.
    if (hasFocus() && currentIndex() >= 0) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.rect = tabRect(currentIndex()).adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

TPageControl::TPageControl(QWidget *parent) : QTabWidget(parent), Bar(new TOwnerDrawnTabBar(this)) {
    setTabBar(Bar);
    // Flat buttons over the pages, no frame around them.
    setDocumentMode(true);
}
