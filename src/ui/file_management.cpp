// The current case file: a new case, picking and loading listed files, the file-name field and
// saving.

#include "case/case_file.h"
#include "case/file_names.h"
#include "case/program_folders.h"
#include "data_entry.h"
#include "platform/file_browser.h"
#include "platform/tab_control.h"
#include "vemoM4.h"
#include "window_text.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace m4 {
namespace {

/// The page of the main tab control that holds the data entry.
constexpr int kDataPage = 0;
/// The name a new case starts with; the "*" marks it as not yet named.
constexpr const char* kNewCaseName = "*.INT";
/// Characters of the extension kept when the name part is selected.
constexpr int kExtensionLength = 4;

QString trimmedCaption(int field) {
    return fieldCaption(field).trimmed();
}

/// Where a problem lies, as the user sees it: a field's caption or a table's cell.
QString placeOf(const SaveProblem& problem) {
    if (problem.field >= 0) return trimmedCaption(problem.field);
    return say(WindowText::CellName, QString::fromUtf8(tableInfo(problem.table).pageCaption),
               QString::number(rowNumberShown(problem.table, problem.row + 1)),
               QString::number(problem.column + 1));
}

/// The message for a case that cannot be written as it stands.
QString saveProblemText(const SaveProblem& problem, const CaseText& text) {
    using Kind = SaveProblem::Kind;
    const QString count =
        problem.field >= 0 ? text.fields.at(static_cast<size_t>(problem.field)) : QString();
    switch (problem.kind) {
    case Kind::EmptyField:
        // The caption keeps its leading blanks here: the message has always been built so.
        return say(WindowText::FieldEmpty, fieldCaption(problem.field));
    case Kind::CountMismatch:
        return say(WindowText::CountMismatch, trimmedCaption(problem.field), count,
                   QString::fromUtf8(tableInfo(problem.table).pageCaption),
                   QString::number(text.rows(problem.table)));
    case Kind::CountInvalid:
        return say(WindowText::CountOutOfRange, trimmedCaption(problem.field), count,
                   QString::number(largestCount(problem.table)));
    case Kind::BadText:
        return say(WindowText::TextNotStorable, placeOf(problem));
    case Kind::NotEncodable:
        return say(WindowText::TextNotEncodable, placeOf(problem));
    }
    return say(WindowText::TextNotStorable, placeOf(problem)); // not reached
}

} // namespace

void vemoM4::setCurrentCase(const CurrentCase& current) {
    current_ = current;
    SSpic->folderCaption()->setText(shownFolder(current.CasePath));
    // Typing and the program putting a name there are told apart: only typing is checked.
    QLineEdit* name = SSpic->nameField();
    if (name->text() != current.CaseFileName) name->setText(current.CaseFileName);
}

void vemoM4::setDataState(CaseState state) {
    current_.DataState = state;
}

void vemoM4::NewdataForm() {
    SSpic->showTable(0);
    SSTab2->setTab(kDataPage);
    // A name that still holds "*" stays the name of the next new case.
    QString name = current_.CaseFileName;
    if (!name.contains(u'*')) name = QString::fromUtf8(kNewCaseName);
    File1->refresh();
    QLineEdit* field = SSpic->nameField();
    const bool renamed = field->text() != name;
    setCurrentCase({File1->path(), name, CaseState::New});
    // A different name is a change of the field, which the name check accepts.
    if (renamed) Text12_Change();
    SSpic->clearCase();
    setStatus(ui::StatusPanel::Result, say(WindowText::ExpectingInput));
    field->setFocus();
    field->setSelection(0, std::max(0, static_cast<int>(name.size()) - kExtensionLength));
}

void vemoM4::Text12_Change() {
    const QString text = SSpic->nameField()->text();
    if (!hasCaseExtension(text)) {
        messages_.critical(say(WindowText::BadExtension, text));
        return;
    }
    setCurrentCase({current_.CasePath, text, CaseState::Modified});
}

void vemoM4::Text12_LostFocus() {
    // Passing through the field without changing the name leaves the case as it was: a loaded
    // case stays unmodified and can still be run.
    if (SSpic->nameField()->text() != current_.CaseFileName) Text12_Change();
}

