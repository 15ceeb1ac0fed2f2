// The window's life: start-up, the size rules and the end.

#include "case/file_names.h"
#include "case/program_folders.h"
#include "data_entry.h"
#include "platform/desktop.h"
#include "platform/file_browser.h"
#include "platform/instance_lock.h"
#include "platform/picture_box.h"
#include "platform/report_view.h"
#include "platform/tab_control.h"
#include "platform/twips.h"
#include "startup/rtf_text.h"
#include "startup/startup_files.h"
#include "vemoM4.h"
#include "window_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTranslator>
#include <QWindow>

#include <cstdio>

namespace m4 {

using ui::toTwips;
using ui::twips;

namespace {

/// Smallest outer size of the window (twips).
constexpr int kMinOuterWidth = 11265;
constexpr int kMinOuterHeight = 7455;
/// Space the fitted controls leave around them (twips).
constexpr int kFileListBottomGap = 3180;
constexpr int kPagesHeightGap = 800;
constexpr int kPagesWidthGap = 1670;
/// How long the window's size must stay put before it is centred: a resize by dragging is
/// many size changes, and the window moves once, when the drag ends (milliseconds).
constexpr int kResizeSettleMs = 150;

constexpr const char* kLogoFile = "/S107x58.bmp";
constexpr const char* kBadgeFile = "/S107x58D.bmp";
constexpr const char* kCombinedHelpFile = "/vemoAllHelp.txt";
/// Qt's own texts (a field's context menu, dialog buttons) in the window's language.
constexpr const char* kQtTranslation = "qtbase_zh_CN";

/// The frame the window system draws around the client area.
QSize frameOf(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    return {frame.left() + frame.right(), frame.top() + frame.bottom()};
}

/// Give a control a new height and width (twips), keeping its place.
void fit(QWidget* control, int heightTwips, int widthTwips) {
    control->resize(twips(widthTwips), twips(heightTwips));
}

/// Install Qt's Chinese texts once for the application.
void loadQtTranslation() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || app->findChild<QTranslator*>(kQtTranslation) != nullptr) return;
    auto* translator = new QTranslator(app);
    translator->setObjectName(kQtTranslation);
    if (translator->load(kQtTranslation, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void toStandardError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

bool vemoM4::Form_Load() {
    loadQtTranslation();
    if (!takeInstanceLock() || !loadStartupFiles()) {
        quitProgram();
        return false;
    }
    setWindowTitle(QString::fromUtf8(kAppTitle) + QString::fromUtf8(kAppVersion));
    setStatus(ui::StatusPanel::Command, newAction_->toolTip());
    NewdataForm();
    // Every size rule at once, before the window is first shown.
    Form_Resize();
    centreOnScreen();
    return true;
}

bool vemoM4::takeInstanceLock() {
    const QString code = QString::fromUtf8(kProgramCode);
    const QString folder = environment_.lockFolder.isEmpty() ? ui::InstanceLock::defaultFolder()
                                                             : environment_.lockFolder;
    instanceLock_ = std::make_unique<ui::InstanceLock>(ui::InstanceLock::pathIn(folder, code));
    switch (instanceLock_->state()) {
    case ui::InstanceLock::State::Held:
        return true;
    case ui::InstanceLock::State::Unavailable:
        // No lock to be had is no other instance: start, and say why one may start twice.
        toStandardError(say(WindowText::LockUnavailable, ui::InstanceLock::pathIn(folder, code),
                            instanceLock_->reason()));
        return true;
    case ui::InstanceLock::State::TakenByOther:
        break;
    }
    const QString text = say(WindowText::AlreadyRunning, code);
    toStandardError(text);
    messages_.information(text);
    return false;
}

bool vemoM4::loadStartupFiles() {
    QString programFolder = environment_.programFolder;
    if (programFolder.isEmpty()) programFolder = QCoreApplication::applicationDirPath();
    const ProgramFolders folders = prepareProgramFolders(programFolder);
    caseFolder_ = folders.caseFolder;
    resourceFolder_ = folders.resourceFolder;
    const auto failed = [this](Fault fault, const QString& path) {
        messages_.critical(startupFileMessage(Failure{fault, path, 0, {}}));
        return false;
    };
    if (!QFileInfo(caseFolder_).isDir()) return failed(Fault::FolderMissing, caseFolder_);
    Dir1->setPath(caseFolder_);
    File1->setPath(Dir1->path());
    Drive1->showVolumeOf(caseFolder_);
    const QString code = QString::fromUtf8(kProgramCode);
    Label3->setText(code);
    File1->setPattern(code + "*.int");
    for (const auto& [picture, name] : {std::pair{Picture2, kLogoFile}, {Picture3, kBadgeFile}}) {
        const QString path = resourceFolder_ + name;
        if (!QFileInfo::exists(path)) return failed(Fault::FileMissing, path);
        if (!picture->loadPicture(path)) return failed(Fault::FileUnreadable, path);
    }
    const QString introPath = resourceFolder_ + "/" + code + "Intro.rtf";
    QFile intro(introPath);
    if (!intro.exists()) return failed(Fault::FileMissing, introPath);
    if (!intro.open(QIODevice::ReadOnly)) return failed(Fault::FileUnreadable, introPath);
    fillDocument(*RichTextBox2->document(), parseRtf(intro.readAll()));
    return loadHelpText();
}

bool vemoM4::loadHelpText() {
    const Expected<QStringList> combined = readTextLines(resourceFolder_ + kCombinedHelpFile);
    if (!combined) {
        messages_.critical(startupFileMessage(combined.failure()));
        return false;
    }
    // The program's own help is optional: only a file that is there but unreadable is a fault.
    const QString ownPath = resourceFolder_ + "/" + QString::fromUtf8(kProgramCode) + "Help.txt";
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
    const QSize outer = size() + frameOf(*this);
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void vemoM4::centreWhenResized() {
    // While a button is held the user is still dragging the frame.
    if (ui::pointerButtonsDown()) {
        centreTimer_.start(kResizeSettleMs);
        return;
    }
    if (!isMaximized() && !isMinimized()) centreOnScreen();
}

void vemoM4::Form_Resize() {
    if (isMinimized()) return;
    // The smallest outer size is a hint the window manager holds a drag to; a size below it
    // (a window manager that ignores hints, a program's own resize) is raised in both
    // directions at once, and the pages fitted to the size the window will have.
    const QSize frame = frameOf(*this);
    const QSize least(twips(kMinOuterWidth) - frame.width(),
                      twips(kMinOuterHeight) - frame.height());
    if (minimumSize() != least) setMinimumSize(least);
    QSize inner = size();
    if (inner.width() < least.width() || inner.height() < least.height()) {
        inner = inner.expandedTo(least);
        resize(inner);
    }
    fitPages(inner);
    if (!isMaximized()) centreTimer_.start(kResizeSettleMs);
}

void vemoM4::fitPages(QSize inner) {
    const int innerHeight = toTwips(inner.height());
    const int innerWidth = toTwips(inner.width());
    File1->resize(File1->width(), twips(innerHeight - kFileListBottomGap));
    const int pagesHeight = innerHeight - kPagesHeightGap;
    const int pagesWidth = innerWidth - kPagesWidthGap;
    fit(SSTab2, pagesHeight, pagesWidth);
    fit(SSpic, pagesHeight - 505, pagesWidth - 280);
    fit(RichTextBox1, pagesHeight - 475, pagesWidth - 240);
    fit(Picture1, pagesHeight - 505, pagesWidth - 280);
    fit(RichTextBox2, pagesHeight - 465, pagesWidth - 240);
    fit(Text15, pagesHeight - 505, pagesWidth - 280);
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
