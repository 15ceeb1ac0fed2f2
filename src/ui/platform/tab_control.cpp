#include "tab_control.h"

#include <QApplication>
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
        page->setObjectName(QStringLiteral("page%1").arg(i));
        page->setVisible(i == 0);
        pages_.push_back(page);
    }
    lastFocus_.resize(pages_.size());
}

QWidget* TabControl::page(int i) const {
    return pages_.at(static_cast<size_t>(i));
}

void TabControl::setTab(int i) {
    if (i < 0 || i >= count() || i == current_) return;
    const int previous = current_;
    current_ = i;
    // The new page shows first, so the focus can go there before its old page hides it.
    pages_[static_cast<size_t>(i)]->setVisible(true);
    moveFocus(previous, i);
    pages_[static_cast<size_t>(previous)]->setVisible(false);
    update();
    Q_EMIT tabChanged(previous);
}

void TabControl::setPageFocus(int i, QWidget* control) {
    lastFocus_.at(static_cast<size_t>(i)) = control;
}

void TabControl::moveFocus(int from, int to) {
    QWidget* focus = QApplication::focusWidget();
    QWidget* old = pages_[static_cast<size_t>(from)];
    // Focus elsewhere (the file list, another window) stays where the user put it; focus held
    // by the tab control itself is focus a page without a control left there.
    if (focus == nullptr || (focus != this && !old->isAncestorOf(focus))) return;
    if (focus != this) lastFocus_[static_cast<size_t>(from)] = focus;
    QWidget* page = pages_[static_cast<size_t>(to)];
    const auto usable = [page](const QWidget* w) {
        return w != nullptr && page->isAncestorOf(w) && w->isVisibleTo(page) && w->isEnabled();
    };
    QWidget* target = lastFocus_[static_cast<size_t>(to)];
    if (!usable(target)) {
        target = nullptr;
        for (QWidget* w = page->nextInFocusChain(); w != page && target == nullptr;
             w = w->nextInFocusChain())
            if (usable(w) && (w->focusPolicy() & Qt::TabFocus) != 0) target = w;
    }
    // A page without a control to type into holds the focus on the tab control itself, where
    // no key does anything.
    (target != nullptr ? target : this)->setFocus(Qt::OtherFocusReason);
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
