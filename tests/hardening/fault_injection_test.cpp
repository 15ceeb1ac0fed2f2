// Saving a case and writing a run's report and chart when the file system fails: a missing
// folder, the target name taken by a folder, a read-only folder, a full disk, a file-size
// limit, system calls that fail, links and special files where a case or an output is
// expected, a writer killed midway, memory that runs out. Each time the previous file stays byte
// for byte as it was and the failure has a message that names the file and the system's reason.
//
// We run as root, for whom permission bits do not stop a write; read-only folders and full disks
// are real ones, a small tmpfs mounted in a forked child's own mount namespace (skipped where the
// child may not mount). The file-size limit (RLIMIT_FSIZE) needs no privilege. System calls
// fail through fault_shim.h.

#include "hardening_support.h"

#include "case/case_file.h"
#include "fault_shim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace m4::hardening {
namespace {

constexpr qint64 kTmpfsBytes = 2 * 1024 * 1024; ///< the small disk of a child
constexpr qint64 kRoomForReport = 16 * 1024;    ///< free space that holds a report, not a chart
constexpr qint64 kLimitBelowCase = 100;         ///< bytes: less than any case file
constexpr qint64 kLimitBelowChart = 16 * 1024;  ///< bytes: a report fits, the chart does not
constexpr const char* kSkip = "skip: ";
constexpr uid_t kNobody = 65534; ///< the ordinary user of the tests run as root

void fillDisk(const QString& folder, qint64 leaveFree) {
    // A reserve file holds the room to leave; the filler takes the rest, then the reserve goes.
    const QString reserve = joinPath(folder, QStringLiteral(".reserve"));
    EXPECT_TRUE(leaveFree == 0 || m4test::writeFile(reserve, QByteArray(leaveFree, 'r')));
    QFile filler(joinPath(folder, QStringLiteral(".filler")));
    EXPECT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    for (const QByteArray& chunk : {QByteArray(4096, 'f'), QByteArray(1, 'f')})
        while (filler.write(chunk) == chunk.size()) continue;
    filler.close();
    QFile::remove(reserve);
}

/// Runs body in a child with a tmpfs of kTmpfsBytes on folder, seen by the child alone.
QString onTmpfs(const QString& folder, const std::function<QString()>& body) {
    return inChild([&]() -> QString {
        const QByteArray options = "size=" + QByteArray::number(kTmpfsBytes);
        if (unshare(CLONE_NEWNS) != 0 ||
            mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0, options.constData()) != 0)
            return kSkip + QStringLiteral("no private tmpfs: ") +
                   QString::fromUtf8(std::strerror(errno));
        return body();
    });
}

void expectChildClean(const QString& childText) {
    if (childText.startsWith(QLatin1String(kSkip))) GTEST_SKIP() << childText.toStdString();
    EXPECT_EQ(childText.toStdString(), "");
}

CaseText caseTextOf(const QString& dataFile) {
    return parseCaseText(m4test::fileBytes(testData(dataFile)), dataFile).value();
}

// ---- Saving a case and writing a run's files on a file system that fails -------------------

enum class Spoil {
    Disk,           ///< filled, leaving the bytes free
    ReadOnly,       ///< the folder remounted read-only
    SizeLimit,      ///< RLIMIT_FSIZE of the bytes
    FolderInTheWay, ///< a folder stands where the file written goes
    Call,           ///< a system call on the file fails (fault_shim.h)
};

struct Spoiling {
    Spoil spoil;
    const char* target; ///< the file written: the case saved, or a run's report or chart
    qint64 bytes = 0;   ///< left free on the disk, or the file-size limit
    const char* reason = "";
    const char* call = nullptr; ///< fails with error; a short write comes before the failing one
    int error = 0;
};

