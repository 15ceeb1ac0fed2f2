#include "vemoM4.h"

#include "case/file_names.h"
#include "platform/caption_label.h"
#include "platform/file_browser.h"
#include "platform/gbk_columns.h"
#include "platform/grid.h"
#include "platform/picture_box.h"
#include "platform/tab_control.h"
#include "platform/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
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
constexpr int kFileListTop = 2760;
/// The main tab control: position, tabs in one row of this height (twips).
constexpr int kMainTabLeft = 1635;
constexpr int kMainTabTop = 480;
constexpr int kMainTabStrip = 330;
/// The grid tab control: position, size, two rows of tabs (twips).
constexpr int kGridTabLeft = 60;
constexpr int kGridTabTop = 510;
constexpr int kGridTabWidth = 5790;
constexpr int kGridTabHeight = 5100;
constexpr int kGridTabsPerRow = 4;
constexpr int kGridTabStrip = 255;
/// Every grid on its page of the grid tab control (twips).
constexpr int kGridLeft = 60;
constexpr int kGridTop = 540;
constexpr int kGridWidth = 5610;
constexpr int kGridHeight = 4470;
/// Parameter fields and the cell editor (twips).
constexpr int kFieldWidth = 700;
constexpr int kFieldHeight = 270;
constexpr int kEditorHeight = 255;
/// Room between a field and caption text beside it (twips).
constexpr int kCaptionGap = 30;

/// Where each parameter field and its caption sit on the data panel (twips).
struct FieldPlace {
    int left, top;
    int captionLeft, captionTop, captionWidth, captionHeight;
};
constexpr std::array<FieldPlace, kFieldCount> kFieldPlaces{{
    {8235, 720, 7080, 780, 1095, 285},
    {6720, 1305, 5595, 1365, 1095, 285},
    {8235, 1305, 7515, 1200, 660, 555},
    {6720, 1890, 5595, 1845, 1095, 405},
    {8235, 1890, 7080, 1845, 1095, 405},
    {6720, 2475, 5595, 2430, 1095, 405},
    {8235, 2460, 7080, 2430, 1095, 405},
    {6720, 3045, 5595, 2970, 1095, 405},
    {8235, 3045, 7080, 2970, 1095, 405},
    {6720, 3630, 5595, 3600, 1095, 405},
    {8235, 3630, 7080, 3600, 1095, 405},
    {6720, 4215, 5595, 4185, 1095, 405},
    {8235, 4215, 7440, 4050, 735, 525},
    {6720, 4800, 5955, 4710, 735, 645},
    {8235, 4800, 7440, 4710, 735, 525},
}};

/// The window's font: a Chinese face at the size of the fields and captions (pixels).
constexpr int kFontPixels = 12;

/// Tooltip of the controls that open the right-click menu.
constexpr const char* kMenuHint = "鼠标右键弹出功能菜单";

/// The character code a key press yields: Enter gives 13; 0 for keys without one.
int keyAscii(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return 13;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return 0;
    const QString text = key->text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

} // namespace

vemoM4::vemoM4(StartupEnvironment environment, QWidget* parent)
    : QMainWindow(parent), environment_(std::move(environment)),
      messages_(this, QString::fromUtf8(kAppTitle)) {
    for (int d = 0; d < kTableCount; ++d) caseText.resizeTable(d, 0);
    QFont chinese = font();
    chinese.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Droid Sans Fallback"});
    chinese.setPixelSize(kFontPixels);
    setFont(chinese);
    auto* client = new QWidget(this);
    client->installEventFilter(this);
    setCentralWidget(client);
    StatusBar1 =
        new ui::StatusPanels(this, environment_.lockKeys ? environment_.lockKeys : ui::readLockLed);
    setStatusBar(StatusBar1);
    buildToolbarArea();
    buildLeftColumn();
    buildPages();
    buildDataPanel();
    connectControls();
    SetupCommands();
    resize(twips(kDesignClientWidth), twips(kDesignClientHeight));
}

