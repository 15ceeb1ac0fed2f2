#include "vemoM4.h"

#include "case/case_schema.h"
#include "data_entry.h"
#include "output/case_run.h"
#include "platform/file_browser.h"
#include "platform/gbk_columns.h"
#include "platform/instance_lock.h"
#include "platform/picture_box.h"
#include "platform/report_view.h"
#include "platform/tab_control.h"
#include "platform/twips.h"
#include "printing.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace m4 {

using ui::twips;
using ui::twipsRect;

namespace {

/// The window's client area as designed (twips).
constexpr int kDesignClientWidth = 11145;
constexpr int kDesignClientHeight = 7050;
/// Toolbar height and the left column's controls (twips).
constexpr int kToolbarHeight = 420;
constexpr int kListLeft = 80;
constexpr int kListWidth = 1455;
/// The main tab control: position, design size, tabs in one row of this height (twips).
constexpr QRect kPages{1635, 480, 9475, 6250};
constexpr int kPagesStrip = 330;
/// The window's font: a Chinese face at the size of the fields and captions (pixels).
constexpr int kFontPixels = 12;
/// Tooltip of the controls that open the right-click menu.
constexpr const char* kMenuHint = "鼠标右键弹出功能菜单";

} // namespace

vemoM4::vemoM4(StartupEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)),
      messages_(this, QString::fromUtf8(kAppTitle)) {
    setObjectName("vemoM4");
    QFont chinese = font();
    chinese.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback"});
    chinese.setPixelSize(kFontPixels);
    setFont(chinese);
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);
    StatusBar1 = new ui::StatusPanels(this, environment_.lockKeys ? environment_.lockKeys
                                                                  : ui::readDisplayLock);
    setStatusBar(StatusBar1);
    buildToolbarArea();
    buildLeftColumn();
    buildPages();
    setupCommands();
    connectControls();
    resize(twips(kDesignClientWidth), twips(kDesignClientHeight));
}

vemoM4::~vemoM4() = default;

void vemoM4::buildToolbarArea() {
    QWidget* client = centralWidget();
    Toolbar1 = new QWidget(client);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setGeometry(0, 0, twips(kDesignClientWidth), twips(kToolbarHeight));
    Picture2 = new ui::PictureBox(Toolbar1, palette().color(QPalette::Window));
    Picture2->setObjectName("Picture2");
    Picture2->setGeometry(ui::twipsRect(0, 0, 1605, 320));
    Picture2->setToolTip(QString::fromUtf8(kMenuHint));
    auto* line = new QFrame(Toolbar1);
    line->setObjectName("Line1");
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(0, twips(kToolbarHeight) - 2, twips(kDesignClientWidth), 2);
    Picture3 = new ui::PictureBox(client, palette().color(QPalette::Window));
    Picture3->setObjectName("Picture3");
    Picture3->setGeometry(ui::twipsRect(0, 310, 1605, 495));
    Picture3->setToolTip(QString::fromUtf8(kMenuHint));
    Label3 = new QLabel(Picture3);
    Label3->setObjectName("Label3");
    Label3->setGeometry(ui::twipsRect(20, 280, 375, 255));
    Label3->setStyleSheet("QLabel { color: red; background: transparent; font-weight: bold; }");
    Picture3->raise();
}

