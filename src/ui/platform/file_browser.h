#pragma once
// The drive, folder and file lists of the window's left column.

#include <QComboBox>
#include <QListWidget>
#include <QString>

namespace m4::ui {

/// The mounted volumes; choosing one raises driveChanged.
class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent);
    /// Root path of the chosen volume.
    QString drive() const;
    /// Choose the volume that holds path, without raising driveChanged.
    void showVolumeOf(const QString& path);
    /// Read the mounted volumes again.
    void refresh();

  Q_SIGNALS:
    void driveChanged();
};

/// The folders from the root down to the current folder, then its subfolders. A double click
/// opens a folder; every change of the path raises pathChanged.
class FolderList : public QListWidget {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent);
    QString path() const { return path_; }
    void setPath(const QString& path);
    void refresh();

  Q_SIGNALS:
    void pathChanged();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString path_;
};

/// The files of one folder whose names match a pattern, letter case ignored.
class FileList : public QListWidget {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent);
    QString path() const { return path_; }
    void setPath(const QString& path);
    QString pattern() const { return pattern_; }
    void setPattern(const QString& pattern);
    /// The highlighted entry, empty when none.
    QString fileName() const;
    /// Highlight the entry of that name, if listed.
    void setFileName(const QString& name);
    /// Read the folder again, keeping the highlighted entry when it is still there.
    void refresh();

  Q_SIGNALS:
    /// A file was picked: a click or a move with the keys.
    void fileClicked();
    void fileDoubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    bool pressedOnFile_ = false;
};

} // namespace m4::ui