/// In a child: a good run, then the file system is spoiled and either the other case is saved
/// over the case (target ".INT") or run. The file that fails keeps its previous bytes and is
/// named in the message with the reason, no stray file is left, and a report that can be
/// written is, without the run claiming its chart.
QString spoilThenWrite(const QString& folder, const Spoiling& c) {
    const QString target = QString::fromLatin1(c.target);
    const QString casePath = joinPath(folder, kCaseName);
    const QString path = joinPath(folder, QStringLiteral("M-4Case") + target);
    const bool save = target == QLatin1String(".INT");
    const bool chartOnly = target == QLatin1String(".bmp"); // the report fits, the chart fails
    const RunFiles good = runGoodCase(folder, kCaseName);
    // The other case: a run that did write would change both files.
    EXPECT_TRUE(save || placeCase(casePath, kOtherCase));
    const rlimit limit{static_cast<rlim_t>(c.bytes), static_cast<rlim_t>(c.bytes)};
    switch (c.spoil) {
    case Spoil::Disk:
        fillDisk(folder, c.bytes);
        break;
    case Spoil::ReadOnly:
        EXPECT_EQ(mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                        nullptr),
                  0);
        break;
    case Spoil::SizeLimit:
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        break;
    case Spoil::FolderInTheWay:
        EXPECT_TRUE(QFile::remove(path) && QDir().mkdir(path));
        break;
    case Spoil::Call:
        m4InjectFault(c.call, c.error, QFile::encodeName(QFileInfo(path).fileName()).constData());
        break;
    }
    const RunFiles before = filesNow(good);
    const QByteArray caseBefore = m4test::fileBytes(casePath);
    const QStringList entries = folderEntries(folder);
    std::optional<Failure> failure;
    QString status;
    if (save) {
        failure = writeCaseFile(casePath, caseTextOf(kOtherCase));
    } else if (const Expected<RunOutcome> run = runCaseFile(requestFor(folder, kCaseName)); run) {
        status = run->status;
        failure = run->laterFailure;
    } else {
        failure = run.failure();
    }
    m4InjectFault(nullptr, 0, nullptr);
    EXPECT_EQ(status.toStdString(), chartOnly ? "结果文件M-4Case.out已存盘" : "");
    const Fault expected = save        ? Fault::CaseNotWritten
                           : chartOnly ? Fault::ChartNotWritten
                                       : Fault::ReportNotWritten;
    const QString text = failureText(failure);
    EXPECT_TRUE(failure && failure->fault == expected) << text.toStdString();
    EXPECT_TRUE(text.contains(path) && text.contains(QString::fromUtf8(c.reason)))
        << text.toStdString();
    const RunFiles after = filesNow(before);
    EXPECT_EQ(m4test::fileBytes(casePath), caseBefore) << "the case is unchanged";
    EXPECT_EQ(after.report != before.report, chartOnly) << "report written or kept";
    EXPECT_EQ(after.bitmap, before.bitmap) << "the chart is unchanged";
    EXPECT_EQ(folderEntries(folder), entries) << "no stray files";
    return QString();
}

TEST(WriteFaults, ThePreviousFileStaysAndTheFailureNamesItAndWhy) {
    const Spoiling cases[] = {
        {Spoil::Disk, ".INT"},
        {Spoil::ReadOnly, ".INT"},
        {Spoil::SizeLimit, ".INT", kLimitBelowCase},
        {Spoil::FolderInTheWay, ".INT"},
        {Spoil::Disk, ".out"},
        {Spoil::Disk, ".bmp", kRoomForReport},
        {Spoil::SizeLimit, ".out", kLimitBelowCase, "写入出错，文件超过允许的大小"},
        {Spoil::SizeLimit, ".bmp", kLimitBelowChart},
        {Spoil::Call, ".out", 0, "未能存入磁盘，输入/输出错误（磁盘或设备故障），原文件未变",
         "fdatasync", EIO},
        {Spoil::Call, ".bmp", 0, "未能存入磁盘，磁盘空间不足，原文件未变", "fdatasync", ENOSPC},
        {Spoil::Call, ".out", 0, "写入出错，磁盘空间不足，原文件未变", "write", ENOSPC},
        {Spoil::Call, ".bmp", 0, "写入出错，系统只写入了一部分，没有说明原因", "write",
         kM4TakesNothing},
        {Spoil::Call, ".out", 0, "新文件未能替换原文件，输入/输出错误", "renameat", EIO},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "spoil " << static_cast<int>(c.spoil) << " "
                                        << (c.call ? c.call : "") << c.target);
        QTemporaryDir dir;
        const auto body = [&] { return spoilThenWrite(dir.path(), c); };
        const bool disk = c.spoil == Spoil::Disk || c.spoil == Spoil::ReadOnly;
        expectChildClean(disk ? onTmpfs(dir.path(), body) : inChild(body));
    }
}

// The new file is in place, but the folder's record of it may not have reached the disk: the
// save says so rather than succeed.
TEST(WriteFaults, AFolderThatCannotSyncIsReported) {
    QTemporaryDir dir;
    m4InjectFault("fsync", EIO, QFile::encodeName(QFileInfo(dir.path()).fileName()).constData());
    const QString text =
        failureText(writeCaseFile(joinPath(dir.path(), kCaseName), caseTextOf(kCleanCase)));
    m4InjectFault(nullptr, 0, nullptr);
    EXPECT_TRUE(text.contains(QStringLiteral("文件已替换，但文件夹的更新未能存入磁盘")))
        << text.toStdString();
}

