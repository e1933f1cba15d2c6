#include "PageControl.h"

#include <QPainter>

TOwnerDrawnTabBar::TOwnerDrawnTabBar(QWidget *parent) : QTabBar(parent) {
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
}

TPageControl::TPageControl(QWidget *parent) : QTabWidget(parent), Bar(new TOwnerDrawnTabBar(this)) {
    setTabBar(Bar);
    // Flat buttons over the pages, no frame around them.
    setDocumentMode(true);
}
