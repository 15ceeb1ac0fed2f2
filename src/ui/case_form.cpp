// A new, empty case and the file-name field.

#include "case/file_names.h"
#include "case/program_folders.h"
#include "platform/file_browser.h"
#include "platform/grid.h"
#include "platform/tab_control.h"
#include "vemoM4.h"

#include <QLabel>
#include <QLineEdit>

namespace m4 {
namespace {

constexpr int kEnter = 13;
/// The name a new case starts with; the "*" marks it as not yet named.
constexpr const char* kNewCaseName = "*.INT";
/// Characters of the extension kept when the name part is selected.
constexpr int kExtensionLength = 4;

} // namespace

void vemoM4::NewdataForm() {
    SSTab1->setTab(0);
    SSTab2->setTab(0);
    DataState = kStateNew;
    if (CaseFileName.isEmpty() || !CaseFileName.contains('*'))
        CaseFileName = QString::fromUtf8(kNewCaseName);
    CasePath = File1->path();
    CaseFullPath = joinPath(CasePath, CaseFileName);
    File1->refresh();
    Label1[1]->setText(shownFolder(CasePath));
    // A different text is a change of the field and goes through the name check.
    if (Text12->text() != CaseFileName) Text12->setText(CaseFileName);
    for (QLineEdit* field : Text3) field->clear();
    ClearForm();
    setStatus(3, QString::fromUtf8("期待数据输入后存盘..."));
    Text12->setFocus();
    Text12->setSelection(0,
                         std::max(0, static_cast<int>(Text12->text().size()) - kExtensionLength));
}

void vemoM4::ClearForm() {
    hideEditor(true);
    for (int d = 0; d < static_cast<int>(kGridLayout.size()); ++d) {
        EditPending.at(static_cast<size_t>(d)) = false;
        MSFlexGrid1.at(static_cast<size_t>(d))->clearAndHead();
    }
}

void vemoM4::Text12_KeyPress(int KeyAscii) {
    if (KeyAscii == kEnter) focusField(0);
}

void vemoM4::Text12_Change() {
    const QString text = Text12->text();
    if (!hasCaseExtension(text)) {
        messages_.critical(QString::fromUtf8("存盘文件扩展名") + text + QString::fromUtf8("不对"));
        return;
    }
    CaseFileName = text;
    DataState = kStateModified;
}

void vemoM4::Text12_LostFocus() {
    // Passing through the field without changing the name leaves the case as it was: a loaded
    // case stays unmodified and can still be run.
    if (Text12->text() == CaseFileName) return;
    Text12_Change();
}

} // namespace m4