// What stands where a case file is expected: each is refused with the system's reason, without
// blocking on a pipe or reading a device, and nothing is written.
TEST(ReadFaults, CasesThatCannotBeReadAreNamedWithTheReason) {
    const QString longName = "M-4" + QString(300, u'a') + ".INT";
    const struct {
        const char* what;
        std::function<void(const QString& casePath)> make;
        Fault fault;
        const char* says;
        QString name = kCaseName;
        bool asUser = false; ///< run by an ordinary user; as root, the child becomes one
    } cases[] = {
        {"missing folder", {}, Fault::FileMissing, "找不到数据文件", "gone/M-4Case.INT"},
        {"folder", [](auto& path) { QDir().mkdir(path); }, Fault::FileUnreadable, "是一个文件夹"},
        {"named pipe", [](auto& path) { mkfifo(QFile::encodeName(path).constData(), 0600); },
         Fault::FileUnreadable, "不是普通文件，而是命名管道"},
        {"link to a device", [](auto& path) { QFile::link("/dev/zero", path); },
         Fault::FileUnreadable, "不是普通文件，而是字符设备"},
        {"name too long", {}, Fault::FileUnreadable, "无法访问，文件名或路径过长", longName},
        {"no permission",
         [](auto& path) {
             placeCase(path);
             chmod(QFile::encodeName(path).constData(), 0);
             chmod(QFile::encodeName(QFileInfo(path).path()).constData(), 0711); // passed through
         },
         Fault::FileUnreadable, "无法访问，没有访问权限", kCaseName, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        if (c.make) c.make(joinPath(dir.path(), c.name));
        const QStringList entries = folderEntries(dir.path());
        // A child, so that a read that blocks is ended by its alarm.
        expectChildClean(inChild([&] {
            if (c.asUser && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                return kSkip + QStringLiteral("cannot become an ordinary user");
            const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), c.name));
            const Expected<CaseText> load = loadCaseText(joinPath(dir.path(), c.name));
            const QString text = run.ok() ? QStringLiteral("ran") : describe(run.failure());
            EXPECT_TRUE(!run.ok() && run.failure().fault == c.fault) << text.toStdString();
            EXPECT_TRUE(text.contains(QString::fromUtf8(c.says)) && text.contains(c.name))
                << text.toStdString();
            EXPECT_TRUE(!load.ok() && load.failure().fault == c.fault) << "the window loads it";
            return QString();
        }));
        EXPECT_EQ(folderEntries(dir.path()), entries);
    }
}

// ---- Links, long names, kills and memory --------------------------------------------------

// A link named like an output is replaced by the output, and what it pointed to stays; a case
// file that an output's name reaches is never run over.
TEST(LinkFaults, WritesReplaceALinkNeverTheFileBehindIt) {
    const struct {
        const char* what;
        const char* link;   ///< made in the case's folder
        const char* target; ///< what it points to, or for a hard link its other name
        bool hard;
        bool refused;
    } cases[] = {
        {"report links to the case", "M-4Case.out", "M-4Case.INT", false, false},
        {"chart links to another folder", "M-4Case.bmp", "../other/kept", false, false},
        {"case links to the report's name", "M-4Case.INT", "M-4Case.out", false, true},
        {"report is a hard link of the case", "M-4Case.out", "M-4Case.INT", true, true},
        {"saved case links to another folder", "M-4Case.INT", "../other/kept", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString folder = joinPath(dir.path(), QStringLiteral("cases"));
        const QString link = joinPath(folder, c.link);
        const QString target = QFileInfo(QDir(folder).filePath(c.target)).absoluteFilePath();
        ASSERT_TRUE(QDir(dir.path()).mkdir("cases") && QDir(dir.path()).mkdir("other"));
        for (const QString& file : {joinPath(folder, kCaseName), target})
            ASSERT_TRUE(file == link || QFile::exists(file) || placeCase(file));
        ASSERT_TRUE(c.hard ? ::link(QFile::encodeName(target).constData(),
                                    QFile::encodeName(link).constData()) == 0
                           : QFile::link(c.target, link));
        const QByteArray kept = m4test::fileBytes(target);
        if (QByteArray(c.what).startsWith("saved")) {
            EXPECT_EQ(failureText(writeCaseFile(link, caseTextOf(kOtherCase))), "(no failure)");
        } else {
            const Expected<RunOutcome> run = runCaseFile(requestFor(folder, kCaseName));
            ASSERT_EQ(run.ok(), !c.refused)
                << (run.ok() ? std::string("ran") : describe(run.failure()).toStdString());
            if (c.refused) {
                EXPECT_EQ(run.failure().fault, Fault::OutputIsCase);
                EXPECT_TRUE(describe(run.failure()).contains(joinPath(folder, kCaseName)));
            }
        }
        EXPECT_EQ(m4test::fileBytes(target), kept) << "the file behind the link";
        EXPECT_TRUE(c.refused || !QFileInfo(link).isSymLink()) << "the link was replaced";
    }
}

// Temporary names fit beside a target of any length: the longest names run and save again and
// again.
TEST(LinkFaults, TheLongestNamesRunAndSaveMoreThanOnce) {
    for (const int bytes : {249, 255}) {
        SCOPED_TRACE(bytes);
        QTemporaryDir dir;
        const QString name = "M-4" + QString(bytes - 7, u'a') + ".INT";
        for (int time = 0; time < 2; ++time) {
            EXPECT_EQ(failureText(writeCaseFile(dir.path(), name, caseTextOf(kCleanCase))),
                      "(no failure)");
            const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), name));
            EXPECT_TRUE(run.ok()) << describe(run.failure()).toStdString();
        }
        EXPECT_EQ(folderEntries(dir.path()).size(), 3);
    }
}

