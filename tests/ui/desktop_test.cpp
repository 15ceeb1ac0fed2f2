// The window under a real window manager, driven with the real keyboard of the display
// (xdotool): the lock keys. Run by desktop-session.sh on a display of its own.

#include "window_fixture.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

namespace {

class Desktop : public WindowFixture {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display";
        WindowFixture::SetUp();
    }
    /// Press a key with xdotool, the window's events handled meanwhile.
    static void lockKey(const char* key) {
        QProcess tool;
        tool.start("xdotool", {"key", key});
        while (!tool.waitForFinished(10)) QApplication::processEvents();
        QTest::qWait(600);
    }
};

TEST_F(Desktop, LockPanelsFollowTheKeyboardOfTheDisplay) {
    ownKeyboard_ = false;
    start();
    auto* num = find<QLabel>("numLock");
    auto* caps = find<QLabel>("capsLock");
    EXPECT_EQ(num->text() + caps->text(), "NUMCAPS");
    for (const char* key : {"Num_Lock", "Caps_Lock"}) {
        const bool numOn = num->isEnabled();
        const bool capsOn = caps->isEnabled();
        lockKey(key);
        EXPECT_EQ(num->isEnabled(), numOn != (QString(key) == "Num_Lock")) << key;
        EXPECT_EQ(caps->isEnabled(), capsOn != (QString(key) == "Caps_Lock")) << key;
        lockKey(key); // as it was
    }
}

} // namespace
