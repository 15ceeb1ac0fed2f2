// The window's life: start-up, the size rules and the end.

#include "case/file_names.h"
#include "case/program_folders.h"
#include "platform/file_browser.h"
#include "platform/picture_box.h"
#include "platform/tab_control.h"
#include "platform/twips.h"
#include "rtf_text.h"
#include "startup_files.h"
#include "vemoM4.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QTextEdit>
#include <QWindow>

namespace m4 {

using ui::toTwips;
using ui::twips;

namespace {

/// Smallest outer size of the window (twips).
constexpr int kMinOuterWidth = 11265;
constexpr int kMinOuterHeight = 7455;
/// Where the badge sits once its picture is loaded (twips).
constexpr int kBadgeTop = 310;
/// Space the fitted controls leave around them (twips).
constexpr int kFileListBottomGap = 3180;
constexpr int kPagesHeightGap = 800;
constexpr int kPagesWidthGap = 1670;

constexpr const char* kLogoFile = "/S107x58.bmp";
constexpr const char* kBadgeFile = "/S107x58D.bmp";
constexpr const char* kCombinedHelpFile = "/vemoAllHelp.txt";
constexpr const char* kLockFileName = "/M-4.lock";

/// The window's outer size: the client area and the frame the window system draws around it.
QSize outerSize(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    return window.size().grownBy(frame);
}

/// Give a control a new height and width (twips), keeping its place.
void fit(QWidget* control, int heightTwips, int widthTwips) {
    control->resize(twips(widthTwips), twips(heightTwips));
}

} // namespace

bool vemoM4::Form_Load() {
    const QString code = QString::fromUtf8(kProgramCode);
    QString lockFolder = environment_.lockFolder;
    if (lockFolder.isEmpty())
        lockFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (lockFolder.isEmpty()) lockFolder = QDir::tempPath();
    instanceLock_ = std::make_unique<QLockFile>(lockFolder + kLockFileName);
    // The lock is held for the program's whole life: only a dead owner makes it stale, never age.
    instanceLock_->setStaleLockTime(0);
    if (!instanceLock_->tryLock(0)) {
        instanceLock_.reset();
        messages_.information(QString::fromUtf8("程序") + code +
                              QString::fromUtf8("已经运行，不能再次装载"));
        quitProgram();
        return false;
    }
    if (!loadStartupFiles()) {
        quitProgram();
        return false;
    }
    setWindowTitle(QString::fromUtf8(kAppTitle) + QString::fromUtf8(kAppVersion));
    setStatus(2, QString::fromUtf8("新建数据文件"));
    NewdataForm();
    return true;
}

bool vemoM4::loadStartupFiles() {
    QString programFolder = environment_.programFolder;
    if (programFolder.isEmpty()) programFolder = QCoreApplication::applicationDirPath();
    const ProgramFolders folders = prepareProgramFolders(programFolder);
    caseFolder_ = folders.caseFolder;
    resourceFolder_ = folders.resourceFolder;
    if (!QFileInfo(caseFolder_).isDir()) {
        messages_.critical(startupFileMessage(Failure{Fault::FolderMissing, caseFolder_, 0, {}}));
        return false;
    }
    Dir1->setPath(caseFolder_);
    File1->setPath(Dir1->path());
    Drive1->showVolumeOf(caseFolder_);
    centreOnScreen();
    const QString code = QString::fromUtf8(kProgramCode);
    Label3->setText(code);
    File1->setPattern(code + "*.int");

    const auto report = [this](Fault fault, const QString& path) {
        messages_.critical(startupFileMessage(Failure{fault, path, 0, {}}));
        return false;
    };
    const auto loadPicture = [&](ui::PictureBox* picture, const QString& path) {
        if (!QFileInfo::exists(path)) return report(Fault::FileMissing, path);
        if (!picture->loadPicture(path)) return report(Fault::FileUnreadable, path);
        return true;
    };
    if (!loadPicture(Picture2, resourceFolder_ + kLogoFile)) return false;
    Picture3->move(Picture3->x(), twips(kBadgeTop));
    if (!loadPicture(Picture3, resourceFolder_ + kBadgeFile)) return false;

    const QString introPath = resourceFolder_ + "/" + code + "Intro.rtf";
    QFile intro(introPath);
    if (!intro.exists()) return report(Fault::FileMissing, introPath);
    if (!intro.open(QIODevice::ReadOnly)) return report(Fault::FileUnreadable, introPath);
    fillDocument(*RichTextBox2->document(), parseRtf(intro.readAll()));

    const Expected<QStringList> combined = readTextLines(resourceFolder_ + kCombinedHelpFile);
    if (!combined) {
        messages_.critical(startupFileMessage(combined.failure()));
        return false;
    }
    // The program's own help is optional: only a file that is there but unreadable is a fault.
    const QString ownPath = resourceFolder_ + "/" + code + "Help.txt";
    std::optional<QStringList> own;
    if (QFileInfo::exists(ownPath)) {
        const Expected<QStringList> lines = readTextLines(ownPath);
        if (!lines) {
            messages_.critical(startupFileMessage(lines.failure()));
            return false;
        }
        own = *lines;
    }
    Text15->setPlainText(helpText(*combined, own));
    return true;
}

void vemoM4::centreOnScreen() {
    const QScreen* display = screen();
    if (display == nullptr) return;
    const QRect area = display->geometry();
    const QSize outer = outerSize(*this);
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void vemoM4::Form_Resize() {
    if (isMinimized()) return;
    const QSize outer = outerSize(*this);
    const int frameWidth = outer.width() - width();
    const int frameHeight = outer.height() - height();
    if (toTwips(outer.height()) < kMinOuterHeight) {
        resize(width(), twips(kMinOuterHeight) - frameHeight);
        return;
    }
    if (toTwips(outer.width()) < kMinOuterWidth) {
        resize(twips(kMinOuterWidth) - frameWidth, height());
        return;
    }
    const int innerHeight = toTwips(height());
    const int innerWidth = toTwips(width());
    File1->resize(File1->width(), twips(innerHeight - kFileListBottomGap));
    const int pagesHeight = innerHeight - kPagesHeightGap;
    const int pagesWidth = innerWidth - kPagesWidthGap;
    fit(SSTab2, pagesHeight, pagesWidth);
    fit(SSpic, pagesHeight - 505, pagesWidth - 280);
    fit(RichTextBox1, pagesHeight - 475, pagesWidth - 240);
    fit(Picture1, pagesHeight - 505, pagesWidth - 280);
    fit(RichTextBox2, pagesHeight - 465, pagesWidth - 240);
    fit(Text15, pagesHeight - 505, pagesWidth - 280);
    if (isMaximized()) return;
    centreOnScreen();
}

void vemoM4::Form_QueryUnload() {
    quitProgram();
}

void vemoM4::quitProgram() {
    if (environment_.quit)
        environment_.quit();
    else
        QCoreApplication::exit(0);
}

} // namespace m4