// A writer killed at any moment leaves the old file whole and perhaps its temporary file; the
// next run of the case removes it, unless a writer still holds it.
TEST(KillFaults, TheNextRunRemovesAKilledWritersTemporaryFile) {
    for (const char* target : {"M-4Case.out", "M-4Case.bmp"}) {
        SCOPED_TRACE(target);
        QTemporaryDir dir;
        const RunFiles before = runGoodCase(dir.path(), kCaseName);
        ASSERT_TRUE(placeCase(joinPath(dir.path(), kCaseName), kOtherCase));
        EXPECT_EQ(inChild([&] {
                      m4InjectFault("fdatasync", 0, target);
                      runCaseFile(requestFor(dir.path(), kCaseName));
                      return QStringLiteral("not killed");
                  }),
                  "child killed by signal 9");
        EXPECT_EQ(folderEntries(dir.path()).size(), 4) << "the killed writer's file";
        EXPECT_EQ(m4test::fileBytes(joinPath(dir.path(), target)),
                  QByteArray(target).endsWith(".out") ? before.report : before.bitmap);
        // Still locked, it would be a live writer's on another machine: it stays until unlocked.
        QFile held(joinPath(dir.path(), folderEntries(dir.path()).first()));
        ASSERT_TRUE(held.open(QIODevice::ReadOnly) && flock(held.handle(), LOCK_EX) == 0);
        EXPECT_TRUE(runCaseFile(requestFor(dir.path(), kCaseName)).ok());
        EXPECT_EQ(folderEntries(dir.path()).size(), 4) << "a locked file is taken";
        held.close();
        EXPECT_TRUE(runCaseFile(requestFor(dir.path(), kCaseName)).ok());
        EXPECT_EQ(folderEntries(dir.path()),
                  (QStringList{"M-4Case.INT", "M-4Case.bmp", "M-4Case.out"}));
    }
}

// Two case files whose names differ only in the extension's letter case have the same result
// files: the run says whose results it replaced.
TEST(RunFaults, TheStatusNamesACaseWhoseResultsWereReplaced) {
    QTemporaryDir dir;
    ASSERT_TRUE(placeCase(joinPath(dir.path(), "M-4y.int"), kOtherCase));
    runGoodCase(dir.path(), "M-4y.INT");
    const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), "M-4y.INT"));
    ASSERT_TRUE(run.ok());
    EXPECT_EQ(run->status, "结果文件M-4y.out/bmp已存盘（数据文件M-4y.int的结果文件与此同名，"
                           "已被本次结果替换）");
}

// Memory that runs out is a message, not an abort. The address sanitizer reserves more address
// space than any limit would leave.
TEST(RunFaults, OutOfMemoryIsAMessage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's shadow memory exceeds any address-space limit";
#else
    QTemporaryDir dir;
    ASSERT_TRUE(placeCase(joinPath(dir.path(), kCaseName)));
    EXPECT_EQ(inChild([&] {
                  // No room beyond what is mapped: the first allocation of the run fails.
                  QFile statm(QStringLiteral("/proc/self/statm"));
                  statm.open(QIODevice::ReadOnly);
                  const rlim_t used = statm.readAll().split(' ').value(0).toULongLong() *
                                      static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
                  const rlimit limit{used, used};
                  setrlimit(RLIMIT_AS, &limit);
                  // Nor any left free in the heap by earlier tests, but for the message's room.
                  void* room = std::malloc(16 * 1024);
                  for (std::size_t size = 1 << 20; size >= 16; size /= 2)
                      while (std::malloc(size) != nullptr) {
                      }
                  std::free(room);
                  const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
                  return run.ok() ? QStringLiteral("ran") : describe(run.failure());
              }).section(u'\n', 0, 0),
              "内存不足，计算未能完成");
#endif
}

} // namespace
} // namespace m4::hardening
