#pragma once
// The program's one window. It holds the case as text, the window-level state of the current
// case and of data entry, and the controls; its handlers carry the program's logic and call
// into the core (src/case, src/output) and the platform layer (src/ui/platform).

#include "case/case_schema.h"
#include "case/case_text.h"
#include "platform/message_box.h"
#include "platform/status_panels.h"

#include <QMainWindow>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QLockFile;
class QMenu;
class QPlainTextEdit;
class QTextEdit;

namespace m4 {

class ReportPrinter;

namespace ui {
class DriveList;
class FileList;
class FolderList;
class Grid;
class PictureBox;
class TabControl;
} // namespace ui

/// Window caption stem and title of every message box.
inline constexpr const char* kAppTitle = "青岚七号综合分析器";
/// Appended to the caption.
inline constexpr const char* kAppVersion = " v3.0";

/// DataState values.
inline constexpr int kStateNew = 1;
inline constexpr int kStateSaved = 2;
inline constexpr int kStateModified = 3;

/// The file-name field as the target of a focus move (after the fifteen parameter fields).
inline constexpr int kNameField = kFieldCount;

/// What start-up takes from its surroundings; tests point it at their own folders.
struct StartupEnvironment {
    /// The program's folder; empty: the folder of the running program.
    QString programFolder;
    /// Where the single-instance lock lives; empty: the user's runtime folder.
    QString lockFolder;
    /// Ends the program at once; empty: leave the event loop.
    std::function<void()> quit;
    /// Reads Num Lock and Caps Lock; empty: the keyboard LEDs.
    ui::LockStateReader lockKeys;
};

class vemoM4 : public QMainWindow {
    Q_OBJECT
  public:
    explicit vemoM4(StartupEnvironment environment = {}, QWidget* parent = nullptr);
    ~vemoM4() override;

    // --- The window's life ---
    /// Start-up; false when the program must end instead of showing the window.
    bool Form_Load();
    void Form_Resize();
    void Form_QueryUnload();

    // --- New case and the file-name field ---
    void NewdataForm();
    void ClearForm();
    void Text12_KeyPress(int KeyAscii);
    void Text12_Change();
    void Text12_LostFocus();

    // --- Data entry ---
    void Text3_KeyPress(int Index, int KeyAscii);
    void MSFlexGrid1_Click(int Index);
    void MSFlexGrid1_EnterCell(int Index);
    void MSFlexGrid1_LeaveCell(int Index);
    void SSTab1_Click(int PreviousTab);
    void Text2_KeyPress(int KeyAscii);
    void NextCell(int Index, int Columns, int NextField);
    void GoToTable(int Index);

    // --- Loading, saving, running (file_management.cpp, commands.cpp, printing.cpp) ---
    void SelectListedFile();
    void File1_Click();
    void File1_DblClick();
    void Drive1_Change();
    void Dir1_Change();
    void SaveCase();
    void RunCase();
    void ShowReport();
    void PrintResults();
    void Toolbar1_ButtonClick(const QString& key, const QString& tooltip);
    void MnuItem_Click(int Index);
    /// Mouse released over an area that offers the right-click menu (Button 2 = right).
    void AreaMouseUp(int Button, QPoint globalPos);
    void EndProgram();

    // --- Current file and printer, for the handlers above ---
    /// How the window names its current case file; put back after a file is refused.
    struct CurrentFile {
        QString casePath, caseFileName, caseFullPath;
        QString nameField;     ///< text of Text12
        QString folderCaption; ///< text of Label1(1)
        int dataState;
    };
    CurrentFile currentFile() const;
    void restoreCurrentFile(const CurrentFile& file);
    /// Makes the print command's printer; empty: the default printer. Tests give a failing one.
    std::function<std::unique_ptr<ReportPrinter>(const QString& documentName)> printerFactory;

    // --- Services for the handlers and for tests ---
    ui::MessageBoxService& messages() { return messages_; }
    void setStatus(int panel, const QString& text);
    QString statusText(int panel) const;
    /// GridRows of table d.
    int GridRows(int table) const { return caseText.rows(table); }
    /// Give table d that many data rows: kept rows keep their cells, new rows are numbered.
    void setGridRows(int table, int rows);
    /// After caseText was replaced as a whole: show every table again, rows numbered.
    void reloadGrids();
    /// Write an open cell editor into the cell it was opened on and hide it.
    void commitEditor();
    /// Hide the cell editor without writing it; with clearText, also empty it.
    void hideEditor(bool clearText);
    /// Give a parameter field (0..14) or the file-name field (kNameField) the focus, its whole
    /// text selected.
    void focusField(int field);
    const QString& caseFolder() const { return caseFolder_; }
    const QString& resourceFolder() const { return resourceFolder_; }
    const StartupEnvironment& environment() const { return environment_; }
    /// End the program at once, without any question.
    void quitProgram();
    /// After caseText was replaced as a whole: show its fields and tables, rows numbered.
    void showCaseText();

    // --- The case and the window-level state ---
    CaseText caseText;
    int DataState = kStateNew;
    QString CasePath;
    QString CaseFileName;
    QString CaseFullPath;
    std::array<bool, kTableCount> EditPending{};
    int EditRow = 1;
    int EditCol = 1;
    /// The cell the editor was last opened on: a commit writes there and nowhere else, even
    /// after EditRow and EditCol have moved on to the next cell.
    int EditTable = 0;
    int EditorRow = 1;
    int EditorCol = 1;

    // --- Controls ---
    QWidget* Toolbar1 = nullptr;
    ui::PictureBox* Picture2 = nullptr;
    QFrame* Line1 = nullptr;
    ui::PictureBox* Picture3 = nullptr;
    QLabel* Label3 = nullptr;
    ui::DriveList* Drive1 = nullptr;
    ui::FolderList* Dir1 = nullptr;
    ui::FileList* File1 = nullptr;
    ui::TabControl* SSTab2 = nullptr;
    QWidget* SSpic = nullptr;
    QTextEdit* RichTextBox1 = nullptr;
    ui::PictureBox* Picture1 = nullptr;
    QTextEdit* RichTextBox2 = nullptr;
    QPlainTextEdit* Text15 = nullptr;
    ui::StatusPanels* StatusBar1 = nullptr;
    QMenu* MnuRight = nullptr;
    /// Label1(0) "文件名", Label1(1) the folder, Label1(i + 2) the caption of field i.
    std::array<QLabel*, kFieldCount + 2> Label1{};
    std::array<QLineEdit*, kFieldCount> Text3{};
    QLineEdit* Text12 = nullptr;
    ui::TabControl* SSTab1 = nullptr;
    std::array<ui::Grid*, kTableCount> MSFlexGrid1{};
    QLineEdit* Text2 = nullptr;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildToolbarArea();
    void buildLeftColumn();
    void buildPages();
    void buildDataPanel();
    void connectControls();
    /// Toolbar buttons and the right-click menu (commands.cpp).
    void SetupCommands();
    /// Start-up steps after the single-instance check; false after a reported failure.
    bool loadStartupFiles();
    void centreOnScreen();
    /// Confirm the count typed into field; false when it was refused.
    bool confirmCount(int field);

    StartupEnvironment environment_;
    ui::MessageBoxService messages_;
    std::unique_ptr<QLockFile> instanceLock_;
    QString caseFolder_;
    QString resourceFolder_;
    /// Base name of the case whose report RichTextBox1 shows.
    QString reportBase_;
};

} // namespace m4
