#include "file_browser.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QStorageInfo>

namespace m4::ui {
namespace {

constexpr int kPathRole = Qt::UserRole;

/// Root first, the folder itself last.
QStringList ancestorsOf(const QString& path) {
    QStringList chain;
    QDir dir(path);
    chain.prepend(dir.absolutePath());
    while (dir.cdUp()) chain.prepend(dir.absolutePath());
    return chain;
}

} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    refresh();
    connect(this, &QComboBox::activated, this, [this] { Q_EMIT driveChanged(); });
}

QString DriveList::drive() const {
    return currentData().toString();
}

void DriveList::showVolumeOf(const QString& path) {
    const QString root = QStorageInfo(path).rootPath();
    const int i = findData(root);
    if (i >= 0) setCurrentIndex(i);
}

void DriveList::refresh() {
    const QString chosen = drive();
    clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const QString root = volume.rootPath();
        const QString name = volume.displayName();
        addItem(name == root ? root : root + " [" + name + "]", root);
    }
    const int i = findData(chosen);
    if (i >= 0) setCurrentIndex(i);
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {}

void FolderList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QListWidgetItem* item = itemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && item != nullptr)
        setPath(item->data(kPathRole).toString());
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    const bool open = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (open && currentItem() != nullptr) {
        setPath(currentItem()->data(kPathRole).toString());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FolderList::setPath(const QString& path) {
    const QString absolute = QDir(path).absolutePath();
    if (absolute == path_) return;
    path_ = absolute;
    refresh();
    Q_EMIT pathChanged();
}

void FolderList::refresh() {
    clear();
    const QStringList chain = ancestorsOf(path_);
    int level = 0;
    for (const QString& folder : chain) {
        const QString name = level == 0 ? folder : QFileInfo(folder).fileName();
        auto* item = new QListWidgetItem(QString(level, ' ') + name, this);
        item->setData(kPathRole, folder);
        item->setData(Qt::UserRole + 1, level);
        ++level;
    }
    setCurrentRow(count() - 1);
    const QDir dir(path_);
    const QStringList subfolders =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& sub : subfolders) {
        auto* item = new QListWidgetItem(QString(level, ' ') + sub, this);
        item->setData(kPathRole, dir.filePath(sub));
    }
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::setPath(const QString& path) {
    path_ = QDir(path).absolutePath();
    refresh();
}

void FileList::setPattern(const QString& pattern) {
    pattern_ = pattern;
    refresh();
}

QString FileList::fileName() const {
    const QListWidgetItem* item = currentItem();
    return item != nullptr ? item->text() : QString();
}

void FileList::setFileName(const QString& name) {
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly);
    if (!found.isEmpty()) setCurrentItem(found.first());
}

void FileList::refresh() {
    const QString kept = fileName();
    clear();
    if (path_.isEmpty()) return;
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern_),
                                   QRegularExpression::CaseInsensitiveOption);
    const QStringList names =
        QDir(path_).entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names)
        if (match.match(name).hasMatch()) addItem(name);
    if (!kept.isEmpty()) setFileName(kept);
}

void FileList::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    pressedOnFile_ =
        event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr;
}

void FileList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (pressedOnFile_ && event->button() == Qt::LeftButton) {
        pressedOnFile_ = false;
        Q_EMIT fileClicked();
    }
}

void FileList::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first press of a double click already picked the file: one click, then the double
    // click, and no click after it.
    pressedOnFile_ = false;
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr)
        Q_EMIT fileDoubleClicked();
}

void FileList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) Q_EMIT fileClicked();
}

} // namespace m4::ui
