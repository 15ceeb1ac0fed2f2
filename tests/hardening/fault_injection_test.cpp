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
#include "case/file_names.h"
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
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace m4::hardening {
namespace {

constexpr const char* kCaseName = "M-4Case.INT";
constexpr const char* kCleanCase = "hardening/M-4Full.INT";
constexpr const char* kOtherCase = "hardening/M-4Held.INT";
constexpr qint64 kTmpfsBytes = 2 * 1024 * 1024; ///< the small disk of a child
constexpr qint64 kRoomForReport = 16 * 1024;    ///< free space that holds a report, not a chart
constexpr rlim_t kLimitBelowCase = 100;         ///< bytes: less than any case file
constexpr rlim_t kLimitBelowChart = 16 * 1024;  ///< bytes: a report fits, the chart does not
constexpr const char* kSkip = "skip: ";
constexpr uid_t kNobody = 65534; ///< the ordinary user of the tests run as root

/// What a child found wrong, one line each; empty when all held.
class Problems {
  public:
    void expect(bool holds, const QString& what) {
        if (!holds) text_ += what + u'\n';
    }
    const QString& text() const { return text_; }

  private:
    QString text_;
};

void fillDisk(const QString& folder, qint64 leaveFree, Problems& problems) {
    // A reserve file holds the room to leave; the filler takes the rest, then the reserve goes.
    const QString reserve = joinPath(folder, QStringLiteral(".reserve"));
    if (leaveFree > 0)
        problems.expect(writeBytes(reserve, QByteArray(leaveFree, 'r')), "reserve written");
    QFile filler(joinPath(folder, QStringLiteral(".filler")));
    problems.expect(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered), "filler opened");
    const QByteArray page(4096, 'f');
    while (filler.write(page) == page.size()) {
    }
    while (filler.write("f", 1) == 1) {
    }
    filler.close();
    if (leaveFree > 0) QFile::remove(reserve);
}

/// Runs body in a child with a tmpfs of kTmpfsBytes on folder, seen by the child alone.
QString onTmpfs(const QString& folder, const std::function<QString()>& body) {
    return inChild([&]() -> QString {
        if (unshare(CLONE_NEWNS) != 0)
            return kSkip + QStringLiteral("no mount namespace: ") +
                   QString::fromUtf8(std::strerror(errno));
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return kSkip + QStringLiteral("mounts not private: ") +
                   QString::fromUtf8(std::strerror(errno));
        const QByteArray options = "size=" + QByteArray::number(kTmpfsBytes);
        if (mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", 0, options.constData()) != 0)
            return kSkip + QStringLiteral("no tmpfs: ") + QString::fromUtf8(std::strerror(errno));
        return body();
    });
}

bool remountReadOnly(const QString& folder) {
    return mount("tmpfs", folder.toLocal8Bit().constData(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                 nullptr) == 0;
}

void expectChildClean(const QString& childText) {
    if (childText.startsWith(QLatin1String(kSkip))) GTEST_SKIP() << childText.toStdString();
    EXPECT_EQ(childText.toStdString(), "");
}

CaseText caseTextOf(const QString& dataFile) {
    const Expected<CaseText> text = parseCaseText(m4test::fileBytes(testData(dataFile)), dataFile);
    EXPECT_TRUE(text.ok());
    return text.ok() ? *text : CaseText{};
}

/// Replaces the run's case with the other case, so that a run that did write would change both
/// files.
void switchCase(const QString& folder, Problems& problems) {
    problems.expect(
        writeBytes(joinPath(folder, kCaseName), m4test::fileBytes(testData(kOtherCase))),
        "case switched");
}

// ---- Saving a case and writing a run's files on a file system that fails -------------------

enum class Spoil {
    FullDisk,        ///< not a byte free
    RoomForReport,   ///< room for a report, not for a chart
    ReadOnly,        ///< the folder remounted read-only
    LimitBelowCase,  ///< RLIMIT_FSIZE below any case file
    LimitBelowChart, ///< RLIMIT_FSIZE: a report fits, the chart does not
    FolderInTheWay,  ///< a folder stands where the file written goes
    Call,            ///< a system call on the file fails (fault_shim.h)
};

/// A system call that fails, with its error.
struct FailingCall {
    const char* name = nullptr;
    int error = 0;
};

/// In a child: a good run, then the file system is spoiled and either the other case is saved
/// over the case (target ".INT") or run. The file that fails keeps its previous bytes and is
/// named in the message with the reason, no stray file is left, and a report that can be
/// written is, without the run claiming its chart.
QString spoilThenWrite(const QString& folder, Spoil spoil, const QString& target,
                       const QString& reason, FailingCall call) {
    Problems problems;
    const QString casePath = joinPath(folder, kCaseName);
    const QString path = joinPath(folder, QStringLiteral("M-4Case") + target);
    const bool save = target == QLatin1String(".INT");
    const bool chartOnly = target == QLatin1String(".bmp"); // the report fits, the chart fails
    const RunFiles good = runGoodCase(folder, kCaseName, testData(kCleanCase));
    if (!save) switchCase(folder, problems);
    const QByteArray name = QFile::encodeName(QFileInfo(path).fileName());
    switch (spoil) {
    case Spoil::FullDisk:
        fillDisk(folder, 0, problems);
        break;
    case Spoil::RoomForReport:
        fillDisk(folder, kRoomForReport, problems);
        break;
    case Spoil::ReadOnly:
        problems.expect(remountReadOnly(folder), "remounted read-only");
        break;
    case Spoil::LimitBelowCase:
    case Spoil::LimitBelowChart: {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t bytes = spoil == Spoil::LimitBelowCase ? kLimitBelowCase : kLimitBelowChart;
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        break;
    }
    case Spoil::FolderInTheWay:
        problems.expect(QFile::remove(path) && QDir().mkdir(path), "folder made");
        break;
    case Spoil::Call:
        m4InjectFault(call.name, call.error, name.constData());
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
    problems.expect(status.isEmpty() != chartOnly, "run succeeded: " + status);
    if (chartOnly) problems.expect(status == "结果文件M-4Case.out已存盘", "status: " + status);
    const Fault expected = save        ? Fault::CaseNotWritten
                           : chartOnly ? Fault::ChartNotWritten
                                       : Fault::ReportNotWritten;
    problems.expect(failure && failure->fault == expected, "fault: " + failureText(failure));
    problems.expect(failure && describe(*failure).contains(path) &&
                        describe(*failure).contains(reason),
                    "message names the file and why: " + failureText(failure));
    const RunFiles after = filesNow(before);
    problems.expect(m4test::fileBytes(casePath) == caseBefore, "the case is unchanged");
    problems.expect((after.report != before.report) == chartOnly, "report written or kept");
    problems.expect(after.bitmap == before.bitmap, "the chart is unchanged");
    problems.expect(folderEntries(folder) == entries,
                    "no stray files: " + folderEntries(folder).join(u' '));
    return problems.text();
}

TEST(WriteFaults, ThePreviousFileStaysAndTheFailureNamesItAndWhy) {
    const struct {
        Spoil spoil;
        const char* target; ///< the file written: the case saved, or a run's report or chart
        const char* reason = "";
        FailingCall call = {}; ///< a short write comes before the failing one
    } cases[] = {
        {Spoil::FullDisk, ".INT"},
        {Spoil::ReadOnly, ".INT"},
        {Spoil::LimitBelowCase, ".INT"},
        {Spoil::FolderInTheWay, ".INT"},
        {Spoil::FullDisk, ".out"},
        {Spoil::RoomForReport, ".bmp"},
        {Spoil::LimitBelowCase, ".out", "写入出错，文件超过允许的大小"},
        {Spoil::LimitBelowChart, ".bmp"},
        {Spoil::FolderInTheWay, ".out"},
        {Spoil::Call,
         ".out",
         "未能存入磁盘，输入/输出错误（磁盘或设备故障），原文件未变",
         {"fdatasync", EIO}},
        {Spoil::Call, ".bmp", "未能存入磁盘，磁盘空间不足，原文件未变", {"fdatasync", ENOSPC}},
        {Spoil::Call, ".INT", "未能存入磁盘，输入/输出错误", {"fdatasync", EIO}},
        {Spoil::Call, ".out", "写入出错，磁盘空间不足，原文件未变", {"write", ENOSPC}},
        {Spoil::Call, ".out", "新文件未能替换原文件，输入/输出错误", {"renameat", EIO}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "spoil " << static_cast<int>(c.spoil) << " "
                                        << (c.call.name ? c.call.name : "") << c.target);
        QTemporaryDir dir;
        const auto body = [&] {
            return spoilThenWrite(dir.path(), c.spoil, c.target, QString::fromUtf8(c.reason),
                                  c.call);
        };
        const bool disk = c.spoil == Spoil::FullDisk || c.spoil == Spoil::RoomForReport ||
                          c.spoil == Spoil::ReadOnly;
        expectChildClean(disk ? onTmpfs(dir.path(), body) : inChild(body));
    }
}

// The new file is in place, but the folder's record of it may not have reached the disk: the
// save says so rather than succeed.
TEST(WriteFaults, AFolderThatCannotSyncIsReported) {
    QTemporaryDir dir;
    m4InjectFault("fsync", EIO, QFile::encodeName(QFileInfo(dir.path()).fileName()).constData());
    const std::optional<Failure> failure =
        writeCaseFile(joinPath(dir.path(), kCaseName), caseTextOf(kCleanCase));
    m4InjectFault(nullptr, 0, nullptr);
    EXPECT_TRUE(
        failureText(failure).contains(QStringLiteral("文件已替换，但文件夹的更新未能存入磁盘")))
        << failureText(failure).toStdString();
}

// What stands where a case file is expected: each is refused with the system's reason, without
// blocking on a pipe or reading a device, and nothing is written.
TEST(ReadFaults, CasesThatCannotBeReadAreNamedWithTheReason) {
    const struct {
        const char* what;
        std::function<QString(const QString& folder)> make; ///< gives the case's name
        Fault fault;
        const char* says;
        bool asUser = false; ///< run by an ordinary user; as root, the child becomes one
    } cases[] = {
        {"missing folder", [](const QString&) { return QStringLiteral("gone/M-4Case.INT"); },
         Fault::FileMissing, "找不到数据文件"},
        {"folder",
         [](const QString& folder) {
             QDir(folder).mkdir(kCaseName);
             return QString::fromLatin1(kCaseName);
         },
         Fault::FileUnreadable, "是一个文件夹"},
        {"named pipe",
         [](const QString& folder) {
             mkfifo(QFile::encodeName(joinPath(folder, kCaseName)).constData(), 0600);
             return QString::fromLatin1(kCaseName);
         },
         Fault::FileUnreadable, "不是普通文件，而是命名管道"},
        {"link to a device",
         [](const QString& folder) {
             QFile::link(QStringLiteral("/dev/zero"), joinPath(folder, kCaseName));
             return QString::fromLatin1(kCaseName);
         },
         Fault::FileUnreadable, "不是普通文件，而是字符设备"},
        {"name too long", [](const QString&) { return "M-4" + QString(300, u'a') + ".INT"; },
         Fault::FileUnreadable, "无法访问，文件名或路径过长"},
        {"no permission",
         [](const QString& folder) {
             writeBytes(joinPath(folder, kCaseName), m4test::fileBytes(testData(kCleanCase)));
             QFile::setPermissions(joinPath(folder, kCaseName), {});
             QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ExeGroup | QFile::ExeOther);
             return QString::fromLatin1(kCaseName);
         },
         Fault::FileUnreadable, "无法访问，没有访问权限", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString name = c.make(dir.path());
        const QStringList entries = folderEntries(dir.path());
        // A child, so that a read that blocks is ended by its alarm.
        expectChildClean(inChild([&] {
            if (c.asUser && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
                return kSkip + QStringLiteral("cannot become an ordinary user");
            Problems problems;
            const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), name));
            const Expected<CaseText> load = loadCaseText(joinPath(dir.path(), name));
            problems.expect(!run.ok() && run.failure().fault == c.fault,
                            "run: " + (run.ok() ? QStringLiteral("ran") : describe(run.failure())));
            problems.expect(!load.ok() && load.failure().fault == c.fault, "the window loads it");
            if (!run.ok()) {
                const QString text = describe(run.failure());
                problems.expect(text.contains(QString::fromUtf8(c.says)) && text.contains(name),
                                "message: " + text);
            }
            return problems.text();
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
        for (const QString& file : {joinPath(folder, kCaseName), target}) {
            if (file != link && !QFile::exists(file)) {
                ASSERT_TRUE(writeBytes(file, m4test::fileBytes(testData(kCleanCase))));
            }
        }
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
        if (!c.refused) {
            EXPECT_FALSE(QFileInfo(link).isSymLink()) << "the link itself was replaced";
        }
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
        const RunFiles before = runGoodCase(dir.path(), kCaseName, testData(kCleanCase));
        Problems problems;
        switchCase(dir.path(), problems);
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
    ASSERT_TRUE(
        writeBytes(joinPath(dir.path(), "M-4y.int"), m4test::fileBytes(testData(kOtherCase))));
    const RunFiles files = runGoodCase(dir.path(), "M-4y.INT", testData(kCleanCase));
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
    ASSERT_TRUE(
        writeBytes(joinPath(dir.path(), kCaseName), m4test::fileBytes(testData(kCleanCase))));
    EXPECT_EQ(inChild([&] {
                  // No room beyond what is mapped: the first allocation of the run fails.
                  QFile statm(QStringLiteral("/proc/self/statm"));
                  statm.open(QIODevice::ReadOnly);
                  const rlim_t used = statm.readAll().split(' ').value(0).toULongLong() *
                                      static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
                  const rlimit limit{used, used};
                  setrlimit(RLIMIT_AS, &limit);
                  const Expected<RunOutcome> run = runCaseFile(requestFor(dir.path(), kCaseName));
                  return run.ok() ? QStringLiteral("ran") : describe(run.failure());
              }).section(u'\n', 0, 0),
              "内存不足，计算未能完成");
#endif
}

} // namespace
} // namespace m4::hardening
