#include "tab_control.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include <algorithm>

namespace m4::ui {

TabControl::TabControl(const QStringList& captions, int tabsPerRow, int tabHeight, QWidget* parent)
    : QWidget(parent), captions_(captions), tabsPerRow_(std::max(tabsPerRow, 1)),
      tabHeight_(tabHeight) {
    for (int i = 0; i < captions.size(); ++i) {
        auto* page = new QWidget(this);
        page->setVisible(i == 0);
        pages_.push_back(page);
    }
}

QWidget* TabControl::page(int i) const {
    return pages_.at(static_cast<size_t>(i));
}

void TabControl::setTab(int i) {
    if (i < 0 || i >= count() || i == current_) return;
    const int previous = current_;
    current_ = i;
    for (int p = 0; p < count(); ++p) pages_[static_cast<size_t>(p)]->setVisible(p == i);
    update();
    Q_EMIT tabChanged(previous);
}

QRect TabControl::tabRect(int i) const {
    const int row = i / tabsPerRow_;
    const int column = i % tabsPerRow_;
    const int left = width() * column / tabsPerRow_;
    const int right = width() * (column + 1) / tabsPerRow_;
    return {left, row * tabHeight_, right - left, tabHeight_};
}

void TabControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(0, stripHeight() - 1, width(), height() - stripHeight() + 1);
    frame.shape = QTabBar::RoundedNorth;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab tab;
        tab.initFrom(this);
        tab.rect = tabRect(i);
        tab.text = captions_[i];
        tab.shape = QTabBar::RoundedNorth;
        const int column = i % tabsPerRow_;
        tab.position = tabsPerRow_ == 1            ? QStyleOptionTab::OnlyOneTab
                       : column == 0               ? QStyleOptionTab::Beginning
                       : column == tabsPerRow_ - 1 ? QStyleOptionTab::End
                                                   : QStyleOptionTab::Middle;
        if (i == current_) tab.state |= QStyle::State_Selected;
        style()->drawControl(QStyle::CE_TabBarTabShape, &tab, &painter, this);
        style()->drawControl(QStyle::CE_TabBarTabLabel, &tab, &painter, this);
    }
}

void TabControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QWidget* page : pages_) page->setGeometry(rect());
}

// The tab control takes every click on itself: its tabs and pages are not the window's
// background.
void TabControl::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    for (int i = 0; i < count(); ++i)
        if (tabRect(i).contains(event->position().toPoint())) {
            setTab(i);
            return;
        }
}

void TabControl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace m4::ui
