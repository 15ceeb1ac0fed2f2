#include "data_entry.h"

#include "case/text_convert.h"
#include "platform/caption_label.h"
#include "platform/grid.h"
#include "platform/message_box.h"
#include "platform/tab_control.h"
#include "platform/twips.h"
#include "window_text.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace m4 {

using ui::twips;
using ui::twipsRect;

namespace {

constexpr int kEnter = 13;
/// The file-name field as the target of a move, after the fifteen parameter fields.
constexpr int kNameField = kFieldCount;

/// The grid tab control on the panel: two rows of tabs (twips).
constexpr QRect kGridTabs{60, 510, 5790, 5100};
constexpr int kGridTabsPerRow = 4;
constexpr int kGridTabStrip = 255;
/// Every grid on its page of the grid tab control (twips).
constexpr QRect kGridPlace{60, 540, 5610, 4470};
/// Parameter fields and the cell editor (twips).
constexpr int kFieldWidth = 700;
constexpr int kFieldHeight = 270;
constexpr int kEditorHeight = 255;
/// Room between a field and caption text beside it (twips).
constexpr int kCaptionGap = 30;

/// Where each parameter field and its caption sit on the panel (twips).
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

size_t at(int i) {
    return static_cast<size_t>(i);
}

/// The character code a key press yields: Enter gives 13; 0 for keys without one.
int keyAscii(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return kEnter;
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return 0;
    const QString text = key->text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

/// The table Enter in a field leads into: the table of the section the field ends, or -1.
int tableAfterField(int field) {
    for (int s = 0; s < kSectionCount; ++s)
        if (sectionInfo(s).lastField == field) return sectionInfo(s).table;
    return -1;
}

/// Where Enter leads after the last cell of a table: the next section's first field.
int fieldAfterTable(int table) {
    for (int s = 0; s + 1 < kSectionCount; ++s)
        if (sectionInfo(s).table == table) return sectionInfo(s + 1).firstField;
    return kNameField;
}

/// Data rows for a count text, or nullopt when the text is no count the table can take.
std::optional<int> acceptedRows(int table, const QString& text) {
    if (!itemNumber(text)) return std::nullopt;
    const std::optional<int> rows = rowsFromCount(table, text);
    const int fewest = table == kHydrographTable ? 1 : 0;
    if (!rows || *rows < fewest || *rows - fewest > largestCount(table)) return std::nullopt;
    return rows;
}

} // namespace

DataEntry::DataEntry(ui::MessageBoxService& messages, QWidget* parent)
    : QWidget(parent), messages_(messages) {
    setObjectName("SSpic");
    Label1_1 = new QLabel(this);
    Label1_1->setObjectName("Label1(1)");
    Label1_1->setGeometry(ui::twipsRect(120, 120, 3255, 255));
    auto* nameCaption = new QLabel(QStringLiteral("文件名"), this);
    nameCaption->setObjectName("Label1(0)");
    nameCaption->setGeometry(ui::twipsRect(4440, 135, 615, 255));
    Text12 = new QLineEdit(this);
    Text12->setObjectName("Text12");
    Text12->setAccessibleName(nameCaption->text());
    Text12->setGeometry(ui::twipsRect(5040, 90, 1455, 270));
    Text12->installEventFilter(this);
    buildGrids();
    buildFields();
    Text2 = new QLineEdit(this);
    Text2->setObjectName("Text2");
    Text2->setGeometry(0, 0, twips(kFieldWidth), twips(kEditorHeight));
    Text2->hide();
    Text2->installEventFilter(this);
    buildEditActions();
}

void DataEntry::buildGrids() {
    QStringList pageCaptions;
    for (int d = 0; d < kTableCount; ++d)
        pageCaptions << QString::fromUtf8(tableInfo(d).pageCaption);
    SSTab1 = new ui::TabControl(pageCaptions, kGridTabsPerRow, twips(kGridTabStrip), this);
    SSTab1->setObjectName("SSTab1");
    SSTab1->setGeometry(ui::twipsRect(kGridTabs));
    for (int d = 0; d < kTableCount; ++d) {
        auto* grid = new ui::Grid(d, SSTab1->page(d));
        grid->setObjectName(QStringLiteral("MSFlexGrid1(%1)").arg(d));
        grid->setAccessibleName(pageCaptions[d]);
        grid->setGeometry(ui::twipsRect(kGridPlace));
        MSFlexGrid1[at(d)] = grid;
        connect(grid, &ui::Grid::leaveCell, this, [this, d] { MSFlexGrid1_LeaveCell(d); });
        connect(grid, &ui::Grid::enterCell, this, [this, d] { MSFlexGrid1_EnterCell(d); });
        connect(grid, &ui::Grid::cellClicked, this, [this, d] { MSFlexGrid1_Click(d); });
        // The editor floats over its cell; when the grid scrolls under it, the typing goes into
        // the cell and the editor closes rather than cover another cell.
        const auto scrolled = [this, d] {
            if (editorTable_ == d) commitEditor();
        };
        connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
        connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
    }
    connect(SSTab1, &ui::TabControl::tabChanged, this,
            [this](int previous) { SSTab1_Click(previous); });
}

void DataEntry::buildFields() {
    QWidget* previous = Text12;
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldPlace& place = kFieldPlaces[at(i)];
        auto* caption = new ui::CaptionLabel(fieldCaption(i), this);
        caption->setObjectName(QStringLiteral("Label1(%1)").arg(i + 2));
        caption->setGeometry(ui::twipsRect(place.captionLeft, place.captionTop, place.captionWidth,
                                           place.captionHeight));
        captions_[at(i)] = caption;
        auto* field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("Text3(%1)").arg(i));
        field->setGeometry(ui::twipsRect(place.left, place.top, kFieldWidth, kFieldHeight));
        field->setToolTip(QString::fromUtf8(fieldInfo(i).tooltip));
        field->setAccessibleName(fieldCaption(i).trimmed()); // what a screen reader says
        field->installEventFilter(this);
        Text3[at(i)] = field;
        setTabOrder(previous, field);
        previous = field;
    }
    // Fields of the left column reach into the captions of the right column: caption text
    // starts right of them, and the fields lie on top.
    for (int i = 0; i < kFieldCount; ++i) {
        const FieldPlace& place = kFieldPlaces[at(i)];
        int textLeft = place.captionLeft;
        for (const FieldPlace& other : kFieldPlaces) {
            const bool overlaps = other.left < place.captionLeft + place.captionWidth &&
                                  other.left + kFieldWidth > place.captionLeft &&
                                  other.top < place.captionTop + place.captionHeight &&
                                  other.top + kFieldHeight > place.captionTop;
            if (overlaps && other.left < place.left)
                textLeft = std::max(textLeft, other.left + kFieldWidth + kCaptionGap);
        }
        captions_[at(i)]->setTextLeft(twips(textLeft - place.captionLeft));
    }
    for (QLineEdit* field : Text3) field->raise();
}