vemoM4::~vemoM4() = default;

void vemoM4::buildToolbarArea() {
    QWidget* client = centralWidget();
    Toolbar1 = new QWidget(client);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setGeometry(0, 0, twips(kDesignClientWidth), twips(kToolbarHeight));
    Picture2 = new ui::PictureBox(Toolbar1, palette().color(QPalette::Window));
    Picture2->setGeometry(twipsRect(0, 0, 1605, 320));
    Picture2->setToolTip(QString::fromUtf8(kMenuHint));
    Line1 = new QFrame(Toolbar1);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(0, twips(kToolbarHeight) - 2, twips(kDesignClientWidth), 2);
    Picture3 = new ui::PictureBox(client, palette().color(QPalette::Window));
    Picture3->setGeometry(twipsRect(0, 310, 1605, 495));
    Picture3->setToolTip(QString::fromUtf8(kMenuHint));
    Label3 = new QLabel(Picture3);
    Label3->setGeometry(twipsRect(20, 280, 375, 255));
    Label3->setStyleSheet("QLabel { color: red; background: transparent; font-weight: bold; }");
    Picture3->raise();
}

void vemoM4::buildLeftColumn() {
    QWidget* client = centralWidget();
    Drive1 = new ui::DriveList(client);
    Drive1->setGeometry(twipsRect(kListLeft, 960, kListWidth, 300));
    Dir1 = new ui::FolderList(client);
    Dir1->setGeometry(twipsRect(kListLeft, 1320, kListWidth, 1350));
    Dir1->setToolTip(QString::fromUtf8(kMenuHint));
    Dir1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    File1 = new ui::FileList(client);
    File1->setGeometry(twipsRect(kListLeft, kFileListTop, kListWidth, 4000));
    File1->setToolTip(QString::fromUtf8(kMenuHint));
    File1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void vemoM4::buildPages() {
    const QStringList captions{"数据来源", "文本结果", "图形结果", "程序说明", "使用帮助"};
    SSTab2 = new ui::TabControl(captions, static_cast<int>(captions.size()), twips(kMainTabStrip),
                                centralWidget());
    SSTab2->setGeometry(twipsRect(kMainTabLeft, kMainTabTop, 9475, 6250));
    SSpic = new QWidget(SSTab2->page(0));
    SSpic->setGeometry(twipsRect(120, 360, 9195, 5745));
    SSpic->setToolTip(QString::fromUtf8(kMenuHint));
    RichTextBox1 = new QTextEdit(SSTab2->page(1));
    RichTextBox1->setGeometry(twipsRect(100, 345, 9235, 5775));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setContextMenuPolicy(Qt::NoContextMenu);
    Picture1 = new ui::PictureBox(SSTab2->page(2), Qt::white);
    Picture1->setGeometry(twipsRect(120, 360, 9195, 5745));
    Picture1->setToolTip(QString::fromUtf8(kMenuHint));
    RichTextBox2 = new QTextEdit(SSTab2->page(3));
    RichTextBox2->setGeometry(twipsRect(100, 340, 9235, 5785));
    RichTextBox2->setReadOnly(true);
    RichTextBox2->setContextMenuPolicy(Qt::NoContextMenu);
    RichTextBox2->setToolTip(QString::fromUtf8(kMenuHint));
    Text15 = new QPlainTextEdit(SSTab2->page(4));
    Text15->setGeometry(twipsRect(120, 360, 9195, 5745));
    Text15->setReadOnly(true);
    Text15->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text15->setLineWrapMode(QPlainTextEdit::NoWrap);
    // The help banner is drawn for a fixed-width GBK screen.
    QFont fixedPitch(QStringList{"WenQuanYi Micro Hei Mono", "Noto Sans Mono CJK SC"});
    fixedPitch.setPixelSize(kFontPixels);
    fixedPitch.setStyleHint(QFont::TypeWriter);
    Text15->setFont(fixedPitch);
    new ui::GbkColumns(Text15->document(), fixedPitch);
}

void vemoM4::buildDataPanel() {
    Label1[1] = new QLabel(SSpic);
    Label1[1]->setGeometry(twipsRect(120, 120, 3255, 255));
    Label1[0] = new QLabel(QString::fromUtf8("文件名"), SSpic);
    Label1[0]->setGeometry(twipsRect(4440, 135, 615, 255));
    Text12 = new QLineEdit(SSpic);
    Text12->setGeometry(twipsRect(5040, 90, 1455, 270));

    QStringList pageCaptions;
    for (int d = 0; d < kTableCount; ++d)
        pageCaptions << QString::fromUtf8(tableInfo(d).pageCaption);
    SSTab1 = new ui::TabControl(pageCaptions, kGridTabsPerRow, twips(kGridTabStrip), SSpic);
    SSTab1->setGeometry(twipsRect(kGridTabLeft, kGridTabTop, kGridTabWidth, kGridTabHeight));
    for (int d = 0; d < kTableCount; ++d) {
        auto* grid = new ui::Grid(d, &caseText.tables.at(static_cast<size_t>(d)), SSTab1->page(d));
        grid->setGeometry(twipsRect(kGridLeft, kGridTop, kGridWidth, kGridHeight));
        MSFlexGrid1[static_cast<size_t>(d)] = grid;
    }
    // The tunnel table has eight data columns and scrolls both ways.
    MSFlexGrid1[2]->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    QWidget* previous = Text12;
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldPlace& place = kFieldPlaces[static_cast<size_t>(i)];
        auto* caption = new ui::CaptionLabel(fieldCaption(i), SSpic);
        caption->setGeometry(twipsRect(place.captionLeft, place.captionTop, place.captionWidth,
                                       place.captionHeight));
        Label1[static_cast<size_t>(i) + 2] = caption;
        auto* field = new QLineEdit(SSpic);
        field->setGeometry(twipsRect(place.left, place.top, kFieldWidth, kFieldHeight));
        field->setToolTip(QString::fromUtf8(fieldInfo(i).tooltip));
        field->installEventFilter(this);
        Text3[static_cast<size_t>(i)] = field;
        setTabOrder(previous, field);
        previous = field;
    }

    // Fields of the left column reach into the captions of the right column: caption text
    // starts right of them, and the fields lie on top.
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldPlace& place = kFieldPlaces[static_cast<size_t>(i)];
        int textLeft = place.captionLeft;
        for (const FieldPlace& other : kFieldPlaces) {
            const bool overlaps = other.left < place.captionLeft + place.captionWidth &&
                                  other.left + kFieldWidth > place.captionLeft &&
                                  other.top < place.captionTop + place.captionHeight &&
                                  other.top + kFieldHeight > place.captionTop;
            if (overlaps && other.left < place.left)
                textLeft = std::max(textLeft, other.left + kFieldWidth + kCaptionGap);
        }
        static_cast<ui::CaptionLabel*>(Label1[static_cast<size_t>(i) + 2])
            ->setTextLeft(twips(textLeft - place.captionLeft));
    }
    for (QLineEdit* field : Text3) field->raise();

    Text2 = new QLineEdit(SSpic);
    Text2->setGeometry(0, 0, twips(kFieldWidth), twips(kEditorHeight));
    Text2->hide();
    Text2->installEventFilter(this);
}

