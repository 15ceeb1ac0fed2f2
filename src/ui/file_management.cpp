// Picking, loading and saving case files in the window.

#include "vemoM4.h"

#include "case/case_file.h"
#include "case/file_names.h"
#include "case/program_folders.h"
#include "platform/file_browser.h"
#include "platform/grid.h"
#include "platform/tab_control.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace m4 {
namespace {

/// Pages of the main tab control and of the grid tab control the commands show.
constexpr int kDataPage = 0;
constexpr int kFirstGridPage = 0;

QString trimmedCaption(int field) {
    return fieldCaption(field).trimmed();
}

/// The field a problem names, with the text it holds: 洪水过程时段数J“3.5”.
QString fieldWithText(const CaseText& text, int field) {
    return trimmedCaption(field) + QStringLiteral("“") +
           text.fields.at(static_cast<size_t>(field)) + QStringLiteral("”");
}

/// Table d, data row r and column c (both from 0) as the user sees them.
QString cellName(int table, int row, int column) {
    return QStringLiteral("表格“") + QString::fromUtf8(tableInfo(table).pageCaption) +
           QStringLiteral("”第%1行第%2列").arg(rowNumberShown(table, row + 1)).arg(column + 1);
}

/// The message for a case that cannot be written as it stands.
QString saveProblemText(const SaveProblem& problem, const CaseText& text) {
    using Kind = SaveProblem::Kind;
    switch (problem.kind) {
    case Kind::EmptyField:
        // The caption keeps its leading blanks here: the message has always been built so.
        return fieldCaption(problem.field) + QStringLiteral("未输入");
    case Kind::CountMismatch:
        return fieldWithText(text, problem.field) + QStringLiteral("与表格“") +
               QString::fromUtf8(tableInfo(problem.table).pageCaption) +
               QStringLiteral("”的行数%1不符，请在该栏按Enter确认").arg(text.rows(problem.table));
    case Kind::CountInvalid:
        return fieldWithText(text, problem.field) +
               QStringLiteral("不对，应为0至%1的整数").arg(largestCount(problem.table));
    case Kind::BadText: {
        const QString where = problem.field >= 0
                                  ? trimmedCaption(problem.field)
                                  : cellName(problem.table, problem.row, problem.column);
        return where + QStringLiteral("不能含有逗号或换行，也不能以双引号开头");
    }
    case Kind::NotEncodable: {
        const QString where = problem.field >= 0
                                  ? trimmedCaption(problem.field)
                                  : cellName(problem.table, problem.row, problem.column);
        return where + QStringLiteral("含有无法存入数据文件的字符");
    }
    }
    return QStringLiteral("数据有错");
}

/// The first line of a failure's text, for the status panel.
QString firstLine(const QString& text) {
    return text.section(u'\n', 0, 0);
}

} // namespace

vemoM4::CurrentFile vemoM4::currentFile() const {
    return {CasePath, CaseFileName, CaseFullPath, Text12->text(), Label1[1]->text(), DataState};
}

void vemoM4::restoreCurrentFile(const CurrentFile& file) {
    {
        // The name goes back as it was, without the name check that typing runs.
        const QSignalBlocker quiet(Text12);
        Text12->setText(file.nameField);
    }
    Label1[1]->setText(file.folderCaption);
    CasePath = file.casePath;
    CaseFileName = file.caseFileName;
    CaseFullPath = file.caseFullPath;
    DataState = file.dataState;
}

void vemoM4::SelectListedFile() {
    SSTab2->setTab(kDataPage);
    DataState = kStateSaved;
    hideEditor(false);
    EditPending.fill(false);
    CasePath = File1->path();
    CaseFileName = File1->fileName();
    CaseFullPath = joinPath(CasePath, CaseFileName);
    setStatus(2, QStringLiteral("选择数据文件"));
    setStatus(3, shortCasePath(CasePath, CaseFileName));
}