void vemoM4::buildLeftColumn() {
    QWidget* client = centralWidget();
    Drive1 = new ui::DriveList(client);
    Drive1->setObjectName("Drive1");
    Drive1->setGeometry(ui::twipsRect(kListLeft, 960, kListWidth, 300));
    Dir1 = new ui::FolderList(client);
    Dir1->setObjectName("Dir1");
    Dir1->setGeometry(ui::twipsRect(kListLeft, 1320, kListWidth, 1350));
    Dir1->setToolTip(QString::fromUtf8(kMenuHint));
    Dir1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    File1 = new ui::FileList(client);
    File1->setObjectName("File1");
    File1->setGeometry(ui::twipsRect(kListLeft, 2760, kListWidth, 4000));
    File1->setToolTip(QString::fromUtf8(kMenuHint));
    File1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void vemoM4::buildPages() {
    const QStringList captions{"数据来源", "文本结果", "图形结果", "程序说明", "使用帮助"};
    SSTab2 = new ui::TabControl(captions, static_cast<int>(captions.size()), twips(kPagesStrip),
                                centralWidget());
    SSTab2->setObjectName("SSTab2");
    SSTab2->setGeometry(ui::twipsRect(kPages));
    SSpic = new DataEntry(messages_, SSTab2->page(0));
    SSpic->setToolTip(QString::fromUtf8(kMenuHint));
    SSTab2->setPageFocus(0, SSpic->nameField());
    RichTextBox1 = new ui::ReportView(SSTab2->page(1));
    RichTextBox1->setObjectName("RichTextBox1");
    RichTextBox1->setFont(reportFont());
    Picture1 = new ui::PictureBox(SSTab2->page(2), Qt::white);
    Picture1->setObjectName("Picture1");
    Picture1->setToolTip(QString::fromUtf8(kMenuHint));
    RichTextBox2 = new QTextEdit(SSTab2->page(3));
    RichTextBox2->setObjectName("RichTextBox2");
    RichTextBox2->setReadOnly(true);
    RichTextBox2->setContextMenuPolicy(Qt::NoContextMenu);
    RichTextBox2->setToolTip(QString::fromUtf8(kMenuHint));
    Text15 = new QPlainTextEdit(SSTab2->page(4));
    Text15->setObjectName("Text15");
    Text15->setReadOnly(true);
    Text15->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text15->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The help banner is drawn for a fixed-width GBK screen.
    QFont fixedPitch(QStringList{"WenQuanYi Micro Hei Mono", "Noto Sans Mono CJK SC"});
    fixedPitch.setPixelSize(kFontPixels);
    fixedPitch.setStyleHint(QFont::TypeWriter);
    Text15->setFont(fixedPitch);
    new ui::GbkColumns(Text15->document(), fixedPitch);
    // Each page's control sits at its design place; the size rules give it its size.
    SSpic->move(ui::twipsPoint(120, 360));
    RichTextBox1->move(ui::twipsPoint(100, 345));
    Picture1->move(ui::twipsPoint(120, 360));
    RichTextBox2->move(ui::twipsPoint(100, 340));
    Text15->move(ui::twipsPoint(120, 360));
    fitPages(size());
}

void vemoM4::connectControls() {
    QLineEdit* name = SSpic->nameField();
    connect(name, &QLineEdit::textEdited, this, [this] { Text12_Change(); });
    name->installEventFilter(this);
    connect(SSpic, &DataEntry::edited, this, [this] { setDataState(CaseState::Modified); });
    connect(SSpic, &DataEntry::nameFieldRequested, this, [name] {
        name->selectAll();
        name->setFocus();
    });
    connect(File1, &ui::FileList::fileClicked, this, [this] { File1_Click(); });
    connect(File1, &ui::FileList::fileDoubleClicked, this, [this] { File1_DblClick(); });
    connect(Drive1, &ui::DriveList::driveChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &ui::FolderList::pathChanged, this, [this] { Dir1_Change(); });
    // The toolbar takes no focus, so after the last field Tab goes on to the file browser.
    QWidget* previous = SSpic->findChild<QLineEdit*>("Text3(14)");
    for (QWidget* next : std::initializer_list<QWidget*>{Drive1, Dir1, File1}) {
        setTabOrder(previous, next);
        previous = next;
    }
    // Mouse releases over these areas offer the right-click menu; a resized chart is drawn
    // again at its new size.
    for (QWidget* area : std::initializer_list<QWidget*>{
             centralWidget(), Picture2, Picture3, Dir1->viewport(), File1->viewport(), SSpic,
             RichTextBox1->viewport(), Picture1, RichTextBox2->viewport()})
        area->installEventFilter(this);
    pickMessageTimer_.setSingleShot(true);
    connect(&pickMessageTimer_, &QTimer::timeout, this,
            [this] { messages_.critical(std::exchange(pickMessage_, QString())); });
    centreTimer_.setSingleShot(true);
    connect(&centreTimer_, &QTimer::timeout, this, [this] { centreWhenResized(); });
}

void vemoM4::setStatus(ui::StatusPanel panel, const QString& text) {
    StatusBar1->setText(panel, text);
}

void vemoM4::report(const QString& status, const QString& message) {
    setStatus(ui::StatusPanel::Result, status);
    messages_.critical(message);
}

void vemoM4::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The toolbar spans the window, whatever the size rules do.
    Toolbar1->resize(centralWidget()->width(), Toolbar1->height());
    Toolbar1->findChild<QFrame*>("Line1")->resize(Toolbar1->width(), 2);
    Form_Resize();
}

void vemoM4::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void vemoM4::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window manager's frame is known only once the window is shown: the smallest size and
    // the centre are worked out again with it.
    Form_Resize();
}

void vemoM4::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_QueryUnload();
}

bool vemoM4::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusOut:
        if (watched == SSpic->nameField()) {
            // Focus leaving for a message box or another program is not the user leaving.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                Text12_LostFocus();
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched != SSpic->nameField()) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            AreaMouseUp(mouse);
            // The right button's release ends here, so an area inside another area opens one
            // menu; other buttons go on to the control (lists pick files on release).
            return mouse->button() == Qt::RightButton;
        }
        break;
    case QEvent::Resize:
        if (watched == Picture1) redrawChart();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace m4
