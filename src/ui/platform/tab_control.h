#pragma once
// A tab control whose pages share the control's own coordinates: a control placed on a page
// at (x, y) sits at (x, y) of the whole control, the tab strip included. The tabs may wrap into
// several rows. Changing the page, by the user or by the program, raises tabChanged with the
// page shown before. The keyboard focus does not wander off when its page is hidden: it goes to
// the control last used on the page shown, else to the page's own first control.

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace m4::ui {

class TabControl : public QWidget {
    Q_OBJECT
  public:
    TabControl(const QStringList& captions, int tabsPerRow, int tabHeight, QWidget* parent);

    int count() const { return static_cast<int>(pages_.size()); }
    /// The page that holds the controls of tab i.
    QWidget* page(int i) const;
    int tab() const { return current_; }
    void setTab(int i);
    QString caption(int i) const { return captions_.value(i); }
    /// Where tab i is drawn; a click there shows its page.
    QRect tabRect(int i) const;
    /// The control that takes the focus when page i is shown before any control of it was used.
    void setPageFocus(int i, QWidget* control);

  Q_SIGNALS:
    void tabChanged(int previousTab);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int rowCount() const { return (count() + tabsPerRow_ - 1) / tabsPerRow_; }
    int stripHeight() const { return rowCount() * tabHeight_; }

    QStringList captions_;
    int tabsPerRow_;
    int tabHeight_;
    /// Move the focus from a page being hidden to the page being shown.
    void moveFocus(int from, int to);

    std::vector<QWidget*> pages_;
    std::vector<QPointer<QWidget>> lastFocus_;
    int current_ = 0;
};

} // namespace m4::ui
