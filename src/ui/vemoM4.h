#pragma once
// The program's one window. It owns the current case file, the data-entry panel that owns the
// case text, the pages that show a run's results, and the five commands; its handlers are
// short and call into the core (src/case, src/output) and the platform layer (src/ui/platform).

#include "case/case_text.h"
#include "current_case.h"
#include "platform/message_box.h"
#include "platform/status_panels.h"

#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTextEdit;

namespace m4 {

class DataEntry;
class ReportPrinter;
struct RunOutcome;
struct ChartGeometry;

namespace ui {
class DriveList;
class FileList;
class FolderList;
class InstanceLock;
class PictureBox;
class ReportView;
class TabControl;
} // namespace ui

/// Window caption stem and title of every message box.
inline constexpr const char* kAppTitle = "青岚七号综合分析器";
/// Appended to the caption.
inline constexpr const char* kAppVersion = " v3.0";

/// What the window takes from its surroundings; tests give their own.
struct StartupEnvironment {
    /// The program's folder; empty: the folder of the running program.
    QString programFolder;
    /// Where the single-instance lock lives; empty: the user's runtime folder.
    QString lockFolder;
    /// Ends the program at once; empty: leave the event loop.
    std::function<void()> quit;
    /// Reads Num Lock and Caps Lock; empty: the display's keyboard.
    ui::LockStateReader lockKeys;
    /// Makes the print command's printer for a job title; empty, or no printer made: the
    /// default CUPS printer.
    std::function<std::unique_ptr<ReportPrinter>(const QString& documentName)> printer;
};

class vemoM4 : public QMainWindow {
    Q_OBJECT
  public:
    explicit vemoM4(StartupEnvironment environment = {}, QWidget* parent = nullptr);
    ~vemoM4() override;

    /// Start-up; false when the program must end instead of showing the window.
    bool Form_Load();
    /// The message boxes; tests set a hook to read them instead.
    ui::MessageBoxService& messages() { return messages_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Building the window (vemoM4.cpp, commands.cpp).
    void buildToolbarArea();
    void buildLeftColumn();
    void buildPages();
    void connectControls();
    void setupCommands();

    // Start-up, size rules and the end (window_startup.cpp).
    bool takeInstanceLock();
    bool loadStartupFiles();
    bool loadHelpText();
    void Form_Resize();
    void fitPages(QSize inner);
    void centreOnScreen();
    void centreWhenResized();
    void Form_QueryUnload();
    void quitProgram();

    // The current case and file management (file_management.cpp).
    void setCurrentCase(const CurrentCase& current);
    void setDataState(CaseState state);
    void NewdataForm();
    void Text12_Change();
    void Text12_LostFocus();
    void SelectListedFile();
    void File1_Click();
    void File1_DblClick();
    void Drive1_Change();
    void Dir1_Change();
    void SaveCase();
    bool refuseUnchangedSave();
    QString saveError(const CaseText& text) const;

    // Commands (commands.cpp).
    void RunCase();
    bool refuseRun();
    void clearResults();
    bool ShowReport();
    void PrintResults();
    void EndProgram();
    void AreaMouseUp(QMouseEvent* mouse);
    void redrawChart();
    /// Status panel 3 and a message box.
    void report(const QString& status, const QString& message);
    void setStatus(ui::StatusPanel panel, const QString& text);

    StartupEnvironment environment_;
    ui::MessageBoxService messages_;
    std::unique_ptr<ui::InstanceLock> instanceLock_;
    QString caseFolder_;
    QString resourceFolder_;
    CurrentCase current_;
    /// Base name of the case whose report RichTextBox1 shows.
    QString reportBase_;
    /// The last run that completed, kept to draw the chart again at the pane's size.
    std::unique_ptr<RunOutcome> lastRun_;
    std::unique_ptr<ChartGeometry> chart_;
    /// A refusal of a picked file waits out the double-click time, so its box cannot swallow
    /// the second click of a double click.
    QString pickMessage_;
    QTimer pickMessageTimer_;
    /// Centres the window once the user stops resizing it.
    QTimer centreTimer_;

    // Controls, top to bottom.
    QWidget* Toolbar1 = nullptr;            ///< command buttons along the top
    ui::PictureBox* Picture2 = nullptr;     ///< logo at the toolbar's left end
    ui::PictureBox* Picture3 = nullptr;     ///< badge under the logo
    QLabel* Label3 = nullptr;               ///< program code on the badge
    ui::DriveList* Drive1 = nullptr;        ///< left column: drives
    ui::FolderList* Dir1 = nullptr;         ///< left column: folders
    ui::FileList* File1 = nullptr;          ///< left column: case files of the folder
    ui::TabControl* SSTab2 = nullptr;       ///< the five pages
    DataEntry* SSpic = nullptr;             ///< page 0: fields, tables, the file-name field
    ui::ReportView* RichTextBox1 = nullptr; ///< page 1: the report of the last run
    ui::PictureBox* Picture1 = nullptr;     ///< page 2: the chart of the last run
    QTextEdit* RichTextBox2 = nullptr;      ///< page 3: the introduction
    QPlainTextEdit* Text15 = nullptr;       ///< page 4: the help text
    ui::StatusPanels* StatusBar1 = nullptr; ///< five panels along the bottom
    QMenu* MnuRight = nullptr;              ///< the right-click menu
    QAction* newAction_ = nullptr;          ///< the five commands, shared by toolbar and menu
    QAction* saveAction_ = nullptr;
    QAction* runAction_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* exitAction_ = nullptr;
};

} // namespace m4