void vemoM4::File1_Click() {
    // A refused or unreadable file leaves the window's case named as before, so a later save
    // cannot write that case under the picked file's name.
    const CurrentFile before = currentFile();
    SelectListedFile();
    Label1[1]->setText(shownFolder(CasePath));
    Text12->setText(CaseFileName);

    if (!passesLoaderNameRules(CaseFileName, Label3->text())) {
        const QString text =
            QStringLiteral("选择的数据文件 ") + CaseFileName + QStringLiteral(" 不符合！");
        restoreCurrentFile(before);
        setStatus(3, text);
        messages().critical(text);
        return;
    }
    Expected<CaseText> loaded = loadCaseText(CaseFullPath);
    if (!loaded) {
        const QString text = describe(loaded.failure());
        restoreCurrentFile(before);
        setStatus(3, firstLine(text));
        messages().critical(text);
        return;
    }
    ClearForm();
    caseText = std::move(*loaded);
    showCaseText();
    DataState = kStateSaved;
}

void vemoM4::File1_DblClick() {
    // The click before a double click loads the file, or refuses it and keeps the previous
    // current file. Either way the run reads the file from disk; a refused file is named only
    // for the run, and the window's case keeps its own name afterwards.
    const CurrentFile before = currentFile();
    SelectListedFile();
    const bool windowHoldsFile = before.caseFullPath == CaseFullPath;
    if (!windowHoldsFile) {
        // While it runs, the name field names the file run, so leaving the field cannot rename
        // the run's file to the window's case.
        const QSignalBlocker quiet(Text12);
        Text12->setText(CaseFileName);
    }
    RunCase();
    if (!windowHoldsFile) restoreCurrentFile(before);
}

void vemoM4::Drive1_Change() {
    const QString drive = Drive1->drive();
    if (!QFileInfo(drive).isDir() || !QFileInfo(drive).isReadable()) {
        const QString text = QStringLiteral("驱动器") + drive + QStringLiteral("未准备好");
        Drive1->showVolumeOf(Dir1->path());
        setStatus(3, text);
        messages().critical(text);
        return;
    }
    Dir1->setPath(drive);
}

void vemoM4::Dir1_Change() {
    const QString folder = Dir1->path();
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable()) {
        const QString text = QStringLiteral("文件夹") + folder + QStringLiteral("无法打开");
        setStatus(3, text);
        messages().critical(text);
        return;
    }
    File1->setPath(folder);
}

void vemoM4::SaveCase() {
    SSTab2->setTab(kDataPage);
    const QString name = CaseFileName;
    if (DataState == kStateSaved) {
        const QString text = QStringLiteral("文件") + name + QStringLiteral("未修改，不必存盘");
        setStatus(3, text);
        messages().critical(text);
        return;
    }

    QString error;
    if (!isRunnableName(name)) {
        error = QStringLiteral("文件名") + name + QStringLiteral("不对");
    } else if (name.contains(u'/') || name.contains(u'\\')) {
        error = QStringLiteral("文件名") + name + QStringLiteral("不对，不能含有文件夹分隔符");
    } else {
        // A cell being typed into belongs to the case being saved.
        const int shown = SSTab1->tab();
        if (!Text2->text().isEmpty()) {
            EditPending[static_cast<size_t>(shown)] = true;
            MSFlexGrid1_LeaveCell(shown);
        }
        hideEditor(false);
        EditPending.fill(false);
        if (const std::optional<SaveProblem> problem = checkForSave(caseText))
            error = saveProblemText(*problem, caseText);
    }
    if (error.isEmpty() && !QFileInfo(CasePath).isDir())
        error = describe(Failure{Fault::FolderMissing, CasePath, 0, {}});
    if (error.isEmpty()) {
        SSTab1->setTab(kFirstGridPage);
        CaseFullPath = joinPath(CasePath, name);
        if (std::optional<Failure> failed = writeCaseFile(CasePath, name, caseText))
            error = describe(*failed);
        File1->refresh();
    }
    if (!error.isEmpty()) {
        setStatus(3, QStringLiteral("有错，文件") + name + QStringLiteral("还没有存盘"));
        messages().critical(error);
        return;
    }
    setStatus(3, QStringLiteral("数据文件") + name + QStringLiteral("已存盘"));
    DataState = kStateSaved;
}

} // namespace m4
