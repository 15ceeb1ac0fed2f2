// The window under a real window manager, driven with the real mouse and keyboard of the
// display (xdotool): resizing by dragging the frame, and the lock keys. Run by
// desktop-session.sh on a display of its own.

#include "ui/platform/instance_lock.h"
#include "window_fixture.h"

#include <QProcess>
#include <QScreen>

#include <cstdlib>

namespace {

class Desktop : public WindowFixture {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display";
        WindowFixture::SetUp();
    }
    /// xdotool commands, the window's events handled while they run.
    static void xdotool(const QStringList& args) {
        QProcess tool;
        tool.start("xdotool", args);
        while (!tool.waitForFinished(10)) QApplication::processEvents();
        QTest::qWait(600);
    }
    static QStringList moveTo(QPoint p) {
        return {"mousemove", QString::number(p.x()), QString::number(p.y()), "sleep", "0.2"};
    }
    /// Press on the frame's grip and drag it by the offset, in two steps, as a hand does.
    static QStringList drag(QPoint grip, QPoint by) {
        return moveTo(grip) + QStringList{"mousedown", "1", "sleep", "0.2"} +
               moveTo(grip + by / 2) + moveTo(grip + by);
    }
};

TEST_F(Desktop, DraggingTheFrameKeepsTheWholeWindowAndCentresItWhenTheDragEnds) {
    start();
    QTest::qWait(800);
    const QSize least = w->frameGeometry().size();
    // Every size rule at start: the pages reach down to the status bar, no strip left blank.
    EXPECT_NEAR(tabs("SSTab2")->geometry().bottom(), w->centralWidget()->height(), 2);
    // The grip at the frame's bottom right corner, just below the client area.
    const QPoint grip(w->geometry().right() - 5, w->geometry().bottom() + 4);
    xdotool(drag(grip, {-400, -300}) + QStringList{"mouseup", "1"});
    EXPECT_EQ(w->frameGeometry().size(), least) << "dragged below the smallest size";

    const QPoint topLeft = w->frameGeometry().topLeft();
    xdotool(drag(grip, {120, 80}));
    // A loaded machine can be slow to pass the window manager's moves on.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry().width() > least.width(); }));
    EXPECT_EQ(w->frameGeometry().topLeft(), topLeft) << "moved while the button was held";
    xdotool({"mouseup", "1"});
    const QRect screen = w->screen()->geometry();
    const auto centred = [&] { return w->frameGeometry().center() - screen.center(); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(centred().x()) <= 2; })) << centred().x();
    EXPECT_LE(std::abs(centred().y()), 2);
}

TEST_F(Desktop, LockPanelsFollowTheKeyboardOfTheDisplay) {
    ownKeyboard_ = false;
    start();
    EXPECT_EQ(status(StatusPanel::NumLock) + status(StatusPanel::CapsLock), "NUMCAPS");
    // Which of the two is lit.
    const auto lit = [&] {
        return QPair(find<QLabel>("numLock")->isEnabled(), find<QLabel>("capsLock")->isEnabled());
    };
    for (const auto& [key, num] : {std::pair{"Num_Lock", true}, std::pair{"Caps_Lock", false}}) {
        const auto before = lit();
        xdotool({"key", key});
        EXPECT_EQ(lit(), QPair(before.first != num, before.second != !num)) << key;
        xdotool({"key", key}); // as it was
    }
}

// One instance a display: every screen of it shares the display's lock, another display has its
// own.
TEST_F(Desktop, EachDisplayHasItsLock) {
    const QString display = qEnvironmentVariable("DISPLAY");
    qputenv("DISPLAY", (display + ".1").toLocal8Bit());
    EXPECT_EQ(m4::ui::InstanceLock::pathIn("/run", "M-4"), "/run/M-4-" + display + ".lock");
    qputenv("DISPLAY", display.toLocal8Bit());
}

} // namespace