void vemoM4::SelectListedFile() {
    SSTab2->setTab(kDataPage);
    SSpic->discardEditor();
    setCurrentCase({File1->path(), File1->fileName(), CaseState::Saved});
    setStatus(ui::StatusPanel::Command, say(WindowText::FileSelected));
    setStatus(ui::StatusPanel::Result, shortCasePath(current_.CasePath, current_.CaseFileName));
}

void vemoM4::File1_Click() {
    // A refused or unreadable file leaves the window's case named as before, so a later save
    // cannot write that case under the picked file's name.
    const CurrentCase before = current_;
    SelectListedFile();
    QString refusal;
    if (!passesLoaderNameRules(current_.CaseFileName, Label3->text())) {
        refusal = say(WindowText::FileRefused, current_.CaseFileName);
    } else if (Expected<CaseText> loaded = loadCaseText(current_.CaseFullPath()); loaded) {
        SSpic->setCaseText(*loaded);
        return;
    } else {
        refusal = describe(loaded.failure());
    }
    setCurrentCase(before);
    setStatus(ui::StatusPanel::Result, refusal.section(u'\n', 0, 0));
    // The box waits until a second click could no longer make this a double click.
    pickMessage_ = refusal;
    pickMessageTimer_.start(QApplication::doubleClickInterval());
}

void vemoM4::File1_DblClick() {
    if (pickMessageTimer_.isActive()) {
        pickMessageTimer_.stop();
        messages_.critical(std::exchange(pickMessage_, QString()));
    }
    // The click before loaded the file, or refused it and kept the window's case. Either way
    // the run reads the file from disk; a file the window does not hold is named only for the
    // run, and the window's case keeps its own name afterwards.
    const CurrentCase before = current_;
    SelectListedFile();
    const bool windowHoldsFile = before.CaseFullPath() == current_.CaseFullPath();
    RunCase();
    if (!windowHoldsFile) setCurrentCase(before);
}

void vemoM4::Drive1_Change() {
    const QString drive = Drive1->drive();
    if (!QFileInfo(drive).isDir() || !QFileInfo(drive).isReadable()) {
        Drive1->showVolumeOf(Dir1->path());
        const QString text = say(WindowText::DriveNotReady, drive);
        report(text, text);
        return;
    }
    Dir1->setPath(drive);
}

void vemoM4::Dir1_Change() {
    const QString folder = Dir1->path();
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable()) {
        const QString text = say(WindowText::FolderNotOpened, folder);
        report(text, text);
        return;
    }
    File1->setPath(folder);
}

void vemoM4::SaveCase() {
    SSTab2->setTab(kDataPage);
    const QString name = current_.CaseFileName;
    if (refuseUnchangedSave()) return;
    // A cell being typed into belongs to the case being saved.
    if (isRunnableName(name) && !hasFolderSeparator(name)) SSpic->commitForSave();
    const CaseText text = SSpic->caseText();
    QString error = saveError(text);
    if (error.isEmpty()) {
        SSpic->showTable(0);
        if (std::optional<Failure> failed = writeCaseFile(current_.CasePath, name, text))
            error = describe(*failed);
        File1->refresh();
    }
    if (!error.isEmpty()) {
        report(say(WindowText::SaveFailed, name), error);
        return;
    }
    setStatus(ui::StatusPanel::Result, say(WindowText::Saved, name));
    setDataState(CaseState::Saved);
    SSpic->clearHistory();
}

bool vemoM4::refuseUnchangedSave() {
    switch (current_.DataState) {
    case CaseState::Saved: {
        const QString text = say(WindowText::NotModified, current_.CaseFileName);
        report(text, text);
        return true;
    }
    case CaseState::New:
    case CaseState::Modified:
        break;
    }
    return false;
}

QString vemoM4::saveError(const CaseText& text) const {
    const QString& name = current_.CaseFileName;
    if (!isRunnableName(name)) return say(WindowText::SaveBadName, name);
    if (hasFolderSeparator(name)) return say(WindowText::SaveNameHasSeparator, name);
    if (const std::optional<SaveProblem> problem = checkForSave(text))
        return saveProblemText(*problem, text);
    if (!QFileInfo(current_.CasePath).isDir())
        return describe(Failure{Fault::FolderMissing, current_.CasePath, 0, {}});
    return {};
}

} // namespace m4
