#include "check_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace m4 {
namespace {

constexpr double kTenThousand = 10000; ///< m3 per 10^4 m3, the unit volumes are shown in
constexpr int kLevelDecimals = 4;      ///< 0.1 mm
constexpr int kFlowDecimals = 3;
constexpr int kPercentDecimals = 3;
constexpr int kVolumeDecimals = 4;

/// The message of a problem without the file and line that the check shows by itself.
QString messageOf(Failure problem) {
    problem.file.clear();
    problem.line = 0;
    return describe(problem);
}

QString fixed(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

QJsonValue optionalNumber(const std::optional<double>& v) {
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QJsonArray periodArray(const std::vector<int>& periods) {
    QJsonArray array;
    for (int p : periods) array.append(p);
    return array;
}

} // namespace

QString periodRuns(const std::vector<int>& periods) {
    if (periods.empty()) return QStringLiteral("无");
    QString text;
    for (std::size_t i = 0; i < periods.size();) {
        std::size_t end = i;
        while (end + 1 < periods.size() && periods[end + 1] == periods[end] + 1) ++end;
        if (!text.isEmpty()) text += u'、';
        text += QString::number(periods[i]);
        if (end > i) text += u'～' + QString::number(periods[end]);
        i = end + 1;
    }
    return text;
}

QString checkText(const CaseCheck& check) {
    QString text = check.file;
    if (check.problems.empty())
        text += QStringLiteral("：未发现问题\n");
    else
        text += QStringLiteral("：发现%1个问题\n").arg(check.problems.size());
    for (const Failure& p : check.problems) {
        text += QStringLiteral("  ");
        if (p.line > 0) text += QStringLiteral("第%1行：").arg(p.line);
        text += messageOf(p) + u'\n';
    }
    if (!check.quality) {
        text += QStringLiteral("  数据文件无法计算，未作误差估计\n");
        return text;
    }
    const RoutingQuality& q = *check.quality;
    text += QStringLiteral("  时段长度的误差估计（每个时段分为2步重算比较）：");
    if (q.levelError && q.outflowError) {
        text +=
            QStringLiteral("水位最大差%1米（第%2时段），下泄流量最大差%3立方米/秒（第%4时段）\n")
                .arg(fixed(*q.levelError, kLevelDecimals))
                .arg(q.levelErrorPeriod)
                .arg(fixed(*q.outflowError, kFlowDecimals))
                .arg(q.outflowErrorPeriod);
    } else {
        text += QStringLiteral("重算未能完成：") +
                (q.halvedRunFailure ? messageOf(*q.halvedRunFailure) : QString()) + u'\n';
    }
    if (q.continuityPercent)
        text += QStringLiteral("  水量平衡误差：%1%（来水%2万立方米，泄水%3万立方米，"
                               "蓄水变化%4万立方米）\n")
                    .arg(fixed(*q.continuityPercent, kPercentDecimals),
                         fixed(q.inflowVolume / kTenThousand, kVolumeDecimals),
                         fixed(q.outflowVolume / kTenThousand, kVolumeDecimals),
                         fixed(q.storageChange / kTenThousand, kVolumeDecimals));
    else
        text +=
            QStringLiteral("  水量平衡误差：无法计算（须有来水，且水位~面积曲线的水位逐点升高）\n");
    text += QStringLiteral("  水位保持在ZM的时段：") + periodRuns(q.heldPeriods) + u'\n';
    text += QStringLiteral("  下泄流量削减至QA的时段：") + periodRuns(q.cappedPeriods) + u'\n';
    return text;
}

QByteArray checkJson(const CaseCheck& check) {
    QJsonObject object;
    object.insert(QStringLiteral("file"), check.file);
    QJsonArray problems;
    for (const Failure& p : check.problems) {
        QJsonObject problem;
        problem.insert(QStringLiteral("line"), p.line > 0 ? QJsonValue(p.line) : QJsonValue());
        problem.insert(QStringLiteral("message"), messageOf(p));
        problems.append(problem);
    }
    object.insert(QStringLiteral("problems"), problems);
    const RoutingQuality q = check.quality.value_or(RoutingQuality{});
    const bool routed = check.quality.has_value();
    object.insert(QStringLiteral("levelErrorEstimate"), optionalNumber(q.levelError));
    object.insert(QStringLiteral("levelErrorPeriod"),
                  q.levelError ? QJsonValue(q.levelErrorPeriod) : QJsonValue());
    object.insert(QStringLiteral("outflowErrorEstimate"), optionalNumber(q.outflowError));
    object.insert(QStringLiteral("outflowErrorPeriod"),
                  q.outflowError ? QJsonValue(q.outflowErrorPeriod) : QJsonValue());
    object.insert(QStringLiteral("continuityErrorPercent"), optionalNumber(q.continuityPercent));
    object.insert(QStringLiteral("inflowVolume"),
                  routed ? QJsonValue(q.inflowVolume) : QJsonValue());
    object.insert(QStringLiteral("outflowVolume"),
                  routed ? QJsonValue(q.outflowVolume) : QJsonValue());
    object.insert(QStringLiteral("storageChange"),
                  q.continuityPercent ? QJsonValue(q.storageChange) : QJsonValue());
    object.insert(QStringLiteral("heldPeriods"), periodArray(q.heldPeriods));
    object.insert(QStringLiteral("cappedPeriods"), periodArray(q.cappedPeriods));
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace m4