void vemoM4::connectControls() {
    for (int d = 0; d < kTableCount; ++d) {
        ui::Grid* grid = MSFlexGrid1[static_cast<size_t>(d)];
        connect(grid, &ui::Grid::leaveCell, this, [this, d] { MSFlexGrid1_LeaveCell(d); });
        connect(grid, &ui::Grid::enterCell, this, [this, d] { MSFlexGrid1_EnterCell(d); });
        connect(grid, &ui::Grid::cellClicked, this, [this, d] { MSFlexGrid1_Click(d); });
        // The editor floats over its cell; when the grid scrolls under it, the typing goes into
        // the cell and the editor closes rather than cover another cell.
        const auto scrolled = [this, d] {
            if (EditTable == d) commitEditor();
        };
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
        connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
    }
    connect(SSTab1, &ui::TabControl::tabChanged, this,
            [this](int previous) { SSTab1_Click(previous); });
    connect(Text12, &QLineEdit::textChanged, this, [this] { Text12_Change(); });
    for (size_t i = 0; i < Text3.size(); ++i)
        connect(Text3.at(i), &QLineEdit::textChanged, this,
                [this, i](const QString& text) { caseText.fields.at(i) = text; });
    Text12->installEventFilter(this);
    connect(File1, &ui::FileList::fileClicked, this, [this] { File1_Click(); });
    connect(File1, &ui::FileList::fileDoubleClicked, this, [this] { File1_DblClick(); });
    connect(Drive1, &ui::DriveList::driveChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &ui::FolderList::pathChanged, this, [this] { Dir1_Change(); });
    // Mouse releases over these areas offer the right-click menu.
    for (QWidget* area : std::initializer_list<QWidget*>{
             centralWidget(), Picture2, Picture3, Dir1->viewport(), File1->viewport(), SSpic,
             RichTextBox1->viewport(), Picture1, RichTextBox2->viewport()})
        area->installEventFilter(this);
}