void DataEntry::setCaseText(const CaseText& text) {
    ClearForm();
    for (size_t i = 0; i < Text3.size(); ++i) Text3[i]->setText(text.fields[i]);
    for (size_t d = 0; d < MSFlexGrid1.size(); ++d) MSFlexGrid1[d]->load(text.tables[d]);
    for (int d = 0; d < kTableCount; ++d) countText_[at(d)] = text.fields[at(countFieldOf(d))];
    clearHistory();
}

CaseText DataEntry::caseText() const {
    CaseText text;
    for (size_t i = 0; i < Text3.size(); ++i) text.fields[i] = Text3[i]->text();
    for (size_t d = 0; d < MSFlexGrid1.size(); ++d)
        text.tables[d] = MSFlexGrid1[d]->gridModel()->cells();
    return text;
}

void DataEntry::clearCase() {
    for (QLineEdit* field : Text3) field->clear();
    ClearForm();
    countText_.fill(QString());
    clearHistory();
}

void DataEntry::ClearForm() {
    hideEditor();
    Text2->clear();
    for (int d = 0; d < kTableCount; ++d) {
        EditPending[at(d)] = false;
        MSFlexGrid1[at(d)]->clearAndHead();
    }
}

void DataEntry::commitForSave() {
    const int shown = SSTab1->tab();
    if (!Text2->text().isEmpty()) {
        EditPending[at(shown)] = true;
        MSFlexGrid1_LeaveCell(shown);
    }
    discardEditor();
}

void DataEntry::discardEditor() {
    hideEditor();
    EditPending.fill(false);
}

void DataEntry::showTable(int table) {
    SSTab1->setTab(table);
}

void DataEntry::focusField(int field) {
    QLineEdit* target = Text3.at(at(field));
    target->selectAll();
    target->setFocus();
}

void DataEntry::moveTo(int field) {
    if (field == kNameField)
        Q_EMIT nameFieldRequested();
    else
        focusField(field);
}

int DataEntry::GridRows(int table) const {
    return MSFlexGrid1.at(at(table))->rows() - 1;
}

void DataEntry::Text3_KeyPress(int Index, int KeyAscii) {
    Q_EMIT edited();
    if (KeyAscii != kEnter) return;
    if (tableOfCountField(Index) >= 0 && !confirmCount(Index)) {
        focusField(Index);
        return;
    }
    // A field that ends a section leads into its table; an empty table is passed over.
    const int table = tableAfterField(Index);
    if (table >= 0 && GridRows(table) >= 1)
        GoToTable(table);
    else
        moveTo(Index + 1);
}

