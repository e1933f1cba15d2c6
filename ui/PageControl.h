// A page control whose tabs are drawn by its owner (flat buttons) instead of the style.
#pragma once

#include "Keyboard.h"

#include <QTabBar>
#include <QTabWidget>
#include <functional>

class TOwnerDrawnTabBar : public TRepaintOnFocus<QTabBar> {
    Q_OBJECT

public:
    using DrawTabHandler =
        std::function<void(QPainter &painter, int index, const QRect &rect, bool active)>;

    explicit TOwnerDrawnTabBar(QWidget *parent = nullptr);

    DrawTabHandler OnDrawTab;

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
};

class TPageControl : public QTabWidget {
    Q_OBJECT

public:
    explicit TPageControl(QWidget *parent = nullptr);

    TOwnerDrawnTabBar *OwnerDrawnTabBar() const { return Bar; }

private:
    TOwnerDrawnTabBar *Bar;
};