void vemoM4::setStatus(int panel, const QString& text) {
    StatusBar1->setPanelText(panel, text);
}

QString vemoM4::statusText(int panel) const {
    return StatusBar1->panelText(panel);
}

void vemoM4::setGridRows(int table, int rows) {
    MSFlexGrid1.at(static_cast<size_t>(table))->setRows(rows + 1);
}

void vemoM4::reloadGrids() {
    for (ui::Grid* grid : MSFlexGrid1) grid->reload();
}

void vemoM4::showCaseText() {
    // Setting a field copies its text back into caseText; keep the loaded texts aside first.
    const std::array<QString, kFieldCount> fields = caseText.fields;
    for (size_t i = 0; i < fields.size(); ++i) Text3.at(i)->setText(fields.at(i));
    reloadGrids();
}

void vemoM4::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The toolbar spans the window, whatever the size rules do.
    Toolbar1->resize(centralWidget()->width(), Toolbar1->height());
    Line1->resize(Toolbar1->width(), Line1->height());
    Form_Resize();
}

void vemoM4::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void vemoM4::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_QueryUnload();
}

bool vemoM4::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int code = keyAscii(key);
        if (code == 0) return false;
        for (int i = 0; i < kFieldCount; ++i)
            if (watched == Text3[static_cast<size_t>(i)]) {
                Text3_KeyPress(i, code);
                return code == 13;
            }
        if (watched == Text2) {
            Text2_KeyPress(code);
            return code == 13;
        }
        if (watched == Text12 && code == 13) {
            Text12_KeyPress(code);
            return true;
        }
        return false;
    }
    if (type == QEvent::InputMethod) {
        // Chinese typed through an input method arrives as committed text, not as key presses;
        // each committed character counts as one.
        const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
        for (int i = 0; i < kFieldCount && !committed.isEmpty(); ++i)
            if (watched == Text3[static_cast<size_t>(i)])
                for (const QChar c : committed) Text3_KeyPress(i, c.unicode());
        return false;
    }
    if (type == QEvent::FocusOut && watched == Text12) {
        // Focus leaving for a message box or another program is not the user leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Text12_LostFocus();
        return false;
    }
    if (type == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int button = mouse->button() == Qt::RightButton  ? 2
                           : mouse->button() == Qt::LeftButton ? 1
                                                               : 4;
        AreaMouseUp(button, mouse->globalPosition().toPoint());
        // The right button's release ends here, so an area inside another area opens one
        // menu; other buttons go on to the control (lists pick files on release).
        return button == 2;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace m4