bool DataEntry::confirmCount(int field) {
    const int table = tableOfCountField(field);
    const QString text = Text3.at(at(field))->text();
    const std::optional<int> rows = acceptedRows(table, text);
    if (!rows) {
        messages_.critical(
            say(WindowText::CountRefused, text, QString::number(largestCount(table))));
        return false;
    }
    // An open editor is written first: its cell may be among the rows that go.
    commitEditor();
    const int old = GridRows(table);
    if (*rows == old) {
        countText_[at(table)] = text;
        return true;
    }
    if (*rows > old) EditPending[at(table)] = false;
    // Rows that go are kept with the step, so that undoing it brings them back.
    const ui::CellRange dropped{*rows + 1, 1, old, tableInfo(table).columns};
    changeTable({table, old, *rows + 1, 1, cellsOf(table, dropped), countText_[at(table)]},
                {table, *rows, *rows + 1, 1, {}, text});
    return true;
}

void DataEntry::MSFlexGrid1_Click(int Index) {
    const ui::Grid* grid = MSFlexGrid1.at(at(Index));
    EditRow = grid->row();
    EditCol = grid->col();
    EditPending[at(Index)] = true;
    MSFlexGrid1_EnterCell(Index);
    Q_EMIT edited();
}

void DataEntry::MSFlexGrid1_EnterCell(int Index) {
    if (!EditPending.at(at(Index))) return;
    ui::Grid* grid = MSFlexGrid1.at(at(Index));
    if (grid->rows() < 2) return; // no data cell to edit
    EditRow = grid->row();
    EditCol = grid->col();
    editorTable_ = Index;
    editorRow_ = EditRow;
    editorCol_ = EditCol;
    Text2->setText(grid->textMatrix(EditRow, EditCol));
    const QRect cell = grid->cellRect();
    Text2->setGeometry(
        QRect(grid->mapTo(this, cell.topLeft()), QSize(cell.width(), Text2->height())));
    Text2->show();
    Text2->raise();
    Text2->setFocus();
    Text2->selectAll();
}

void DataEntry::MSFlexGrid1_LeaveCell(int) {
    commitEditor();
}

void DataEntry::SSTab1_Click(int) {
    commitEditor();
}

void DataEntry::Text2_KeyPress(int KeyAscii) {
    if (KeyAscii != kEnter) return;
    const int table = SSTab1->tab();
    NextCell(table, tableInfo(table).columns, fieldAfterTable(table));
}

void DataEntry::NextCell(int Index, int Columns, int NextField) {
    ui::Grid* grid = MSFlexGrid1.at(at(Index));
    if (EditCol < Columns) {
        EditCol = EditCol + 1;
        grid->setCurrentCell(EditRow, EditCol);
        return;
    }
    if (EditRow >= grid->rows() - 1) {
        EditPending[at(Index)] = true;
        commitEditor();
        moveTo(NextField);
        return;
    }
    const int nextRow = EditRow + 1;
    EditCol = 1;
    grid->setCurrentCell(EditRow, 1);
    EditRow = nextRow;
    grid->setCurrentCell(nextRow, 1);
}

void DataEntry::GoToTable(int Index) {
    SSTab1->setTab(Index);
    MSFlexGrid1.at(at(Index))->setCurrentCell(1, 1);
    MSFlexGrid1_Click(Index);
}

void DataEntry::commitEditor() {
    if (Text2->isHidden()) return;
    hideEditor();
    const QString old = MSFlexGrid1.at(at(editorTable_))->textMatrix(editorRow_, editorCol_);
    const int rows = GridRows(editorTable_);
    if (Text2->text() == old || editorRow_ > rows) return;
    changeTable({editorTable_, rows, editorRow_, editorCol_, {{old}}, {}},
                {editorTable_, rows, editorRow_, editorCol_, {{Text2->text()}}, {}});
}

void DataEntry::hideEditor() {
    // Hiding the focused editor would send the focus along the chain to whatever comes next;
    // it stays in the grid the user is working in.
    if (Text2->hasFocus()) MSFlexGrid1.at(at(SSTab1->tab()))->setFocus(Qt::OtherFocusReason);
    Text2->hide();
}

bool DataEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        if (watched == Text2 && editorShortcut(static_cast<QKeyEvent*>(event))) return true;
        const int code = keyAscii(static_cast<QKeyEvent*>(event));
        if (code == 0) return false;
        if (watched == Text2) {
            Text2_KeyPress(code);
            return code == kEnter;
        }
        if (watched == Text12) {
            // Text12_KeyPress: Enter moves on to the first field; other keys are the field's.
            if (code == kEnter) focusField(0);
            return code == kEnter;
        }
        for (int i = 0; i < kFieldCount; ++i)
            if (watched == Text3[at(i)]) {
                Text3_KeyPress(i, code);
                return code == kEnter;
            }
        return false;
    }
    if (event->type() == QEvent::InputMethod) {
        // Chinese typed through an input method arrives as committed text, not as key presses;
        // each committed character counts as one.
        const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
        for (int i = 0; i < kFieldCount; ++i)
            if (watched == Text3[at(i)])
                for (const QChar c : committed) Text3_KeyPress(i, c.unicode());
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace m4
